#pragma once
#include "platform/ui/View.h"

/// The turning wait indicator.
class ActivityIndicatorView : public View {
public:
    bool isAnimating() const { return animating_; }
    void startAnimating();
    void stopAnimating();

private:
    bool animating_ = false;
};
