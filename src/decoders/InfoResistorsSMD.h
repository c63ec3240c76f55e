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
    /// The result line for a marking as typed (any case).
    static std::string resultText(const std::string& text);
    /// The E96 value (100 … 976) of the EIA-96 code read from `digits` with `intValue`; 0 for a code outside 1 to 96.
    static int DecodeSMDDigits(const std::string& digits);

protected:
    void viewDidLoad() override;

private:
    TextChangeSubscription _textObserver;  // every edit of any field recomputes
};
