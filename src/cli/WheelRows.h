#pragma once
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

// How the decoder subcommands name the rows of a tool's wheels (by number with --rows, or by a row's text) and the
// colours of a band code.

/// The texts of the wheel rows "r0,r1,..." names, one row per wheel of `wheels` (named `wheelNames` in messages);
/// throws UsageError when the text is not that many row numbers or a row does not exist on its wheel.
std::vector<std::string> wheelRowTexts(const std::string& text, const std::vector<std::vector<std::string>>& wheels,
                                       const std::vector<std::string>& wheelNames);

/// The row of `name` among a wheel's row names, ignoring ASCII case; -1 when there is none.
int rowNamed(const std::vector<std::string>& rows, const std::string& name);

/// The row names as "a, b, c", for a message naming the valid choices.
std::string listOfChoices(const std::vector<std::string>& rows);

struct BandRefusal;

/// What one band position of a colour code takes, for messages: "multiplier" and the colours it allows.
struct BandRole {
    std::string name;
    std::vector<std::string> colours;
};

/// The colours, lower case as the colour code spells them, that serve as digits (from 1 when `fromOne`), as
/// multipliers, tolerances or temperature coefficients; `extra` names are added at the end ("none").
std::vector<std::string> digitColours(bool fromOne);
std::vector<std::string> multiplierColours();
std::vector<std::string> toleranceColours(const std::vector<std::string>& extra);
std::vector<std::string> temperatureCoefficientColours();

/// Throws the UsageError for bands the colour code refused: which band, what it stands for, which colours it
/// takes. `roles` are the band positions of the given count.
[[noreturn]] void refuseBands(const BandRefusal& refusal, const std::vector<std::string>& bands,
                              const std::vector<BandRole>& roles);

/// The JSON form of a decoded band value: value in base units, unit, tolerance, coefficient and the line.
nlohmann::ordered_json bandJson(double value, const char* unit, double tolerancePercent, std::optional<int> ppm,
                                const std::string& text);
