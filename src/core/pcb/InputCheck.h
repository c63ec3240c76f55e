#pragma once
#include <string>

/// The range checks the board and RF calculations share; each sets `error` to a message naming the quantity
/// as its option and field are named ("width must be above 0").
namespace pcb {

/// True for a finite value above zero.
bool above0(double value, const char* name, std::string* error);
/// True for a finite value of at least zero.
bool atLeast0(double value, const char* name, std::string* error);
/// Sets `error` to `message` and answers false, for checks of their own.
bool refuse(std::string message, std::string* error);

}  // namespace pcb
