#include "web/WebRange.h"

#include <gtest/gtest.h>

namespace {

TEST(WebRange, EveryFormOfOneRangeAndWhatIsServedWholeInstead) {
    using K = WebRange::Kind;
    struct Row {
        std::string_view header;
        std::uint64_t size;
        K kind;
        std::uint64_t offset, length;
    } rows[] = {
        {"", 100, K::Whole, 0, 100},
        {"bytes=0-99", 100, K::Partial, 0, 100},
        {"bytes=0-0", 100, K::Partial, 0, 1},
        {"bytes=99-99", 100, K::Partial, 99, 1},
        {"bytes=98-99", 100, K::Partial, 98, 2},
        {"bytes=10-19", 100, K::Partial, 10, 10},
        {"bytes= 10-19 ", 100, K::Partial, 10, 10},
        {"bytes=10-", 100, K::Partial, 10, 90},
        {"bytes=99-", 100, K::Partial, 99, 1},
        {"bytes=0-", 100, K::Partial, 0, 100},
        {"bytes=50-100", 100, K::Partial, 50, 50},   // an end past the file is cut to it
        {"bytes=0-999", 100, K::Partial, 0, 100},
        {"bytes=-1", 100, K::Partial, 99, 1},
        {"bytes=-99", 100, K::Partial, 1, 99},
        {"bytes=-100", 100, K::Partial, 0, 100},
        {"bytes=-101", 100, K::Partial, 0, 100},     // a suffix longer than the file is all of it
        {"bytes=-500", 100, K::Partial, 0, 100},
        {"bytes=100-", 100, K::Unsatisfiable, 0, 0},
        {"bytes=100-100", 100, K::Unsatisfiable, 0, 0},
        {"bytes=200-300", 100, K::Unsatisfiable, 0, 0},
        {"bytes=-0", 100, K::Unsatisfiable, 0, 0},
        {"bytes=0-", 0, K::Unsatisfiable, 0, 0},
        {"bytes=-5", 0, K::Unsatisfiable, 0, 0},
        {"", 0, K::Whole, 0, 0},
        {"bytes=0-0", 1, K::Partial, 0, 1},
        {"bytes=-1", 1, K::Partial, 0, 1},
        // Several ranges, other units and bad syntax: the whole file.
        {"bytes=0-9,20-29", 100, K::Whole, 0, 100},
        {"bytes=0-9, 20-", 100, K::Whole, 0, 100},
        {"items=0-9", 100, K::Whole, 0, 100},
        {"bytes 0-9", 100, K::Whole, 0, 100},
        {"bytes=", 100, K::Whole, 0, 100},
        {"bytes=-", 100, K::Whole, 0, 100},
        {"bytes=5", 100, K::Whole, 0, 100},
        {"bytes=9-5", 100, K::Whole, 0, 100},
        {"bytes=a-9", 100, K::Whole, 0, 100},
        {"bytes=0-9x", 100, K::Whole, 0, 100},
        {"bytes=--5", 100, K::Whole, 0, 100},
        {"bytes=+1-5", 100, K::Whole, 0, 100},
        {"bytes=1-2-3", 100, K::Whole, 0, 100},
        {"bytes=-5x", 100, K::Whole, 0, 100},
        // Numbers at and past 64 bits.
        {"bytes=0-18446744073709551615", 100, K::Partial, 0, 100},
        {"bytes=-18446744073709551615", 100, K::Partial, 0, 100},
        {"bytes=18446744073709551615-", 100, K::Unsatisfiable, 0, 0},
        {"bytes=0-18446744073709551616", 100, K::Whole, 0, 100},
        {"bytes=18446744073709551616-", 100, K::Whole, 0, 100},
        {"bytes=-18446744073709551616", 100, K::Whole, 0, 100},
        {"bytes=4294967296-4294967305", 5000000000, K::Partial, 4294967296, 10},
        // A header that is part of a longer text is read to its own end only.
        {std::string_view("bytes=0-9999", 10), 100, K::Partial, 0, 100},
        {std::string_view("bytes=-55", 8), 100, K::Partial, 95, 5},
    };
    for (const auto& row : rows) {
        const WebRange r = WebRange::parse(row.header, row.size);
        EXPECT_EQ(r.kind, row.kind) << row.header << " of " << row.size;
        EXPECT_EQ(r.offset, row.offset) << row.header << " of " << row.size;
        EXPECT_EQ(r.length, row.length) << row.header << " of " << row.size;
    }
}

}  // namespace
