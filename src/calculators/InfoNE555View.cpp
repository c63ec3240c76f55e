#include "calculators/InfoNE555View.h"

#include "calculators/ScrollViewFitting.h"
#include "core/calculators/Ne555Timer.h"

InfoNE555View::InfoNE555View(std::string nibName, bool tablet) : ViewController(std::move(nibName)), _tablet(tablet) {
    for (TextField* field : {&m_cDataC1, &m_cDataR1, &m_cDataC2, &m_cDataR2_1, &m_cDataR2_2}) field->setDelegate(this);
    registerOutlet("m_cNavigationBar", m_cNavigationBar);
    registerOutlet("scrollView", scrollView);
    registerOutlet("m_cDataC1", m_cDataC1);
    registerOutlet("m_cDataR1", m_cDataR1);
    registerOutlet("m_cResults1", m_cResults1);
    registerOutlet("m_cDataC2", m_cDataC2);
    registerOutlet("m_cDataR2_1", m_cDataR2_1);
    registerOutlet("m_cDataR2_2", m_cDataR2_2);
    registerOutlet("m_cResults2_1", m_cResults2_1);
    registerOutlet("m_cResults2_2", m_cResults2_2);
    registerAction("onButtonBack", [this] { dismissModalViewControllerAnimated(true); });
    m_cNavigationBar.setTitle("NE555 timer calc");
}

void InfoNE555View::viewDidLoad() {
    fitScrollViewToDevice(scrollView, m_cNavigationBar, _tablet, {800, 900}, {800, 900});
    const Ne555Timer::Texts opening;
    m_cDataC1.setText(opening.c1);
    m_cDataR1.setText(opening.r1);
    m_cDataC2.setText(opening.c2);
    m_cDataR2_1.setText(opening.ra);
    m_cDataR2_2.setText(opening.rb);
    _fieldChanges.observe({&m_cDataC1, &m_cDataR1, &m_cDataC2, &m_cDataR2_1, &m_cDataR2_2}, [this] { ShowResults(); });
    ShowResults();
}

bool InfoNE555View::textFieldShouldReturn(TextField* field) {
    field->resignFirstResponder();
    ShowResults();
    return true;
}

void InfoNE555View::ShowResults() {
    const auto lines = Ne555Timer::linesForTexts(
        {m_cDataC1.text(), m_cDataR1.text(), m_cDataC2.text(), m_cDataR2_1.text(), m_cDataR2_2.text()});
    m_cResults1.setText(lines.pulse);
    m_cResults2_1.setText(lines.astable.times);
    m_cResults2_2.setText(lines.astable.frequency);
}
