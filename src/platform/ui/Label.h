#pragma once
#include <string>

#include "platform/ui/View.h"

/// A line or block of text.
class Label : public View {
public:
    enum class Alignment { Left, Center, Right };

    const std::string& text() const { return text_; }
    void setText(std::string text);

    Alignment textAlignment() const { return alignment_; }
    void setTextAlignment(Alignment a);

    /// Size in points, for labels made by code (picker swatches); 0 when the interface file decides.
    int width() const { return width_; }
    int height() const { return height_; }
    void setFrameSize(int width, int height);

private:
    std::string text_;
    Alignment alignment_ = Alignment::Left;
    int width_ = 0, height_ = 0;
};
