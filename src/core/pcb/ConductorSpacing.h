#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

/// The least spacing between conductors for a voltage (DC or AC peak) from IPC-2221's table of electrical
/// conductor spacing, in its seven classes of board and coating.
class ConductorSpacing {
public:
    static constexpr int kClasses = 7;
    /// One row of the table: the spacing in each class (B1 … A7) up to `upTo` volts.
    struct Row {
        double upTo;  ///< volts
        std::array<double, kClasses> spacing;  ///< m
    };

    /// "B1", "B2", "B3", "B4", "A5", "A6", "A7".
    static const std::array<const char*, kClasses>& classNames();
    /// What each class is, for the table and the screen ("Internal conductors").
    static const std::array<const char*, kClasses>& classDescriptions();
    /// The class named (any case), or nothing.
    static std::optional<int> classNamed(std::string_view name);
    /// The table's rows up to 500 V.
    static const std::array<Row, 9>& rows();
    /// The spacing added per volt above 500 V in each class, m/V.
    static const std::array<double, kClasses>& perVoltAbove500();

    /// The spacing in m for `volts` in class `index`; nothing, with `error` set, for a negative voltage.
    static std::optional<double> spacing(double volts, int index, std::string* error);
};
