#include "core/pcb/InputCheck.h"

#include <cmath>

namespace pcb {

bool refuse(std::string message, std::string* error) {
    if (error) *error = std::move(message);
    return false;
}

bool above0(double value, const char* name, std::string* error) {
    return (value > 0 && std::isfinite(value)) || refuse(std::string(name) + " must be above 0", error);
}

bool atLeast0(double value, const char* name, std::string* error) {
    return (value >= 0 && std::isfinite(value)) || refuse(std::string(name) + " cannot be negative", error);
}

}  // namespace pcb
