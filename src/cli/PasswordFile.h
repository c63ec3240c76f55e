#pragma once
#include <string>

/// The password on the first line of `file` (a CR before the line end dropped), for the servers' --password-file.
/// Throws UsageError when the file cannot be read or its first line is empty.
std::string readPasswordFile(const std::string& file);
