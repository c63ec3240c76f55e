#include "library/LibraryDatabase.h"

#include <sqlite3.h>
#include <xxhash.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "platform/Log.h"

namespace {

// Marks the file as this program's index, so a database of another program found at the path is moved aside
// rather than altered ("VLIB").
constexpr int kApplicationId = 0x564c4942;
constexpr int kSchemaVersion = 3;  // 2: prefixes of one to three characters indexed; 3: why a PDF is unreadable
constexpr const char* kOlderIndex = "made by an earlier version";

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS documents(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE, size INTEGER NOT NULL,"
    " mtime INTEGER NOT NULL, hash TEXT NOT NULL, status INTEGER NOT NULL,"
    " reason TEXT NOT NULL DEFAULT '');"
    // The name is row page 0 of its document, so names and texts are searched and ranked together. The first
    // letters typed into the search field are prefixes of many words: indexed, they are read as one word is.
    "CREATE VIRTUAL TABLE IF NOT EXISTS pages USING fts5(text, doc UNINDEXED, page UNINDEXED,"
    " tokenize = 'unicode61 remove_diacritics 2', prefix = '1 2 3');";

// A prepared statement that finalizes itself and raises `damaged` when a step finds the file damaged.
class Statement {
public:
    Statement(sqlite3* db, const char* sql, bool* damaged) : damaged_(damaged) {
        sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    explicit operator bool() const { return stmt_ != nullptr; }
    /// Makes the statement ready to run again with new values.
    Statement& reset() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        return *this;
    }
    Statement& bind(int i, const std::string& s) {
        sqlite3_bind_text(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int i, std::int64_t v) {
        sqlite3_bind_int64(stmt_, i, v);
        return *this;
    }
    /// True while there is a row.
    bool step() { return advance() == SQLITE_ROW; }
    /// Runs a statement that returns no rows.
    bool run() { return advance() == SQLITE_DONE; }
    std::string text(int col) const {
        auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
        return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, col))) : std::string();
    }
    std::int64_t integer(int col) const { return sqlite3_column_int64(stmt_, col); }
    double real(int col) const { return sqlite3_column_double(stmt_, col); }

private:
    int advance() {
        const int rc = stmt_ ? sqlite3_step(stmt_) : SQLITE_MISUSE;
        if ((rc & 0xff) == SQLITE_CORRUPT || rc == SQLITE_NOTADB) *damaged_ = true;
        return rc;
    }

    sqlite3_stmt* stmt_ = nullptr;
    bool* damaged_;
};

}  // namespace

// A search ranks every matching page but reads only the pages it returns: ranked in SQL with their snippets,
// all matches would be sorted by SQLite and a snippet made for each (most of a common word's search time). Rows
// come as a JSON list.
struct LibraryDatabase::Queries {
    Queries(sqlite3* db, bool* damaged)
        : rank(db, "SELECT page_bm25(pages) FROM pages WHERE pages MATCH ?", damaged),
          places(db,
                 "SELECT p.rowid, d.path, p.page FROM pages p JOIN documents d ON d.id = p.doc"
                 " WHERE p.rowid IN (SELECT value FROM json_each(?))",
                 damaged),
          // The + keeps the full-text table from seeking each row on its own, which would expand a prefix over
          // the whole index once per row.
          snippets(db,
                   "SELECT rowid, snippet(pages, 0, char(1), char(2), '…', 12) FROM pages"
                   " WHERE pages MATCH ? AND +rowid IN (SELECT value FROM json_each(?))",
                   damaged),
          dataVersion(db, "PRAGMA data_version", damaged) {}
    Statement rank, places, snippets, dataVersion;
};

namespace {

// The rows of `hits[from, to)` as a JSON list, for json_each.
std::string rowList(const std::vector<SearchHit>& hits, size_t from, size_t to) {
    std::string rows = "[";
    for (size_t i = from; i < to; ++i) rows += (i > from ? "," : "") + std::to_string(hits[i].row);
    return rows + "]";
}

std::string dataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/velkaro";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/share/velkaro";
}

}  // namespace

std::string SearchHit::markedSnippet(const std::string& open, const std::string& close) const {
    std::string out;
    for (char c : snippet) {
        if (c == kHitStart) out += open;
        else if (c == kHitEnd) out += close;
        else out += c;
    }
    return out;
}

std::string LibraryDatabase::defaultPathFor(const std::string& documentsFolder) {
    const std::string data = dataFolder();
    std::error_code ec;
    auto canonical = [&ec](const std::string& p) { return std::filesystem::weakly_canonical(p, ec).string(); };
    const std::string folder = canonical(documentsFolder);
    if (folder == canonical(data + "/Documents")) return data + "/Library.sqlite";
    char name[40];
    std::snprintf(name, sizeof name, "/Library-%016llx.sqlite",
                  static_cast<unsigned long long>(XXH3_64bits(folder.data(), folder.size())));
    return data + name;
}

