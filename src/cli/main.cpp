#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cctype>
#include <cstdlib>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"
#include "cli/WindowProgram.h"
#include "platform/FileSystem.h"

namespace {

bool hasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform) return true;  // offscreen, vnc, … chosen on purpose
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

// "resistor, capacitor, …": every subcommand, in the order --help lists them.
std::string subcommandList(CLI::App& app) {
    std::string list;
    for (const CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
        list += (list.empty() ? "" : ", ") + sub->get_name();
    return list;
}

// With --json anywhere before a "--", a script reads the answer, so an error is a JSON object too.
bool jsonWanted(const std::vector<std::string>& args) {
    for (const auto& arg : args) {
        if (arg == "--") break;
        if (arg == "--json") return true;
    }
    return false;
}

// The screens' error texts are spelled several ways ("Error: incorrect LED current", "Incorrect value"); on
// standard error they take one form after the program's name: "velkaro: incorrect value", acronyms kept.
std::string plainResult(std::string text) {
    constexpr std::string_view prefix = "Error: ";
    if (text.compare(0, prefix.size(), prefix) == 0) text.erase(0, prefix.size());
    if (text.size() > 1 && std::isupper(static_cast<unsigned char>(text[0])) &&
        std::islower(static_cast<unsigned char>(text[1])))
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

int failure(const std::string& message, int status, bool json) {
    if (json)
        std::cerr << nlohmann::ordered_json{{"error", message}, {"status", status}}.dump(
                         -1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                  << '\n';
    else
        std::cerr << "velkaro: " << message << '\n';
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    raiseOpenFileLimit();  // the FTP server holds one descriptor per connection and per open file
    CLI::App app{"Velkaro — an electronics pocket reference: colour codes, standard values, calculators and a "
                 "datasheet store.\nWithout a subcommand it opens the window."};
    app.set_version_flag("--version", std::string("velkaro ") + VELKARO_VERSION);
    bool tablet = false;
    app.add_flag("--tablet", tablet, "Run as on a tablet (tablet menu and layouts)");
    app.require_subcommand(0, 1);
    app.fallthrough();
    addAllCommands(app);
    // The project's screenshot maker draws the window, so the window program runs it.
    const auto args = argumentsForParsing(argc, argv);
    const bool json = jsonWanted(args);
    for (const auto& arg : args)
        if (arg.empty() || arg[0] != '-') {
            if (arg == "screenshot") return WindowProgram::exec(argv);
            // The program's own options take no values, so the first other word names the subcommand.
            if (app.get_subcommands([&arg](CLI::App* sub) { return sub->get_name() == arg; }).empty())
                return failure("unknown subcommand '" + arg + "'; the subcommands are " + subcommandList(app) +
                                   " (see velkaro --help)",
                               2, json);
            break;
        }

    try {
        parseCommandLine(app, argc, argv);
    } catch (const CLI::ParseError& e) {
        if (json && e.get_exit_code() != 0) return failure(e.what(), 2, true);
        int code = app.exit(e);
        return code == 0 ? 0 : 2;
    } catch (const UsageError& e) {
        return failure(e.what(), 2, json);
    } catch (const ResultError& e) {
        return failure(plainResult(e.what()), 1, json);
    }
    if (!app.get_subcommands().empty()) return 0;

    if (!hasDisplay()) {
        std::cerr << "velkaro: no display found (DISPLAY and WAYLAND_DISPLAY are not set), so the window cannot "
                     "open.\nThe tools work on the command line: velkaro "
                  << subcommandList(app) << ".\nSee velkaro --help.\n";
        return 1;
    }
    return WindowProgram::exec(argv);  // --tablet goes along with the other arguments
}
