#include <gtest/gtest.h>

#include <string>

#include "app/MenuEntry.h"
#include "app/VelkaroViewController.h"
#include "platform/RunLoop.h"

namespace {

TEST(CalculatorMenu, RowsAreEnabledAndOpenTheirScreensFromTheirInterfaceFiles) {
    const struct {
        const char* action;
        const char* nib;
    } rows[] = {{"onShowLed", "InfoLedsView"},
                {"onShowNE555", "InfoNE555View"},
                {"onShowWires", "InfoWiresView"},
                {"onShowVoltageDrop", "InfoWiresVoltageDrop"},
                {"onShowSolarCalc", "InfoSolarCalcView"}};
    for (const auto& row : rows) {
        const MenuEntry* entry = nullptr;
        for (const auto& e : menuEntries())
            if (std::string(e.action) == row.action) entry = &e;
        ASSERT_NE(entry, nullptr) << row.action;

        VelkaroViewController menu;
        menu.loadViewIfNeeded();
        ASSERT_TRUE(menu.sendAction(row.action));
        ViewController* screen = menu.presentedViewController();
        ASSERT_NE(screen, nullptr) << row.action;
        EXPECT_EQ(screen->nibName(), row.nib);
        EXPECT_TRUE(screen->isViewLoaded());
        screen->sendAction("onButtonBack");
        for (int i = 0; i < 5; ++i) RunLoop::main().runOnce(0);
        EXPECT_EQ(menu.presentedViewController(), nullptr) << row.action;
    }
}

}  // namespace
