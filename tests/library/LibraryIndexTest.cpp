#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "gui/DatasheetsTestPdf.h"
#include "library/LibraryDatabase.h"
#include "library/LibraryIndexer.h"
#include "library/SearchQuery.h"

namespace fs = std::filesystem;

namespace {

class LibraryIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("velkaro-library-" + std::to_string(getpid()));
        fs::remove_all(root_);
        fs::create_directories(folder());
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path folder() const { return root_ / "Documents"; }
    std::string dbPath() const { return (root_ / "Library.sqlite").string(); }
    void write(const std::string& name, const std::string& bytes) const {
        fs::create_directories((folder() / name).parent_path());
        std::ofstream(folder() / name, std::ios::binary) << bytes;
    }
    // Each result as "path:page", best first.
    static std::set<std::string> found(const LibraryDatabase& db, const std::string& query, bool typing = false) {
        std::set<std::string> out;
        for (const auto& h : db.search(SearchQuery::toMatchExpression(query, typing), 50))
            out.insert(h.path + ":" + std::to_string(h.page));
        return out;
    }

    fs::path root_;
};

TEST_F(LibraryIndexTest, QuerySyntaxFindsWordsPrefixesPhrasesAndPartNumbers) {
    write("LM317.pdf", makeTestPdf({"LM317 adjustable regulator", "The dropout voltage is 2 V", "Order LM317-T now"}));
    write("Timers/NE555.pdf", makeTestPdf({"NE555P timer", "a 74HC595 sets the voltage; dropout is low"}));
    write("notes.txt", "spare 74HC595 chips in the drawer\n");
    write("scan.pdf", makeTestPdf({""}));
    LibraryDatabase db(dbPath());
    LibraryIndexer(db, folder().string()).runUntilIdle();

    using Hits = std::set<std::string>;
    struct Row {
        const char* query;
        bool typing;
        Hits expected;
    } rows[] = {
        {"LM317", false, {"LM317.pdf:0", "LM317.pdf:1", "LM317.pdf:3"}},  // the name, and LM317-T
        {"lm31*", false, {"LM317.pdf:0", "LM317.pdf:1", "LM317.pdf:3"}},
        {"LM31", false, {}},
        {"LM31", true, {"LM317.pdf:0", "LM317.pdf:1", "LM317.pdf:3"}},  // still typing
        {"\"dropout voltage\"", false, {"LM317.pdf:2"}},
        {"dropout voltage", false, {"LM317.pdf:2", "Timers/NE555.pdf:2"}},
        {"\"dropout voltage", false, {"LM317.pdf:2"}},  // the closing quote not typed yet
        {"74HC595", false, {"Timers/NE555.pdf:2", "notes.txt:0"}},
        {"NE555P", false, {"Timers/NE555.pdf:1"}},
        {"LM317-T", false, {"LM317.pdf:3"}},
        {"timers", false, {"Timers/NE555.pdf:0"}},  // folder names are part of the name
        {"scan", false, {"scan.pdf:0"}},            // no text, still found by its name
        {"regulator OR timer", false, {}},          // operators are words, all of which must occur
        {"- ** \"\"", false, {}},
        {"NEAR(", false, {}},
    };
    for (const Row& r : rows) EXPECT_EQ(found(db, r.query, r.typing), r.expected) << r.query;

    auto hits = db.search(SearchQuery::toMatchExpression("regulator"), 5);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].markedSnippet("[", "]"), "LM317 adjustable [regulator]");
    EXPECT_EQ(db.documents().at("scan.pdf").status, TextStatus::NoText);
}

TEST_F(LibraryIndexTest, IndexFollowsAddedChangedRemovedAndDamagedFiles) {
    std::ofstream(dbPath()) << "not a database, but something the user may want back";
    write("a.pdf", makeTestPdf({"alpha bravo"}));
    write("b.txt", "charlie\n");
    write("d.pdf", makeTestPdf({"foxtrot"}));
    write(".upload-in-progress.pdf", makeTestPdf({"hidden"}));
    LibraryDatabase db(dbPath());
    ASSERT_TRUE(db.isOpen());
    bool movedAside = false;
    for (const auto& e : fs::directory_iterator(root_))
        movedAside |= e.path().filename().string().rfind("Library.sqlite.unusable-", 0) == 0;
    EXPECT_TRUE(movedAside);

    LibraryIndexer indexer(db, folder().string());
    indexer.runUntilIdle();
    EXPECT_EQ(indexer.progress().total, 3);
    EXPECT_EQ(found(db, "hidden"), std::set<std::string>{});

    indexer.runUntilIdle();
    EXPECT_EQ(indexer.progress().total, 0) << "nothing changed, nothing read";

    write("a.pdf", makeTestPdf({"alpha delta echo"}));  // changed: size differs
    fs::remove(folder() / "b.txt");
    write("c.pdf", "%PDF-1.4\nthis is no PDF body");
    struct timespec times[2] = {{0, UTIME_OMIT}, {1000, 0}};  // a new time with the same bytes
    ::utimensat(AT_FDCWD, (folder() / "d.pdf").c_str(), times, 0);
    indexer.runUntilIdle();
    EXPECT_EQ(indexer.progress().total, 3);
    EXPECT_EQ(found(db, "delta"), std::set<std::string>{"a.pdf:1"});
    EXPECT_EQ(found(db, "bravo"), std::set<std::string>{});
    EXPECT_EQ(found(db, "charlie"), std::set<std::string>{});
    EXPECT_EQ(found(db, "foxtrot"), std::set<std::string>{"d.pdf:1"});
    auto docs = db.documents();
    EXPECT_EQ(docs.count("b.txt"), 0u);
    EXPECT_EQ(docs.at("c.pdf").status, TextStatus::Damaged);
    EXPECT_EQ(found(db, "c"), std::set<std::string>{"c.pdf:0"});
}

}  // namespace
