#include "cli/CommandLine.h"

#include <algorithm>
#include <map>

namespace {

std::map<std::string, const CLI::App*>& verbatimCommands() {
    static std::map<std::string, const CLI::App*> commands;
    return commands;
}

bool startsWithDash(const std::string& arg) { return !arg.empty() && arg[0] == '-'; }

}  // namespace

void takesVerbatimText(CLI::App* subcommand) { verbatimCommands()[subcommand->get_name()] = subcommand; }

std::vector<std::string> argumentsForParsing(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    // The program's own options are flags without values, so the first argument without a dash names the
    // subcommand.
    auto sub = std::find_if(args.begin(), args.end(), [](const std::string& a) { return !startsWithDash(a); });
    if (sub == args.end() || !verbatimCommands().count(*sub)) return args;
    auto text = sub + 1;
    // One of the subcommand's own options ("--json") written first keeps its meaning.
    const bool option = text != args.end() && verbatimCommands()[*sub]->get_option_no_throw(*text) != nullptr;
    if (text != args.end() && startsWithDash(*text) && *text != "--" && *text != "-h" && *text != "--help" && !option)
        args.insert(text, "--");
    return args;
}

CLI::Option* addTextOption(CLI::App* cmd, const std::string& name, std::string& text, const std::string& help) {
    // A single-text option takes the next argument whatever it looks like, so "-5" and "" arrive unchanged.
    return cmd
        ->add_option_function<std::string>(
            name, [&text](const std::string& value) { text = value; }, help)
        ->type_name("TEXT");
}

void parseCommandLine(CLI::App& app, int argc, char** argv) {
    if (app.get_name().empty() && argc > 0) app.name(argv[0]);
    std::vector<std::string> args = argumentsForParsing(argc, argv);
    std::reverse(args.begin(), args.end());  // CLI11 takes the arguments last first
    app.parse(args);
}
