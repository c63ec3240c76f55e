#pragma once
#include "platform/ui/View.h"
#include "platform/ui/ViewVisitor.h"

struct Size {
    float width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

/// A scrolling area; the screen sets the size of what it scrolls.
class ScrollView : public View {
public:
    void accept(ViewVisitor& visitor) override { visitor.visit(*this); }
    Size contentSize() const { return contentSize_; }
    void setContentSize(Size size);
    /// The visible size, reported by the front-end.
    Size bounds() const { return bounds_; }
    void setBounds(Size size) { bounds_ = size; }

private:
    Size contentSize_;
    Size bounds_{320, 460};
};
