#pragma once
#include <functional>
#include <memory>
#include <string>

class ViewController;

/// Makes screens by class name, so that a screen opens another without depending on the other's class: the menu's
/// screen factory installs itself here.
class ScreenMaker {
public:
    using Maker = std::function<std::unique_ptr<ViewController>(const std::string& className, const std::string& nibName)>;

    static void install(Maker maker);
    /// The screen of that class from that interface file, not yet loaded; nullptr when no maker is installed or it
    /// knows no such class.
    static std::unique_ptr<ViewController> make(const std::string& className, const std::string& nibName);
};
