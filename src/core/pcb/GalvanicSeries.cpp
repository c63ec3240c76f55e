#include "core/pcb/GalvanicSeries.h"

#include <cctype>
#include <cmath>

const std::vector<GalvanicSeries::Metal>& GalvanicSeries::metals() {
    // The anodic index table of MIL-STD-889 as the design guides reproduce it, most noble first.
    static const std::vector<Metal> table = {
        {"gold", "Gold, solid and plated; gold-platinum alloys", 0.00},
        {"rhodium", "Rhodium plated on silver-plated copper", 0.05},
        {"silver", "Silver, solid or plated; high silver alloys", 0.15},
        {"nickel", "Nickel, solid or plated; monel; high nickel-copper alloys", 0.30},
        {"titanium", "Titanium and its alloys", 0.30},
        {"copper", "Copper, solid or plated; low brasses or bronzes; silver solder", 0.35},
        {"brass", "Brass and bronzes", 0.40},
        {"high-brass", "High brasses and bronzes", 0.45},
        {"stainless-steel", "18 % chromium corrosion-resistant steels", 0.50},
        {"chromium", "Chromium plated; tin plated; 12 % chromium corrosion-resistant steels", 0.60},
        {"tin", "Tin-plate; tin-lead solder", 0.65},
        {"solder", "Tin-lead solder", 0.65},
        {"lead", "Lead, solid or plated; high lead alloys", 0.70},
        {"aluminium-2000", "Aluminium, wrought 2000 series", 0.75},
        {"steel", "Iron, wrought, grey or malleable; plain carbon and low alloy steels", 0.85},
        {"aluminium", "Aluminium, wrought alloys other than 2000 series; cast alloys of the silicon type", 0.90},
        {"cadmium", "Aluminium, cast alloys other than silicon type; cadmium, plated and chromated", 0.95},
        {"galvanized", "Hot-dip zinc plate; galvanized steel", 1.20},
        {"zinc", "Zinc, wrought; zinc-base die-casting alloys; zinc plated", 1.25},
        {"magnesium", "Magnesium and magnesium-base alloys, cast or wrought", 1.75},
        {"beryllium", "Beryllium", 1.85},
    };
    return table;
}

const GalvanicSeries::Metal* GalvanicSeries::named(std::string_view name) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (auto pos = lower.find("aluminum"); pos != std::string::npos; pos = lower.find("aluminum"))
        lower.replace(pos, 8, "aluminium");
    for (const Metal& m : metals())
        if (lower == m.name) return &m;
    return nullptr;
}

double GalvanicSeries::limit(Environment environment) {
    switch (environment) {
        case Environment::Harsh: return 0.15;
        case Environment::Normal: return 0.25;
        case Environment::Controlled: return 0.50;
    }
    return 0;
}

std::optional<GalvanicSeries::Pair> GalvanicSeries::pair(std::string_view a, std::string_view b, std::string* error) {
    const Metal* ma = named(a);
    const Metal* mb = named(b);
    if (!ma || !mb) {
        if (error) *error = "'" + std::string(ma ? b : a) + "' is not in the galvanic table";
        return std::nullopt;
    }
    Pair p;
    p.anode = ma->index >= mb->index ? ma : mb;
    p.cathode = p.anode == ma ? mb : ma;
    // The indexes carry two decimals; rounding keeps 0.65 − 0.50 from falling a hair above 0.15.
    p.difference = std::round((p.anode->index - p.cathode->index) * 100) / 100;
    p.harsh = p.difference <= limit(Environment::Harsh);
    p.normal = p.difference <= limit(Environment::Normal);
    p.controlled = p.difference <= limit(Environment::Controlled);
    return p;
}
