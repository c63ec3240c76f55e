#include "core/pcb/Attenuator.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/bench/ESeries.h"

namespace {

using Kind = Attenuator::Kind;

// The published 50 Ω pad tables (10 dB pi: 96.25 Ω shunt, 71.15 Ω series; T: 25.97 Ω, 35.14 Ω) and the
// unequal-impedance pads worked apart from this code; every exact pad evaluates back to its attenuation and a
// perfect match at both ends.
TEST(Attenuator, ExactPadsGiveTheirAttenuationAndMatch) {
    const ESeries& e24 = *ESeries::named("E24");
    struct Case {
        Kind kind;
        double db, zin, zout;
        double r1, r2, r3;
    } cases[] = {
        {Kind::Pi, 10, 50, 50, 96.24752955742645, 71.15124735378855, 96.24752955742645},
        {Kind::T, 10, 50, 50, 25.974692664795786, 35.136418446315325, 25.974692664795786},
        {Kind::BridgedT, 6, 50, 50, 49.76311574844397, 50.23801187686227, 50},
        {Kind::T, 10, 75, 50, 48.63351837547315, 43.03314829119352, 18.077962819917595},
        {Kind::Pi, 10, 75, 50, 207.43487733409864, 87.14212528966688, 77.10731456951713},
        {Kind::Splitter, 0, 50, 50, 50.0 / 3, 50.0 / 3, 50.0 / 3},
    };
    for (const auto& c : cases) {
        std::string error;
        auto r = Attenuator::design({c.kind, c.db, c.zin, c.zout, &e24}, &error);
        ASSERT_TRUE(r) << error;
        EXPECT_NEAR(r->exact.r1, c.r1, 1e-9);
        EXPECT_NEAR(r->exact.r2, c.r2, 1e-9);
        EXPECT_NEAR(r->exact.r3, c.r3, 1e-9);
        EXPECT_NEAR(r->exact.db, c.kind == Kind::Splitter ? 20 * std::log10(2.0) : c.db, 1e-9);
        EXPECT_NEAR(r->exact.zinSeen, c.zin, 1e-9);
        EXPECT_NEAR(r->exact.zoutSeen, c.zout, 1e-9);
    }
}

// The nearest E24 values of the 10 dB pi pad (100, 68, 100 Ω), worked by hand: 50.33 Ω in, 9.629 dB, 49.6 dB
// return loss.
TEST(Attenuator, NearestValuesAndRefusedPads) {
    const ESeries& e24 = *ESeries::named("E24");
    auto r = Attenuator::design({Kind::Pi, 10, 50, 50, &e24}, nullptr);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->nearest.r1, 100);
    EXPECT_EQ(r->nearest.r2, 68);
    EXPECT_NEAR(r->nearest.zinSeen, 50.33112582781457, 1e-9);
    EXPECT_NEAR(r->nearest.db, 9.628805265659043, 1e-9);
    EXPECT_NEAR(r->nearest.returnLoss, 49.628852570046156, 1e-9);

    struct Refused {
        Kind kind;
        double db, zin, zout;
        const char* error;
    } refused[] = {
        {Kind::Pi, 5, 75, 50, "a pad between 75 Ω and 50 Ω attenuates more than 5.719 dB"},
        {Kind::T, 5.7, 50, 75, "a pad between 50 Ω and 75 Ω attenuates more than 5.719 dB"},
        {Kind::BridgedT, 10, 75, 50, "a bridged-T pad joins equal impedances: give --z0 only"},
        {Kind::Splitter, 0, 50, 75, "a splitter joins equal impedances: give --z0 only"},
        {Kind::T, 0, 50, 50, "db must be above 0"},
        {Kind::Pi, 10, 0, 50, "zin must be above 0"},
    };
    for (const auto& c : refused) {
        std::string error;
        EXPECT_FALSE(Attenuator::design({c.kind, c.db, c.zin, c.zout, &e24}, &error)) << c.error;
        EXPECT_EQ(error, c.error);
    }
    EXPECT_NEAR(Attenuator::minimumLoss(50, 75), 5.719475475333593, 1e-12);
}

}  // namespace
