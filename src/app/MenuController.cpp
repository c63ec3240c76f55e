#include "app/MenuController.h"

#include "app/ScreenFactory.h"
#include "app/VelkaroAppDelegate.h"

MenuController::MenuController(std::string nibName, bool tablet) : ViewController(std::move(nibName)), tablet_(tablet) {
    for (const MenuEntry& entry : menuEntries()) registerAction(entry.action, [this, &entry] { showTool(entry); });
    for (const MenuEntry& entry : moreToolEntries()) registerAction(entry.action, [this, &entry] { showTool(entry); });
    for (const MenuEntry& entry : pcbToolEntries()) registerAction(entry.action, [this, &entry] { showTool(entry); });
    registerAction("onButtonRate", [this] { onButtonRate(); });
}

void MenuController::showTool(const MenuEntry& entry) {
    auto screen = ScreenFactory::make(entry.screenClass, tablet_ ? entry.nibTablet : entry.nibPhone, tablet_);
    if (screen) presentModalViewController(std::move(screen), true);
}

void MenuController::onButtonRate() { VelkaroAppDelegate::openReviewPage(); }
