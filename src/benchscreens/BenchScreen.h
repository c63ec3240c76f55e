#pragma once
#include <optional>
#include <string>
#include <vector>

#include "core/bench/Quantity.h"
#include "platform/ui/PickerView.h"
#include "platform/ui/TextChangeSubscription.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"

class ESeries;

/// What the bench-tool screens share: text fields whose every edit and Return recompute the results, the back
/// action, and on the screens that search a series a one-wheel picker of E3 … E192 that starts on E24.
class BenchScreen : public ViewController,
                    public TextFieldDelegate,
                    public PickerViewDataSource,
                    public PickerViewDelegate {
public:
    /// The series wheel; an outlet only of screens made `withSeries`.
    PickerView m_cSeries;

    /// Recomputes every result from the fields (and the series).
    virtual void ShowResults() = 0;
    /// The series the wheel shows (E24 on screens without one).
    const ESeries& series() const;

    /// Gives up the keyboard and recomputes; answers yes.
    bool textFieldShouldReturn(TextField* field) override;
    int numberOfComponentsInPickerView(PickerView*) override { return 1; }
    int pickerViewNumberOfRowsInComponent(PickerView*, int component) override;
    std::optional<std::string> pickerViewTitleForRowForComponent(PickerView*, int row, int component) override;
    void pickerViewDidSelectRowInComponent(PickerView*, int, int) override { ShowResults(); }

protected:
    /// The body colour banded inductors are mostly moulded in, light green; resistors keep the drawing's own.
    static constexpr Color kInductorBody = Color::rgb(0.56f, 0.78f, 0.62f);

    struct Field {
        const char* outlet;
        TextField* field;
        std::string opening;           ///< the text at opening
        const char* placeholder = "";  ///< shown while the field is empty
    };
    /// Registers the wheel's outlet when `withSeries`, and the back action.
    BenchScreen(std::string nibName, bool withSeries);
    /// Registers the outlets of the screen's fields, the screen being their delegate; called by the screen's
    /// constructor once its fields exist.
    void addFields(std::vector<Field> fields);
    /// Fills the opening texts, computes the first results and follows every edit of the fields.
    void viewDidLoad() override;

    /// The value typed in `field`, a bare number being in `unit`; or nothing with `error` saying, after the
    /// field's `name`, what is wrong with the text. An empty field is an error unless `optional`, when it
    /// reads as nothing with `error` left empty.
    static std::optional<double> valueOf(const TextField& field, Unit unit, const std::string& name, std::string* error,
                                         bool optional = false);
    /// As `valueOf` for a part's value: ohms, farads or henries, a bare number being ohms.
    static std::optional<Quantity> componentValueOf(const TextField& field, std::string* error);

private:
    std::vector<Field> fields_;
    bool withSeries_;
    TextChangeSubscription fieldChanges_;
};
