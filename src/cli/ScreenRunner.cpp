#include "cli/ScreenRunner.h"

#include <vector>

#include "cli/UsageError.h"

std::vector<int> parseRows(const std::string& text, size_t count) {
    std::vector<int> rows;
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (part.empty() || part.size() > 4 || part.find_first_not_of("0123456789") != std::string::npos)
            throw UsageError("--rows takes " + std::to_string(count) +
                             " comma-separated row numbers (e.g. 0,1,2), not \"" + text + "\"");
        rows.push_back(std::stoi(part));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (rows.size() != count)
        throw UsageError("--rows takes exactly " + std::to_string(count) + " row numbers, got " +
                         std::to_string(rows.size()));
    return rows;
}
