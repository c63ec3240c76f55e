#include "app/VelkaroAppDelegate.h"

#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include "app/AppTestSupport.h"
#include "platform/FileSystem.h"
#include "platform/Utils.h"
#include "platform/ui/Application.h"

namespace {

struct LaunchCase {
    const char* name;
    bool hasFirstRun;
    int firstRun;
    int rateDisplayed;  // -1 absent, 0 NO, 1 YES
    long long now;
    int expectFirstRun;  // value of "firstRun" after the launch
    bool expectPrompt;
    bool expectRateDisplayed;
};

TEST(VelkaroAppDelegate, LaunchTable) {
    const long long t = 1700000000;
    const LaunchCase cases[] = {
        {"first ever", false, 0, -1, t, static_cast<int>(t), false, false},
        {"first ever, flag already set", false, 0, 1, t, static_cast<int>(t), false, true},
        {"stored 0 counts as first", true, 0, -1, t, static_cast<int>(t), false, false},
        {"one second short of 5 days", true, static_cast<int>(t), -1, t + 431999, static_cast<int>(t), false, false},
        {"exactly 5 days", true, static_cast<int>(t), -1, t + 432000, static_cast<int>(t), true, true},
        {"long after, flag NO", true, static_cast<int>(t), 0, t + 10000000, static_cast<int>(t), true, true},
        {"already shown", true, static_cast<int>(t), 1, t + 10000000, static_cast<int>(t), false, true},
        {"clock set back", true, static_cast<int>(t), -1, t - 500000, static_cast<int>(t), false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchProfile profile("launch");
        if (c.hasFirstRun) Utils::saveIntParam(c.firstRun, "firstRun");
        if (c.rateDisplayed >= 0) Utils::saveBoolParam(c.rateDisplayed == 1, "rateDisplayed");

        auto delegate = std::make_shared<VelkaroAppDelegate>();
        delegate->currentTime = [&] { return c.now; };
        EXPECT_TRUE(delegate->applicationDidFinishLaunchingWithOptions());
        EXPECT_EQ(delegate->window->rootViewController(), delegate->viewController.get());
        EXPECT_TRUE(delegate->window->isVisible());
        EXPECT_EQ(Utils::getIntParam("firstRun", -1), c.expectFirstRun);
        // The flag is written before the prompt shows.
        EXPECT_EQ(Utils::getBoolParam("rateDisplayed", false), c.expectRateDisplayed);
        EXPECT_TRUE(Application::shared().alerts().empty());
        turnMainLoopUntil([] { return !Application::shared().alerts().empty(); }, c.expectPrompt ? 2000 : 500);
        ASSERT_EQ(Application::shared().alerts().size(), c.expectPrompt ? 1u : 0u);
        if (c.expectPrompt) {
            const auto& alert = *Application::shared().alerts().front();
            EXPECT_EQ(alert.title(), "Rate this app");
            EXPECT_EQ(alert.message(), "If you enjoy this application, please rate it in App Store");
            EXPECT_EQ(alert.cancelButtonTitle(), "Rate");
            EXPECT_EQ(alert.otherButtonTitle(), "Cancel");
            EXPECT_EQ(alert.tag(), 123);
        }
    }
}

TEST(VelkaroAppDelegate, ThePromptComesOnlyOnceAndNotBeforeAThirdOfASecond) {
    ScratchProfile profile("once");
    Utils::saveIntParam(1000, "firstRun");
    auto first = std::make_shared<VelkaroAppDelegate>();
    first->currentTime = [] { return 1000LL + 432000; };
    auto start = RunLoop::Clock::now();
    first->applicationDidFinishLaunchingWithOptions();
    ASSERT_TRUE(turnMainLoopUntil([] { return !Application::shared().alerts().empty(); }));
    EXPECT_GE(RunLoop::Clock::now() - start, std::chrono::milliseconds(295));
    Application::shared().alerts().front()->clickButtonAtIndex(1);

    auto second = std::make_shared<VelkaroAppDelegate>();
    second->currentTime = [] { return 1000LL + 900000; };
    second->applicationDidFinishLaunchingWithOptions();
    turnMainLoopUntil([] { return false; }, 500);
    EXPECT_TRUE(Application::shared().alerts().empty());
}

TEST(VelkaroAppDelegate, RateOpensTheReviewPageOnlyForTag123AndIndex0AndSaysSoWhenNothingOpensIt) {
    ScratchProfile profile("rate");
    std::vector<std::string> opened;
    bool handled = true;
    Application::shared().setOpenURLHandler([&](const std::string& url) {
        opened.push_back(url);
        return handled;
    });
    VelkaroAppDelegate delegate;
    struct Case {
        int tag, index;
        bool handled, opens, tells;
    } cases[] = {{123, 0, true, true, false}, {123, 1, true, false, false}, {7, 0, true, false, false},
                 {0, 0, true, false, false},  {123, 0, false, true, true},  {123, 1, false, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tag << "/" << c.index << (c.handled ? " handled" : " unhandled"));
        opened.clear();
        handled = c.handled;
        AlertView alert("t", "m", &delegate, "Rate", "Cancel");
        alert.setTag(c.tag);
        delegate.alertViewClickedButtonAtIndex(&alert, c.index);
        EXPECT_EQ(opened.size(), c.opens ? 1u : 0u);
        // The same ID as the desktop file, the AppStream component and the icon.
        if (c.opens) EXPECT_EQ(opened[0], "appstream://org.velkaro.velkaro");
        ASSERT_EQ(Application::shared().alerts().size(), c.tells ? 1u : 0u);
        if (c.tells) {
            const auto notice = Application::shared().alerts().front();
            EXPECT_EQ(notice->message(),
                      "No software centre on this computer opens the rating page, appstream://org.velkaro.velkaro.");
            notice->clickButtonAtIndex(0);
        }
    }
    Application::shared().setOpenURLHandler(nullptr);
}

TEST(VelkaroAppDelegate, TheTabletIdiomInstallsTheTabletMenu) {
    ScratchProfile profile("tablet");
    Application::shared().setUserInterfaceIdiom(Application::Idiom::Pad);
    auto delegate = std::make_shared<VelkaroAppDelegate>();
    delegate->applicationDidFinishLaunchingWithOptions();
    EXPECT_TRUE(VelkaroAppDelegate::isIPad());
    EXPECT_EQ(delegate->window->rootViewController(), delegate->viewControllerIPad.get());
    Application::shared().setUserInterfaceIdiom(Application::Idiom::Phone);
    EXPECT_FALSE(VelkaroAppDelegate::isIPad());
}

TEST(Utils, MebibytesTruncateAndMissingFileSystemsReadZero) {
    EXPECT_EQ(Utils::mebibytes(1048575), 0);
    EXPECT_EQ(Utils::mebibytes(1048576), 1);
    EXPECT_EQ(Utils::mebibytes(3 * 1048576LL - 1), 2);
    EXPECT_EQ(Utils::mebibytes(0), 0);
    // Read from the kernel here, not through the code under test: free space is what an unprivileged user may
    // still write, which on a root-reserving file system is well below the total.
    struct statvfs st {};
    ASSERT_EQ(::statvfs(documentsDirectory().c_str(), &st), 0);
    const auto mib = [&](unsigned long long blocks) { return static_cast<long long>(blocks * st.f_frsize / 1048576); };
    EXPECT_EQ(Utils::getTotalSpace(), mib(st.f_blocks));
    EXPECT_NEAR(Utils::getFreeSpace(), mib(st.f_bavail), 64) << "other writers may move it a little";
}

}  // namespace
