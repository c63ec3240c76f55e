#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// The anodic index of metals and platings (the galvanic series in volts against gold, as the military and
/// industry design tables give it) and which pairs may touch in an environment.
class GalvanicSeries {
public:
    struct Metal {
        const char* name;         ///< what the command line takes: "copper", "stainless-steel"
        const char* description;  ///< the table's group
        double index;             ///< V
    };
    enum class Environment { Harsh, Normal, Controlled };
    struct Pair {
        const Metal* anode;    ///< the one that corrodes (higher index)
        const Metal* cathode;
        double difference;     ///< V
        bool harsh, normal, controlled;  ///< acceptable in each environment
    };

    static const std::vector<Metal>& metals();
    /// The metal named (any case; "aluminum" for "aluminium"), or nothing.
    static const Metal* named(std::string_view name);
    /// The largest difference allowed: 0.15 V harsh (outdoors, salt, humidity), 0.25 V normal (sheltered,
    /// unconditioned), 0.50 V controlled (conditioned rooms).
    static double limit(Environment environment);
    /// Nothing, with `error` set, when a name is not in the table.
    static std::optional<Pair> pair(std::string_view a, std::string_view b, std::string* error);
};
