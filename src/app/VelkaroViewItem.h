#pragma once
#include <functional>
#include <string>

/// One main-menu entry: its title, the icon resource's name and what a tap does.
struct VelkaroViewItem {
    std::string sName;
    std::string sIconName;
    std::function<void()> pTapFunc;

    VelkaroViewItem(std::string name, std::string icon, std::function<void()> onTap)
        : sName(std::move(name)), sIconName(std::move(icon)), pTapFunc(std::move(onTap)) {}
};
