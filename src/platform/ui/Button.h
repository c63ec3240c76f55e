#pragma once
#include <string>

#include "platform/ui/View.h"
#include "platform/ui/ViewVisitor.h"

/// A push button whose state a screen changes (title, enabled, selected). Taps reach the screen as its named action.
/// Until a screen sets a title, the button shows the one its interface file gives. A button drawn as a switch or
/// check box shows `isSelected` as its state; the screen's action decides what a tap makes of it.
class Button : public View {
public:
    void accept(ViewVisitor& visitor) override { visitor.visit(*this); }
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    bool isTitleSet() const { return titleSet_; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);

private:
    std::string title_;
    bool titleSet_ = false;
    bool enabled_ = true;
    bool selected_ = false;
};
