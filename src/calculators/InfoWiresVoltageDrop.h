#pragma once
#include <string>

#include "platform/ui/TextChangeSubscription.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"

/// Wire voltage drop: the voltage lost along a two-wire cable of an AWG gauge, a length (one way) and a current,
/// for copper and for aluminium. Opens the wire current load table over itself.
class InfoWiresVoltageDrop : public ViewController, public TextFieldDelegate {
public:
    explicit InfoWiresVoltageDrop(std::string nibName = "InfoWiresVoltageDrop");

    TextField m_cAWGNum;
    TextField m_cCurrent;
    TextField m_cLength;
    Label m_cResult1;
    Label m_cResult2;
    Label m_cResult3;
    /// Held for the interface file; the screen itself does nothing with it.
    Button m_cWireInfo;

    /// Opens the wire current load table over this screen.
    void onShowAWGWires();
    void onButtonBack();
    /// Recomputes the three result lines from the field texts.
    void ShowResults();

    bool textFieldShouldReturn(TextField* field) override;

protected:
    void viewDidLoad() override;

private:
    TextChangeSubscription _fieldChanges;
};
