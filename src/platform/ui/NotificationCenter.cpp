#include "platform/ui/NotificationCenter.h"

#include <vector>

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::Token NotificationCenter::addObserver(const std::string& name, const void* object,
                                                          Handler handler) {
    Token t = next_++;
    observers_[t] = Entry{name, object, std::move(handler)};
    return t;
}

void NotificationCenter::removeObserver(Token token) { observers_.erase(token); }

void NotificationCenter::postNotificationName(const std::string& name, const void* object) {
    std::vector<Token> matching;
    for (const auto& [token, e] : observers_)
        if (e.name == name && (e.object == nullptr || e.object == object)) matching.push_back(token);
    for (Token t : matching) {
        auto it = observers_.find(t);
        if (it == observers_.end()) continue;
        Handler h = it->second.handler;  // the handler may remove itself
        h(object);
    }
}
