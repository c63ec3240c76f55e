#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "gui/DatasheetsTestPdf.h"
#include "library/LibraryDatabase.h"
#include "library/LibraryIndexer.h"
#include "library/PdfTextLoader.h"
#include "library/SearchQuery.h"
#include "platform/ProgramModule.h"

namespace fs = std::filesystem;

namespace {

class LibraryIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("velkaro-library-" + std::to_string(getpid()));
        fs::remove_all(root_);
        fs::create_directories(folder());
    }
    void TearDown() override {
        PdfTextLoader::configure("", {});
        fs::remove_all(root_);
    }

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

    // The results of `query` as SQLite's own bm25 ranks them, each as "path:page rank".
    std::vector<std::string> rankedBySqlite(const std::string& query) const {
        sqlite3* db = nullptr;
        sqlite3_open(dbPath().c_str(), &db);
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT d.path || ':' || p.page || ' ' || bm25(pages) AS r FROM pages p JOIN documents d"
                           " ON d.id = p.doc WHERE pages MATCH ? ORDER BY bm25(pages), p.rowid",
                           -1, &q, nullptr);
        const std::string expression = SearchQuery::toMatchExpression(query);
        sqlite3_bind_text(q, 1, expression.c_str(), -1, SQLITE_TRANSIENT);
        std::vector<std::string> out;
        while (sqlite3_step(q) == SQLITE_ROW)
            out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(q, 0)));
        sqlite3_finalize(q);
        sqlite3_close(db);
        return out;
    }
    static std::vector<std::string> ranked(const LibraryDatabase& db, const std::string& query) {
        std::vector<std::string> out;
        for (const auto& h : db.search(SearchQuery::toMatchExpression(query), 50)) {
            sqlite3_str* s = sqlite3_str_new(nullptr);  // the rank written as SQLite writes a real
            sqlite3_str_appendf(s, "%s:%d %!.15g", h.path.c_str(), h.page, h.rank);
            char* text = sqlite3_str_finish(s);
            out.emplace_back(text);
            sqlite3_free(text);
        }
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

    // Ranked as SQLite's bm25 ranks, also after another connection wrote rows (numbers used again, lengths new).
    const char* rankedQueries[] = {"voltage", "dropout voltage", "LM317-T", "lm*", "74HC595"};
    for (const char* q : rankedQueries) EXPECT_EQ(ranked(db, q), rankedBySqlite(q)) << q;
    for (const char* text : {"voltage: the dropout voltage of an LM317-T, a 74HC595 and more", "voltage"}) {
        LibraryDatabase(dbPath()).store({"more.txt", 1, 1, text, TextStatus::Text}, {{0, text}});
        for (const char* q : rankedQueries) EXPECT_EQ(ranked(db, q), rankedBySqlite(q)) << q << " after: " << text;
    }

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

    // An index of an earlier version is made again in its place, not kept aside.
    const std::string older = (root_ / "Older.sqlite").string();
    sqlite3* raw = nullptr;
    sqlite3_open(older.c_str(), &raw);
    sqlite3_exec(raw, "PRAGMA application_id=1447840066; PRAGMA user_version=1; CREATE TABLE documents(x)", nullptr,
                 nullptr, nullptr);
    sqlite3_close(raw);
    EXPECT_TRUE(LibraryDatabase(older).isOpen());

    // An index whose text pages are damaged opens; the search that reads the damage finds nothing and the next
    // run moves the file aside and reads every document again.
    const std::string damaged = (root_ / "Damaged.sqlite").string();
    {
        LibraryDatabase fresh(damaged);
        LibraryIndexer(fresh, folder().string()).runUntilIdle();
    }
    sqlite3_open(damaged.c_str(), &raw);  // the index's own blocks turned to garbage
    sqlite3_exec(raw, "UPDATE pages_data SET block = x'ffffffffffffffff' || zeroblob(length(block)) WHERE id > 10",
                 nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    LibraryDatabase reopened(damaged);
    ASSERT_TRUE(reopened.isOpen());
    EXPECT_EQ(found(reopened, "delta"), std::set<std::string>{});
    LibraryIndexer again(reopened, folder().string());
    again.runUntilIdle();
    EXPECT_EQ(again.progress().total, 3);
    EXPECT_EQ(found(reopened, "delta"), std::set<std::string>{"a.pdf:1"});
    std::set<std::string> aside;
    for (const auto& e : fs::directory_iterator(root_))
        if (e.path().filename().string().find(".unusable-") != std::string::npos)
            aside.insert(e.path().filename().string().substr(0, e.path().filename().string().find(".unusable-")));
    EXPECT_EQ(aside, (std::set<std::string>{"Library.sqlite", "Damaged.sqlite"})) << "an earlier version's is not kept";
}

TEST_F(LibraryIndexTest, AChangeIsSeenBySizeOrTimeAndReadOnlyWhenTheBytesChanged) {
    auto at = [this](const std::string& name, time_t seconds) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, {seconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (folder() / name).c_str(), times, 0), 0) << name;
    };
    write("a.txt", "alpha bravo\n");
    write("Sub/b.txt", "charlie\n");
    write(".hidden/x.txt", "hidden\n");
    fs::create_symlink("a.txt", folder() / "link.txt");
    at("a.txt", 1000);
    LibraryDatabase db(dbPath());
    LibraryIndexer indexer(db, folder().string());
    indexer.runUntilIdle();
    EXPECT_EQ(indexer.progress().total, 2);

    using Hits = std::set<std::string>;
    struct Row {
        const char* change;
        std::function<void()> apply;
        int read;  // files read again by the next run
        const char* query;
        Hits found;
    } rows[] = {
        {"nothing", [] {}, 0, "alpha", {"a.txt:0"}},
        {"new bytes of the same size at a new time", [&] { write("a.txt", "alpha bravx\n"), at("a.txt", 2000); }, 1,
         "bravx", {"a.txt:0"}},
        {"the same bytes at a new time", [&] { at("a.txt", 3000); }, 1, "bravx", {"a.txt:0"}},
        {"new bytes of another size at the same time", [&] { write("a.txt", "alpha zulu\n"), at("a.txt", 3000); }, 1,
         "zulu", {"a.txt:0"}},
        {"a time a nanosecond later", [&] {
             const struct timespec times[2] = {{0, UTIME_OMIT}, {3000, 1}};
             ::utimensat(AT_FDCWD, (folder() / "a.txt").c_str(), times, 0);
         }, 1, "zulu", {"a.txt:0"}},
        {"a file in a sub-folder", [&] { write("Sub/b.txt", "delta\n"); }, 1, "delta", {"Sub/b.txt:0"}},
        {"a hidden file", [&] { write(".hidden/x.txt", "hidden echo\n"); }, 0, "echo", {}},
        {"a new file", [&] { write("c.txt", "echo\n"); }, 1, "echo", {"c.txt:0"}},
        {"a file gone", [&] { fs::remove(folder() / "Sub/b.txt"); }, 0, "delta", {}},
    };
    for (const auto& row : rows) {
        row.apply();
        indexer.runUntilIdle();
        EXPECT_EQ(indexer.progress().total, row.read) << row.change;
        EXPECT_EQ(found(db, row.query), row.found) << row.change;
        indexer.runUntilIdle();
        EXPECT_EQ(indexer.progress().total, 0) << row.change << ": the next run reads nothing";
    }
    EXPECT_EQ(db.documents().size(), 2u);
    // A run given no time returns before its file is read; the next one reads it.
    write("d.txt", "foxtrot\n");
    EXPECT_FALSE(indexer.runUntilIdle(0));
    EXPECT_TRUE(indexer.runUntilIdle());
    EXPECT_EQ(found(db, "foxtrot"), Hits{"d.txt:0"});
}

