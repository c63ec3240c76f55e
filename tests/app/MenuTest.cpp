#include <gtest/gtest.h>

#include <vector>

#include "app/AppTestSupport.h"
#include "app/ScreenFactory.h"
#include "app/VelkaroViewController.h"
#include "app/VelkaroViewControllerIPad.h"
#include "app/VelkaroViewTableCell.h"
#include "platform/ui/Application.h"

namespace {

TEST(Menu, ElevenRowsInOrderWithIconsHeightsAndAlternateBackgrounds) {
    VelkaroViewController menu;
    menu.loadViewIfNeeded();
    const char* titles[] = {"Capacitor codes", "Resistor colors", "Resistor values", "Resistor SMD codes",
                            "Inductor colors", "LED calc", "Wire current load limits", "Wire voltage drop",
                            "NE555 timer calc", "Solar battery calc", "Datasheets storage"};
    const char* icons[] = {"cap_normal", "res_colors", "res_numbers", "res_smd", "ind_normal", "led_normal",
                           "wire_normal", "wire_normalV", "ne555_normal", "sol_normal", "doc_normal"};
    ASSERT_EQ(menu.m_cTableData.numberOfRowsInSection(0), 11);
    for (int row = 0; row < 11; ++row) {
        auto cell = menu.m_cTableData.cellForRowAtIndexPath({0, row});
        auto* menuCell = dynamic_cast<VelkaroViewTableCell*>(cell.get());
        ASSERT_NE(menuCell, nullptr);
        EXPECT_EQ(menuCell->reuseIdentifier(), "tblCellView");
        EXPECT_EQ(menuCell->m_cDescription.text(), titles[row]);
        EXPECT_EQ(menuCell->m_cIcon.imageName(), icons[row]);
        EXPECT_EQ(menu.m_cTableData.heightForRowAtIndexPath({0, row}), 64.0f);
        Color expected = (row % 2) ? Color::rgb(0.95f, 0.95f, 0.95f) : Color::clearColor();
        EXPECT_EQ(menuCell->contentBackgroundColor(), expected) << row;
    }
    // The bench tools follow in a section of their own, under a heading that takes no taps.
    ASSERT_EQ(menu.m_cTableData.numberOfRowsInSection(1), 5);
    EXPECT_FALSE(menu.m_cTableData.cellForRowAtIndexPath({1, 0})->isEnabled());
    menu.m_cTableData.userTapRow({1, 0});
    EXPECT_EQ(menu.presentedViewController(), nullptr);
    menu.m_cTableData.userTapRow({1, 4});
    ASSERT_NE(menu.presentedViewController(), nullptr);
    EXPECT_EQ(menu.presentedViewController()->nibName(), "InfoIdentifyView");
}

TEST(Menu, ARowPresentsItsToolAndBackReturnsToTheMenu) {
    VelkaroViewController menu;
    menu.loadViewIfNeeded();
    menu.m_cTableData.userTapRow({0, 1});  // Resistor colors
    ViewController* screen = menu.presentedViewController();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->nibName(), "InfoResistorsView");
    EXPECT_EQ(screen->presentingViewController(), &menu);
    menu.m_cTableData.userTapRow({0, 1});  // a second tool screen is never stacked on the first
    EXPECT_EQ(menu.presentedViewController(), screen);

    ASSERT_TRUE(screen->sendAction("onButtonBack"));
    EXPECT_NE(menu.presentedViewController(), nullptr);  // gone on the next turn, not inside its own action
    turnMainLoopUntil([&] { return menu.presentedViewController() == nullptr; });
    EXPECT_EQ(menu.presentedViewController(), nullptr);
}

TEST(Menu, AHeaderViewRefusesSelection) {
    VelkaroViewController menu;
    menu.loadViewIfNeeded();
    menu.m_cTableData.setHasTableHeaderView(true);
    menu.m_cTableData.userTapRow({0, 1});
    EXPECT_EQ(menu.presentedViewController(), nullptr);
    EXPECT_FALSE(menu.m_cTableData.indexPathForSelectedRow().has_value());
}

TEST(Menu, BothMenusShareTheActionsAndTheTabletUsesItsLedFile) {
    VelkaroViewControllerIPad tablet;
    VelkaroViewController phone;
    std::vector<MenuEntry> entries(menuEntries().begin(), menuEntries().end());
    entries.insert(entries.end(), moreToolEntries().begin(), moreToolEntries().end());
    entries.insert(entries.end(), pcbToolEntries().begin(), pcbToolEntries().end());
    for (const MenuEntry& entry : entries) {
        EXPECT_TRUE(tablet.hasAction(entry.action));
        EXPECT_TRUE(phone.hasAction(entry.action));
    }
    EXPECT_STREQ(menuEntries()[5].nibTablet, "InfoLedsViewIPad");
    EXPECT_STREQ(menuEntries()[5].nibPhone, "InfoLedsView");
    tablet.sendAction("onShowResistor");
    ASSERT_NE(tablet.presentedViewController(), nullptr);
    EXPECT_EQ(tablet.presentedViewController()->nibName(), "InfoResistorsView");
}

TEST(Menu, RateOpensTheReviewPageOnEveryTapWithoutTouchingThePreference) {
    ScratchProfile profile("rate");
    int opened = 0;
    Application::shared().setOpenURLHandler([&](const std::string&) { return ++opened, true; });
    VelkaroViewController menu;
    VelkaroViewControllerIPad tablet;
    menu.sendAction("onButtonRate");
    menu.sendAction("onButtonRate");
    tablet.sendAction("onButtonRate");
    EXPECT_EQ(opened, 3);
    EXPECT_FALSE(Preferences::standard().hasObject("rateDisplayed"));
    Application::shared().setOpenURLHandler(nullptr);
}

TEST(Menu, EveryScreenTurnsOnlyBetweenThePortraits) {
    VelkaroViewController menu;
    VelkaroViewControllerIPad tablet;
    for (ViewController* vc : std::initializer_list<ViewController*>{&menu, &tablet}) {
        EXPECT_EQ(vc->supportedInterfaceOrientations(), 6u);
        EXPECT_TRUE(vc->shouldAutorotate());
        for (int o = 1; o <= 4; ++o) EXPECT_EQ(vc->shouldAutorotateToInterfaceOrientation(o), o <= 2) << o;
    }
    std::vector<MenuEntry> entries(menuEntries().begin(), menuEntries().end());
    entries.insert(entries.end(), moreToolEntries().begin(), moreToolEntries().end());
    entries.insert(entries.end(), pcbToolEntries().begin(), pcbToolEntries().end());
    for (const MenuEntry& entry : entries) {
        auto screen = ScreenFactory::make(entry.screenClass, entry.nibPhone);
        EXPECT_NE(screen, nullptr) << entry.screenClass;
        if (screen) EXPECT_EQ(screen->supportedInterfaceOrientations(), 6u) << entry.screenClass;
    }
}

}  // namespace
