#include "benchscreens/BenchScreen.h"

#include "core/bench/ESeries.h"
#include "core/bench/ValueReader.h"

namespace {

constexpr int kE24Row = 3;  // E3, E6, E12, E24, …

bool blank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

// What the message for an empty field suggests typing.
const char* example(Unit unit) {
    switch (unit) {
        case Unit::Metre: return "1.6mm";
        case Unit::Hertz: case Unit::Second: case Unit::Watt: case Unit::Celsius: return "100M";
        default: return "4.7k, 4k7 or 4700";
    }
}

}  // namespace

BenchScreen::BenchScreen(std::string nibName, bool withSeries)
    : ViewController(std::move(nibName)), withSeries_(withSeries) {
    m_cSeries.setDataSource(this);
    m_cSeries.setDelegate(this);
    if (withSeries_) registerOutlet("m_cSeries", m_cSeries);
    registerAction("onButtonBack", [this] { dismissModalViewControllerAnimated(true); });
}

void BenchScreen::addFields(std::vector<Field> fields) {
    for (const Field& f : fields) {
        f.field->setDelegate(this);
        f.field->setPlaceholder(f.placeholder);
        registerOutlet(f.outlet, *f.field);
        fields_.push_back(f);
    }
}

void BenchScreen::viewDidLoad() {
    for (const Field& f : fields_) f.field->setText(f.opening);
    m_cSeries.reloadAllComponents();
    m_cSeries.selectRowInComponent(kE24Row, 0);
    // Edits of a field of a screen stacked below (the one that opened this) only compute the same results again.
    fieldChanges_.observeAll([this] { ShowResults(); });
    ShowResults();
}

bool BenchScreen::textFieldShouldReturn(TextField* field) {
    if (field) field->resignFirstResponder();
    ShowResults();
    return true;
}

int BenchScreen::pickerViewNumberOfRowsInComponent(PickerView*, int component) {
    return component == 0 ? static_cast<int>(ESeries::all().size()) : 0;
}

std::optional<std::string> BenchScreen::pickerViewTitleForRowForComponent(PickerView*, int row, int component) {
    const auto& all = ESeries::all();
    if (component != 0 || row < 0 || row >= static_cast<int>(all.size())) return std::nullopt;
    return all[static_cast<size_t>(row)]->name();
}

const ESeries& BenchScreen::series() const {
    const auto& all = ESeries::all();
    const int row = withSeries_ ? m_cSeries.selectedRowInComponent(0) : kE24Row;
    return *all[static_cast<size_t>(row >= 0 && row < static_cast<int>(all.size()) ? row : kE24Row)];
}

std::optional<double> BenchScreen::valueOf(const TextField& field, Unit unit, const std::string& name,
                                           std::string* error, bool optional) {
    error->clear();
    if (blank(field.text())) {
        if (!optional) *error = name + ": type a value, such as " + example(unit);
        return std::nullopt;
    }
    auto v = ValueReader::readAs(field.text(), unit, error);
    if (!v) *error = name + ": " + *error;
    return v;
}

std::optional<Quantity> BenchScreen::componentValueOf(const TextField& field, std::string* error) {
    error->clear();
    if (blank(field.text())) {
        *error = "Type a value, such as 4k7, 100nF or 2u2H";
        return std::nullopt;
    }
    auto q = ValueReader::readComponent(field.text(), error);
    if (!q) return std::nullopt;
    if (!(q->value > 0)) {
        *error = "Give a value above zero";
        return std::nullopt;
    }
    return q;
}