// A PDF of a few kilobytes whose pages share one deflated content stream of `bytes` bytes of text operators: the
// kind of document that kept the indexer busy for minutes.
std::string inflatingPdf(int pages, size_t bytes) {
    std::string ops = "BT /F1 1 Tf ";
    while (ops.size() < bytes) ops += "0 0 Td ";
    ops += "ET";
    std::string packed(compressBound(ops.size()), '\0');
    uLongf packedSize = packed.size();
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(ops.data()),
              ops.size(), 9);
    packed.resize(packedSize);
    std::string kids;
    for (int i = 0; i < pages; ++i) kids += std::to_string(5 + i) + " 0 R ";
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
        "<< /Length " + std::to_string(packed.size()) + " /Filter /FlateDecode >>\nstream\n" + packed + "\nendstream"};
    for (int i = 0; i < pages; ++i)
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 3 0 R >> >>"
                          " /Contents 4 0 R >>");
    std::string pdf = "%PDF-1.4\n", xref;
    for (size_t i = 0; i < objects.size(); ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", pdf.size());
        xref += line;
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::string size = std::to_string(objects.size() + 1), start = std::to_string(pdf.size());
    return pdf + "xref\n0 " + size + "\n0000000000 65535 f \n" + xref + "trailer\n<< /Size " + size +
           " /Root 1 0 R >>\nstartxref\n" + start + "\n%%EOF\n";
}

