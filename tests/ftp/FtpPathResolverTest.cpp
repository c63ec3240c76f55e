#include "ftp/FtpPathResolver.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// A base folder "docs" beside a sibling "docs2" and a secret file outside both. The base holds a folder "2", so a
// link to "docs2/x" taken for a path inside "docs" by its first letters would land on "docs/2/x".
class FtpPathResolverTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "velkaro-paths-XXXXXX").string();
        root_ = ::mkdtemp(tmpl.data());
        root_ = fs::canonical(root_).string();
        base_ = root_ + "/docs";
        fs::create_directories(base_ + "/Books/Deep");
        fs::create_directories(root_ + "/docs2");
        fs::create_directories(base_ + "/2");
        std::ofstream(root_ + "/docs2/x") << "sibling";
        std::ofstream(base_ + "/2/x") << "inside";
        std::ofstream(root_ + "/secret") << "s";
        std::ofstream(base_ + "/a.pdf") << "a";
        fs::create_symlink(root_ + "/secret", base_ + "/out-file");
        fs::create_symlink(root_, base_ + "/out-dir");
        fs::create_symlink(root_ + "/missing", base_ + "/dangling");
        fs::create_symlink("Books", base_ + "/in-link");
        fs::create_symlink(base_ + "/Books", base_ + "/abs-in");
        fs::create_symlink(base_ + "/Books/Deep", base_ + "/Books/abs-deep");  // absolute, below the top
        fs::create_symlink(root_ + "/docs2", base_ + "/sibling");
        fs::create_symlink(root_ + "/docs2/x", base_ + "/sibling-file");
        fs::create_symlink("../docs2", base_ + "/rel-sibling");
        fs::create_symlink("..", base_ + "/Books/up");      // back to the base: fine
        fs::create_symlink("../..", base_ + "/Books/out");  // above it: never
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string root_, base_;
};

}  // namespace

TEST_F(FtpPathResolverTest, NamesAreFoundBeneathTheBaseOrRefused) {
    FtpPathResolver r(base_ + "/");
    EXPECT_EQ(r.baseDir(), base_);
    struct Case {
        std::string current, name;
        std::string found;  // the entry's path (links in the last component kept), "(out)" or why it is not found
    };
    const std::vector<Case> cases = {
        {"", "a.pdf", "a.pdf"},
        {"", "/a.pdf", "a.pdf"},
        {"Books", "/a.pdf", "a.pdf"},
        {"Books", "../a.pdf", "a.pdf"},
        {"Books", "Deep/../../a.pdf", "a.pdf"},
        {"", "new.pdf", "new.pdf"},
        {"", "", ""},
        {"", ".", ""},
        {"", "/", ""},
        {"", "Books/..", ""},
        {"", "..", "(out)"},
        {"", "/../secret", "(out)"},
        {"", "../docs2/x", "(out)"},
        {"Books", "../../secret", "(out)"},
        {"", "out-file", "(out)"},
        {"", "out-dir/secret", "(out)"},
        {"", "out-dir/new/deeper", "(out)"},
        {"", "dangling", "(out)"},
        {"", "sibling", "(out)"},
        {"", "sibling/x", "(out)"},
        {"", "sibling-file", "(out)"},
        {"", "rel-sibling/x", "(out)"},
        {"", "2/x", "2/x"},
        {"", "a.pdf/x", "(Not a directory)"},
        {"", "missing/x", "(No such file or directory)"},
        {"", "in-link", "in-link"},
        {"", "in-link/Deep", "Books/Deep"},
        {"", "abs-in/Deep", "Books/Deep"},
        {"", "Books/abs-deep/x", "Books/Deep/x"},
        {"", "Books/up/a.pdf", "a.pdf"},
        {"Books", "up", "Books/up"},
        {"Books", "out", "(out)"},
        {"Books", "out/docs/a.pdf", "(out)"},
        {"", "my  file.pdf", "my  file.pdf"},
        {"", std::string("a.pdf\0/../../secret", 19), "(out)"},
    };
    for (const auto& c : cases) {
        auto path = FtpPathResolver::join(c.current, c.name);
        auto entry = path ? r.locate(*path, false) : Result<FtpPathResolver::Entry>(systemError(EXDEV));
        const std::string found = entry                                      ? entry->path
                                  : FtpPathResolver::ledOut(entry.error()) ? "(out)"
                                                                           : "(" + entry.error().message() + ")";
        EXPECT_EQ(found, c.found) << c.current << " + " << c.name;
    }
}

