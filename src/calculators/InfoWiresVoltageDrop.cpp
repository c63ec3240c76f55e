#include "calculators/InfoWiresVoltageDrop.h"

#include <memory>

#include "calculators/InfoWiresView.h"
#include "core/calculators/VoltageDrop.h"

InfoWiresVoltageDrop::InfoWiresVoltageDrop(std::string nibName) : ViewController(std::move(nibName)) {
    for (TextField* field : {&m_cAWGNum, &m_cCurrent, &m_cLength}) field->setDelegate(this);
    registerOutlet("m_cAWGNum", m_cAWGNum);
    registerOutlet("m_cCurrent", m_cCurrent);
    registerOutlet("m_cLength", m_cLength);
    registerOutlet("m_cResult1", m_cResult1);
    registerOutlet("m_cResult2", m_cResult2);
    registerOutlet("m_cResult3", m_cResult3);
    registerOutlet("m_cWireInfo", m_cWireInfo);
    registerAction("onShowAWGWires", [this] { onShowAWGWires(); });
    registerAction("onButtonBack", [this] { onButtonBack(); });
}

void InfoWiresVoltageDrop::viewDidLoad() {
    const VoltageDrop::Texts opening;
    m_cAWGNum.setText(opening.gauge);
    m_cCurrent.setText(opening.amps);
    m_cLength.setText(opening.metres);
    ShowResults();
    _fieldChanges.observe({&m_cAWGNum, &m_cCurrent, &m_cLength}, [this] { ShowResults(); });
}

void InfoWiresVoltageDrop::onShowAWGWires() {
    presentModalViewController(std::make_unique<InfoWiresView>("InfoWiresView"), true);
}

void InfoWiresVoltageDrop::onButtonBack() {
    _fieldChanges.cancel();
    dismissModalViewControllerAnimated(true);
}

bool InfoWiresVoltageDrop::textFieldShouldReturn(TextField* field) {
    field->resignFirstResponder();
    ShowResults();
    return true;
}

void InfoWiresVoltageDrop::ShowResults() {
    const auto lines = VoltageDrop::linesForTexts({m_cAWGNum.text(), m_cCurrent.text(), m_cLength.text()});
    m_cResult1.setText(lines.resistance);
    m_cResult2.setText(lines.copper);
    m_cResult3.setText(lines.aluminium);
}
