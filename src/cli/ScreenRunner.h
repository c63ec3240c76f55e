#pragma once
#include <memory>
#include <string>

#include "platform/ui/ViewController.h"

/// Opens a screen without a display, exactly as the menu would: made from its interface file's name and loaded,
/// so its first result is already computed.
template <typename Screen>
std::unique_ptr<Screen> openScreen(const std::string& nibName) {
    auto screen = std::make_unique<Screen>(nibName);
    screen->loadViewIfNeeded();
    return screen;
}

/// Parses "r0,r1,..." into exactly `count` wheel rows; throws UsageError naming the problem otherwise.
std::vector<int> parseRows(const std::string& text, size_t count);
