#include "core/pcb/SiUnit.h"

#include <gtest/gtest.h>

namespace {

// Lengths, frequencies, times, powers and temperatures as engineers write them; a last m is metres where a length
// is asked; anything else refused with the value reader's words.
TEST(SiUnit, ReadsEachMeasureWithItsUnitOrSaysWhy) {
    struct Case {
        const char* text;
        SiUnit unit;
        double value;       // < 0: refused
        const char* error;
    } cases[] = {
        {"5m", SiUnit::Metre, 5, ""},             {"1.6mm", SiUnit::Metre, 1.6e-3, ""},
        {"35um", SiUnit::Metre, 35e-6, ""},       {"35 µm", SiUnit::Metre, 35e-6, ""},
        {"10mil", SiUnit::Metre, 254e-6, ""},     {"2 mils", SiUnit::Metre, 50.8e-6, ""},
        {"0.5in", SiUnit::Metre, 12.7e-3, ""},    {"1.5", SiUnit::Metre, 1.5, ""},
        {"100MHz", SiUnit::Hertz, 1e8, ""},       {"2.4 GHz", SiUnit::Hertz, 2.4e9, ""},
        {"10ms", SiUnit::Second, 10e-3, ""},      {"0.5W", SiUnit::Watt, 0.5, ""},
        {"25°C", SiUnit::Celsius, 25, ""},        {"20C", SiUnit::Celsius, 20, ""},
        {"5V", SiUnit::Metre, -1, "'5V' is in volts: give metres"},
        {"1nF", SiUnit::Hertz, -1, "'1nF' is in farads: give hertz"},
        {"4mmm", SiUnit::Metre, -1, "'4mmm' is not a value: write 4.7k, 4k7 or 4700"},
        {"2R2m", SiUnit::Metre, -1, "'2R2m' is in ohms: give metres"},
        {"1kHz", SiUnit::Second, -1, "'1kHz' is not a value: write 4.7k, 4k7 or 4700"},
        {"", SiUnit::Watt, -1, "'' is not a value: write 4.7k, 4k7 or 4700"},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto v = readMeasure(c.text, c.unit, &error);
        if (c.value < 0) {
            EXPECT_FALSE(v) << c.text;
            EXPECT_EQ(error, c.error) << c.text;
        } else {
            ASSERT_TRUE(v) << c.text << ": " << error;
            EXPECT_NEAR(*v, c.value, c.value * 1e-12) << c.text;
        }
    }
    EXPECT_EQ(formatMeasure(1.6e-3, SiUnit::Metre), "1.6 mm");
    EXPECT_EQ(formatMeasure(5, SiUnit::Metre), "5 m");
    EXPECT_EQ(formatMeasure(1e8, SiUnit::Hertz), "100 MHz");
    EXPECT_EQ(formatMeasure(25, SiUnit::Celsius), "25 °C");
}

}  // namespace
