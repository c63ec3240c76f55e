#pragma once
#include <string>

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WebView.h"

/// The document viewer: one file of the documents folder, full-screen, titled with its bare name. The wait
/// cursor turns while the document loads and stops when it is shown or has failed; a failure is explained in
/// `m_cMessage`, and "Open with…" hands the file to the desktop's own program.
class InfoDatasheetOpen : public ViewController, public WebViewDelegate {
public:
    explicit InfoDatasheetOpen(std::string nibName = "InfoDatasheetOpen");
    ~InfoDatasheetOpen() override;

    NavigationBar m_cNavigationBar;
    WebView m_pWebView;
    ActivityIndicatorView m_cWaitCursor;
    /// Why the document is not shown; hidden while nothing went wrong.
    Label m_cMessage;

    /// The bare name of the file inside the documents folder; set before the view loads.
    const std::string& m_sFileName() const { return fileName_; }
    void setM_sFileName(std::string name) { fileName_ = std::move(name); }
    /// Where to open a document with pages (from 1) and what to highlight in it; set before the view loads.
    void setStartPage(int page) { m_pWebView.setStartPage(page); }
    void setSearchText(std::string text) { m_pWebView.setFindText(std::move(text)); }
    /// The full path being shown ("" before the view loads).
    const std::string& filePath() const { return path_; }

    void webViewDidStartLoad(WebView*) override;
    void webViewDidFinishLoad(WebView*) override;
    void webViewDidFailLoadWithError(WebView*, const Error& error) override;

    /// Closes the viewer; a load still going is stopped first and reports nothing more to this screen.
    void onButtonBack();
    /// Opens the file with the desktop's program for its type; says so in `m_cMessage` when none took it.
    void onButtonOpenExternal();

protected:
    void viewDidLoad() override;

private:
    void showMessage(const std::string& text);

    std::string fileName_, path_;
};
