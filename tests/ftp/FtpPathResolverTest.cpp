#include "ftp/FtpPathResolver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// A base folder "docs" beside a sibling "docs2" and a secret file outside both.
class FtpPathResolverTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "velkaro-paths-XXXXXX").string();
        root_ = ::mkdtemp(tmpl.data());
        root_ = fs::canonical(root_).string();
        base_ = root_ + "/docs";
        fs::create_directories(base_ + "/Books/Deep");
        fs::create_directories(root_ + "/docs2");
        std::ofstream(root_ + "/secret") << "s";
        std::ofstream(base_ + "/a.pdf") << "a";
        fs::create_symlink(root_ + "/secret", base_ + "/out-file");
        fs::create_symlink(root_, base_ + "/out-dir");
        fs::create_symlink(root_ + "/missing", base_ + "/dangling");
        fs::create_symlink("Books", base_ + "/in-link");
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string root_, base_;
};

}  // namespace

TEST_F(FtpPathResolverTest, NamesResolveInsideTheBaseOrAreRefused) {
    FtpPathResolver r(base_);
    const std::string books = base_ + "/Books";
    struct Case {
        std::string current, name;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        {base_, "a.pdf", base_ + "/a.pdf"},
        {base_, "/a.pdf", base_ + "/a.pdf"},
        {books, "/a.pdf", base_ + "/a.pdf"},
        {books, "../a.pdf", base_ + "/a.pdf"},
        {books, "Deep/../../a.pdf", base_ + "/a.pdf"},
        {base_, "new.pdf", base_ + "/new.pdf"},
        {base_, "", base_},
        {base_, ".", base_},
        {base_, "/", base_},
        {base_, "Books/..", base_},
        {base_, "..", std::nullopt},
        {base_, "/../secret", std::nullopt},
        {base_, "../docs2/x", std::nullopt},
        {books, "../../secret", std::nullopt},
        {base_, "out-file", std::nullopt},
        {base_, "out-dir/secret", std::nullopt},
        {base_, "out-dir/new/deeper", std::nullopt},  // MKD of missing folders through an outward link
        {base_, "dangling", std::nullopt},
        {base_, "in-link/Deep", base_ + "/in-link/Deep"},
        {base_, "my  file.pdf", base_ + "/my  file.pdf"},
        {base_, std::string("a.pdf\0/../../secret", 19), std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(r.resolve(c.current, c.name), c.expected) << c.current << " + " << c.name;
}

TEST_F(FtpPathResolverTest, BaseComparisonUsesWholeComponents) {
    FtpPathResolver r(base_ + "/");  // a trailing slash is not part of the comparison
    EXPECT_EQ(r.baseDir(), base_);
    EXPECT_TRUE(r.isInside(base_));
    EXPECT_TRUE(r.isInside(base_ + "/Books"));
    EXPECT_FALSE(r.isInside(root_ + "/docs2"));
    EXPECT_FALSE(r.isInside(root_));
    EXPECT_EQ(r.canonicalDirectory(base_ + "/in-link"), base_ + "/Books");
    EXPECT_EQ(r.canonicalDirectory(base_ + "/out-dir"), std::nullopt);
    EXPECT_EQ(r.canonicalDirectory(base_ + "/a.pdf"), std::nullopt);
}

TEST_F(FtpPathResolverTest, VisiblePathsAndParents) {
    FtpPathResolver r(base_);
    EXPECT_EQ(r.visiblePath(base_), "/");
    EXPECT_EQ(r.visiblePath(base_ + "/Books"), "/Books/");
    EXPECT_EQ(r.visiblePath(base_ + "/Books/Deep"), "/Books/Deep/");
    FtpPathResolver open(base_, false);
    EXPECT_EQ(open.visiblePath(base_), base_);
    EXPECT_EQ(open.resolve(base_, "/etc"), "/etc");
    EXPECT_EQ(FtpPathResolver::deletingLastPathComponent("/Books/"), "/");
    EXPECT_EQ(FtpPathResolver::deletingLastPathComponent("/Books/Deep/"), "/Books");
    EXPECT_EQ(FtpPathResolver::deletingLastPathComponent("/"), "/");
}

TEST(FtpPathResolverNames, ArgumentsAreRebuiltAndOptionsDropped) {
    struct Case {
        std::vector<std::string> words;
        std::string name;
    };
    const Case cases[] = {
        {{"LIST"}, ""},
        {{"LIST", "-la"}, ""},
        {{"LIST", "-la", "Books"}, "Books"},
        {{"NLST", "-l", "my", "file"}, "my file"},
        {{"STOR", "-notes.pdf"}, "-notes.pdf"},
        {{"stor", "my", "file.pdf"}, "my file.pdf"},
        {{"RETR", "my", "", "file.pdf"}, "my  file.pdf"},
        {{"Dele", "-x"}, "-x"},
        {{"RNTO", "a", "b", ""}, "a b "},
    };
    for (const auto& c : cases) EXPECT_EQ(FtpPathResolver::fileNameFromArgs(c.words), c.name) << c.words[0];
}
