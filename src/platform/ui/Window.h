#pragma once

class ViewController;

/// The application's one window: shows its root screen once made key and visible.
class Window {
public:
    ViewController* rootViewController() const { return root_; }
    void setRootViewController(ViewController* root) { root_ = root; }
    void makeKeyAndVisible() { visible_ = true; }
    bool isVisible() const { return visible_; }

private:
    ViewController* root_ = nullptr;  // owned by the application delegate
    bool visible_ = false;
};
