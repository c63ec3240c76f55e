#pragma once
#include <cstdint>
#include <string_view>

/// Reading numbers from field texts, as the screens do. Each skips leading white space, takes an optional sign
/// and the digits that follow, and ignores everything from the first character that does not fit; text that does
/// not begin with a number reads as 0. The point is the only decimal separator, whatever the locale.

/// 32-bit integer; saturates at INT32_MIN / INT32_MAX.
std::int32_t intValue(std::string_view text);
/// 64-bit integer; saturates at INT64_MIN / INT64_MAX.
std::int64_t longLongValue(std::string_view text);
/// Single precision, with a decimal point and an exponent ("1.5e3"); too large gives +-infinity, too small 0.
float floatValue(std::string_view text);
