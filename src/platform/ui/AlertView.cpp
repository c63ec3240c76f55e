#include "platform/ui/AlertView.h"

#include "platform/ui/Application.h"

AlertView::AlertView(std::string title, std::string message, AlertViewDelegate* delegate,
                     std::string cancelButtonTitle, std::string otherButtonTitle)
    : title_(std::move(title)),
      message_(std::move(message)),
      cancel_(std::move(cancelButtonTitle)),
      other_(std::move(otherButtonTitle)),
      delegate_(delegate) {}

void AlertView::show() {
    visible_ = true;
    Application::shared().presentAlert(shared_from_this());
}

void AlertView::clickButtonAtIndex(int index) {
    auto self = shared_from_this();  // the application drops its reference below
    visible_ = false;
    Application::shared().alertDismissed(this);
    if (delegate_) delegate_->alertViewClickedButtonAtIndex(this, index);
}
