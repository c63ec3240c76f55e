#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/TextChangeSubscription.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"

/// Wire voltage drop: the voltage lost along a two-wire cable of an AWG gauge, a length (one way) and a current,
/// for copper and for aluminium. Opens the wire current load table over itself.
class InfoWiresVoltageDrop : public ViewController, public TextFieldDelegate {
public:
    /// The aluminium drop is the copper drop times this (the float nearest 54/35).
    static constexpr float kAluminiumFactor = 1.5428572f;

    explicit InfoWiresVoltageDrop(std::string nibName = "InfoWiresVoltageDrop");

    TextField m_cAWGNum;
    TextField m_cCurrent;
    TextField m_cLength;
    Label m_cResult1;
    Label m_cResult2;
    Label m_cResult3;
    /// Held for the interface file; the screen itself does nothing with it.
    Button m_cWireInfo;

    /// The 44 gauges, "0000" to "40", with the copper resistance in ohms per metre, both as the texts shown.
    static const std::vector<std::pair<std::string, std::string>>& awgTable();
    /// The resistance text of a gauge typed exactly as a key ("18", "0000"); nothing for any other text.
    static std::optional<std::string> resistanceOfGauge(std::string_view gauge);

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
