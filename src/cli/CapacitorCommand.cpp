#include <iostream>
#include <memory>

#include "cli/Commands.h"
#include "cli/WheelRows.h"
#include "cli/UsageError.h"
#include "decoders/InfoCapacitorsView.h"

namespace {

// The fragment as plain text: each <BR/> ends a line, other tags are dropped.
std::string fragmentAsText(const std::string& html) {
    std::string out;
    for (size_t i = 0; i < html.size();) {
        if (html[i] != '<') {
            out += html[i++];
            continue;
        }
        size_t end = html.find('>', i);
        if (end == std::string::npos) end = html.size() - 1;
        if (html.compare(i, end + 1 - i, "<BR/>") == 0) out += '\n';
        i = end + 1;
    }
    return out;
}

std::string choicesWithNone(const std::vector<std::string>& rows) {
    std::string out = listOfChoices(rows);
    return out.replace(0, 1, "(none)");  // the first row is the space: no letter
}

}  // namespace

void addCapacitorCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("capacitor", "Capacitor code: decode a three-digit code with its tolerance letter");
    cmd->footer(
        "CODE: first digit 1-9, second digit 0-9, multiplier digit 0-5 or 9 (x0.1), then optionally a tolerance\n"
        "letter (E F G H J K M P Z B C D N, either case). Examples: velkaro capacitor 474K; velkaro capacitor 109");
    auto code = std::make_shared<std::string>();
    auto rows = std::make_shared<std::string>();
    auto html = std::make_shared<bool>(false);
    auto* codeOption = cmd->add_option("CODE", *code, "The code as printed, e.g. 474K");
    cmd->add_option("--rows", *rows, "Wheel rows r0,r1,r2,r3 instead of a code");
    cmd->add_flag("--html", *html, "Print the HTML fragment exactly as the screen shows it, on one line");
    cmd->callback([code, rows, html, codeOption] {
        const std::vector<std::string> wheels = {"first digit", "second digit", "multiplier digit", "tolerance letter"};
        const auto& wheelRows = InfoCapacitorsView::wheels();
        std::vector<int> selected;
        if (!rows->empty()) {
            if (codeOption->count()) throw UsageError("give either a CODE or --rows, not both");
            selected = parseRows(*rows, 4);
            checkRowsExist(wheelRows, selected, wheels);
        } else {
            if (!codeOption->count())
                throw UsageError("give a CODE such as 474K, 109 or 220, or --rows r0,r1,r2,r3");
            if (code->size() != 3 && code->size() != 4)
                throw UsageError("CODE is three digits and an optional tolerance letter (e.g. 474K, 109, 220), not \"" +
                                 *code + "\"");
            for (int c = 0; c < 4; ++c) {
                const auto& names = wheelRows[static_cast<size_t>(c)];
                const std::string part = static_cast<size_t>(c) < code->size() ? code->substr(c, 1) : " ";
                const int row = rowNamed(names, part);
                if (row < 0)
                    throw UsageError("the " + wheels[static_cast<size_t>(c)] + " of \"" + *code + "\" cannot be \"" +
                                     part + "\"; choose one of: " + (c == 3 ? choicesWithNone(names) : listOfChoices(names)));
                selected.push_back(row);
            }
        }
        auto entry = [&](size_t c) { return wheelRows[c][static_cast<size_t>(selected[c])]; };
        const std::string fragment = InfoCapacitorsView::resultHTML(entry(0), entry(1), entry(2), entry(3));
        std::cout << (*html ? fragment : fragmentAsText(fragment)) << '\n';
    });
}
