#pragma once
#include <string>

#include "platform/ui/View.h"
#include "platform/ui/ViewVisitor.h"

/// A title bar with the title of its top item; the interface file's title until a screen sets one.
class NavigationBar : public View {
public:
    void accept(ViewVisitor& visitor) override { visitor.visit(*this); }
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    bool isTitleSet() const { return titleSet_; }
    float height() const { return 44.0f; }

private:
    std::string title_;
    bool titleSet_ = false;
};
