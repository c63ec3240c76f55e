#include "library/Bm25Ranker.h"

#include <sqlite3.h>

#include <cmath>

namespace {

int countRow(const Fts5ExtensionApi*, Fts5Context*, void* count) {
    ++*static_cast<std::int64_t*>(count);
    return SQLITE_OK;
}

}  // namespace

struct Bm25Call {
    static int firstRow(Bm25Ranker& r, const Fts5ExtensionApi* api, Fts5Context* fts) {
        sqlite3_int64 rows = 0, tokens = 0;
        int rc = api->xRowCount(fts, &rows);
        if (rc == SQLITE_OK) rc = api->xColumnTotalSize(fts, -1, &tokens);
        if (rc != SQLITE_OK) return rc;
        r.tableRows_ = rows;
        r.averageLength_ = rows > 0 ? static_cast<double>(tokens) / static_cast<double>(rows) : 0;
        const int phrases = api->xPhraseCount(fts);
        // With one phrase, the rows holding it are the rows the query passes; with more, each is counted apart.
        r.phraseRows_.assign(phrases > 1 ? phrases : 0, 0);
        for (size_t i = 0; i < r.phraseRows_.size(); ++i)
            if ((rc = api->xQueryPhrase(fts, static_cast<int>(i), &r.phraseRows_[i], countRow)) != SQLITE_OK) return rc;
        r.phrases_ = phrases;
        return SQLITE_OK;
    }

    static void note(const Fts5ExtensionApi* api, Fts5Context* fts, sqlite3_context* ctx, int, sqlite3_value**) {
        Bm25Ranker& r = *static_cast<Bm25Ranker*>(api->xUserData(fts));
        int rc = r.phrases_ < 0 ? firstRow(r, api, fts) : SQLITE_OK;
        const std::int64_t rowid = api->xRowid(fts);
        int tokens = rowid >= 0 && static_cast<std::uint64_t>(rowid) < r.lengths_.size() ? r.lengths_[rowid] : -1;
        if (rc == SQLITE_OK && tokens < 0) {
            rc = api->xColumnSize(fts, -1, &tokens);
            // Row numbers are dense here (rows are only ever appended), so a vector indexed by them stays small.
            if (rc == SQLITE_OK && rowid >= 0 && rowid < (std::int64_t{1} << 26)) {
                if (static_cast<std::uint64_t>(rowid) >= r.lengths_.size())
                    r.lengths_.resize(static_cast<size_t>(rowid) + 1 + r.lengths_.size() / 2, -1);
                r.lengths_[rowid] = tokens;
            }
        }
        int instances = 0;
        if (rc == SQLITE_OK) rc = api->xInstCount(fts, &instances);
        if (rc != SQLITE_OK) return sqlite3_result_error_code(ctx, rc);
        const size_t first = r.hits_.size();
        r.hits_.resize(first + static_cast<size_t>(r.phrases_), 0);
        for (int i = 0; i < instances; ++i) {
            int phrase = 0, column = 0, offset = 0;
            if ((rc = api->xInst(fts, i, &phrase, &column, &offset)) != SQLITE_OK)
                return sqlite3_result_error_code(ctx, rc);
            if (phrase >= 0 && phrase < r.phrases_) ++r.hits_[first + static_cast<size_t>(phrase)];
        }
        r.rows_.push_back(rowid);
        r.tokens_.push_back(tokens);
        sqlite3_result_null(ctx);
    }
};

bool Bm25Ranker::install(sqlite3* db) {
    fts5_api* api = nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_pointer(stmt, 1, &api, "fts5_api_ptr", nullptr);
        sqlite3_step(stmt);
    }
    sqlite3_finalize(stmt);
    return api && api->iVersion >= 2 &&
           api->xCreateFunction(api, "page_bm25", this, &Bm25Call::note, nullptr) == SQLITE_OK;
}

void Bm25Ranker::begin() {
    phrases_ = -1;
    rows_.clear();
    tokens_.clear();
    hits_.clear();
}

std::vector<std::pair<double, std::int64_t>> Bm25Ranker::ranks() const {
    std::vector<std::pair<double, std::int64_t>> out;
    if (phrases_ < 0) return out;
    std::vector<double> idf;
    for (int i = 0; i < phrases_; ++i) {
        const auto holding = static_cast<double>(phraseRows_.empty() ? static_cast<std::int64_t>(rows_.size())
                                                                     : phraseRows_[static_cast<size_t>(i)]);
        // A phrase in more than half the rows would weigh negative; like bm25, it then weighs next to nothing.
        const double w = std::log((static_cast<double>(tableRows_) - holding + 0.5) / (holding + 0.5));
        idf.push_back(w > 0 ? w : 1e-6);
    }
    constexpr double k1 = 1.2, b = 0.75;
    out.reserve(rows_.size());
    for (size_t row = 0; row < rows_.size(); ++row) {
        double score = 0;
        for (size_t i = 0; i < idf.size(); ++i) {
            const double f = hits_[row * idf.size() + i];
            score += idf[i] * ((f * (k1 + 1.0)) / (f + k1 * (1 - b + b * tokens_[row] / averageLength_)));
        }
        out.emplace_back(-score, rows_[row]);
    }
    return out;
}
