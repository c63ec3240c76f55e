#include "web/WebToken.h"

#include <sys/random.h>

#include <cerrno>
#include <system_error>

WebToken::WebToken() {
    unsigned char bytes[16];
    size_t got = 0;
    while (got < sizeof bytes) {
        ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw std::system_error(errno, std::generic_category(), "getrandom");
        got += static_cast<size_t>(n);
    }
    static constexpr char kHex[] = "0123456789abcdef";
    for (unsigned char b : bytes) {
        text_ += kHex[b >> 4];
        text_ += kHex[b & 15];
    }
}

bool WebToken::matches(std::string_view candidate) const {
    // Every byte is looked at whatever differs, so the time taken tells a guesser nothing about the prefix.
    unsigned char diff = candidate.size() == text_.size() ? 0 : 1;
    for (size_t i = 0; i < text_.size(); ++i)
        diff |= static_cast<unsigned char>(text_[i] ^ (i < candidate.size() ? candidate[i] : 0));
    return diff == 0 && !text_.empty();
}

std::string WebToken::cookie() const {
    return std::string(kCookieName) + "=" + text_ + "; Path=/; HttpOnly; SameSite=Strict";
}
