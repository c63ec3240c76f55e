#include "platform/UniqueFd.h"

#include <fcntl.h>
#include <gtest/gtest.h>

namespace {

bool isOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

}  // namespace

TEST(UniqueFd, ExactlyOneOwnerClosesTheDescriptor) {
    int raw = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(raw, 0);
    {
        UniqueFd a(raw);
        UniqueFd b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), raw);
        UniqueFd c;
        c = std::move(b);
        EXPECT_TRUE(isOpen(raw));  // moving never closes
    }
    EXPECT_FALSE(isOpen(raw));  // the last owner closed it once

    UniqueFd kept(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    int released = kept.release();
    EXPECT_FALSE(kept);
    kept.reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    EXPECT_TRUE(isOpen(released));  // released: now the caller's to close
    ::close(released);
    int second = kept.get();
    kept.reset();
    EXPECT_FALSE(isOpen(second));
}
