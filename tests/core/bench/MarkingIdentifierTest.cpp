#include "core/bench/MarkingIdentifier.h"

#include <gtest/gtest.h>

#include "core/bench/ESeries.h"

namespace {

TEST(MarkingIdentifier, MostLikelyReadingFirst) {
    struct Case {
        const char* text;
        const char* kind;  // of the first reading; empty: no reading
        double value;
        const char* shown;
        size_t readings;
    } cases[] = {
        {"474K", "capacitor code", 470e-9, "470 nF ±10 %", 2},
        {"4R7", "SMD code", 4.7, "4.7 Ω", 2},
        {"01C", "EIA-96 code", 10e3, "10 kΩ", 1},
        {"yellow violet red gold", "resistor bands", 4700, "4.7 kΩ ±5 %", 2},
        {"Gold, Red, Violet, Yellow", "resistor bands (reversed)", 4700, "4.7 kΩ ±5 %", 1},
        {"brown black black brown brown grey", "resistor bands", 1000, "1 kΩ ±1 %, 1 ppm/K", 1},
        {"yellow violet gray", "resistor bands", 47e8, "4.7 GΩ ±20 %", 2},
        {"472", "SMD code", 4700, "4.7 kΩ", 4},
        {"4702", "SMD code", 47e3, "47 kΩ", 2},
        {"104Z", "capacitor code", 100e-9, "100 nF +80%, -20%", 1},
        {"476K", "capacitor code", 47e-6, "47 µF ±10 %", 2},
        {"4K7", "value", 4700, "4.7 k", 1},
        {"9999999999999", "", 0, "", 0},
        {"4k7", "value", 4700, "4.7 k", 1},
        {"100nF", "value", 100e-9, "100 nF", 1},
        // Either direction reads: a value on a series goes ahead of one on none, E6's 22 kΩ ahead of 3.2 kΩ.
        {"brown violet red", "resistor bands (reversed)", 270, "270 Ω ±20 %", 2},
        {"red violet brown", "resistor bands", 270, "270 Ω ±20 %", 2},
        {"red red orange", "resistor bands", 22e3, "22 kΩ ±20 %", 2},
        {"orange red red", "resistor bands (reversed)", 22e3, "22 kΩ ±20 %", 2},
        {"brown black black brown brown", "resistor bands", 1000, "1 kΩ ±1 %", 2},
        // The smallest and largest multipliers.
        {"white white white gold", "resistor bands", 99e9, "99 GΩ ±5 %", 1},
        {"brown black silver gold", "resistor bands", 0.1, "100 mΩ ±5 %", 2},
        {"white white white white brown", "resistor bands", 999e9, "999 GΩ ±1 %", 1},
        {"yellow violet yellow silver", "resistor bands", 470e3, "470 kΩ ±10 %", 2},
        {"4.7 k\xE2\x84\xA6", "value", 4700, "4.7 kΩ", 1},
        {"4.7 k\xCE\xA9", "value", 4700, "4.7 kΩ", 1},
        {"yellow purple red", "", 0, "", 0},
        {"000", "", 0, "", 0},  // read as 0 Ω by the SMD screen, which no other reading says either
        {"hello", "", 0, "", 0},
        {"", "", 0, "", 0},
    };
    for (const auto& c : cases) {
        const auto readings = MarkingIdentifier::identify(c.text);
        EXPECT_EQ(readings.size(), c.readings) << c.text;
        if (readings.empty() || !*c.kind) continue;
        EXPECT_EQ(readings[0].kind, c.kind) << c.text;
        EXPECT_TRUE(sameValue(readings[0].value, c.value)) << c.text << " " << readings[0].value;
        EXPECT_EQ(readings[0].text, c.shown) << c.text;
    }
}

}  // namespace
