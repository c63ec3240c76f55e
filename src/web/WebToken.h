#pragma once
#include <string>
#include <string_view>

/// The secret that opens the web page for one sharing session: 128 random bits from the kernel as 32 lower-case
/// hex digits. It travels in the address (`?k=`), then in a cookie; comparing takes the same time whatever matches.
class WebToken {
public:
    /// The cookie that carries the token after the first visit.
    static constexpr std::string_view kCookieName = "velkaro_k";

    /// A fresh random token; throws std::system_error only when the kernel has no randomness to give.
    WebToken();
    /// A given token (tests).
    explicit WebToken(std::string text) : text_(std::move(text)) {}

    const std::string& text() const { return text_; }
    /// Whether `candidate` is the token, in time that does not depend on where they differ.
    bool matches(std::string_view candidate) const;
    /// The Set-Cookie value that keeps the token for the rest of the visit: HttpOnly, SameSite=Strict, whole site.
    std::string cookie() const;

private:
    std::string text_;
};
