#pragma once
#include <cstdint>
#include <utility>
#include <vector>

struct sqlite3;

/// Ranks the rows of a full-text query as FTS5's own bm25() does (the same formula and figures, lower is better)
/// but at less cost. A query names `page_bm25(pages)` as a column; that function only notes each row's hits and
/// length, and `ranks` scores them once the query ran. So a query of one phrase counts the rows with the phrase
/// as it goes instead of in a pass of its own, and each row's length in tokens, which FTS5 looks up with a
/// statement per row, is remembered between queries. Used from the connection's thread only.
class Bm25Ranker {
public:
    /// Makes `page_bm25` known to `db`; false when the library has no full-text module. The ranker must
    /// outlive the connection's use of it.
    bool install(sqlite3* db);
    /// Drops the remembered lengths: rows were written (row numbers of deleted rows may be used again).
    void forget() { lengths_.clear(); }

    /// Starts a query: the rows it passes through `page_bm25` from now on are noted.
    void begin();
    /// (rank, row) of every row noted since `begin`, in the order the query passed them.
    std::vector<std::pair<double, std::int64_t>> ranks() const;

private:
    friend struct Bm25Call;

    std::vector<int> lengths_;  // by row number, -1 when not known yet
    // The query since `begin`: figures of the whole table, and per row its number, length and hits per phrase.
    int phrases_ = -1;  // -1 until its first row
    std::int64_t tableRows_ = 0;
    double averageLength_ = 0;
    std::vector<std::int64_t> phraseRows_;  // rows holding each phrase, when the query has more than one
    std::vector<std::int64_t> rows_;
    std::vector<int> tokens_, hits_;
};
