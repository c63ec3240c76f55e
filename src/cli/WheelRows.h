#pragma once
#include <string>
#include <vector>

// How the decoder subcommands name the rows of a tool's wheels: by number (--rows) or by a row's text.

/// Parses "r0,r1,..." into exactly `count` wheel rows; throws UsageError naming the problem otherwise.
std::vector<int> parseRows(const std::string& text, size_t count);

/// Throws UsageError when a row does not exist on its wheel (`wheels[c]`), naming the wheel (`wheelNames[c]`) and
/// its rows.
void checkRowsExist(const std::vector<std::vector<std::string>>& wheels, const std::vector<int>& rows,
                    const std::vector<std::string>& wheelNames);

/// The row of `name` among a wheel's row names, ignoring ASCII case; -1 when there is none.
int rowNamed(const std::vector<std::string>& rows, const std::string& name);

/// The row names as "a, b, c", for a message naming the valid choices.
std::string listOfChoices(const std::vector<std::string>& rows);
