#include <CLI/CLI.hpp>
#include <iostream>
#include <stdexcept>

#include "gui/GuiMain.h"
#include "platform/FileSystem.h"
#include "platform/ui/Application.h"
#include "window/ScreenshotCommand.h"

// The window program: `velkaro` without a subcommand starts it, and so does the desktop file. It is apart from
// the command line so that the tools and the headless server never load Qt.
int main(int argc, char** argv) {
    raiseOpenFileLimit();  // the transfer screen's FTP server holds one descriptor per connection and open file
    CLI::App app{"The Velkaro window. Every tool also works on the command line: see velkaro --help."};
    app.set_version_flag("--version", std::string("velkaro ") + VELKARO_VERSION);
    bool tablet = false;
    app.add_flag("--tablet", tablet, "Run as on a tablet (tablet menu and layouts)");
    app.require_subcommand(0, 1);
    app.fallthrough();
    addScreenshotCommand(app, argc, argv);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : 2;
    } catch (const std::invalid_argument& e) {
        std::cerr << "velkaro: " << e.what() << '\n';
        return 2;
    }
    if (!app.get_subcommands().empty()) return 0;
    if (tablet) Application::shared().setUserInterfaceIdiom(Application::Idiom::Pad);
    return runGui(argc, argv);
}
