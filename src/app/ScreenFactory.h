#pragma once
#include <memory>
#include <string>

class ViewController;

/// Makes a tool screen by its class name from the named interface file: the menus' one table of screens.
class ScreenFactory {
public:
    /// The new screen, not yet loaded, or nullptr when no screen of that class is built. `tablet` is passed to
    /// the screens whose layout depends on the device.
    static std::unique_ptr<ViewController> make(const std::string& className, const std::string& nibName,
                                                bool tablet = false);
};
