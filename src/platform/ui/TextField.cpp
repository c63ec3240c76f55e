#include "platform/ui/TextField.h"

#include "platform/ui/NotificationCenter.h"

void TextField::setText(std::string text) {
    text_ = std::move(text);
    changed();
}

void TextField::setPlaceholder(std::string text) {
    placeholder_ = std::move(text);
    changed();
}

void TextField::userEdit(std::string text) {
    text_ = std::move(text);
    changed();  // a front-end that did not make the edit itself (a script typing) shows the new text too
    NotificationCenter::defaultCenter().postNotificationName(TextDidChangeNotification, this);
}

void TextField::userReturn() {
    if (delegate_) delegate_->textFieldShouldReturn(this);
}

void TextField::becomeFirstResponder() {
    firstResponder_ = true;
    changed();
}

void TextField::resignFirstResponder() {
    firstResponder_ = false;
    changed();
}
