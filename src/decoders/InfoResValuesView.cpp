#include "decoders/InfoResValuesView.h"

#include "core/decoders/StandardValues.h"
#include "platform/ui/ScreenMaker.h"

InfoResValuesView::InfoResValuesView(std::string nibName) : ViewController(std::move(nibName)) {
    m_cResistance.setDelegate(this);
    m_cResistance.setKeyboardType(TextField::Keyboard::NumberPad);
    registerOutlet("m_cResistance", m_cResistance);
    registerOutlet("m_cResult", m_cResult);
    // The typed resistance in every series and as markings, on a screen over this one. The finder comes from the
    // menu's factory, so this screen knows it only by name; it opens as if the value had been typed into it.
    registerAction("onShowValueFinder", [this] {
        auto finder = ScreenMaker::make("InfoValueFinderView", "InfoValueFinderView");
        if (!finder) return;
        finder->loadViewIfNeeded();
        if (auto* value = dynamic_cast<TextField*>(finder->outlet("m_cValue"))) value->userEdit(m_cResistance.text());
        presentModalViewController(std::move(finder), true);
    });
    registerAction("onButtonBack", [this] {
        _textObserver.cancel();
        dismissModalViewControllerAnimated(true);
    });
}

void InfoResValuesView::viewDidLoad() {
    m_cResistance.setText("12345");
    ShowResults();
    _textObserver.observeAll([this] { ShowResults(); });
}

bool InfoResValuesView::textFieldShouldReturn(TextField* field) {
    if (field) field->resignFirstResponder();
    ShowResults();
    return true;
}

void InfoResValuesView::ShowResults() { m_cResult.setText(StandardValues::screenText(m_cResistance.text())); }
