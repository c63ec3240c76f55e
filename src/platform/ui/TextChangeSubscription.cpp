#include "platform/ui/TextChangeSubscription.h"

#include <memory>

void TextChangeSubscription::observe(std::initializer_list<const TextField*> fields, std::function<void()> handler) {
    cancel();
    auto shared = std::make_shared<std::function<void()>>(std::move(handler));
    for (const TextField* field : fields)
        tokens_.push_back(NotificationCenter::defaultCenter().addObserver(
            TextField::TextDidChangeNotification, field, [shared](const void*) { (*shared)(); }));
}

void TextChangeSubscription::observeAll(std::function<void()> handler) {
    cancel();
    tokens_.push_back(NotificationCenter::defaultCenter().addObserver(
        TextField::TextDidChangeNotification, nullptr, [handler = std::move(handler)](const void*) { handler(); }));
}

void TextChangeSubscription::cancel() {
    for (auto token : tokens_) NotificationCenter::defaultCenter().removeObserver(token);
    tokens_.clear();
}
