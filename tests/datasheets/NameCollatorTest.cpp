// Names in the order people expect: numbers by value, accents after their letter, and a total order for names that
// collate alike. (Whether case counts depends on the user's locale: not in most, but in POSIX's.)
#include "datasheets/NameCollator.h"

#include <gtest/gtest.h>

TEST(NameCollator, NumbersByValueAccentsByTheirLetterAndTiesByBytes) {
    const NameCollator collator;
    const struct {
        const char* first;
        const char* second;
    } rows[] = {{"NE555 2.pdf", "NE555 10.pdf"}, {"LM7805 9.pdf", "LM7805 10.pdf"}, {"B.pdf", "b.pdf"},
                {"é.pdf", "f.pdf"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.first) + " < " + row.second);
        EXPECT_TRUE(collator.less(row.first, row.second));
        EXPECT_FALSE(collator.less(row.second, row.first));
    }
}
