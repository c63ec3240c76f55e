#pragma once
#include <stdexcept>
#include <string>

/// Thrown by a subcommand for input it cannot take; the program prints the message on standard error and exits
/// with status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Thrown by a subcommand whose tool answers its input with an error text of its own ("Incorrect value", "Error:
/// incorrect LED current"): the program prints it on standard error in the one form all such texts take there
/// ("velkaro: incorrect value"), and exits with status 1. Result lines already printed stay on standard output.
class ResultError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
