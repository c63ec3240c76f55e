#pragma once
#include <array>
#include <string>

/// One tool of the main menu: its row title and icon, the action both menus send, the screen class and the
/// interface file it is made from on each kind of device.
struct MenuEntry {
    const char* title;
    const char* icon;
    const char* action;
    const char* screenClass;
    const char* nibPhone;
    const char* nibTablet;
};

/// The eleven tools in row order.
const std::array<MenuEntry, 11>& menuEntries();
/// The bench tools of the menu's second group, after the eleven, in row order.
const std::array<MenuEntry, 4>& moreToolEntries();
/// The heading of that group.
constexpr const char* kMoreToolsTitle = "More tools";
/// The board and RF tools of the menu's third group, in row order, and its heading.
const std::array<MenuEntry, 10>& pcbToolEntries();
constexpr const char* kPcbToolsTitle = "PCB and RF";
