#include "window/ScreenshotCommand.h"

#include <cstdlib>
#include <stdexcept>

#include "gui/Screenshot.h"

// A tool for the project's own screenshot script, hidden from --help: it needs no display (offscreen platform).
void addScreenshotCommand(CLI::App& app, int argc, char** argv) {
    auto* cmd = app.add_subcommand("screenshot", "Screenshot of a screen, for the project's scripts");
    cmd->group("");  // a subcommand in no group is left out of the program's --help
    auto request = std::make_shared<ScreenshotRequest>();
    auto actions = std::make_shared<std::vector<std::string>>();
    cmd->add_option("output", request->output, "PNG file to write")->required();
    cmd->add_flag("--tablet", request->tablet, "Tablet window and menu");
    // Steps keep their command-line order: each option appends to one list through its own callback.
    auto add = [request](ScreenshotRequest::Step::Kind kind) {
        return [request, kind](const std::vector<std::string>& values) {
            for (const auto& v : values) {
                auto eq = v.find('=');
                if (kind != ScreenshotRequest::Step::Action && eq == std::string::npos)
                    throw std::invalid_argument("screenshot steps take OUTLET=VALUE, not \"" + v + "\"");
                if (kind == ScreenshotRequest::Step::Action)
                    request->steps.push_back({kind, v, ""});
                else
                    request->steps.push_back({kind, v.substr(0, eq), v.substr(eq + 1)});
            }
        };
    };
    cmd->add_option_function<std::vector<std::string>>("--action", add(ScreenshotRequest::Step::Action),
                                                       "Send an action to the screen on top")->allow_extra_args(false)->trigger_on_parse();
    cmd->add_option_function<std::vector<std::string>>("--type", add(ScreenshotRequest::Step::Type),
                                                       "FIELD=TEXT typed into a field")->allow_extra_args(false)->trigger_on_parse();
    cmd->add_option_function<std::vector<std::string>>("--wheel", add(ScreenshotRequest::Step::Wheel),
                                                       "PICKER=COMPONENT:ROW turned")->allow_extra_args(false)->trigger_on_parse();
    cmd->add_option_function<std::vector<std::string>>("--tap", add(ScreenshotRequest::Step::Tap),
                                                       "TABLE=ROW tapped")->allow_extra_args(false)->trigger_on_parse();
    cmd->callback([request, argc, argv] {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        int status = takeScreenshot(argc, argv, *request);
        if (status != 0) std::exit(status);
    });
}
