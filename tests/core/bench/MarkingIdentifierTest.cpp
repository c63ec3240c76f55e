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
        {"4k7", "value", 4700, "4.7 k", 1},
        {"100nF", "value", 100e-9, "100 nF", 1},
        {"yellow purple red", "", 0, "", 0},
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
