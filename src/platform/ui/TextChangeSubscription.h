#pragma once
#include <functional>
#include <initializer_list>
#include <vector>

#include "platform/ui/NotificationCenter.h"
#include "platform/ui/TextField.h"

/// A screen's subscription to the text-change notifications of its own fields. The screen holds it as a member,
/// so the observers are gone before the fields and the screen are: a notification can never reach a destroyed
/// screen, even when the screen forgets to cancel.
class TextChangeSubscription {
public:
    TextChangeSubscription() = default;
    ~TextChangeSubscription() { cancel(); }
    TextChangeSubscription(const TextChangeSubscription&) = delete;
    TextChangeSubscription& operator=(const TextChangeSubscription&) = delete;

    /// Calls `handler` after every user edit of any of `fields` (replacing an earlier subscription).
    void observe(std::initializer_list<const TextField*> fields, std::function<void()> handler);
    /// Calls `handler` after every user edit of any text field at all (replacing an earlier subscription).
    void observeAll(std::function<void()> handler);
    /// Stops observing; safe to call again, and from inside the handler.
    void cancel();
    bool isActive() const { return !tokens_.empty(); }

private:
    std::vector<NotificationCenter::Token> tokens_;
};
