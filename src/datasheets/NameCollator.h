#pragma once
#include <string>

struct UCollator;

/// Compares file names as people expect them ordered in the user's language: numbers by their value ("2" before
/// "10"), case aside. ICU's collation lives in a library of its own that only this needs, so it is opened on the
/// first comparison's behalf instead of at every start; without it names compare byte by byte, with a log line.
class NameCollator {
public:
    NameCollator();
    ~NameCollator();
    NameCollator(const NameCollator&) = delete;
    NameCollator& operator=(const NameCollator&) = delete;

    /// `a` goes before `b`; names that collate alike keep their byte order, so the order is total.
    bool less(const std::string& a, const std::string& b) const;

private:
    UCollator* collator_ = nullptr;
};
