#pragma once
#include <string>

#include "platform/Error.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewVisitor.h"

class WebView;

/// What a web view tells its delegate (the screen); every message is optional.
class WebViewDelegate {
public:
    virtual ~WebViewDelegate() = default;
    virtual void webViewDidStartLoad(WebView*) {}
    virtual void webViewDidFinishLoad(WebView*) {}
    virtual void webViewDidFailLoadWithError(WebView*, const Error&) {}
};

/// Shows an HTML text or a file. The model records what to show; the front-end renders it and reports the
/// start, end or failure of the load back through `didStartLoad`, `didFinishLoad` and `didFailLoad`. Without a
/// front-end a load simply stays requested.
class WebView : public View {
public:
    void accept(ViewVisitor& visitor) override { visitor.visit(*this); }
    enum class Source { None, Html, File };

    void setDelegate(WebViewDelegate* d) { delegate_ = d; }
    WebViewDelegate* delegate() const { return delegate_; }

    /// Shows `html`; relative links resolve against `baseURL` (may be empty).
    void loadHTMLString(std::string html, std::string baseURL = "");
    /// Shows the file at `path` (a file URL's path).
    void loadFile(std::string path);
    void stopLoading();
    /// For documents with pages: the page to show first (from 1; 0 for the start) and words to highlight, as
    /// typed in a search field. Set before the load they apply to.
    void setStartPage(int page) { startPage_ = page; }
    int startPage() const { return startPage_; }
    void setFindText(std::string text) { findText_ = std::move(text); }
    const std::string& findText() const { return findText_; }

    Source source() const { return source_; }
    const std::string& html() const { return html_; }
    const std::string& baseURL() const { return baseURL_; }
    const std::string& filePath() const { return filePath_; }
    bool isLoading() const { return loading_; }
    /// Counts loads, so a front-end can tell a new load of the same text from an unrelated change.
    unsigned loadGeneration() const { return generation_; }

    // Called by the front-end as the load goes.
    void didStartLoad();
    void didFinishLoad();
    void didFailLoad(const Error& error);

private:
    WebViewDelegate* delegate_ = nullptr;
    Source source_ = Source::None;
    std::string html_, baseURL_, filePath_, findText_;
    int startPage_ = 0;
    bool loading_ = false;
    unsigned generation_ = 0;
};
