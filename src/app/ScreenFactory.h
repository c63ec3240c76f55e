#pragma once
#include <memory>
#include <string>

class ViewController;

/// Makes a tool screen by its class name from the named interface file. The table of screens lives in one
/// place so the menus can tell which tools exist in this build.
class ScreenFactory {
public:
    /// The new screen, not yet loaded, or nullptr when no screen of that class is built. `tablet` is passed to
    /// the screens whose layout depends on the device.
    static std::unique_ptr<ViewController> make(const std::string& className, const std::string& nibName,
                                                bool tablet = false);
    static bool exists(const std::string& className);
};
