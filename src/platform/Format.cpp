#include "platform/Format.h"

#include <cctype>
#include <cstdio>

long long FormatArg::asInt() const {
    switch (kind_) {
        case Kind::Int: return i_;
        case Kind::UInt: return static_cast<long long>(u_);
        case Kind::Double: return static_cast<long long>(d_);
        case Kind::Text: return 0;
    }
    return 0;
}

unsigned long long FormatArg::asUInt() const {
    return kind_ == Kind::UInt ? u_ : static_cast<unsigned long long>(asInt());
}

double FormatArg::asDouble() const {
    switch (kind_) {
        case Kind::Int: return static_cast<double>(i_);
        case Kind::UInt: return static_cast<double>(u_);
        case Kind::Double: return d_;
        case Kind::Text: return 0;
    }
    return 0;
}

namespace {

template <typename T>
void appendPrintf(std::string& out, const std::string& piece, T value) {
    char buf[128];
    int n = std::snprintf(buf, sizeof buf, piece.c_str(), value);
    if (n < 0) return;
    if (static_cast<size_t>(n) < sizeof buf) {
        out.append(buf, static_cast<size_t>(n));
        return;
    }
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), piece.c_str(), value);
    out.append(big.data(), static_cast<size_t>(n));
}

}  // namespace

std::string formatArgs(std::string_view fmt, const std::vector<FormatArg>& args) {
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < fmt.size(); ++i) {
        char c = fmt[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 1 < fmt.size() && fmt[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // Flags, width, precision.
        size_t j = i + 1;
        std::string piece = "%";
        while (j < fmt.size() && std::string_view("-+ #0").find(fmt[j]) != std::string_view::npos) piece += fmt[j++];
        while (j < fmt.size() && std::isdigit(static_cast<unsigned char>(fmt[j]))) piece += fmt[j++];
        if (j < fmt.size() && fmt[j] == '.') {
            piece += fmt[j++];
            while (j < fmt.size() && std::isdigit(static_cast<unsigned char>(fmt[j]))) piece += fmt[j++];
        }
        // Length modifiers: l, ll, q (64-bit), h, hh, z.
        int longs = 0;
        while (j < fmt.size() && std::string_view("lqhzjt").find(fmt[j]) != std::string_view::npos) {
            if (fmt[j] == 'l') ++longs;
            if (fmt[j] == 'q') longs = 2;
            ++j;
        }
        if (j >= fmt.size()) {
            out.append(fmt.substr(i));
            break;
        }
        char conv = fmt[j];
        const size_t start = i;
        const FormatArg* arg = next < args.size() ? &args[next] : nullptr;
        ++next;
        i = j;
        if (conv == '@' || conv == 's') {
            if (!arg) continue;
            if (arg->kind() == FormatArg::Kind::Text) {
                std::string text(arg->text());
                appendPrintf(out, piece + "s", text.c_str());
            } else {
                appendPrintf(out, piece + "lld", arg->asInt());
            }
            continue;
        }
        if (!arg) continue;
        if (arg->kind() == FormatArg::Kind::Text) {
            out.append(arg->text());
            continue;
        }
        switch (conv) {
            case 'd':
            case 'i':
                if (longs > 0)
                    appendPrintf(out, piece + "lld", arg->asInt());
                else
                    appendPrintf(out, piece + "d", static_cast<int>(arg->asInt()));
                break;
            case 'u':
            case 'x':
            case 'X':
            case 'o':
                if (longs > 0)
                    appendPrintf(out, piece + "ll" + conv, arg->asUInt());
                else
                    appendPrintf(out, piece + conv, static_cast<unsigned>(arg->asUInt()));
                break;
            case 'c': appendPrintf(out, piece + "c", static_cast<int>(arg->asInt())); break;
            case 'f':
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G':
            case 'a':
            case 'A': appendPrintf(out, piece + conv, arg->asDouble()); break;
            case 'p': appendPrintf(out, "0x" + piece + "llx", arg->asUInt()); break;
            default: out.append(fmt.substr(start, j - start + 1)); break;  // unknown: kept as written
        }
    }
    return out;
}
