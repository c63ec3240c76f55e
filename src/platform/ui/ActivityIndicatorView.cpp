#include "platform/ui/ActivityIndicatorView.h"

void ActivityIndicatorView::startAnimating() {
    animating_ = true;
    changed();
}

void ActivityIndicatorView::stopAnimating() {
    animating_ = false;
    changed();
}
