#include "calculators/InfoWiresView.h"

#include "platform/Log.h"
#include "platform/Resources.h"

InfoWiresView::InfoWiresView(std::string nibName) : ViewController(std::move(nibName)) {
    registerOutlet("m_cHTMLData", m_cHTMLData);
    registerAction("onButtonBack", [this] { dismissModalViewControllerAnimated(true); });
}

void InfoWiresView::viewDidLoad() {
    // The document is compiled into the program and self-contained, so it needs no base address.
    auto document = resourceNamed("Wires");
    if (!document) {
        logLine("the Wires document is missing from this build; the wire table stays empty");
        return;
    }
    m_cHTMLData.loadHTMLString(std::string(*document));
}
