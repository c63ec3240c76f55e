#pragma once
#include <string>

#include "platform/ui/TextChangeSubscription.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"

/// LED series resistor: from the supply voltage, the number of LEDs in series, one LED's forward voltage and the
/// LED current, the exact resistance and its power, then the next standard resistor and power rating. The circuit
/// picture follows the LED count.
class InfoLedsView : public ViewController, public TextFieldDelegate {
public:
    static constexpr const char* kTabletNibName = "InfoLedsViewIPad";

    /// "InfoLedsView" on phones, `kTabletNibName` on tablets: the interface file says which pictures to show.
    explicit InfoLedsView(std::string nibName = "InfoLedsView");

    TextField m_cVoltage;
    TextField m_cLedsCount;
    TextField m_cVoltageOnLED;
    TextField m_cCurrentOnLED;
    Label m_cResults;
    Label m_cResults2;
    ImageView m_cSchematic;

    /// The minus button: one LED fewer, down to 1.
    void onLedsDecrease();
    /// The plus button: one LED more, without limit.
    void onLedsIncrease();
    /// Shows the picture for the typed count.
    void UpdateView();
    /// Recomputes both result lines from the field texts.
    void ShowResults();

    bool textFieldShouldReturn(TextField* field) override;

protected:
    void viewDidLoad() override;

private:
    const bool _tablet;
    TextChangeSubscription _fieldChanges;
};
