#include "calculators/InfoNE555View.h"

#include <cmath>

#include "calculators/ScrollViewFitting.h"
#include "platform/Format.h"
#include "platform/Numbers.h"

InfoNE555View::InfoNE555View(std::string nibName) : ViewController(std::move(nibName)) {
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
    fitScrollViewToDevice(scrollView, m_cNavigationBar, {800, 900}, {800, 900});
    m_cDataC1.setText("10");
    m_cDataR1.setText("1");
    m_cDataC2.setText("10");
    m_cDataR2_1.setText("1");
    m_cDataR2_2.setText("1");
    _fieldChanges.observe({&m_cDataC1, &m_cDataR1, &m_cDataC2, &m_cDataR2_1, &m_cDataR2_2}, [this] { ShowResults(); });
    ShowResults();
}

bool InfoNE555View::textFieldShouldReturn(TextField* field) {
    field->resignFirstResponder();
    ShowResults();
    return true;
}

void InfoNE555View::ShowResults() {
    showMonostable();
    showAstable();
}

void InfoNE555View::showMonostable() {
    const float c = floatValue(m_cDataC1.text());
    const float r = floatValue(m_cDataR1.text());
    // Both products in double, the pulse kept as float; no input check, whatever the product gives is shown.
    const float t = static_cast<float>(static_cast<double>(c) * (static_cast<double>(r) * 1.1));
    if (t > 100.0f)
        m_cResults1.setText(format("Results: T = %.2f s", static_cast<double>(t) * 0.001));
    else
        m_cResults1.setText(format("Results: T = %.2f mS", static_cast<double>(t)));
}

void InfoNE555View::showAstable() {
    const float c = floatValue(m_cDataC2.text());
    const float ra = floatValue(m_cDataR2_1.text());
    const float rb = floatValue(m_cDataR2_2.text());
    // The bounds are met by magnitude, so negative values pass; a typed 0.00001 reads as a float just below it.
    if (std::fabs(static_cast<double>(c)) < 0.00001 || std::fabs(static_cast<double>(ra)) < 0.001 ||
        std::fabs(static_cast<double>(rb)) < 0.001) {
        m_cResults2_1.setText("Error: value too small or incorrect");
        m_cResults2_2.setText("f = n/a");
        return;
    }
    const float s = ra + rb;
    const float t1 = static_cast<float>(static_cast<double>(c) * (static_cast<double>(s) * 0.693));
    const float t2 = static_cast<float>(static_cast<double>(c) * (static_cast<double>(rb) * 0.693));
    // One unit for both times: seconds only when both exceed 100 ms.
    if (t1 > 100.0f && t2 > 100.0f)
        m_cResults2_1.setText(format("t1 = %.2f s, t2 = %.2f s", static_cast<double>(t1) * 0.001,
                                     static_cast<double>(t2) * 0.001));
    else if (static_cast<double>(t1) > 0.01 && static_cast<double>(t2) > 0.01)
        m_cResults2_1.setText(format("t1 = %.2f ms, t2 = %.2f ms", t1, t2));
    else
        m_cResults2_1.setText(format("t1 = %.2f us, t2 = %.2f us", t1 * 1000.0f, t2 * 1000.0f));

    const float period = t1 + t2;
    const float hertz = 1000.0f / period;
    if (hertz < 1000.0f)
        m_cResults2_2.setText(format("f = %.2f Hz", hertz));
    else
        m_cResults2_2.setText(format("f = %.2f KHz", 1.0f / period));
}
