#pragma once
#include <string>

#include "platform/ui/ViewController.h"
#include "platform/ui/WebView.h"

/// Wire current load table: shows the "Wires" reference document (AWG gauges with their size, resistance and
/// current limits). Opened from the menu and from the voltage drop screen; back returns to whichever opened it.
class InfoWiresView : public ViewController {
public:
    explicit InfoWiresView(std::string nibName = "InfoWiresView");

    WebView m_cHTMLData;

protected:
    void viewDidLoad() override;
};
