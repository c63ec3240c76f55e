#pragma once
#include <string>

#include "platform/ui/View.h"
#include "platform/ui/ViewVisitor.h"

class TextField;

/// What a text field asks its delegate (the screen). Every message is optional: the defaults do nothing.
class TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;
    /// The return key was pressed; the answer is ignored by the toolkit but kept for fidelity.
    virtual bool textFieldShouldReturn(TextField*) { return true; }
};

/// A one-line text field. A user edit changes the text and then posts
/// `TextField::TextDidChangeNotification` with the field as its object; setting the text by code posts nothing.
class TextField : public View {
public:
    void accept(ViewVisitor& visitor) override { visitor.visit(*this); }
    static constexpr const char* TextDidChangeNotification = "UITextFieldTextDidChangeNotification";
    enum class Keyboard { Default, NumbersAndPunctuation, NumberPad, DecimalPad };

    const std::string& text() const { return text_; }
    /// Sets the text as code does: no notification.
    void setText(std::string text);

    const std::string& placeholder() const { return placeholder_; }
    void setPlaceholder(std::string text);
    Keyboard keyboardType() const { return keyboard_; }
    void setKeyboardType(Keyboard k) { keyboard_ = k; }

    TextFieldDelegate* delegate() const { return delegate_; }
    void setDelegate(TextFieldDelegate* d) { delegate_ = d; }

    /// The user changed the text (typing, pasting, deleting): stores it, tells the change observer and posts the
    /// change notification.
    void userEdit(std::string text);
    /// The user pressed return: asks the delegate `textFieldShouldReturn`.
    void userReturn();

    bool isFirstResponder() const { return firstResponder_; }
    void becomeFirstResponder();
    /// Gives up the keyboard focus.
    void resignFirstResponder();

private:
    std::string text_, placeholder_;
    Keyboard keyboard_ = Keyboard::Default;
    TextFieldDelegate* delegate_ = nullptr;
    bool firstResponder_ = false;
};
