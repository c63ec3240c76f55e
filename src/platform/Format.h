#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

/// One argument of `format`: a number or a text.
class FormatArg {
public:
    enum class Kind { Int, UInt, Double, Text };
    template <typename T, std::enable_if_t<std::is_integral_v<T> && std::is_signed_v<T>, int> = 0>
    FormatArg(T v) : kind_(Kind::Int), i_(v) {}
    template <typename T, std::enable_if_t<std::is_integral_v<T> && std::is_unsigned_v<T>, int> = 0>
    FormatArg(T v) : kind_(Kind::UInt), u_(v) {}
    FormatArg(double v) : kind_(Kind::Double), d_(v) {}
    FormatArg(float v) : kind_(Kind::Double), d_(v) {}
    FormatArg(std::string_view v) : kind_(Kind::Text), s_(v) {}
    FormatArg(const std::string& v) : kind_(Kind::Text), s_(v) {}
    FormatArg(const char* v) : kind_(Kind::Text), s_(v ? v : "(null)") {}

    Kind kind() const { return kind_; }
    long long asInt() const;
    unsigned long long asUInt() const;
    double asDouble() const;
    std::string_view text() const { return s_; }

private:
    Kind kind_;
    long long i_ = 0;
    unsigned long long u_ = 0;
    double d_ = 0;
    std::string_view s_;
};

/// printf-style formatting as the app's texts use it: flags, width and precision as printf; `%d`/`%i` take a 32-bit
/// signed integer (wider values are cut to 32 bits as a C `int` argument would be), `%ld`/`%lld`/`%qd` 64-bit,
/// `%u`, `%qu`, `%llu` unsigned, `%f %e %g` doubles, `%c` a character, `%s` and `%@` a text inserted unchanged,
/// `%%` a percent sign. A missing argument formats as empty; a numeric conversion given a text formats the text.
std::string formatArgs(std::string_view fmt, const std::vector<FormatArg>& args);

template <typename... Args>
std::string format(std::string_view fmt, const Args&... args) {
    return formatArgs(fmt, std::vector<FormatArg>{FormatArg(args)...});
}
