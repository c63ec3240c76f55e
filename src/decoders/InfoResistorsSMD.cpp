#include "decoders/InfoResistorsSMD.h"

#include "core/decoders/SmdCode.h"

InfoResistorsSMD::InfoResistorsSMD(std::string nibName) : ViewController(std::move(nibName)) {
    m_cResistance.setDelegate(this);
    m_cResistance.setKeyboardType(TextField::Keyboard::Default);  // markings hold letters
    registerOutlet("m_cResistance", m_cResistance);
    registerOutlet("m_cResult", m_cResult);
    registerAction("onButtonBack", [this] { dismissModalViewControllerAnimated(true); });
}

void InfoResistorsSMD::viewDidLoad() {
    m_cResistance.setText("4501");
    ShowResults();
    _textObserver.observeAll([this] { ShowResults(); });
}

bool InfoResistorsSMD::textFieldShouldReturn(TextField* field) {
    if (field) field->resignFirstResponder();
    ShowResults();
    return true;
}

void InfoResistorsSMD::ShowResults() { m_cResult.setText(SmdCode::text(SmdCode::screenReading(m_cResistance.text()))); }
