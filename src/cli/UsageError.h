#pragma once
#include <stdexcept>
#include <string>

/// Thrown by a subcommand for input it cannot take; the program prints the message on standard error and exits
/// with status 2. A screen's own error text is not a usage error: it is printed as a normal result.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
