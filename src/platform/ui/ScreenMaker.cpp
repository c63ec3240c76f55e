#include "platform/ui/ScreenMaker.h"

#include "platform/ui/ViewController.h"

namespace {
ScreenMaker::Maker& installed() {
    static ScreenMaker::Maker maker;
    return maker;
}
}  // namespace

void ScreenMaker::install(Maker maker) { installed() = std::move(maker); }

std::unique_ptr<ViewController> ScreenMaker::make(const std::string& className, const std::string& nibName) {
    return installed() ? installed()(className, nibName) : nullptr;
}
