#include "platform/ui/Label.h"

void Label::setText(std::string text) {
    text_ = std::move(text);
    textSet_ = true;
    changed();
}

void Label::setTextAlignment(Alignment a) {
    alignment_ = a;
    changed();
}

void Label::setFrameSize(int width, int height) {
    width_ = width;
    height_ = height;
    changed();
}
