#include "core/pcb/Conductor.h"

#include <cmath>

namespace conductor {

namespace {

constexpr double kSquareMetresPerSquareMil = 25.4e-6 * 25.4e-6;
double ipcK(bool internal) { return internal ? 0.024 : 0.048; }

}  // namespace

double resistance(const Material& m, double length, double area, double celsius) {
    return m.resistivity * length / area * (1 + m.temperatureCoefficient * (celsius - 20));
}

double ipcCurrent(double area, double rise, bool internal) {
    return ipcK(internal) * std::pow(rise, 0.44) * std::pow(area / kSquareMetresPerSquareMil, 0.725);
}

double ipcArea(double current, double rise, bool internal) {
    return std::pow(current / (ipcK(internal) * std::pow(rise, 0.44)), 1 / 0.725) * kSquareMetresPerSquareMil;
}

}  // namespace conductor
