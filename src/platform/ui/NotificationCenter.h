#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>

/// Named notifications from a sender to any number of observers, delivered at once on the posting thread.
class NotificationCenter {
public:
    using Token = std::uint64_t;
    /// Receives the posting object.
    using Handler = std::function<void(const void* object)>;

    static NotificationCenter& defaultCenter();

    /// Observes `name` posted by `object` (nullptr: by anyone). Returns the token that removes the observer.
    Token addObserver(const std::string& name, const void* object, Handler handler);
    /// Removes an observer; safe from inside a handler, and for a token already removed.
    void removeObserver(Token token);
    /// Calls each matching observer in the order they were added. Observers removed by an earlier handler of
    /// the same post are not called.
    void postNotificationName(const std::string& name, const void* object);

private:
    struct Entry {
        std::string name;
        const void* object;
        Handler handler;
    };
    Token next_ = 1;
    std::map<Token, Entry> observers_;
};
