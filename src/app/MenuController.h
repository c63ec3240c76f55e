#pragma once
#include <string>

#include "app/MenuEntry.h"
#include "platform/ui/ViewController.h"

/// What both main menus share: the "onShow…" actions of the eleven tools and of the bench tools, each presenting
/// its tool screen from the interface file of this kind of device, and the rate button.
class MenuController : public ViewController {
public:
    MenuController(std::string nibName, bool tablet);

    /// Presents the entry's tool screen; nothing when its screen is not built.
    void showTool(const MenuEntry& entry);
    /// Opens the review page (or says why it cannot); the rate preference is not touched.
    void onButtonRate();

private:
    bool tablet_;
};
