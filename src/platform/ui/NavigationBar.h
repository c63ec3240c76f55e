#pragma once
#include <string>

#include "platform/ui/View.h"

/// A title bar with the title of its top item.
class NavigationBar : public View {
public:
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    float height() const { return 44.0f; }

private:
    std::string title_;
};
