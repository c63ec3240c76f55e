#pragma once
#include <string>

/// A failure reported as a value: a domain text, an integer code and a readable description.
struct Error {
    std::string domain;
    long code = 0;
    std::string localizedDescription;
};
