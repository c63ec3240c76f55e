#pragma once
#include <string>

#include "platform/ui/TextChangeSubscription.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"

/// NE555 timer: the pulse length of the monostable circuit (one R, one C) and the high time, low time and
/// frequency of the astable circuit (Ra, Rb, one C). Kilo-ohms times microfarads are milliseconds.
class InfoNE555View : public ViewController, public TextFieldDelegate {
public:
    /// `tablet` gives the form the tablet's fixed size instead of the phone's window.
    explicit InfoNE555View(std::string nibName = "InfoNE555View", bool tablet = false);

    NavigationBar m_cNavigationBar;
    ScrollView scrollView;
    TextField m_cDataC1;
    TextField m_cDataR1;
    Label m_cResults1;
    TextField m_cDataC2;
    TextField m_cDataR2_1;
    TextField m_cDataR2_2;
    Label m_cResults2_1;
    Label m_cResults2_2;

    /// Recomputes the monostable line and both astable lines from the field texts.
    void ShowResults();

    bool textFieldShouldReturn(TextField* field) override;

protected:
    void viewDidLoad() override;

private:
    const bool _tablet;
    TextChangeSubscription _fieldChanges;
};
