#include "core/pcb/ConductorSpacing.h"

#include <cctype>
#include <cmath>

#include "core/pcb/InputCheck.h"

const std::array<const char*, ConductorSpacing::kClasses>& ConductorSpacing::classNames() {
    static const std::array<const char*, kClasses> names = {"B1", "B2", "B3", "B4", "A5", "A6", "A7"};
    return names;
}

const std::array<const char*, ConductorSpacing::kClasses>& ConductorSpacing::classDescriptions() {
    static const std::array<const char*, kClasses> text = {
        "Internal conductors",
        "External, uncoated, sea level to 3050 m",
        "External, uncoated, above 3050 m",
        "External, with permanent polymer coating",
        "External, with conformal coating over the assembly",
        "External component lead or termination, uncoated",
        "External component lead or termination, conformal coating",
    };
    return text;
}

std::optional<int> ConductorSpacing::classNamed(std::string_view name) {
    for (int i = 0; i < kClasses; ++i) {
        const std::string_view n = classNames()[static_cast<size_t>(i)];
        if (name.size() == n.size() && std::toupper(static_cast<unsigned char>(name[0])) == n[0] && name[1] == n[1])
            return i;
    }
    return std::nullopt;
}

// IPC-2221, electrical conductor spacing, in millimetres (converted to metres below).
const std::array<ConductorSpacing::Row, 9>& ConductorSpacing::rows() {
    constexpr double mm = 1e-3;
    static const std::array<Row, 9> table = {{
        {15, {0.05 * mm, 0.1 * mm, 0.1 * mm, 0.05 * mm, 0.13 * mm, 0.13 * mm, 0.13 * mm}},
        {30, {0.05 * mm, 0.1 * mm, 0.1 * mm, 0.05 * mm, 0.13 * mm, 0.25 * mm, 0.13 * mm}},
        {50, {0.1 * mm, 0.6 * mm, 0.6 * mm, 0.13 * mm, 0.13 * mm, 0.4 * mm, 0.13 * mm}},
        {100, {0.1 * mm, 0.6 * mm, 1.5 * mm, 0.13 * mm, 0.13 * mm, 0.5 * mm, 0.13 * mm}},
        {150, {0.2 * mm, 0.6 * mm, 3.2 * mm, 0.4 * mm, 0.4 * mm, 0.8 * mm, 0.4 * mm}},
        {170, {0.2 * mm, 1.25 * mm, 3.2 * mm, 0.4 * mm, 0.4 * mm, 0.8 * mm, 0.4 * mm}},
        {250, {0.2 * mm, 1.25 * mm, 6.4 * mm, 0.4 * mm, 0.4 * mm, 0.8 * mm, 0.4 * mm}},
        {300, {0.2 * mm, 1.25 * mm, 12.5 * mm, 0.4 * mm, 0.4 * mm, 0.8 * mm, 0.8 * mm}},
        {500, {0.25 * mm, 2.5 * mm, 12.5 * mm, 0.8 * mm, 0.8 * mm, 1.5 * mm, 0.8 * mm}},
    }};
    return table;
}

const std::array<double, ConductorSpacing::kClasses>& ConductorSpacing::perVoltAbove500() {
    static const std::array<double, kClasses> perVolt = {0.0025e-3, 0.005e-3, 0.025e-3, 0.00305e-3,
                                                        0.00305e-3, 0.00305e-3, 0.00305e-3};
    return perVolt;
}

std::optional<double> ConductorSpacing::spacing(double volts, int index, std::string* error) {
    if (!pcb::atLeast0(volts, "voltage", error)) return std::nullopt;
    const auto i = static_cast<size_t>(index);
    for (const Row& row : rows())
        if (volts <= row.upTo) return row.spacing[i];
    // Above 500 V the 500 V spacing grows by the class's figure for each volt beyond.
    return rows().back().spacing[i] + (volts - 500) * perVoltAbove500()[i];
}
