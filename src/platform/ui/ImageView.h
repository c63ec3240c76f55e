#pragma once
#include <string>

#include "platform/ui/View.h"
#include "platform/ui/ViewVisitor.h"

/// Shows an image resource by name (resources/images/NAME.svg or .png); empty shows nothing.
class ImageView : public View {
public:
    void accept(ViewVisitor& visitor) override { visitor.visit(*this); }
    const std::string& imageName() const { return imageName_; }
    void setImageNamed(std::string name);

private:
    std::string imageName_;
};