TEST_F(LibraryIndexTest, ReaderThatCrashesOrOverrunsItsBudgetLeavesTheDocumentUnreadableAndFoundByName) {
    write("hostile.pdf", makeTestPdf({"hidden words"}));
    write("notes.txt", "spare regulators\n");
    LibraryDatabase db(dbPath());
    LibraryIndexer indexer(db, folder().string());
    PdfTextLoader::configure(ProgramModule::helper("pdftext_fake_reader"), {});
    indexer.runUntilIdle();
    auto hostile = db.documents().at("hostile.pdf");
    EXPECT_EQ(hostile.status, TextStatus::Unreadable);
    EXPECT_NE(hostile.reason.find("crashed"), std::string::npos) << hostile.reason;
    EXPECT_EQ(found(db, "hostile"), std::set<std::string>{"hostile.pdf:0"});
    EXPECT_EQ(found(db, "regulators"), std::set<std::string>{"notes.txt:0"});

    PdfTextLoader::configure("", {});  // the real reader from here on
    indexer.runUntilIdle();
    EXPECT_EQ(indexer.progress().total, 0) << "an unreadable document is not read again until it changes";
    write("hostile.pdf", makeTestPdf({"hidden words", "now readable"}));
    indexer.runUntilIdle();
    EXPECT_EQ(found(db, "readable"), std::set<std::string>{"hostile.pdf:2"});

    // Megabytes of text operators behind a few kilobytes on disk, read within a one-second budget; the index
    // answers meanwhile from what it holds.
    PdfTextLoader::Budget second;
    second.cpuSeconds = 1;
    const std::string bomb = inflatingPdf(40, 8 << 20);
    ASSERT_LT(bomb.size(), 100'000u);
    write("bomb.pdf", bomb);
    PdfTextLoader::configure("", second);
    EXPECT_FALSE(indexer.runUntilIdle(0.1));
    EXPECT_EQ(found(db, "regulators"), std::set<std::string>{"notes.txt:0"});
    indexer.runUntilIdle();
    auto overrun = db.documents().at("bomb.pdf");
    EXPECT_EQ(overrun.status, TextStatus::Unreadable);
    EXPECT_NE(overrun.reason.find("1 s of processor time"), std::string::npos) << overrun.reason;
    EXPECT_EQ(found(db, "bomb"), std::set<std::string>{"bomb.pdf:0"});

    // Text beyond the budget's bound is not taken in whole either.
    PdfTextLoader::Budget mebibyte;
    mebibyte.textBytes = 1 << 20;
    PdfTextLoader::configure(ProgramModule::helper("pdftext_fake_reader"), mebibyte);
    write("flood.pdf", makeTestPdf({"a few words"}));
    indexer.runUntilIdle();
    auto longer = db.documents().at("flood.pdf");
    EXPECT_EQ(longer.status, TextStatus::Unreadable);
    EXPECT_EQ(longer.reason, "it holds more than 1 MiB of text");
}

}  // namespace
