#pragma once
#include "platform/ui/View.h"
#include "platform/ui/ViewVisitor.h"

/// The turning wait indicator.
class ActivityIndicatorView : public View {
public:
    void accept(ViewVisitor& visitor) override { visitor.visit(*this); }
    bool isAnimating() const { return animating_; }
    void startAnimating();
    void stopAnimating();

private:
    bool animating_ = false;
};
