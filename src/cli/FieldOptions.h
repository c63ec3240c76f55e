#pragma once
#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ViewController;

/// A subcommand's options that type texts into a screen's fields: `--NAME TEXT`. The text is the field's text
/// exactly as given, so it may be empty or begin with '-' (`--supply -5`, `--awg ''`); a field whose option is
/// not given keeps the screen's opening text.
class FieldOptions {
public:
    /// Adds `--name TEXT` to `cmd` for the field outlet `outlet`.
    void add(CLI::App* cmd, const std::string& name, const std::string& outlet, const std::string& help);
    /// Types each given text into its field as a user edit (so the screen recomputes as it would on screen), in
    /// the order the options were added. Throws UsageError if the screen lacks the field.
    void typeInto(ViewController& screen) const;

private:
    struct Field {
        std::string outlet;
        std::unique_ptr<std::optional<std::string>> text = std::make_unique<std::optional<std::string>>();
    };
    std::vector<Field> fields_;
};
