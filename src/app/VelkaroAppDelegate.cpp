#include "app/VelkaroAppDelegate.h"

#include <ctime>

#include "platform/Utils.h"
#include "platform/ui/Application.h"

const char* const VelkaroAppDelegate::kApplicationId = VELKARO_APP_ID;  // set by the build

VelkaroAppDelegate::VelkaroAppDelegate()
    : window(std::make_unique<Window>()),
      viewController(std::make_unique<VelkaroViewController>()),
      viewControllerIPad(std::make_unique<VelkaroViewControllerIPad>()),
      currentTime([] { return static_cast<std::int64_t>(std::time(nullptr)); }) {}

bool VelkaroAppDelegate::applicationDidFinishLaunchingWithOptions() {
    if (isIPad())
        window->setRootViewController(viewControllerIPad.get());
    else
        window->setRootViewController(viewController.get());
    window->rootViewController()->loadViewIfNeeded();
    window->makeKeyAndVisible();

    int firstRun = Utils::getIntParam(kFirstRunKey, 0);
    if (firstRun == 0) {
        Utils::saveIntParam(static_cast<int>(currentTime()), kFirstRunKey);
        return true;
    }
    bool shown = Utils::getBoolParam(kRateDisplayedKey, false);
    // Signed 32-bit subtraction, wrapping as the stored 32-bit time does; a clock set back gives a negative gap.
    auto now = static_cast<std::uint32_t>(currentTime());
    auto elapsed = static_cast<std::int32_t>(now - static_cast<std::uint32_t>(firstRun));
    if (shown || elapsed < kRateDelaySeconds) return true;

    // Recorded before the prompt is up: a launch that ends within the delay loses the prompt for good.
    Utils::saveBoolParam(true, kRateDisplayedKey);
    auto self = shared_from_this();
    Utils::runAfterDelay(0.3f, [self] { self->showRateDialog(); });
    return true;
}

void VelkaroAppDelegate::showRateDialog() {
    auto alert = std::make_shared<AlertView>("Rate this app", "If you enjoy this application, please rate it in App Store",
                                             this, "Rate", "Cancel");
    alert->setTag(kRateAlertTag);
    alert->show();
}

void VelkaroAppDelegate::alertViewClickedButtonAtIndex(AlertView* alert, int index) {
    if (alert->tag() == kRateAlertTag && index == 0) openReviewPage();
}

bool VelkaroAppDelegate::isIPad() {
    return Application::shared().userInterfaceIdiom() == Application::Idiom::Pad;
}

std::string VelkaroAppDelegate::reviewPageURL() { return std::string("appstream://") + kApplicationId; }

void VelkaroAppDelegate::openReviewPage() {
    const std::string url = reviewPageURL();
    if (Application::shared().openURL(url)) return;
    auto alert = std::make_shared<AlertView>(
        "Rate this app", "No software centre on this computer opens the rating page, " + url + ".", nullptr, "OK", "");
    alert->show();
}
