#include "cli/CommandLine.h"

#include <algorithm>
#include <set>

namespace {

std::set<std::string>& verbatimCommands() {
    static std::set<std::string> names;
    return names;
}

bool startsWithDash(const std::string& arg) { return !arg.empty() && arg[0] == '-'; }

}  // namespace

void takesVerbatimText(CLI::App* subcommand) { verbatimCommands().insert(subcommand->get_name()); }

std::vector<std::string> argumentsForParsing(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    // The program's own options are flags without values, so the first argument without a dash names the
    // subcommand.
    auto sub = std::find_if(args.begin(), args.end(), [](const std::string& a) { return !startsWithDash(a); });
    if (sub == args.end() || !verbatimCommands().count(*sub)) return args;
    auto text = sub + 1;
    if (text != args.end() && startsWithDash(*text) && *text != "--" && *text != "-h" && *text != "--help")
        args.insert(text, "--");
    return args;
}

void addTextOption(CLI::App* cmd, const std::string& name, std::string& text, const std::string& help) {
    // A single-text option takes the next argument whatever it looks like, so "-5" and "" arrive unchanged.
    cmd->add_option_function<std::string>(
           name, [&text](const std::string& value) { text = value; }, help)
        ->type_name("TEXT");
}

void parseCommandLine(CLI::App& app, int argc, char** argv) {
    if (app.get_name().empty() && argc > 0) app.name(argv[0]);
    std::vector<std::string> args = argumentsForParsing(argc, argv);
    std::reverse(args.begin(), args.end());  // CLI11 takes the arguments last first
    app.parse(args);
}