TEST_F(FtpPathResolverTest, OpeningNeverLeavesTheBaseWithOrWithoutTheKernelsHelp) {
    FtpPathResolver r(base_);
    struct Case {
        std::string path;
        int flags;
        bool opens;
    };
    const Case cases[] = {
        {"a.pdf", O_RDONLY, true},           {"", O_RDONLY | O_DIRECTORY, true},
        {"in-link/Deep", O_RDONLY | O_DIRECTORY, true}, {"abs-in", O_RDONLY | O_DIRECTORY, true},
        {"Books/up/a.pdf", O_RDONLY, true},  {"out-file", O_RDONLY, false},
        {"out-dir", O_RDONLY | O_DIRECTORY, false},     {"Books/out", O_RDONLY | O_DIRECTORY, false},
        {"dangling", O_WRONLY | O_CREAT, false},        {"Books/new.pdf", O_WRONLY | O_CREAT, true},
        {"sibling/x", O_RDONLY, false},                 {"sibling-file", O_RDONLY, false},
        {"sibling", O_RDONLY | O_DIRECTORY, false},     {"sibling/new.pdf", O_WRONLY | O_CREAT, false},
    };
    for (bool kernel : {true, false}) {
        FtpPathResolver::setKernelResolutionForTesting(kernel);
        for (const auto& c : cases) EXPECT_EQ(bool(r.open(c.path, c.flags, 0644)), c.opens) << c.path << kernel;
    }
    FtpPathResolver::setKernelResolutionForTesting(true);
    EXPECT_FALSE(fs::exists(root_ + "/missing"));
    // Only a regular file, never waiting on a pipe, and blocking as usual once open.
    ASSERT_EQ(::mkfifo((base_ + "/pipe").c_str(), 0600), 0);
    struct stat st {};
    UniqueFd file = r.openRegularFile("a.pdf", O_RDONLY, st);
    ASSERT_TRUE(file);
    EXPECT_EQ(st.st_size, 1);
    EXPECT_EQ(::fcntl(file.get(), F_GETFL) & O_NONBLOCK, 0);
    for (const char* other : {"Books", "pipe"}) {
        EXPECT_FALSE(r.openRegularFile(other, O_RDONLY, st)) << other;
        EXPECT_EQ(errno, EINVAL) << other;
    }
}

TEST_F(FtpPathResolverTest, FoldersToEnterAndToMake) {
    FtpPathResolver r(base_);
    EXPECT_EQ(r.enterableDirectory("in-link"), "Books");
    EXPECT_EQ(r.enterableDirectory("Books/up"), "");
    EXPECT_EQ(r.enterableDirectory("Books/Deep/.."), "Books");  // ends in a folder the walk has left
    EXPECT_EQ(r.enterableDirectory("out-dir"), std::nullopt);
    EXPECT_EQ(r.enterableDirectory("a.pdf"), std::nullopt);
    EXPECT_TRUE(r.makeDirectories("n1/n2/n3"));
    EXPECT_TRUE(fs::is_directory(base_ + "/n1/n2/n3"));
    EXPECT_TRUE(r.makeDirectories("in-link/n4"));
    EXPECT_TRUE(fs::is_directory(base_ + "/Books/n4"));
    EXPECT_FALSE(r.makeDirectories("out-dir/x"));
    EXPECT_FALSE(r.makeDirectories("a.pdf/x"));
    EXPECT_FALSE(fs::exists(root_ + "/x"));
    EXPECT_TRUE(r.makeDirectories("Books/up/n5/abs-in/n6"));  // links and ".." on the way, made beneath them
    EXPECT_TRUE(fs::is_directory(base_ + "/n5/abs-in/n6"));
    EXPECT_FALSE(r.makeDirectories("Books/out/x"));
    std::string deep = "d";
    for (size_t i = 1; i < FtpPathResolver::kMaxDepth; ++i) deep += "/d";
    EXPECT_TRUE(r.makeDirectories(deep));
    EXPECT_FALSE(r.makeDirectories(deep + "/d"));
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_TRUE(r.linkLeadsInside("Books", ".."));
    EXPECT_FALSE(r.linkLeadsInside("", ".."));
    EXPECT_FALSE(r.linkLeadsInside("", root_ + "/secret"));
    EXPECT_FALSE(r.linkLeadsInside("", root_ + "/docs2/x"));
    EXPECT_FALSE(r.linkLeadsInside("", root_ + "/docs2"));
    EXPECT_TRUE(r.linkLeadsInside("", base_ + "/2/x"));
    EXPECT_TRUE(r.linkLeadsInside("Books", base_));
    EXPECT_FALSE(fs::exists(root_ + "/docs2/new.pdf"));
    // As many links in one path as the kernel follows (40), and one more.
    fs::create_symlink("a.pdf", base_ + "/chain0");
    for (int i = 1; i <= 40; ++i) fs::create_symlink("chain" + std::to_string(i - 1), base_ + "/chain" + std::to_string(i));
    auto forty = r.locate("chain39", true);
    ASSERT_TRUE(forty);
    EXPECT_EQ(forty->path, "a.pdf");
    EXPECT_FALSE(r.locate("chain40", true));
}

TEST(FtpPathResolverPaths, TheWholeFileSystemAsBase) {
    FtpPathResolver root("/");
    EXPECT_EQ(root.baseDir(), "/");
    EXPECT_EQ(root.absolutePath("tmp"), "/tmp");
    EXPECT_EQ(root.enterableDirectory("tmp"), "tmp");
    EXPECT_TRUE(root.linkLeadsInside("", "/tmp"));
}

TEST(FtpPathResolverPaths, VisiblePathsParentsAndInside) {
    EXPECT_EQ(FtpPathResolver::visiblePath(""), "/");
    EXPECT_EQ(FtpPathResolver::visiblePath("Books/Deep"), "/Books/Deep/");
    EXPECT_EQ(FtpPathResolver::deletingLastPathComponent("/Books/"), "/");
    EXPECT_EQ(FtpPathResolver::deletingLastPathComponent("/Books/Deep/"), "/Books");
    EXPECT_EQ(FtpPathResolver::deletingLastPathComponent("/"), "/");
    EXPECT_TRUE(FtpPathResolver::isInside("Books/Deep", "Books"));
    EXPECT_TRUE(FtpPathResolver::isInside("Books", ""));
    EXPECT_FALSE(FtpPathResolver::isInside("Books2", "Books"));
}
