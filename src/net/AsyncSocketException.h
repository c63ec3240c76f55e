#pragma once
#include <stdexcept>
#include <string>

/// Raised when an `AsyncSocket` is used wrongly (accepting or connecting without a delegate, or while it already
/// listens or is connected). `name()` is "AsyncSocketException" for those; the address-to-text failure uses the
/// name "NSInternalInconsistencyException". Run-time failures are never exceptions: they are `Error` values.
class AsyncSocketException : public std::logic_error {
public:
    explicit AsyncSocketException(const std::string& reason, std::string name = "AsyncSocketException")
        : std::logic_error(reason), name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    std::string reason() const { return what(); }

private:
    std::string name_;
};
