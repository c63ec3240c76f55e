#include "calculators/InfoLedsView.h"

#include "app/VelkaroAppDelegate.h"
#include "calculators/Truncation.h"
#include "platform/Format.h"
#include "platform/Numbers.h"

namespace {

// Above the largest rating no standard part fits; the line says so instead of naming a rating.
constexpr const char* kRatingAboveLargest = "> 100";

std::string ratingText(float h) {
    if (h < 0.2) return format("%.3f", h);
    if (h < 0.5) return format("%.2f", h);
    if (h < 1) return format("%.1f", h);
    return format("%d", truncateToInt32(h));
}

}  // namespace

InfoLedsView::InfoLedsView(std::string nibName) : ViewController(std::move(nibName)) {
    for (TextField* field : {&m_cVoltage, &m_cLedsCount, &m_cVoltageOnLED, &m_cCurrentOnLED})
        field->setDelegate(this);
    registerOutlet("m_cVoltage", m_cVoltage);
    registerOutlet("m_cLedsCount", m_cLedsCount);
    registerOutlet("m_cVoltageOnLED", m_cVoltageOnLED);
    registerOutlet("m_cCurrentOnLED", m_cCurrentOnLED);
    registerOutlet("m_cResults", m_cResults);
    registerOutlet("m_cResults2", m_cResults2);
    registerOutlet("m_cSchematic", m_cSchematic);
    // The picture the interface file shows until the first change of the count: one LED.
    m_cSchematic.setImageNamed(schematicName(1, ViewController::nibName() == "InfoLedsViewIPad"));
    registerAction("onLedsDecrease", [this] { onLedsDecrease(); });
    registerAction("onLedsIncrease", [this] { onLedsIncrease(); });
    registerAction("onButtonBack", [this] { dismissModalViewControllerAnimated(true); });
}

const std::vector<int>& InfoLedsView::resistorList() {
    static const std::vector<int> list = [] {
        const int series[] = {10, 11, 12, 13, 15, 16, 18, 20, 22, 24, 27, 30,
                              33, 36, 39, 43, 47, 51, 56, 62, 68, 75, 82, 91};
        std::vector<int> values = {1, 2, 3};
        // Each decade of the series, less the values the list has never carried.
        for (int scale : {1, 10, 100, 1000, 10000})
            for (int v : series) {
                int value = v * scale;
                if (value == 16 || value == 18 || value == 300 || value == 360 || value == 220000) continue;
                values.push_back(value);
            }
        return values;
    }();
    return list;
}

const std::vector<float>& InfoLedsView::powerRatings() {
    static const std::vector<float> ratings = {0.125f, 0.25f, 0.5f, 1.0f, 2.0f, 5.0f, 10.0f, 50.0f, 100.0f};
    return ratings;
}

std::string InfoLedsView::schematicName(int count, bool tablet) {
    const char* base = count == 1 ? "led_sch1" : count == 2 ? "led_sch2" : count == 3 ? "led_sch3" : "led_schM";
    return std::string(base) + (tablet ? "b.png" : ".png");
}

void InfoLedsView::viewDidLoad() {
    m_cVoltage.setText("12");
    m_cLedsCount.setText("1");
    m_cVoltageOnLED.setText("2");
    m_cCurrentOnLED.setText("20");
    _fieldChanges.observe({&m_cVoltage, &m_cLedsCount, &m_cVoltageOnLED, &m_cCurrentOnLED}, [this] {
        ShowResults();
        UpdateView();
    });
    ShowResults();
}

void InfoLedsView::onLedsDecrease() {
    int count = intValue(m_cLedsCount.text());
    if (count < 2) return;
    m_cLedsCount.setText(format("%d", count - 1));
    UpdateView();
    ShowResults();
}

void InfoLedsView::onLedsIncrease() {
    int count = intValue(m_cLedsCount.text());
    // intValue saturates, so the largest count stays where it is instead of wrapping to a negative one.
    if (count < 2147483647) ++count;
    m_cLedsCount.setText(format("%d", count));
    UpdateView();
    ShowResults();
}

bool InfoLedsView::textFieldShouldReturn(TextField* field) {
    field->resignFirstResponder();
    UpdateView();
    ShowResults();
    return true;
}

void InfoLedsView::UpdateView() {
    m_cSchematic.setImageNamed(schematicName(intValue(m_cLedsCount.text()), VelkaroAppDelegate::isIPad()));
}

void InfoLedsView::showError(const char* message) {
    m_cResults.setText(message);
    m_cResults2.setText("");
}

void InfoLedsView::ShowResults() {
    const float forward = floatValue(m_cVoltageOnLED.text());
    const float milliamps = floatValue(m_cCurrentOnLED.text());
    const float supply = floatValue(m_cVoltage.text());
    const int count = intValue(m_cLedsCount.text());

    if (static_cast<double>(forward) < 0.1) return showError("Error: LED forward voltage cannot be null");
    if (count <= 0) return showError("Error: incorrect number of LEDs");
    if (milliamps < 1.0f) return showError("Error: incorrect LED current");
    // Single precision throughout, except the mA to A step, which is a double product stored as float. The
    // rounding matters: 3 V over 1 mA gives just under 3000 ohms, which truncates to 2999.
    const float onResistor = supply - forward * static_cast<float>(count);
    if (onResistor <= 0.0f) return showError("Error: battery voltage is low");
    const float amps = static_cast<float>(static_cast<double>(milliamps) * 0.001);
    const float ohms = onResistor / amps;
    if (ohms < 1.0f) return showError("Error: battery voltage is low");
    const int g = truncateToInt32(ohms);
    const float watts = amps * onResistor;
    m_cResults.setText(format("R = %d Ohm, P = %.2f W", g, static_cast<double>(watts)));

    const auto& list = resistorList();
    int recommended = 0;
    for (int value : list)
        if (value >= g) {
            recommended = value;
            break;
        }
    if (recommended == 0) {
        m_cResults2.setText("");
        return;
    }
    // The rating is chosen for the power at the computed resistance, not at the recommended one.
    std::string rating = kRatingAboveLargest;
    for (float r : powerRatings())
        if (r >= watts) {
            rating = ratingText(r);
            break;
        }
    const int m = recommended;
    if (m < 1000)
        m_cResults2.setText(format("Recommended: %d Ohm, %@ W", m, rating));
    else if (m <= 9999)
        m_cResults2.setText(format("Recommended: %d.%d KOhm, %@ W", m / 1000, (m % 1000) / 100, rating));
    else
        m_cResults2.setText(format("Recommended: %d KOhm, %@ W", m / 1000, rating));
}
