#include "cli/PasswordFile.h"

#include <fstream>

#include "cli/UsageError.h"

std::string readPasswordFile(const std::string& file) {
    std::ifstream in(file);
    std::string password;
    if (!in || !std::getline(in, password)) throw UsageError("--password-file " + file + " cannot be read");
    if (!password.empty() && password.back() == '\r') password.pop_back();
    if (password.empty()) throw UsageError("--password-file " + file + " holds no password on its first line");
    return password;
}
