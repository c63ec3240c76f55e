#pragma once
#include <map>
#include <optional>
#include <string>

/// The per-user defaults store: a few typed values by key, kept in one file between launches.
///
/// Every change is written at once, atomically (temporary file, then rename), so a crash never leaves a torn
/// file. A missing, unreadable or corrupt file reads as an empty store, with one log line; nothing throws.
class Preferences {
public:
    /// Uses the file at `path`; nothing is read until the first query.
    explicit Preferences(std::string path);

    /// The store of this user: $XDG_CONFIG_HOME/velkaro/preferences (default ~/.config/velkaro/preferences).
    static Preferences& standard();
    /// Points the user's store at another file and forgets what was read (tests, scratch profiles).
    static void setStandardPath(std::string path);
    static std::string defaultPath();

    /// Whether anything is stored under the key (the platform's "object for key" is not nil).
    bool hasObject(const std::string& key);
    /// The stored value as an integer: booleans read as 0/1, texts through `intValue`; absent gives 0.
    int integerForKey(const std::string& key);
    /// The stored value as a boolean: non-zero numbers and "YES"/"true" texts are true; absent gives false.
    bool boolForKey(const std::string& key);
    void setInteger(int value, const std::string& key);
    void setBool(bool value, const std::string& key);

    const std::string& path() const { return path_; }

private:
    struct Value {
        char type;  // 'i' integer, 'b' boolean, 's' text
        std::string text;
    };
    void load();
    void save();

    std::string path_;
    bool loaded_ = false;
    std::map<std::string, Value> values_;
};
