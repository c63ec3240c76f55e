#pragma once
#include <optional>
#include <string>
#include <string_view>

/// Texts and documents compiled into the program (resources/html, resources/strings), by file name without
/// extension ("Wires", "HtmlFTP"). Nothing when no such resource exists.
std::optional<std::string_view> resourceNamed(std::string_view name);

/// A localised text from a strings table ("key" = "value"; lines in resources/strings/TABLE.strings). Returns the
/// key itself when the table or the key is missing, as the platform does.
std::string localizedString(std::string_view key, std::string_view table = "Localizable");
