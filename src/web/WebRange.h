#pragma once
#include <cstdint>
#include <string_view>

/// The part of a file a request's Range header asks for. Only a single byte range is served; anything else the
/// header may say (several ranges, other units, bad syntax) is answered with the whole file, as HTTP allows.
struct WebRange {
    enum class Kind { Whole, Partial, Unsatisfiable };
    Kind kind = Kind::Whole;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;

    /// The range `header` ("bytes=0-99", "bytes=100-", "bytes=-500"; empty for none) selects in a file of `size`
    /// bytes. A start at or past the end is Unsatisfiable (416); an end past it is cut to the file.
    static WebRange parse(std::string_view header, std::uint64_t size);
};
