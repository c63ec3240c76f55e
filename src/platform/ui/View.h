#pragma once
#include <functional>
#include <optional>
#include <string>

#include "platform/ui/Color.h"

class ViewVisitor;

/// Base of the widget models. A model holds the state a widget shows; a front-end (the Qt binder) draws it and
/// feeds user actions back. Screens own their models and never see a real widget.
class View {
public:
    View() = default;
    virtual ~View() = default;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);

    /// What a screen reader says for the widget when its text does not say it (a colour swatch's colour name);
    /// empty for none.
    const std::string& accessibilityLabel() const { return accessibilityLabel_; }
    void setAccessibilityLabel(std::string label) { accessibilityLabel_ = std::move(label); }

    /// Background colour; nothing means the widget's own.
    const std::optional<Color>& backgroundColor() const { return background_; }
    void setBackgroundColor(std::optional<Color> color);

    /// Calls the visitor's `visit` for this model's type. Models no front-end draws on their own (a table cell,
    /// drawn as a row of its table) call nothing.
    virtual void accept(ViewVisitor&) {}

    /// The one front-end observer, told after every state change. Setting another replaces it.
    void setChangeObserver(std::function<void()> observer) { observer_ = std::move(observer); }

protected:
    void changed() {
        if (observer_) observer_();
    }

private:
    bool hidden_ = false;
    std::optional<Color> background_;
    std::string accessibilityLabel_;
    std::function<void()> observer_;
};