LibraryDatabase::LibraryDatabase(const std::string& path) : path_(path) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (!open()) startAfresh(error_);
}

void LibraryDatabase::startAfresh(std::string reason) {
    queries_.reset();
    sqlite3_close_v2(db_);
    db_ = nullptr;
    damaged_ = false;
    error_.clear();
    std::error_code ec;
    if (reason == kOlderIndex) {
        // An index is made from the documents alone: one of an earlier version is simply made again.
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path_ + suffix, ec);
        NSLog("The datasheet index %@ was made by an earlier version; a new index is built.", path_);
    } else {
        // Whatever lies at the path is not an index this program can use: keep it for whoever wants it.
        const std::string aside = path_ + ".unusable-" + std::to_string(std::time(nullptr));
        std::filesystem::rename(path_, aside, ec);
        // Said as it went: a folder that cannot be written to moves nothing aside.
        if (ec)
            NSLog("The datasheet index %@ cannot be used (%@) and cannot be moved aside: %@.", path_, reason,
                  ec.message());
        else
            NSLog("The datasheet index %@ cannot be used (%@); it was moved to %@ and a new index is built.", path_,
                  reason, aside);
        for (const char* suffix : {"-wal", "-shm"}) std::filesystem::remove(path_ + suffix, ec);
    }
    if (!open()) NSLog("The datasheet index %@ cannot be made: %@", path_, error_);
}

bool LibraryDatabase::repairIfDamaged() {
    if (!damaged_) return false;
    startAfresh("damaged");
    return true;
}

LibraryDatabase::~LibraryDatabase() {
    queries_.reset();
    sqlite3_close_v2(db_);
}

bool LibraryDatabase::open() {
    queries_.reset();
    sqlite3_close_v2(db_);
    db_ = nullptr;
    ranker_.forget();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        error_ = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close_v2(db);
        return false;
    }
    db_ = db;
    sqlite3_busy_timeout(db_, 2000);  // a command-line index run and the window may share the file
    // Closed with close_v2 throughout: a statement still open in this scope would make a plain close fail and
    // leak the connection; close_v2 lets it go when that statement is finalized.
    auto fail = [this] {
        if (error_.empty()) error_ = sqlite3_errmsg(db_);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        return false;
    };
    std::int64_t appId = -1, version = -1, tables = -1;
    {
        Statement id(db_, "PRAGMA application_id", &damaged_);
        if (!id.step()) return fail();
        appId = id.integer(0);
        Statement v(db_, "PRAGMA user_version", &damaged_);
        if (!v.step()) return fail();
        version = v.integer(0);
        Statement t(db_, "SELECT count(*) FROM sqlite_schema", &damaged_);
        if (!t.step()) return fail();
        tables = t.integer(0);
    }
    if (tables > 0 && (appId != kApplicationId || version != kSchemaVersion)) {
        error_ = appId != kApplicationId    ? "a database of another program"
                 : version < kSchemaVersion ? kOlderIndex
                                            : "made by a later version";
        sqlite3_close_v2(db_);
        db_ = nullptr;
        return false;
    }
    // The schema and marks are written once, when the file is new: written at every opening they made each
    // command-line search a write, with the log written back to the file when it closed.
    if (!exec("PRAGMA journal_mode=WAL") || !exec("PRAGMA synchronous=NORMAL") ||
        (tables == 0 && (!exec(kSchema) || !exec(("PRAGMA application_id=" + std::to_string(kApplicationId)).c_str()) ||
                         !exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str()))))
        return fail();
    if (!ranker_.install(db_)) {
        error_ = "no full-text search in this SQLite";
        return fail();
    }
    queries_ = std::make_unique<Queries>(db_, &damaged_);
    if (!queries_->rank || !queries_->places || !queries_->snippets || !queries_->dataVersion) {
        queries_.reset();
        error_ = "its full-text table cannot be read";  // the statements' errors are gone by now
        return fail();
    }
    return true;
}

bool LibraryDatabase::exec(const char* sql) const {
    if (!db_) return false;
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    NSLog("datasheet index: %@", message ? message : "failed");
    sqlite3_free(message);
    return false;
}

std::map<std::string, IndexedDocument> LibraryDatabase::documents() const {
    std::map<std::string, IndexedDocument> out;
    if (!db_) return out;
    Statement q(db_, "SELECT path, size, mtime, hash, status, reason FROM documents", &damaged_);
    while (q.step()) {
        IndexedDocument d{q.text(0), q.integer(1), q.integer(2), q.text(3), static_cast<TextStatus>(q.integer(4)),
                          q.text(5)};
        out.emplace(d.path, std::move(d));
    }
    return out;
}

