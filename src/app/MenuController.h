#pragma once
#include <string>

#include "app/MenuEntry.h"
#include "platform/ui/ViewController.h"

/// What both main menus share: the eleven "onShow…" actions, each presenting its tool screen from the interface
/// file of this kind of device, and the rate button.
class MenuController : public ViewController {
public:
    MenuController(std::string nibName, bool tablet);

    /// Whether the entry's screen is built into this program (rows of tools still missing are disabled).
    static bool isAvailable(const MenuEntry& entry);
    /// Presents the entry's tool screen; nothing when its screen is not built.
    void showTool(const MenuEntry& entry);
    /// Opens the review page (or says why it cannot); the rate preference is not touched.
    void onButtonRate();
    /// An "onShow…" action is enabled when its tool's screen is built.
    bool isActionEnabled(const std::string& action) const override;

private:
    bool tablet_;
};
