#include "core/pcb/Via.h"

#include <gtest/gtest.h>

namespace {

// Johnson and Graham's worked via (0.063 in board, 0.028 in pad, 0.055 in clearance, εr 4.4: 0.41 pF; 0.016 in
// hole: 1.2 nH), and a 0.3 mm via worked apart from this code.
TEST(Via, PublishedExampleFormulasAndRefusedInput) {
    constexpr double inch = 0.0254;
    Via::Query book;
    book.length = 0.063 * inch;
    book.pad = 0.028 * inch;
    book.clearance = 0.055 * inch;
    book.hole = 0.016 * inch;
    auto r = Via::compute(book, nullptr);
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->capacitance, 0.41e-12, 0.005e-12);
    EXPECT_NEAR(r->inductance, 1.2e-9, 0.005e-9);

    Via::Query q;  // 0.3 mm hole, 25 µm plating, 1.6 mm board, at 25 + 10 °C
    q.current = 2;
    r = Via::compute(q, nullptr);
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->area, 2.5525440310417068e-08, 1e-20);
    EXPECT_NEAR(r->resistance, 0.001144417912668818, 1e-15);
    EXPECT_NEAR(r->current, 1.9023391641470375, 1e-12);
    EXPECT_NEAR(r->thermalResistance, 156.31561646470445, 1e-9);
    EXPECT_NEAR(r->capacitance, 5.862047244094487e-13, 1e-25);
    EXPECT_NEAR(r->inductance, 1.2992866543012998e-09, 1e-21);
    EXPECT_NEAR(r->drop, 0.002288835825337636, 1e-15);
    EXPECT_NEAR(r->loss, 0.004577671650675272, 1e-15);

    struct Refused {
        void (*edit)(Via::Query&);
        const char* error;
    } refused[] = {
        {[](Via::Query& v) { v.hole = 0; }, "hole must be above 0"},
        {[](Via::Query& v) { v.plating = -1e-6; }, "thickness must be above 0"},
        {[](Via::Query& v) { v.clearance = v.pad; }, "clearance must be wider than the pad"},
        {[](Via::Query& v) { v.pad = v.hole; }, "pad must be wider than the hole"},
        {[](Via::Query& v) { v.er = 0.5; }, "er must be at least 1"},
        {[](Via::Query& v) { v.current = -1; }, "current cannot be negative"},
    };
    for (const auto& c : refused) {
        Via::Query bad;
        c.edit(bad);
        std::string error;
        EXPECT_FALSE(Via::compute(bad, &error));
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
