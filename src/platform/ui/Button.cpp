#include "platform/ui/Button.h"

void Button::setTitle(std::string title) {
    title_ = std::move(title);
    titleSet_ = true;
    changed();
}

void Button::setSelected(bool selected) {
    selected_ = selected;
    changed();
}

void Button::setEnabled(bool enabled) {
    enabled_ = enabled;
    changed();
}
