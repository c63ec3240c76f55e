#include "calculators/InfoLedsView.h"

#include "platform/Format.h"
#include "platform/Numbers.h"
#include "core/calculators/LedResistor.h"


InfoLedsView::InfoLedsView(std::string nibName)
    : ViewController(std::move(nibName)), _tablet(ViewController::nibName() == kTabletNibName) {
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
    m_cSchematic.setImageNamed(LedResistor::schematicName(1, _tablet));
    registerAction("onLedsDecrease", [this] { onLedsDecrease(); });
    registerAction("onLedsIncrease", [this] { onLedsIncrease(); });
    registerAction("onButtonBack", [this] { dismissModalViewControllerAnimated(true); });
}

void InfoLedsView::viewDidLoad() {
    const LedResistor::Texts opening;
    m_cVoltage.setText(opening.supply);
    m_cLedsCount.setText(opening.count);
    m_cVoltageOnLED.setText(opening.forward);
    m_cCurrentOnLED.setText(opening.current);
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
    m_cSchematic.setImageNamed(LedResistor::schematicName(intValue(m_cLedsCount.text()), _tablet));
}

void InfoLedsView::ShowResults() {
    const auto lines = LedResistor::linesForTexts(
        {m_cVoltage.text(), m_cLedsCount.text(), m_cVoltageOnLED.text(), m_cCurrentOnLED.text()});
    m_cResults.setText(lines.resistance);
    m_cResults2.setText(lines.recommendation);
}
