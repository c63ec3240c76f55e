#pragma once
#include <optional>
#include <string>
#include <string_view>

/// The quantities of the board and RF tools beside the bench tools' ohms, farads, henries, volts and amperes.
enum class SiUnit { Metre, Hertz, Second, Watt, Celsius };

/// `text` as engineers write the measure, in base units: "1.6mm", "35um", "35 µm", "10mil", "0.5in", "5m" (a
/// last m is metres where a length is asked), "100MHz", "10ms", "0.5W", "25°C", "25C"; a bare number is taken
/// in the measure. The number and its prefix are read by the value reader; nothing, with `error` set, for
/// anything else ("'12V' is in volts: give metres").
std::optional<double> readMeasure(std::string_view text, SiUnit measure, std::string* error);

/// Engineering notation with the unit, as `engineering` gives it for the bench units: "1.6 mm", "100 MHz",
/// "10 ns", "2.5 W"; degrees without a prefix: "25 °C".
std::string formatMeasure(double value, SiUnit measure, int digits = 4);
