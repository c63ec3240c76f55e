#pragma once
#include <cmath>
#include <cstdint>
#include <limits>

/// A calculator's conversion of a computed value to a whole number: truncation toward zero, as C's conversion
/// does for values in range. Out-of-range values, which a plain conversion leaves undefined (a typed "1e30"
/// volts gets there), saturate at the 32-bit limits, and a value that is not a number gives 0.
inline std::int32_t truncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}
