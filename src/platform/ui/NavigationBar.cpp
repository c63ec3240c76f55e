#include "platform/ui/NavigationBar.h"

void NavigationBar::setTitle(std::string title) {
    title_ = std::move(title);
    titleSet_ = true;
    changed();
}