bool LibraryDatabase::store(const IndexedDocument& doc, const std::vector<TextExtractor::Page>& pages) {
    if (!db_) return false;
    ranker_.forget();
    exec("SAVEPOINT store");
    bool ok = remove(doc.path);
    Statement ins(db_, "INSERT INTO documents(path, size, mtime, hash, status, reason) VALUES(?, ?, ?, ?, ?, ?)",
                  &damaged_);
    ok = ok && ins.bind(1, doc.path).bind(2, doc.size).bind(3, doc.mtimeNs).bind(4, doc.hash)
                   .bind(5, static_cast<std::int64_t>(doc.status)).bind(6, doc.reason).run();
    const std::int64_t id = sqlite3_last_insert_rowid(db_);
    Statement page(db_, "INSERT INTO pages(text, doc, page) VALUES(?, ?, ?)", &damaged_);
    ok = ok && page.bind(1, doc.path).bind(2, id).bind(3, std::int64_t{0}).run();
    for (size_t i = 0; ok && i < pages.size(); ++i)
        ok = page.reset().bind(1, pages[i].text).bind(2, id).bind(3, std::int64_t{pages[i].number}).run();
    if (!ok) {
        NSLog("datasheet index: cannot record %@: %@", doc.path, sqlite3_errmsg(db_));
        exec("ROLLBACK TO store");
    }
    exec("RELEASE store");
    return ok;
}

bool LibraryDatabase::touch(const IndexedDocument& doc) {
    Statement q(db_, "UPDATE documents SET size = ?, mtime = ? WHERE path = ?", &damaged_);
    return q.bind(1, doc.size).bind(2, doc.mtimeNs).bind(3, doc.path).run();
}

bool LibraryDatabase::remove(const std::string& path) {
    if (!db_) return false;
    ranker_.forget();
    Statement pages(db_, "DELETE FROM pages WHERE doc IN (SELECT id FROM documents WHERE path = ?)", &damaged_);
    Statement doc(db_, "DELETE FROM documents WHERE path = ?", &damaged_);
    return pages.bind(1, path).run() && doc.bind(1, path).run();
}

void LibraryDatabase::begin() { exec("BEGIN"); }

void LibraryDatabase::commit() { exec("COMMIT"); }

std::vector<SearchHit> LibraryDatabase::search(const std::string& matchExpression, int limit, int snippets) const {
    std::vector<SearchHit> hits;
    if (!db_ || matchExpression.empty() || limit <= 0) return hits;
    noticeOtherWriters();
    ranker_.begin();
    Statement& rank = queries_->rank.reset().bind(1, matchExpression);
    while (rank.step()) {
    }
    rank.reset();                   // ends the read, so the index's log can be written back meanwhile
    auto ranked = ranker_.ranks();  // (rank, row)
    const size_t shown = std::min(ranked.size(), static_cast<size_t>(limit));
    std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(shown), ranked.end());
    for (size_t i = 0; i < shown; ++i) hits.push_back({{}, 0, {}, ranked[i].first, ranked[i].second});
    std::map<std::int64_t, SearchHit*> byRow;
    for (auto& h : hits) byRow[h.row] = &h;
    Statement& places = queries_->places.reset().bind(1, rowList(hits, 0, hits.size()));
    while (places.step())
        if (auto at = byRow.find(places.integer(0)); at != byRow.end()) {
            at->second->path = places.text(1);
            at->second->page = static_cast<int>(places.integer(2));
        }
    places.reset();
    // A row another program deleted between the two reads has no path: it is left out.
    std::erase_if(hits, [](const SearchHit& h) { return h.path.empty(); });
    addSnippets(matchExpression, hits, 0, static_cast<size_t>(std::max(snippets, 0)));
    return hits;
}

void LibraryDatabase::addSnippets(const std::string& matchExpression, std::vector<SearchHit>& hits, size_t from,
                                  size_t to) const {
    to = std::min(to, hits.size());
    if (!db_ || from >= to) return;
    std::map<std::int64_t, SearchHit*> byRow;
    for (size_t i = from; i < to; ++i) byRow[hits[i].row] = &hits[i];
    Statement& found = queries_->snippets.reset().bind(1, matchExpression).bind(2, rowList(hits, from, to));
    while (found.step())
        if (auto at = byRow.find(found.integer(0)); at != byRow.end()) at->second->snippet = found.text(1);
    found.reset();
}

void LibraryDatabase::noticeOtherWriters() const {
    Statement& q = queries_->dataVersion.reset();
    const std::int64_t version = q.step() ? q.integer(0) : -1;
    q.reset();
    if (version != dataVersion_) ranker_.forget();
    dataVersion_ = version;
}

std::int64_t LibraryDatabase::pageCount() const {
    if (!db_) return 0;
    Statement q(db_, "SELECT count(*) FROM pages", &damaged_);
    return q.step() ? q.integer(0) : 0;
}
