#pragma once
#include <string>

#include "platform/ui/Label.h"
#include "platform/ui/TextChangeSubscription.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"

/// SMD resistor code: a marking (R notation, three- or four-digit code, EIA-96) typed in a field and its
/// resistance in one result line. Recomputes on every edit of any text field and on the return key.
class InfoResistorsSMD : public ViewController, public TextFieldDelegate {
public:
    explicit InfoResistorsSMD(std::string nibName = "InfoResistorsSMD");

    TextField m_cResistance;
    Label m_cResult;

    /// Gives up the keyboard and recomputes; always answers true.
    bool textFieldShouldReturn(TextField* field) override;
    /// Recomputes from the field's text.
    void ShowResults();

protected:
    void viewDidLoad() override;

private:
    TextChangeSubscription _textObserver;  // every edit of any field recomputes
};
