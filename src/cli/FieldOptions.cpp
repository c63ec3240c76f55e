#include "cli/FieldOptions.h"

#include "cli/UsageError.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"

void FieldOptions::add(CLI::App* cmd, const std::string& name, const std::string& outlet, const std::string& help) {
    fields_.push_back(Field{outlet});
    std::optional<std::string>* text = fields_.back().text.get();
    // A single-text option takes the next argument whatever it looks like, so "-5" and "" arrive unchanged.
    cmd->add_option_function<std::string>(
           name, [text](const std::string& value) { *text = value; }, help)
        ->type_name("TEXT");
}

void FieldOptions::typeInto(ViewController& screen) const {
    for (const auto& field : fields_) {
        if (!*field.text) continue;
        auto* model = dynamic_cast<TextField*>(screen.outlet(field.outlet));
        if (!model) throw UsageError("the screen has no field " + field.outlet);
        model->userEdit(**field.text);
    }
}
