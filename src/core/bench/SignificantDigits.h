#pragma once
#include <optional>
#include <string>

/// A positive value written as a whole number of significant digits times a power of ten: 4700 with two digits
/// is 47 × 10^2, with three 470 × 10^1.
struct SignificantDigits {
    long long digits = 0;  ///< exactly `count` digits, the first not zero
    int exponent = 0;

    /// `v` in exactly `count` digits (1 … 15), or nothing when that many cannot hold it.
    static std::optional<SignificantDigits> of(double v, int count);
    /// The fewest significant digits that hold `v` exactly (trailing zeros dropped), at most 16.
    static int needed(double v);
    /// "one", "two", … "nine"; other counts as digits.
    static std::string countWord(int count);
    /// digits × 10^exponent as the double nearest it.
    double value() const;
};
