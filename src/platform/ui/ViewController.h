#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/RunLoop.h"

class View;
class ViewController;

/// The front-end that shows screens. Told when a screen is presented over another and when it is gone.
class ScreenHost {
public:
    virtual ~ScreenHost() = default;
    virtual void screenPresented(ViewController* presenter, ViewController* screen) = 0;
    /// The screen is about to be destroyed; its models are still valid during the call.
    virtual void screenDismissed(ViewController* presenter, ViewController* screen) = 0;
};

/// Base of every screen: made from its interface file's name, it owns its widget models and exposes them as
/// named outlets and its buttons as named actions, which is how a front-end binds an interface file to it.
/// `viewDidLoad` runs once, after the outlets exist, when the screen is first loaded.
///
/// Presentation is modal and one at a time: a screen shows at most one screen over itself, owns it while it is
/// up, and destroys it on a later turn of the run loop after dismissal, so a screen may dismiss itself from its
/// own action safely.
class ViewController {
public:
    enum Orientation { Portrait = 1, PortraitUpsideDown = 2, LandscapeLeft = 3, LandscapeRight = 4 };

    explicit ViewController(std::string nibName);
    virtual ~ViewController();
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    const std::string& nibName() const { return nibName_; }
    /// Calls `viewDidLoad` the first time.
    void loadViewIfNeeded();
    bool isViewLoaded() const { return loaded_; }

    /// Outlets by name, in registration order; nullptr for an unknown name.
    View* outlet(const std::string& name) const;
    const std::vector<std::pair<std::string, View*>>& outlets() const { return outlets_; }
    bool hasAction(const std::string& name) const { return actions_.count(name) != 0; }
    /// Whether the button of this action can be used now; screens with actions not always available say so.
    virtual bool isActionEnabled(const std::string&) const { return true; }
    /// Runs the named action (a button tap); false for an unknown name.
    bool sendAction(const std::string& name);

    /// Shows `screen` over this one (loading it first). Refused, with a log line, while another screen is up.
    void presentViewController(std::unique_ptr<ViewController> screen, bool animated,
                               std::function<void()> completion = nullptr);
    void presentModalViewController(std::unique_ptr<ViewController> screen, bool animated) {
        presentViewController(std::move(screen), animated);
    }
    /// Closes this screen if it was presented, else the screen it presents. `completion` runs once the screen is
    /// destroyed.
    void dismissViewControllerAnimated(bool animated, std::function<void()> completion = nullptr);
    void dismissModalViewControllerAnimated(bool animated) { dismissViewControllerAnimated(animated); }

    ViewController* presentedViewController() const { return presented_.get(); }
    ViewController* presentingViewController() const { return presenting_; }

    virtual bool shouldAutorotate() const { return true; }
    /// Portrait and portrait upside down (mask 6) on every screen.
    virtual unsigned supportedInterfaceOrientations() const { return (1u << Portrait) | (1u << PortraitUpsideDown); }
    virtual bool shouldAutorotateToInterfaceOrientation(int orientation) const {
        return orientation == Portrait || orientation == PortraitUpsideDown;
    }

    /// The front-end told of presentations; none by default (headless).
    static void setScreenHost(ScreenHost* host);
    static ScreenHost* screenHost();

protected:
    /// Builds fixed tables, fills initial texts, computes the first result.
    virtual void viewDidLoad() {}
    void registerOutlet(const std::string& name, View& view);
    void registerAction(const std::string& name, std::function<void()> action);

private:
    std::string nibName_;
    bool loaded_ = false;
    std::vector<std::pair<std::string, View*>> outlets_;
    std::map<std::string, std::function<void()>> actions_;
    std::unique_ptr<ViewController> presented_;
    ViewController* presenting_ = nullptr;
    RunLoop::Handle pendingDismiss_ = 0;
};
