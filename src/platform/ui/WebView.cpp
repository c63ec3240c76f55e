#include "platform/ui/WebView.h"

void WebView::loadHTMLString(std::string html, std::string baseURL) {
    source_ = Source::Html;
    html_ = std::move(html);
    baseURL_ = std::move(baseURL);
    filePath_.clear();
    ++generation_;
    changed();
}

void WebView::loadFile(std::string path) {
    source_ = Source::File;
    filePath_ = std::move(path);
    html_.clear();
    baseURL_.clear();
    ++generation_;
    changed();
}

void WebView::stopLoading() {
    if (!loading_) return;
    loading_ = false;
    changed();
}

void WebView::didStartLoad() {
    loading_ = true;
    if (delegate_) delegate_->webViewDidStartLoad(this);
}

void WebView::didFinishLoad() {
    if (!loading_) return;  // stopped in the meantime
    loading_ = false;
    if (delegate_) delegate_->webViewDidFinishLoad(this);
}

void WebView::didFailLoad(const Error& error) {
    if (!loading_) return;
    loading_ = false;
    if (delegate_) delegate_->webViewDidFailLoadWithError(this, error);
}
