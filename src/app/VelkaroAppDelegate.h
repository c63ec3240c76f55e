#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/VelkaroViewController.h"
#include "app/VelkaroViewControllerIPad.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Window.h"

/// Starts the application: installs the phone or tablet menu, records the first launch and, on the first launch
/// five days or more after it, asks once to rate the application.
class VelkaroAppDelegate : public AlertViewDelegate, public std::enable_shared_from_this<VelkaroAppDelegate> {
public:
    static constexpr const char* kFirstRunKey = "firstRun";
    static constexpr const char* kRateDisplayedKey = "rateDisplayed";
    static constexpr int kRateDelaySeconds = 432000;
    static constexpr int kRateAlertTag = 123;
    /// The program's one application ID: its desktop file, AppStream component, icon and review page carry it.
    static const char* const kApplicationId;

    VelkaroAppDelegate();

    std::unique_ptr<Window> window;
    std::unique_ptr<VelkaroViewController> viewController;
    std::unique_ptr<VelkaroViewControllerIPad> viewControllerIPad;

    /// The launch sequence; always true. Must be called on a delegate held by a shared_ptr (the delayed prompt
    /// keeps it alive).
    bool applicationDidFinishLaunchingWithOptions();
    /// Shows the rate prompt.
    void showRateDialog();
    void alertViewClickedButtonAtIndex(AlertView* alert, int index) override;

    /// Whether the program runs as on a tablet (started with --tablet).
    static bool isIPad();
    /// The address of the program's review page in the desktop's software centre ("appstream://" and the ID).
    static std::string reviewPageURL();
    /// Opens the review page, for the prompt's "Rate" and the menu's rate button. Where nothing on this computer
    /// takes the address, an alert says so: a tap with no visible effect would look like a broken button.
    static void openReviewPage();

    /// The wall clock in whole seconds since 1970; replaceable for tests.
    std::function<std::int64_t()> currentTime;
};
