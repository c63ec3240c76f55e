#pragma once
#include <string>

#include "platform/ui/Label.h"
#include "platform/ui/TextChangeSubscription.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"

/// Standard resistor values: a resistance typed in ohms and the nearest values of the screen's value lists.
/// Recomputes on every edit of any text field (the change notification) and on the return key.
class InfoResValuesView : public ViewController, public TextFieldDelegate {
public:
    explicit InfoResValuesView(std::string nibName = "InfoResValuesView");

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
