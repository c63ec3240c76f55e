#pragma once
#include <optional>
#include <string>

/// SMD resistor markings for a value: the inverse of the SMD code screen.
class SmdEncoder {
public:
    /// Three characters: two digits and a multiplier digit 0 … 7 (10 Ω … 990 MΩ), or R as the decimal point
    /// below 10 Ω ("4R7", "R47"). Nothing when the value needs more digits or lies outside.
    static std::optional<std::string> threeDigit(double ohms);
    /// Four characters: three digits and a multiplier digit 0 … 6 (100 Ω … 999 MΩ), or R notation below 100 Ω
    /// ("47R5", "4R75", "R475").
    static std::optional<std::string> fourDigit(double ohms);
    /// EIA-96: the code 01 … 96 of an E96 mantissa and a multiplier letter Z Y X A B C D E F (×0.001 … ×100000),
    /// 0.1 Ω … 97.6 MΩ. Nothing for a value off the E96 series.
    static std::optional<std::string> eia96(double ohms);
};
