#include "calculators/InfoSolarCalcView.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/RunLoop.h"

namespace {

struct Load {
    const char *name, *power, *hours;
};

std::vector<std::string> results(const InfoSolarCalcView& s) {
    return {s.m_cResult1.text(), s.m_cResult2.text(), s.m_cResult3.text(),
            s.m_cResult4.text(), s.m_cResult5.text(), s.m_cResult6.text()};
}

std::vector<std::string> rows(InfoSolarCalcView& s) {
    std::vector<std::string> out;
    for (int r = 0; r < s.m_cTable.numberOfRowsInSection(0); ++r)
        out.push_back(s.m_cTable.cellForRowAtIndexPath({0, r})->textLabel().text());
    return out;
}

void add(InfoSolarCalcView& s, const Load& load) {
    s.m_cItemName.userEdit(load.name);
    s.m_cItemPower.userEdit(load.power);
    s.m_cItemUsage.userEdit(load.hours);
    s.sendAction("onButtonAddItem");
}

using Results = std::vector<std::string>;

TEST(InfoSolarCalcView, WorkedExamples) {
    InfoSolarCalcView screen;
    screen.loadViewIfNeeded();
    EXPECT_EQ(screen.m_cItemName.text(), "LED lamp");
    EXPECT_EQ(screen.m_cItemPower.text(), "9");
    EXPECT_EQ(screen.m_cItemUsage.text(), "4.0");
    EXPECT_EQ(screen.m_cVoltage.text(), "12");
    EXPECT_EQ(screen.m_cSunHours.text(), "5");
    EXPECT_EQ(screen.m_cPanelPower.text(), "100");
    EXPECT_EQ(results(screen), (Results{"0.0 Wh", "0.0 Ah", "0.0 Ah", "0.0 Ah", "--", "--"}));

    screen.sendAction("onButtonAddItem");
    EXPECT_EQ(rows(screen), (std::vector<std::string>{"LED lamp, 4.0h, 36.0Wh"}));
    EXPECT_EQ(results(screen), (Results{"36.0 Wh", "3.6 Ah", "7.2 Ah", "0.7 Ah", "1", "13.4 W"}));

    add(screen, {"TV", "60", "5"});
    add(screen, {"Fridge", "120", "8"});
    EXPECT_EQ(rows(screen),
              (std::vector<std::string>{"LED lamp, 4.0h, 36.0Wh", "TV, 5.0h, 300.0Wh", "Fridge, 8.0h, 960.0Wh"}));
    EXPECT_EQ(results(screen), (Results{"1296.0 Wh", "129.6 Ah", "259.2 Ah", "25.9 Ah", "12", "13.4 W"}));
}

TEST(InfoSolarCalcView, BoundsOfTheFigures) {
    const struct {
        std::vector<Load> loads;
        const char *volts, *sun, *panel;
        Results expected;
    } cases[] = {
        {{}, "12", "5", "100", {"0.0 Wh", "0.0 Ah", "0.0 Ah", "0.0 Ah", "--", "--"}},
        // Battery voltage: only above 0.1 counts, and a typed 0.1 is a hair above it in single precision.
        {{{"lamp", "9", "4"}}, "0.09", "5", "100", {"36.0 Wh", "--", "--", "0.0 Ah", "--", "--"}},
        {{{"lamp", "9", "4"}}, "0", "5", "100", {"36.0 Wh", "--", "--", "0.0 Ah", "--", "--"}},
        {{{"lamp", "9", "4"}}, "-12", "5", "100", {"36.0 Wh", "--", "--", "0.0 Ah", "--", "--"}},
        {{{"lamp", "9", "4"}}, "volts", "5", "100", {"36.0 Wh", "--", "--", "0.0 Ah", "--", "--"}},
        {{{"lamp", "9", "4"}}, "", "5", "100", {"36.0 Wh", "--", "--", "0.0 Ah", "--", "--"}},
        {{{"lamp", "9", "4"}}, "0.1", "5", "100", {"36.0 Wh", "432.0 Ah", "864.0 Ah", "86.4 Ah", "1", "13.4 W"}},
        // Sun hours: above 0.1 and below 24.
        {{{"lamp", "9", "4"}}, "12", "24", "100", {"36.0 Wh", "3.6 Ah", "7.2 Ah", "0.7 Ah", "--", "--"}},
        {{{"lamp", "9", "4"}}, "12", "23.9", "100", {"36.0 Wh", "3.6 Ah", "7.2 Ah", "0.7 Ah", "1", "64.2 W"}},
        {{{"lamp", "9", "4"}}, "12", "0.1", "100", {"36.0 Wh", "3.6 Ah", "7.2 Ah", "0.7 Ah", "17", "0.3 W"}},
        {{{"lamp", "9", "4"}}, "12", "0.09", "100", {"36.0 Wh", "3.6 Ah", "7.2 Ah", "0.7 Ah", "--", "--"}},
        // Panel power: above 0.1.
        {{{"lamp", "9", "4"}}, "12", "5", "0.1", {"36.0 Wh", "3.6 Ah", "7.2 Ah", "0.7 Ah", "322", "0.0 W"}},
        {{{"lamp", "9", "4"}}, "12", "5", "0", {"36.0 Wh", "3.6 Ah", "7.2 Ah", "0.7 Ah", "--", "--"}},
        // Reserve: 0.5 Wh at 12 V gives a reserve that rounds to the float just below 0.01, which fails.
        {{{"tiny", "0.5", "1"}}, "12", "5", "100", {"0.5 Wh", "0.1 Ah", "0.1 Ah", "0.0 Ah", "--", "--"}},
        {{{"tiny", "0.6", "1"}}, "12", "5", "100", {"0.6 Wh", "0.1 Ah", "0.1 Ah", "0.0 Ah", "1", "13.4 W"}},
        // An exact whole quotient k counts k + 1 panels (75 / 0.1344086 is exactly 558 in single precision).
        {{{"heater", "625", "1"}}, "1", "5", "1", {"625.0 Wh", "750.0 Ah", "1500.0 Ah", "150.0 Ah", "559", "0.1 W"}},
        // Negative loads are kept; they can make the figures negative and the panel results fail.
        {{{"lamp", "-9", "4"}}, "12", "5", "100", {"-36.0 Wh", "-3.6 Ah", "-7.2 Ah", "-0.7 Ah", "--", "--"}},
        {{{"lamp", "9", "4"}, {"charger", "-4", "4"}}, "12", "5", "100",
         {"20.0 Wh", "2.0 Ah", "4.0 Ah", "0.4 Ah", "1", "13.4 W"}},
        // A count too large for 32 bits stays at the largest one instead of wrapping.
        {{{"mill", "1e30", "1"}}, "12", "5", "100",
         {"1000000015047466219876688855040.0 Wh", "100000001504746621987668885504.0 Ah",
          "200000003009493243975337771008.0 Ah", "20000001245422620971462819840.0 Ah", "2147483647", "13.4 W"}},
    };
    for (const auto& c : cases) {
        InfoSolarCalcView screen;
        screen.loadViewIfNeeded();
        for (const auto& load : c.loads) add(screen, load);
        screen.m_cVoltage.userEdit(c.volts);
        screen.m_cSunHours.userEdit(c.sun);
        screen.m_cPanelPower.userEdit(c.panel);
        EXPECT_EQ(results(screen), c.expected) << c.volts << " V, " << c.sun << " h, " << c.panel << " W";
    }
}

TEST(InfoSolarCalcView, RowsAlternateAndCannotBeSelected) {
    InfoSolarCalcView screen;
    screen.loadViewIfNeeded();
    EXPECT_EQ(screen.m_cTable.backgroundColor(), Color::rgb(0.95f, 0.95f, 0.95f, 1.0f));
    add(screen, {"", "0", "0"});
    screen.sendAction("onButtonAddItem");  // the fields keep their texts: an equal row
    add(screen, {"a:b, c", "2.25", "1.05"});  // 1.05 is read as a float just below it
    EXPECT_EQ(rows(screen), (std::vector<std::string>{", 0.0h, 0.0Wh", ", 0.0h, 0.0Wh", "a:b, c, 1.0h, 2.4Wh"}));
    auto row0 = screen.m_cTable.cellForRowAtIndexPath({0, 0});
    auto row1 = screen.m_cTable.cellForRowAtIndexPath({0, 1});
    EXPECT_EQ(row0->reuseIdentifier(), "tblCell");
    EXPECT_EQ(row0->contentBackgroundColor(), Color::clearColor());
    EXPECT_EQ(row1->contentBackgroundColor(), Color::rgb(0.95f, 0.95f, 0.95f, 1.0f));
    EXPECT_EQ(screen.m_cTable.heightForRowAtIndexPath({0, 1}), 40.0f);
    screen.m_cTable.userTapRow({0, 1});
    EXPECT_FALSE(screen.m_cTable.indexPathForSelectedRow());
}

TEST(InfoSolarCalcView, DeleteModeAndDeletingRows) {
    InfoSolarCalcView screen;
    screen.loadViewIfNeeded();
    // Nothing to delete: the button does nothing.
    screen.sendAction("onButtonDelItems");
    EXPECT_FALSE(screen.isDeleteMode());
    EXPECT_FALSE(screen.m_cTable.isEditing());

    add(screen, {"A", "1", "10"});
    add(screen, {"B", "2", "10"});
    add(screen, {"C", "3", "10"});
    // Outside delete mode rows cannot be deleted.
    screen.m_cTable.userDeleteRow({0, 0});
    EXPECT_EQ(screen.items().size(), 3u);

    screen.sendAction("onButtonDelItems");
    EXPECT_TRUE(screen.isDeleteMode());
    EXPECT_TRUE(screen.m_cTable.isEditing());

    std::vector<IndexPath> deleted;
    screen.m_cTable.setChangeObserver([&] {
        for (auto p : screen.m_cTable.lastDeletedRows()) deleted.push_back(p);
    });
    screen.m_cTable.userDeleteRow({0, 1});
    EXPECT_EQ(deleted, (std::vector<IndexPath>{{0, 1}}));
    EXPECT_EQ(rows(screen), (std::vector<std::string>{"A, 10.0h, 10.0Wh", "C, 10.0h, 30.0Wh"}));
    EXPECT_EQ(screen.m_cResult1.text(), "40.0 Wh");
    EXPECT_TRUE(screen.isDeleteMode());

    // The button leaves delete mode with rows left, and enters it again.
    screen.sendAction("onButtonDelItems");
    EXPECT_FALSE(screen.m_cTable.isEditing());
    screen.sendAction("onButtonDelItems");
    screen.m_cTable.userDeleteRow({0, 0});
    screen.m_cTable.userDeleteRow({0, 0});
    EXPECT_TRUE(screen.items().empty());
    EXPECT_EQ(screen.m_cResult1.text(), "0.0 Wh");
    EXPECT_EQ(screen.m_cResult5.text(), "--");
    // Deleting the last row leaves delete mode by itself.
    EXPECT_FALSE(screen.isDeleteMode());
    EXPECT_FALSE(screen.m_cTable.isEditing());
}

TEST(InfoSolarCalcView, ReturnKeyRecomputesAndBackDiscardsTheList) {
    InfoSolarCalcView screen;
    screen.loadViewIfNeeded();
    screen.sendAction("onButtonAddItem");
    screen.m_cVoltage.becomeFirstResponder();
    screen.m_cVoltage.setText("24");
    EXPECT_EQ(screen.m_cResult2.text(), "3.6 Ah");
    screen.m_cVoltage.userReturn();
    EXPECT_FALSE(screen.m_cVoltage.isFirstResponder());
    EXPECT_EQ(screen.m_cResult2.text(), "1.8 Ah");

    screen.sendAction("onButtonBack");
    EXPECT_TRUE(screen.items().empty());
    EXPECT_EQ(screen.m_cTable.numberOfRowsInSection(0), 0);
}

TEST(InfoSolarCalcView, ScrollViewFitsTheDevice) {
    InfoSolarCalcView phone;
    const Size fromInterfaceFile = phone.scrollView.bounds();
    phone.loadViewIfNeeded();
    EXPECT_EQ(phone.scrollView.contentSize(), fromInterfaceFile);
    InfoSolarCalcView tablet("InfoSolarCalcView", true);
    tablet.loadViewIfNeeded();
    EXPECT_EQ(tablet.scrollView.bounds(), (Size{740, 900}));
    EXPECT_EQ(tablet.scrollView.contentSize(), (Size{400, 900}));
}

}  // namespace
