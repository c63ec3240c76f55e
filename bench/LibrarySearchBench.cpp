// Searching the datasheet index of library_compare.py's corpus (VELKARO_LIBRARY_INDEX names the index file it
// built): `LibraryDatabase::search` beside the plain full-text query of the same index that ranks with SQL's
// ORDER BY bm25 and makes a snippet for every match. Each query as the command line sends it and as the window
// sends it while the user is still typing (last word a prefix, 200 results, of which the window asks the first
// 30 snippets at once and the rest a turn later: the keystroke waits for the first part only).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <string>

#include "library/LibraryDatabase.h"
#include "library/SearchQuery.h"

namespace {

const char* const kQueries[] = {"LM317-T", "\"dropout voltage\"", "74HC595 shift", "regul*", "supply", "re"};

const char* indexPath() { return std::getenv("VELKARO_LIBRARY_INDEX"); }

// args: query, typing (0 the command line's 20 results, 1 the window's 200 with a prefix)
std::string expressionFor(benchmark::State& state, int* limit) {
    const char* typed = kQueries[state.range(0)];
    *limit = state.range(1) ? 200 : 20;
    state.SetLabel(std::string(typed) + (state.range(1) ? " typing" : ""));
    return SearchQuery::toMatchExpression(typed, state.range(1) != 0);
}

void BM_LibrarySearch(benchmark::State& state) {
    if (!indexPath()) return state.SkipWithError("VELKARO_LIBRARY_INDEX is not set (bench/library_compare.py)");
    LibraryDatabase db(indexPath());
    int limit = 0;
    const std::string expression = expressionFor(state, &limit);
    const int snippets = state.range(1) ? 30 : limit;
    for (auto _ : state) benchmark::DoNotOptimize(db.search(expression, limit, snippets));
}

void BM_LibrarySearchPlainSql(benchmark::State& state) {
    if (!indexPath()) return state.SkipWithError("VELKARO_LIBRARY_INDEX is not set (bench/library_compare.py)");
    sqlite3* db = nullptr;
    sqlite3_open_v2(indexPath(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT d.path, p.page, snippet(pages, 0, char(1), char(2), '…', 12), bm25(pages) AS rank "
                       "FROM pages p JOIN documents d ON d.id = p.doc WHERE pages MATCH ? ORDER BY rank LIMIT ?",
                       -1, &q, nullptr);
    int limit = 0;
    const std::string expression = expressionFor(state, &limit);
    for (auto _ : state) {
        sqlite3_reset(q);
        sqlite3_bind_text(q, 1, expression.data(), static_cast<int>(expression.size()), SQLITE_STATIC);
        sqlite3_bind_int(q, 2, limit);
        int rows = 0;
        while (sqlite3_step(q) == SQLITE_ROW) ++rows;
        benchmark::DoNotOptimize(rows);
    }
    sqlite3_finalize(q);
    sqlite3_close(db);
}

void queries(benchmark::internal::Benchmark* b) {
    for (int typing : {0, 1})
        for (int i = 0; i < static_cast<int>(std::size(kQueries)); ++i) b->Args({i, typing});
    b->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_LibrarySearch)->Apply(queries);
BENCHMARK(BM_LibrarySearchPlainSql)->Apply(queries);

}  // namespace
