#include "datasheets/InfoDatasheetOpen.h"

#include "library/DocumentType.h"
#include "datasheets/DocumentsFolder.h"
#include "platform/Format.h"
#include "platform/ui/Application.h"

InfoDatasheetOpen::InfoDatasheetOpen(std::string nibName) : ViewController(std::move(nibName)) {
    m_pWebView.setDelegate(this);
    m_cMessage.setHidden(true);
    registerOutlet("m_cNavigationBar", m_cNavigationBar);
    registerOutlet("m_pWebView", m_pWebView);
    registerOutlet("m_cWaitCursor", m_cWaitCursor);
    registerOutlet("m_cMessage", m_cMessage);
    registerAction("onButtonBack", [this] { onButtonBack(); });
    registerAction("onButtonOpenExternal", [this] { onButtonOpenExternal(); });
}

InfoDatasheetOpen::~InfoDatasheetOpen() { m_pWebView.setDelegate(nullptr); }

void InfoDatasheetOpen::viewDidLoad() {
    m_cNavigationBar.setTitle(fileName_);
    path_ = format("%@/%@", DocumentsFolder::path(), fileName_);
    m_cWaitCursor.startAnimating();
    m_pWebView.loadFile(path_);
}

void InfoDatasheetOpen::webViewDidStartLoad(WebView*) {
    m_cMessage.setHidden(true);
    m_cWaitCursor.startAnimating();
}

void InfoDatasheetOpen::webViewDidFinishLoad(WebView*) { m_cWaitCursor.stopAnimating(); }

void InfoDatasheetOpen::webViewDidFailLoadWithError(WebView*, const Error& error) {
    // A failed load would otherwise leave the cursor turning forever over an empty page.
    m_cWaitCursor.stopAnimating();
    showMessage(error.localizedDescription.empty() ? format("\"%@\" cannot be shown.", fileName_)
                                                   : error.localizedDescription);
}

void InfoDatasheetOpen::onButtonBack() {
    m_pWebView.setDelegate(nullptr);
    if (m_pWebView.isLoading()) m_pWebView.stopLoading();
    dismissModalViewControllerAnimated(true);
}

void InfoDatasheetOpen::onButtonOpenExternal() {
    if (path_.empty()) return;
    if (!Application::shared().openURL(DocumentsFolder::fileURLWithPath(path_)))
        showMessage(format("No program on this computer opens \"%@\".", fileName_));
}

void InfoDatasheetOpen::showMessage(const std::string& text) {
    m_cMessage.setText(text);
    m_cMessage.setHidden(false);
}
