#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "library/Bm25Ranker.h"
#include "library/TextExtractor.h"

struct sqlite3;

/// One document as the index last saw it; `path` is relative to the documents folder.
struct IndexedDocument {
    std::string path;
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::string hash;
    TextStatus status = TextStatus::NoText;
    std::string reason;  ///< why an Unreadable document could not be read
};

/// One search result: a page of a document (0 for a whole text file or a match of the name) and a few words
/// around the hits, each hit between `kHitStart` and `kHitEnd`.
struct SearchHit {
    static constexpr char kHitStart = '\x01';
    static constexpr char kHitEnd = '\x02';
    std::string path;
    int page = 0;
    std::string snippet;
    double rank = 0;  ///< lower is better
    std::int64_t row = 0;  ///< the page's row in the index

    /// The snippet with the hit marks replaced by `open` and `close`.
    std::string markedSnippet(const std::string& open, const std::string& close) const;
};

/// The datasheet index: an SQLite database (WAL) with one row per document and a full-text (FTS5) table of
/// every page's text and every document's name. A file that is damaged or belongs to another program is moved
/// aside with one log line and a fresh index made in its place: at once when its header says so, else once a
/// read or write met the damage (`repairIfDamaged`; reading the whole file at each opening took longer than
/// the searches). Used from one thread.
class LibraryDatabase {
public:
    /// Where the index of `documentsFolder` lives: next to the default documents folder in the XDG data folder,
    /// never inside the folder it indexes; another folder (`--dir`) gets an index of its own named after its path.
    static std::string defaultPathFor(const std::string& documentsFolder);

    /// Opens (or makes) the index at `path`; `error` says why when it cannot, and the object is then unusable.
    explicit LibraryDatabase(const std::string& path);
    ~LibraryDatabase();
    LibraryDatabase(const LibraryDatabase&) = delete;
    LibraryDatabase& operator=(const LibraryDatabase&) = delete;

    bool isOpen() const { return db_ != nullptr; }
    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }

    /// Every document recorded, by path.
    std::map<std::string, IndexedDocument> documents() const;
    /// Records `doc` with its pages, replacing what was there; false (and a log line) when the write failed.
    bool store(const IndexedDocument& doc, const std::vector<TextExtractor::Page>& pages);
    /// Updates the size and time of a document whose content did not change.
    bool touch(const IndexedDocument& doc);
    bool remove(const std::string& path);
    /// When a read or write since the last call found the file damaged, moves it aside and makes a fresh, empty
    /// index in its place (true); the indexer calls it before each run, which then reads every document again.
    bool repairIfDamaged();
    /// Groups many writes into one transaction (much faster); commit writes them.
    void begin();
    void commit();

    /// Results for a match expression (see `SearchQuery`), best first (ties by their order in the index), at
    /// most `limit`; empty for "" or on error. Only the first `snippets` results get their snippets (making
    /// one reads and splits the whole page: about 30 µs); `addSnippets` makes the others when they are shown.
    std::vector<SearchHit> search(const std::string& matchExpression, int limit, int snippets = 1 << 30) const;
    /// Makes the snippets of `hits[from, to)`, results of `search` for the same expression.
    void addSnippets(const std::string& matchExpression, std::vector<SearchHit>& hits, size_t from, size_t to) const;
    /// The number of pages of text (and names) indexed.
    std::int64_t pageCount() const;

private:
    struct Queries;

    bool open();
    void startAfresh(std::string reason);  // a copy: it clears error_, which may be what it is given
    bool exec(const char* sql) const;
    /// Forgets the remembered row lengths when another connection (the command line, say) wrote the index.
    void noticeOtherWriters() const;

    std::string path_, error_;
    sqlite3* db_ = nullptr;
    mutable Bm25Ranker ranker_;
    std::unique_ptr<Queries> queries_;  // prepared once, run for every search
    mutable std::int64_t dataVersion_ = -1;
    mutable bool damaged_ = false;  // a statement met a damaged file
};
