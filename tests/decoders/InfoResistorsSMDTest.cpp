#include "decoders/InfoResistorsSMD.h"

#include <gtest/gtest.h>

#include "core/decoders/SmdCode.h"

#include <memory>
#include <string>

#include "platform/ui/TextField.h"

namespace {

TEST(InfoResistorsSMD, MarkingsGiveTheirResultLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"4501", "Results: 4.500 KOhm"},
        // R is the decimal point, in either case, and nothing else is checked.
        {"4R7", "Results: 4.7 Ohm"},
        {"4r7", "Results: 4.7 Ohm"},
        {"R47", "Results: .47 Ohm"},
        {"R", "Results: . Ohm"},
        {"1r2r3", "Results: 1.2.3 Ohm"},
        // Three characters: two digits and a multiplier digit.
        {"000", "Results: 0 Ohm"},
        {"001", "Results: 0 Ohm"},
        {"ABC", "Results: 0 Ohm"},
        {"470", "Results: 47 Ohm"},
        {"101", "Results: 100 Ohm"},
        {"052", "Results: 500 Ohm"},
        {"092", "Results: 900 Ohm"},
        {"102", "Results: 1.0 KOhm"},
        {"472", "Results: 4.7 KOhm"},
        {"992", "Results: 9.9 KOhm"},
        {"223", "Results: 22 KOhm"},
        {"224", "Results: 220 KOhm"},
        {"105", "Results: 1.0 MOhm"},
        {"226", "Results: 22 MOhm"},
        {"107", "Results: 100 MOhm"},
        {"108", "Value too big for SMD"},
        {"109", "Value too big for SMD"},
        // EIA-96: code and multiplier letter.
        {"01A", "Results: 100 Ohm"},
        {"01a", "Results: 100 Ohm"},
        {"01B", "Results: 1.000 KOhm"},
        {"01H", "Results: 1.000 KOhm"},
        {"02B", "Results: 1.020 KOhm"},
        {"01C", "Results: 10.0 KOhm"},
        {"01D", "Results: 100 KOhm"},
        {"02E", "Results: 1.02 MOhm"},
        {"96F", "Results: 97.6 MOhm"},
        {"01Z", "Results: 0.100 Ohm"},
        {"48Y", "Results: 3.09 Ohm"},
        {"01X", "Results: 10.0 Ohm"},
        {"49S", "Results: 31.6 Ohm"},
        {"97A", "Result: incorrect value"},
        {"97Z", "Result: incorrect value"},
        {"00B", "Results: 0 Ohm"},
        {"01G", "Results: invalid value"},
        {"47K", "Results: invalid value"},
        // Four characters: three digits and a multiplier digit.
        {"0000", "Results: 0 Ohm"},
        {"1000", "Results: 100 Ohm"},
        {"1001", "Results: 1.000 KOhm"},
        {"1002", "Results: 10.0 KOhm"},
        {"1012", "Results: 10.100 KOhm"},
        {"4703", "Results: 470 KOhm"},
        {"1004", "Results: 1.00 MOhm"},
        {"1005", "Results: 10.0 MOhm"},
        {"1006", "Results: 100 MOhm"},
        {"1007", "Value too big for SMD"},
        {"1009", "Value too big for SMD"},
        {"100K", "Results: invalid value"},
        // Other lengths.
        {"", "Results: invalid value"},
        {"1", "Results: invalid value"},
        {"12", "Results: invalid value"},
        {"12345", "Results: invalid value"},
        // A sign makes no marking: no negative resistances.
        {"-12", "Results: invalid value"},
        {"-15", "Results: invalid value"},
        {"-100", "Results: invalid value"},
        // Length counts characters, not bytes, and upper-casing knows more than ASCII.
        {"1\xC3\xA9" "2", "Results: 100 Ohm"},
        {"4r7\xC3\xBC", "Results: 4.7\xC3\x9C Ohm"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(SmdCode::text(SmdCode::screenReading(text)), expected) << text;
}

TEST(InfoResistorsSMD, EiaCodesAreTheE96Series) {
    const int e96[] = {100, 102, 105, 107, 110, 113, 115, 118, 121, 124, 127, 130, 133, 137, 140, 143,
                       147, 150, 154, 158, 162, 165, 169, 174, 178, 182, 187, 191, 196, 200, 205, 210,
                       215, 221, 226, 232, 237, 243, 249, 255, 261, 267, 274, 280, 287, 294, 301, 309,
                       316, 324, 332, 340, 348, 357, 365, 374, 383, 392, 402, 412, 422, 432, 442, 453,
                       464, 475, 487, 499, 511, 523, 536, 549, 562, 576, 590, 604, 619, 634, 649, 665,
                       681, 698, 715, 732, 750, 768, 787, 806, 825, 845, 866, 887, 909, 931, 953, 976};
    for (int n = 1; n <= 96; ++n) {
        char code[3] = {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10), 0};
        EXPECT_EQ(SmdCode::eia96Value(n), e96[n - 1]) << code;
    }
    for (int unknown : {0, 97, 99, -1}) EXPECT_EQ(SmdCode::eia96Value(unknown), 0) << unknown;
    // The screen reads the code digits as a number: an unknown one is refused with its own line.
    for (const char* unknown : {"00A", "97A", "99F"})
        EXPECT_EQ(SmdCode::text(SmdCode::screenReading(unknown)), unknown[1] == '0' ? "Results: 0 Ohm" : "Result: incorrect value");
}

TEST(InfoResistorsSMD, RecomputesOnEveryEditAndOnReturnUntilDestroyed) {
    TextField other;
    {
        InfoResistorsSMD screen;
        screen.loadViewIfNeeded();
        EXPECT_EQ(screen.m_cResistance.text(), "4501");
        EXPECT_EQ(screen.m_cResult.text(), "Results: 4.500 KOhm");
        screen.m_cResistance.userEdit("4r7");
        EXPECT_EQ(screen.m_cResult.text(), "Results: 4.7 Ohm");
        screen.m_cResistance.setText("472");
        other.userEdit("x");  // any field's change recomputes
        EXPECT_EQ(screen.m_cResult.text(), "Results: 4.7 KOhm");
        screen.m_cResistance.becomeFirstResponder();
        screen.m_cResistance.setText("01C");
        screen.m_cResistance.userReturn();
        EXPECT_EQ(screen.m_cResult.text(), "Results: 10.0 KOhm");
        EXPECT_FALSE(screen.m_cResistance.isFirstResponder());
    }
    other.userEdit("y");  // the destroyed screen no longer observes (caught under ASan)
}

}  // namespace
