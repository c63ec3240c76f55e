#pragma once
#include <cerrno>
#include <optional>
#include <system_error>
#include <utility>

/// errno as an error code: the reason the system call just made failed, taken before anything else can change it.
inline std::error_code lastSystemError() { return {errno, std::system_category()}; }
/// An errno value as an error code.
inline std::error_code systemError(int code) { return {code, std::system_category()}; }

namespace result_detail {
// An empty code (no reason known) counts as EIO, so that a failure never reads as success.
inline std::error_code failure(std::error_code error) { return error ? error : systemError(EIO); }
}  // namespace result_detail

/// A value, or the reason there is none. A module hands a failure's reason back with its result instead of
/// leaving it in errno, where any call on the caller's way (a log line, a destructor) may overwrite it.
template <class T>
class Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(std::error_code error) : error_(result_detail::failure(error)) {}

    explicit operator bool() const { return value_.has_value(); }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    /// Why there is no value; empty when there is one.
    std::error_code error() const { return error_; }

private:
    std::optional<T> value_;
    std::error_code error_;
};

/// Done, or the reason it could not be.
template <>
class Result<void> {
public:
    Result() = default;
    Result(std::error_code error) : error_(result_detail::failure(error)) {}

    explicit operator bool() const { return !error_; }
    std::error_code error() const { return error_; }

private:
    std::error_code error_;
};
