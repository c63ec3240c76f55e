#pragma once
#include <string>

#include "platform/ui/View.h"
#include "platform/ui/ViewVisitor.h"

/// A line or block of text. Until a screen sets a text, the label shows the one its interface file gives.
class Label : public View {
public:
    void accept(ViewVisitor& visitor) override { visitor.visit(*this); }
    enum class Alignment { Left, Center, Right };

    const std::string& text() const { return text_; }
    void setText(std::string text);
    /// Whether a screen has set the text (even to ""); a front-end draws only a text that was set.
    bool isTextSet() const { return textSet_; }

    Alignment textAlignment() const { return alignment_; }
    void setTextAlignment(Alignment a);

    /// Size in points, for labels made by code (picker swatches); 0 when the interface file decides.
    int width() const { return width_; }
    int height() const { return height_; }
    void setFrameSize(int width, int height);

private:
    std::string text_;
    bool textSet_ = false;
    Alignment alignment_ = Alignment::Left;
    int width_ = 0, height_ = 0;
};
