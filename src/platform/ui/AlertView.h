#pragma once
#include <memory>
#include <string>

class AlertView;

class AlertViewDelegate {
public:
    virtual ~AlertViewDelegate() = default;
    /// A button was tapped; the cancel button has index 0, the other button 1.
    virtual void alertViewClickedButtonAtIndex(AlertView* alert, int index) = 0;
};

/// A modal message with a cancel button and at most one other button. `show` hands it to the application,
/// which keeps it alive until a button is tapped.
class AlertView : public std::enable_shared_from_this<AlertView> {
public:
    AlertView(std::string title, std::string message, AlertViewDelegate* delegate, std::string cancelButtonTitle,
              std::string otherButtonTitle);

    const std::string& title() const { return title_; }
    const std::string& message() const { return message_; }
    const std::string& cancelButtonTitle() const { return cancel_; }
    const std::string& otherButtonTitle() const { return other_; }
    /// Number of buttons: the cancel button plus the other one if it has a title.
    int numberOfButtons() const { return other_.empty() ? 1 : 2; }
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    AlertViewDelegate* delegate() const { return delegate_; }

    /// Puts the alert on screen (through the application's alert presenter).
    void show();
    bool isVisible() const { return visible_; }
    /// A tap on button `index`: the alert goes away, then the delegate hears of it.
    void clickButtonAtIndex(int index);

private:
    std::string title_, message_, cancel_, other_;
    AlertViewDelegate* delegate_;
    int tag_ = 0;
    bool visible_ = false;
};
