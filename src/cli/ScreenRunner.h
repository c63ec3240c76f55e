#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/PickerView.h"
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

/// Throws UsageError when a row does not exist on its wheel, naming the wheel (`wheelNames[c]`) and its rows.
void checkRowsExist(const PickerView& picker, const std::vector<int>& rows, const std::vector<std::string>& wheelNames);

/// Turns the wheels to `rows` one after another, as a user would; the last turn leaves the result of all rows.
void turnWheels(PickerView& picker, const std::vector<int>& rows);

/// The row of `name` among a wheel's row names, ignoring ASCII case; -1 when there is none.
int rowNamed(const std::vector<std::string>& rows, const std::string& name);

/// The row names as "a, b, c", for a message naming the valid choices.
std::string listOfChoices(const std::vector<std::string>& rows);
