#include "ftp/AtomicUpload.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// A folder holding a.pdf ("old"), and what is in it as name → contents (folders as "/").
class AtomicUploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "velkaro-atomic-XXXXXX").string();
        dir_ = fs::canonical(::mkdtemp(tmpl.data())).string();
        std::ofstream(dir_ + "/a.pdf") << "old";
        folder_ = UniqueFd(::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::map<std::string, std::string> contents() const {
        std::map<std::string, std::string> out;
        for (const auto& e : fs::directory_iterator(dir_)) {
            std::ostringstream text;
            if (e.is_regular_file()) text << std::ifstream(e.path()).rdbuf();
            out[e.path().filename().string()] = e.is_directory() ? "/" : text.str();
        }
        return out;
    }
    // The one temporary file in the folder, or "".
    std::string temporary() const {
        std::string found;
        for (const auto& [name, text] : contents())
            if (AtomicUpload::isTemporaryName(name)) found = found.empty() ? name : "(several)";
        return found;
    }
    static void write(const AtomicUpload& upload, std::string_view text) {
        ASSERT_EQ(::write(upload.fd(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    // Commits, as the servers do: whether the new version is in place.
    static bool committed(AtomicUpload& upload) { return bool(upload.commit()); }

    std::string dir_;
    UniqueFd folder_;
};

using Files = std::map<std::string, std::string>;

TEST_F(AtomicUploadTest, CommitPutsTheWholeNewVersionInPlaceOnce) {
    UniqueFd reader(::open((dir_ + "/a.pdf").c_str(), O_RDONLY | O_CLOEXEC));
    {
        AtomicUpload upload(folder_.get(), "a.pdf", 0640);
        ASSERT_TRUE(upload.isOpen());
        write(upload, "new version");
        const std::string temp = temporary();
        ASSERT_FALSE(temp.empty());
        EXPECT_EQ(contents(), (Files{{"a.pdf", "old"}, {temp, "new version"}})) << "nothing replaced before commit";
        EXPECT_TRUE(committed(upload));
        EXPECT_FALSE(upload.isOpen()) << "the descriptor goes with the commit";
        EXPECT_EQ(contents(), (Files{{"a.pdf", "new version"}}));
        EXPECT_FALSE(committed(upload)) << "once only";
        upload.abort();
    }
    EXPECT_EQ(contents(), (Files{{"a.pdf", "new version"}})) << "neither a second commit, abort nor the end undo it";
    char old[8] = {};
    EXPECT_EQ(::read(reader.get(), old, sizeof old), 3) << "a reader of the old file keeps it whole";
    EXPECT_STREQ(old, "old");
    struct stat st {};
    ASSERT_EQ(::stat((dir_ + "/a.pdf").c_str(), &st), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0640 & ~mask);
    // The folder given stays the caller's.
    EXPECT_EQ(::fcntl(folder_.get(), F_GETFD), FD_CLOEXEC);
}

TEST_F(AtomicUploadTest, AbortAndTheEndLeaveTheOldFile) {
    for (bool explicitly : {true, false}) {
        {
            AtomicUpload upload(folder_.get(), explicitly ? "a.pdf" : "b.pdf");
            write(upload, "partial");
            EXPECT_FALSE(temporary().empty());
            if (explicitly) {
                upload.abort();
                EXPECT_FALSE(upload.isOpen()) << "the descriptor goes with the abort";
                EXPECT_EQ(contents(), (Files{{"a.pdf", "old"}}));
                EXPECT_FALSE(committed(upload)) << "no commit after an abort";
            }
        }
        EXPECT_EQ(contents(), (Files{{"a.pdf", "old"}})) << explicitly;
    }
}

TEST_F(AtomicUploadTest, AbortRemovesOnlyTheFileItMade) {
    for (bool replaced : {false, true}) {
        {
            AtomicUpload upload(folder_.get(), "a.pdf");
            write(upload, "mine");
            const std::string temp = temporary();
            // Someone renames the temporary file away, and perhaps puts a file of their own under its name.
            fs::rename(dir_ + "/" + temp, dir_ + "/moved");
            if (replaced) std::ofstream(dir_ + "/" + temp) << "theirs";
            upload.abort();
            Files expected{{"a.pdf", "old"}, {"moved", "mine"}};
            if (replaced) expected[temp] = "theirs";
            EXPECT_EQ(contents(), expected) << replaced;
            EXPECT_FALSE(committed(upload));
            EXPECT_EQ(contents(), expected) << replaced;
            fs::remove(dir_ + "/" + temp);
            fs::remove(dir_ + "/moved");
        }
        EXPECT_EQ(contents(), (Files{{"a.pdf", "old"}}));
    }
}

TEST_F(AtomicUploadTest, AFailedCommitLeavesNothingBehind) {
    fs::create_directories(dir_ + "/Books/Deep");
    AtomicUpload upload(folder_.get(), "Books");  // a folder that is not empty cannot be replaced by a file
    write(upload, "new");
    EXPECT_EQ(upload.commit().error(), std::errc::is_a_directory) << "the reason comes back with the failure";
    EXPECT_EQ(upload.commit().error(), std::errc::invalid_argument) << "once only";
    EXPECT_EQ(contents(), (Files{{"a.pdf", "old"}, {"Books", "/"}}));
    EXPECT_TRUE(fs::is_directory(dir_ + "/Books/Deep"));
    // A commit that may not replace: the name taken since the upload began stays, a free one is taken.
    for (const char* name : {"a.pdf", "new.pdf"}) {
        AtomicUpload onlyIfNew(folder_.get(), name);
        write(onlyIfNew, "new");
        EXPECT_EQ(onlyIfNew.commit(false).error(), name == std::string("a.pdf") ? std::errc::file_exists : std::errc())
            << name;
    }
    EXPECT_EQ(contents(), (Files{{"a.pdf", "old"}, {"Books", "/"}, {"new.pdf", "new"}}));
    fs::remove(dir_ + "/new.pdf");

    AtomicUpload nowhere(-1, "x.pdf");
    EXPECT_FALSE(nowhere.isOpen());
    EXPECT_EQ(nowhere.error(), std::errc::bad_file_descriptor);
    EXPECT_FALSE(committed(nowhere));
    EXPECT_EQ(contents(), (Files{{"a.pdf", "old"}, {"Books", "/"}}));
}

TEST_F(AtomicUploadTest, LeftoversAreRemovedThroughEveryFolderButNotThroughLinks) {
    const std::string outside = dir_ + "-outside";
    fs::create_directories(outside);
    std::ofstream(outside + "/.velkaro-upload-0000000000000001") << "not ours to walk";
    fs::create_directories(dir_ + "/Books/Deep");
    fs::create_directories(dir_ + "/.velkaro-upload-0000000000000002");  // a folder of that name is the user's
    std::ofstream(dir_ + "/.velkaro-upload-0000000000000003") << "x";
    std::ofstream(dir_ + "/Books/.velkaro-upload-0000000000000004") << "x";
    std::ofstream(dir_ + "/Books/Deep/.velkaro-upload-0000000000000005") << "x";
    std::ofstream(dir_ + "/Books/velkaro-upload-0000000000000006") << "kept: not hidden";
    std::ofstream(dir_ + "/Books/.velkaro-uploa") << "kept: another name";
    fs::create_symlink(outside, dir_ + "/Books/out");
    fs::create_symlink(dir_ + "/a.pdf", dir_ + "/.velkaro-upload-0000000000000007");

    EXPECT_EQ(AtomicUpload::removeLeftovers(dir_), 3u);
    EXPECT_EQ(contents(), (Files{{"a.pdf", "old"}, {"Books", "/"}, {".velkaro-upload-0000000000000002", "/"},
                                 {".velkaro-upload-0000000000000007", "old"}}));
    EXPECT_TRUE(fs::exists(dir_ + "/Books/velkaro-upload-0000000000000006"));
    EXPECT_TRUE(fs::exists(dir_ + "/Books/.velkaro-uploa"));
    EXPECT_FALSE(fs::exists(dir_ + "/Books/Deep/.velkaro-upload-0000000000000005"));
    EXPECT_TRUE(fs::exists(outside + "/.velkaro-upload-0000000000000001"));
    EXPECT_EQ(AtomicUpload::removeLeftovers(dir_), 0u);
    EXPECT_EQ(AtomicUpload::removeLeftovers(dir_ + "/missing"), 0u);
    fs::remove_all(outside);

    for (std::string_view name : {".velkaro-upload-", ".velkaro-upload-0123456789abcdef"})
        EXPECT_TRUE(AtomicUpload::isTemporaryName(name)) << name;
    for (std::string_view name : {"", ".velkaro-upload", "velkaro-upload-1", "x.velkaro-upload-1", ".Velkaro-upload-1"})
        EXPECT_FALSE(AtomicUpload::isTemporaryName(name)) << name;
}

}  // namespace
