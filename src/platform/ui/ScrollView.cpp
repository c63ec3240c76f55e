#include "platform/ui/ScrollView.h"

void ScrollView::setContentSize(Size size) {
    contentSize_ = size;
    changed();
}
