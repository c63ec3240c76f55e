#pragma once
#include <string>
#include <utility>
#include <vector>

/// What to show before taking a picture of the window: actions sent to the screen on top, in order (opening
/// tools, pressing buttons), then texts typed into its fields, wheels turned and table rows tapped.
struct ScreenshotRequest {
    std::string output;                  // PNG path
    bool tablet = false;
    struct Step {
        enum Kind { Action, Type, Wheel, Tap } kind;
        std::string target;              // action name, field outlet name, or picker/table outlet name
        std::string value;               // text typed; "component:row" for a wheel; row for a tap
    };
    std::vector<Step> steps;
};

/// Starts the GUI without showing it on a display, performs the steps and saves the window as a PNG.
/// Returns 0, or 1 with a message on standard error.
int takeScreenshot(int argc, char** argv, const ScreenshotRequest& request);
