#include <iostream>
#include <memory>

#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"
#include "cli/WheelRows.h"
#include "core/decoders/CapacitorCode.h"
#include "platform/Format.h"

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

[[noreturn]] void refuse(CapacitorCode::Refusal refusal, const std::string& code) {
    using R = CapacitorCode::Refusal;
    if (refusal == R::Length)
        throw UsageError("CODE is three digits and an optional tolerance letter (e.g. 474K, 109, 106), not \"" + code +
                         "\"");
    std::string letters = "(none)";
    for (const auto& t : CapacitorCode::tolerances()) letters += std::string(", ") + t.letter;
    struct Place {
        const char* name;
        const char* choices;
    };
    static const Place places[] = {{"first digit", "1, 2, 3, 4, 5, 6, 7, 8, 9"},
                                   {"second digit", "0, 1, 2, 3, 4, 5, 6, 7, 8, 9"},
                                   {"multiplier digit", "0, 1, 2, 3, 4, 5, 6, 7, 8 (x0.01), 9 (x0.1)"}};
    const size_t at = refusal == R::FirstDigit ? 0 : refusal == R::SecondDigit ? 1 : refusal == R::Multiplier ? 2 : 3;
    const std::string what = at < 3 ? places[at].name : "tolerance letter";
    throw UsageError("the " + what + " of \"" + code + "\" cannot be \"" + code.substr(at, 1) +
                     "\"; choose one of: " + (at < 3 ? places[at].choices : letters));
}

nlohmann::ordered_json toleranceJson(const CapacitorCode::Tolerance* t) {
    if (!t) return nullptr;
    if (t->picofarads)
        return {{"letter", std::string(1, t->letter)}, {"minus_farads", t->minus * 1e-12}, {"plus_farads", t->plus * 1e-12}};
    return {{"letter", std::string(1, t->letter)}, {"minus_percent", t->minus}, {"plus_percent", t->plus}};
}

}  // namespace

void addCapacitorCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("capacitor", "Capacitor code: decode a three-digit code with its tolerance letter");
    cmd->footer(
        "CODE: first digit 1-9, second digit 0-9, then the multiplier digit m: the two digits times 10^m pF, where\n"
        "8 means x0.01 and 9 x0.1 (106 = 10 uF, 478 = 0.47 pF); then optionally a tolerance letter (E F G H J K M\n"
        "N P Z B C D, either case). The screen's wheels offer the multipliers 0-5 and 9.\n"
        "Examples: velkaro capacitor 474K; velkaro capacitor 109");
    struct Options {
        std::string code, rows;
        bool html = false, json = false;
    };
    auto o = std::make_shared<Options>();
    auto* codeOption = cmd->add_option("CODE", o->code, "The code as printed, e.g. 474K");
    cmd->add_option("--rows", o->rows, "Wheel rows r0,r1,r2,r3 instead of a code");
    cmd->add_flag("--html", o->html, "Print the HTML fragment exactly as the screen shows it, on one line");
    bench::addJsonFlag(cmd, o->json);
    cmd->callback([o, codeOption] {
        std::string code = o->code;
        if (!o->rows.empty()) {
            if (codeOption->count()) throw UsageError("give either a CODE or --rows, not both");
            const auto& wheels = CapacitorCode::wheels();
            code.clear();
            for (const auto& row :
                 wheelRowTexts(o->rows, wheels, {"first digit", "second digit", "multiplier digit", "tolerance letter"}))
                code += row;
            if (code.back() == ' ') code.pop_back();  // the wheel's space: no letter
        } else if (!codeOption->count()) {
            throw UsageError("give a CODE such as 474K, 109 or 220, or --rows r0,r1,r2,r3");
        }
        CapacitorCode::Refusal refusal{};
        const auto reading = CapacitorCode::read(code, &refusal);
        if (!reading) refuse(refusal, code);
        const std::string fragment = CapacitorCode::html(*reading);
        if (o->json) {
            bench::printJson({{"code", format("%d%d%d%@", reading->d1, reading->d2, reading->multiplier, reading->letter)},
                              {"value", reading->farads},
                              {"unit", "farad"},
                              {"tolerance", toleranceJson(reading->tolerance)},
                              {"text", fragmentAsText(fragment)}});
            return;
        }
        std::cout << (o->html ? fragment : fragmentAsText(fragment)) << '\n';
    });
}
