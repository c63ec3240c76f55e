#include "platform/ui/View.h"

void View::setHidden(bool hidden) {
    if (hidden_ == hidden) return;
    hidden_ = hidden;
    changed();
}

void View::setBackgroundColor(std::optional<Color> color) {
    background_ = color;
    changed();
}
