#include "platform/ui/ViewController.h"

#include "platform/Log.h"

namespace {
ScreenHost* gHost = nullptr;
}

void ViewController::setScreenHost(ScreenHost* host) { gHost = host; }
ScreenHost* ViewController::screenHost() { return gHost; }

ViewController::ViewController(std::string nibName) : nibName_(std::move(nibName)) {}

ViewController::~ViewController() {
    if (pendingDismiss_) RunLoop::main().cancel(pendingDismiss_);
    if (presented_ && gHost) gHost->screenDismissed(this, presented_.get());
}

void ViewController::loadViewIfNeeded() {
    if (loaded_) return;
    loaded_ = true;
    viewDidLoad();
}

View* ViewController::outlet(const std::string& name) const {
    for (const auto& [n, v] : outlets_)
        if (n == name) return v;
    return nullptr;
}

bool ViewController::sendAction(const std::string& name) {
    auto it = actions_.find(name);
    if (it == actions_.end()) return false;
    auto action = it->second;  // the action may destroy nothing of ours, but may register others
    action();
    return true;
}

void ViewController::registerOutlet(const std::string& name, View& view) { outlets_.emplace_back(name, &view); }

void ViewController::registerAction(const std::string& name, std::function<void()> action) {
    actions_[name] = std::move(action);
}

void ViewController::presentViewController(std::unique_ptr<ViewController> screen, bool,
                                           std::function<void()> completion) {
    if (!screen) return;
    if (presented_) {
        logLine("a screen is already shown over " + nibName_ + "; " + screen->nibName() + " is not presented");
        return;
    }
    screen->loadViewIfNeeded();
    screen->presenting_ = this;
    presented_ = std::move(screen);
    if (gHost) gHost->screenPresented(this, presented_.get());
    if (completion) completion();
}

void ViewController::dismissViewControllerAnimated(bool, std::function<void()> completion) {
    // Sent to a presented screen, it closes that screen; sent to a presenter, the screen it shows.
    ViewController* presenter = presented_ ? this : presenting_;
    if (!presenter || !presenter->presented_ || presenter->pendingDismiss_) return;
    presenter->pendingDismiss_ = RunLoop::main().defer([presenter, completion] {
        presenter->pendingDismiss_ = 0;
        std::unique_ptr<ViewController> gone = std::move(presenter->presented_);
        if (gHost) gHost->screenDismissed(presenter, gone.get());
        gone.reset();
        if (completion) completion();
    });
}
