#include "platform/ui/ImageView.h"

void ImageView::setImageNamed(std::string name) {
    imageName_ = std::move(name);
    changed();
}
