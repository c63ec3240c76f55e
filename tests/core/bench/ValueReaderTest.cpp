#include "core/bench/ValueReader.h"

#include <gtest/gtest.h>

#include "core/bench/ESeries.h"

namespace {

TEST(ValueReader, ReadsWholeTextsOrNamesTheText) {
    struct Case {
        const char* text;
        double value;  // < 0: an error naming the text
        Unit unit;
    } cases[] = {
        {"4700", 4700, Unit::None},       {"4.7k", 4700, Unit::None},     {"4,7k", 4700, Unit::None},
        {"4k7", 4700, Unit::None},        {"4K7", 4700, Unit::None},      {"2R2", 2.2, Unit::Ohm},
        {"R47", 0.47, Unit::Ohm},         {"4M7", 4.7e6, Unit::None},     {"4m7", 4.7e-3, Unit::None},
        {"4n7", 4.7e-9, Unit::None},      {"2u2", 2.2e-6, Unit::None},    {"2µ2", 2.2e-6, Unit::None},
        {"1p5", 1.5e-12, Unit::None},     {" 100nF ", 100e-9, Unit::Farad}, {"4.7 kΩ", 4700, Unit::Ohm},
        {"4k7 ohms", 4700, Unit::Ohm},    {"4.7KOhm", 4700, Unit::Ohm},   {"10uH", 10e-6, Unit::Henry},
        {"12V", 12, Unit::Volt},          {"50uA", 50e-6, Unit::Ampere},  {".47 Ohm", 0.47, Unit::Ohm},
        {"0", 0, Unit::None},             {"4.7 k", 4700, Unit::None},    {"1G", 1e9, Unit::None},
        {"4.7 k\xE2\x84\xA6", 4700, Unit::Ohm}, {"4k7\xE2\x84\xA6", 4700, Unit::Ohm}, {"10\xCE\xA9", 10, Unit::Ohm},
        {"2\xCE\xBC" "2H", 2.2e-6, Unit::Henry},
        {"999G", 999e9, Unit::None},      {"0.1p", 0.1e-12, Unit::None},  {"1.5 pF", 1.5e-12, Unit::Farad},
        {"4\xE2\x84\xA6" "7", -1, {}},     {"4k7\xE2\x84", -1, {}},       {"1T", -1, {}},
        {"", -1, {}},       {"-", -1, {}},      {"-5", -1, {}},    {"1e3", -1, {}},   {"4k7k", -1, {}},
        {"1,000.5", -1, {}}, {"4x7", -1, {}},   {"4.7k7", -1, {}}, {"4 7", -1, {}},   {"R", -1, {}},
        {"ohm", -1, {}},    {"4R7F", -1, {}},
    };
    for (const auto& c : cases) {
        std::string error;
        auto q = ValueReader::read(c.text, &error);
        if (c.value < 0) {
            EXPECT_FALSE(q) << c.text;
            EXPECT_EQ(error, ValueReader::notAValue(c.text)) << c.text;
        } else {
            ASSERT_TRUE(q) << c.text << ": " << error;
            EXPECT_TRUE(sameValue(q->value, c.value) || q->value == c.value) << c.text << " read " << q->value;
            EXPECT_EQ(q->unit, c.unit) << c.text;
        }
    }
    EXPECT_FALSE(ValueReader::read(std::string(400, '9'), nullptr)) << "beyond a double";
}

TEST(ValueReader, ReadsInTheUnitAskedOrSaysWhichItIsIn) {
    const std::string notAValue = ": write 4.7k, 4k7 or 4700";
    struct Case {
        const char* text;
        std::optional<Unit> as;  // nothing: as a part's value
        double value;
        std::string error;  // empty: read
    } cases[] = {
        {"50u", Unit::Ampere, 50e-6, ""},
        {"50uA", Unit::Ampere, 50e-6, ""},
        {"5F", Unit::Ampere, 0, "'5F' is in farads: give amperes"},
        {"4k7", std::nullopt, 4700, ""},
        {"10uH", std::nullopt, 10e-6, ""},
        {"12V", std::nullopt, 0, "'12V' is in volts: give ohms, farads or henries"},
        {"4x7", Unit::Volt, 0, "'4x7' is not a value" + notAValue},
        // The board and RF tools' units, read only where they are asked: a last m is metres for a length only.
        {"5m", Unit::Metre, 5, ""},           {"5m", Unit::Volt, 5e-3, ""},        {"1.6mm", Unit::Metre, 1.6e-3, ""},
        {"35um", Unit::Metre, 35e-6, ""},     {"35 µm", Unit::Metre, 35e-6, ""},   {"10mil", Unit::Metre, 254e-6, ""},
        {"2 mils", Unit::Metre, 50.8e-6, ""}, {"0.5in", Unit::Metre, 12.7e-3, ""}, {"1.5", Unit::Metre, 1.5, ""},
        {"100MHz", Unit::Hertz, 1e8, ""},     {"2.4 GHz", Unit::Hertz, 2.4e9, ""}, {"10ms", Unit::Second, 10e-3, ""},
        {"0.5W", Unit::Watt, 0.5, ""},        {"25°C", Unit::Celsius, 25, ""},     {"20C", Unit::Celsius, 20, ""},
        {"5V", Unit::Metre, 0, "'5V' is in volts: give metres"},
        {"5V", Unit::Watt, 0, "'5V' is in volts: give watts"},
        {"1nF", Unit::Hertz, 0, "'1nF' is in farads: give hertz"},
        {"2R2m", Unit::Metre, 0, "'2R2m' is in ohms: give metres"},
        {"4mmm", Unit::Metre, 0, "'4mmm' is not a value" + notAValue},
        {"1kHz", Unit::Second, 0, "'1kHz' is not a value" + notAValue},
        {"", Unit::Watt, 0, "'' is not a value" + notAValue},
    };
    for (const auto& c : cases) {
        std::string error;
        std::optional<double> v;
        if (c.as) v = ValueReader::readAs(c.text, *c.as, &error);
        else if (auto q = ValueReader::readComponent(c.text, &error)) v = q->value;
        EXPECT_EQ(v.has_value(), c.error.empty()) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        if (v) EXPECT_TRUE(sameValue(*v, c.value)) << c.text << " read " << *v;
    }
    EXPECT_EQ(ValueReader::readComponent("4k7", nullptr)->unit, Unit::Ohm);  // a bare number is ohms
}

TEST(Quantity, EngineeringNotation) {
    struct Case {
        double value;
        Unit unit;
        const char* text;
    } cases[] = {
        {4700, Unit::Ohm, "4.7 kΩ"},  {100e-9, Unit::Farad, "100 nF"}, {0.47, Unit::Ohm, "470 mΩ"},
        {4750, Unit::Ohm, "4.75 kΩ"}, {999.96, Unit::Ohm, "1 kΩ"},     {0, Unit::Volt, "0 V"},
        {2.2e-6, Unit::Henry, "2.2 µH"}, {4.7e3, Unit::None, "4.7 k"}, {12, Unit::None, "12"},
        // The smallest and largest prefixes, and past them.
        {1.5e-12, Unit::Farad, "1.5 pF"}, {999e9, Unit::Ohm, "999 GΩ"}, {1e9, Unit::Ohm, "1 GΩ"},
        {1e-13, Unit::Farad, "0.1 pF"},   {999.96e-12, Unit::Farad, "1 nF"},
        {-4700, Unit::Ohm, "-4.7 kΩ"},
        {1.6e-3, Unit::Metre, "1.6 mm"},  {5, Unit::Metre, "5 m"},     {1e8, Unit::Hertz, "100 MHz"},
        {25, Unit::Celsius, "25 °C"},     {0.1335, Unit::Watt, "133.5 mW"},
    };
    for (const auto& c : cases) EXPECT_EQ(engineering(c.value, c.unit), c.text) << c.value;
}

}  // namespace
