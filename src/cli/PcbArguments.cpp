#include "cli/PcbArguments.h"

#include <cstdio>

#include "cli/BenchArguments.h"
#include "core/pcb/Conductor.h"
#include "cli/UsageError.h"

namespace pcbcli {

std::optional<double> optional(const char* option, const std::string& text, Unit unit) {
    if (text.empty()) return std::nullopt;
    return bench::value(option, text, unit);
}

void require(bool ok, const std::string& error) {
    if (!ok) throw UsageError(error);
}

void addCopperOptions(CLI::App* cmd, std::string& thickness, std::string& ounces) {
    cmd->add_option("--thickness", thickness, "Copper thickness (35um, 1.4mil)")->capture_default_str();
    cmd->add_option("--copper-oz", ounces, "Copper weight in ounces per square foot (1 oz is 34.8 µm)");
}

double copperThickness(const std::string& thickness, const std::string& ounces) {
    if (ounces.empty()) return bench::value("--thickness", thickness, Unit::Metre);
    return bench::value("--copper-oz", ounces, Unit::None) * conductor::kMetresPerOunce;
}

std::string plain(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", value);
    return buf;
}

}  // namespace pcbcli
