#include "web/WebValidators.h"

#include <gtest/gtest.h>

namespace {

struct stat fileAt(std::time_t modified, long nanoseconds = 0) {
    struct stat st {};
    st.st_ino = 0x2a;
    st.st_size = 10240;
    st.st_mtim = {modified, nanoseconds};
    return st;
}

TEST(WebValidators, HttpDatesBothWays) {
    EXPECT_EQ(WebValidators::httpDate(784111777), "Sun, 06 Nov 1994 08:49:37 GMT");
    EXPECT_EQ(WebValidators::httpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
    EXPECT_EQ(WebValidators::parseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
    EXPECT_EQ(WebValidators::parseHttpDate("Wed, 31 Dec 2025 23:59:59 GMT"), 1767225599);
    EXPECT_EQ(WebValidators::parseHttpDate("Thu, 01 Jan 1970 00:00:00 GMT"), 0);  // the first month counts too
    for (const char* bad : {"Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994", "Sun, 06 Nov 1994 08:49:37 UTC",
                            "Sun, 06 Now 1994 08:49:37 GMT", "Sun, 32 Nov 1994 08:49:37 GMT", "Sun, 06 Nov 1994 24:00:00 GMT",
                            "Sun, 06 Nov 1994 08:60:37 GMT", "Sun, 06 Nov 1994 08:49:61 GMT", "Sun, 0x Nov 1994 08:49:37 GMT",
                            "Sun, 00 Nov 1994 08:49:37 GMT", "Sun; 06 Nov 1994 08:49:37 GMT", ""})
        EXPECT_EQ(WebValidators::parseHttpDate(bad), std::nullopt) << bad;
}

TEST(WebValidators, ConditionalRequests) {
    const WebValidators v(fileAt(784111777, 5));
    const std::string tag = v.etag(), date = v.lastModified();
    EXPECT_EQ(tag, "\"2a-2800-ae1b981bc490a05\"");
    EXPECT_EQ(date, "Sun, 06 Nov 1994 08:49:37 GMT");
    EXPECT_NE(WebValidators(fileAt(784111777, 6)).etag(), tag);  // a new version within the same second
    struct Row {
        std::string ifNoneMatch, ifModifiedSince;
        bool notModified;
    } rows[] = {
        {tag, "", true},
        {"W/" + tag, "", true},
        {"\"x\", " + tag, "", true},
        {"\"x\",\"y\"", "", false},
        {"*", "", true},
        {"\"x\"", date, false},  // a tag list decides when there is one
        {"", date, true},
        {"", "Sun, 06 Nov 1994 08:49:36 GMT", false},
        {"", "Sun, 06 Nov 1994 08:49:38 GMT", true},
        {"", "not a date", false},
        {"", "", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(v.notModified(row.ifNoneMatch, row.ifModifiedSince), row.notModified)
            << row.ifNoneMatch << " / " << row.ifModifiedSince;
    EXPECT_TRUE(v.rangeApplies(""));
    EXPECT_TRUE(v.rangeApplies(tag));
    EXPECT_TRUE(v.rangeApplies(" " + date));
    EXPECT_FALSE(v.rangeApplies("W/" + tag));
    EXPECT_FALSE(v.rangeApplies("\"older\""));
    EXPECT_FALSE(v.rangeApplies("Sun, 06 Nov 1994 08:49:38 GMT"));
}

}  // namespace
