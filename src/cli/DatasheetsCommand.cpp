#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "cli/UsageError.h"
#include "datasheets/InfoDatasheetsView.h"
#include "library/LibraryDatabase.h"
#include "library/LibraryIndexer.h"
#include "library/SearchQuery.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace {

// The documents folder is created when missing; a folder named on the command line must exist.
void useFolder(const std::string& dir) {
    if (dir.empty()) return;
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) throw UsageError("--dir " + dir + " is not a folder");
    setDocumentsDirectory(dir);
}

// Brings the folder's index up to date, or spends at most `seconds` on it when given (a search answers from the
// index as it stands rather than wait behind a long run); on a terminal the count of files read so far shows on
// standard error. The files read, of those found new or changed.
LibraryIndexer::Progress updateIndex(LibraryDatabase& db, const std::string& folder, bool showProgress,
                                     double seconds = -1) {
    if (!db.isOpen()) throw UsageError("the datasheet index " + db.path() + " cannot be opened: " + db.error());
    LibraryIndexer indexer(db, folder);
    if (showProgress)
        indexer.setProgressHandler([](const LibraryIndexer::Progress& p) {
            if (p.total == 0) return;
            std::fprintf(stderr, "\rIndexing %d of %d", p.done, p.total);
            if (!p.running) std::fputc('\n', stderr);
            std::fflush(stderr);
        });
    if (!indexer.runUntilIdle(seconds)) {
        const auto& p = indexer.progress();
        std::fprintf(stderr, "%d of %d documents are not indexed yet; the results are from the index as it stands "
                     "(velkaro datasheets index reads them all)\n", p.total - p.done, p.total);
    }
    return indexer.progress();
}

// JSON is UTF-8: a name that is not (an FTP client can make one) is written with U+FFFD in place of each bad
// sequence; the caller adds its exact bytes beside it.
std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : text::withReplacementCharacters(s)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + '"';
}

// The folder a subcommand works on: its own --dir, else the one given before it (datasheets --dir D index).
std::string chosenFolder(const std::string& own, const std::string& parent) { return own.empty() ? parent : own; }

// For a name that is not UTF-8, its exact bytes in hexadecimal, so a script can still open the file.
std::string pathBytes(const std::string& path) {
    if (text::isValidUtf8(path)) return "";
    std::string hex;
    char two[3];
    for (unsigned char c : path) {
        std::snprintf(two, sizeof two, "%02x", c);
        hex += two;
    }
    return ", \"path_bytes\": \"" + hex + '"';
}

void addIndexCommand(CLI::App& parent, std::shared_ptr<std::string> parentDir) {
    auto* cmd = parent.add_subcommand("index", "Bring the full-text index of the datasheets up to date");
    cmd->footer("Reads the text of new and changed files (PDF pages, text and HTML files); files that left the\n"
                "folder leave the index. Shows progress on a terminal, nothing otherwise (--json: one object).\n"
                "Example: velkaro datasheets index --dir ~/datasheets");
    auto dir = std::make_shared<std::string>();
    cmd->add_option("--dir", *dir, "Folder to index instead of the documents folder");
    auto json = std::make_shared<bool>(false);
    cmd->add_flag("--json", *json, "Print {\"dir\", \"index\", \"read\": files read, \"changed\": files found new or changed}");
    cmd->callback([dir, parentDir, json] {
        useFolder(chosenFolder(*dir, *parentDir));
        const std::string folder = documentsDirectory();
        LibraryDatabase db(LibraryDatabase::defaultPathFor(folder));
        const auto progress = updateIndex(db, folder, !*json && ::isatty(STDERR_FILENO));
        if (*json)
            bench::printJson({{"dir", folder}, {"index", db.path()}, {"read", progress.done}, {"changed", progress.total}});
    });
}

// A search that finds nothing ends with status 1, as grep's does, so scripts can test for it.
ResultError noMatch(const std::string& folder, const std::string& query) {
    return ResultError("no datasheet in " + folder + " matches \"" + query + "\"");
}

void addSearchCommand(CLI::App& parent, std::shared_ptr<std::string> parentDir) {
    auto* cmd = parent.add_subcommand("search", "Find the datasheets and pages that mention words or part numbers");
    cmd->footer("Words must all occur; WORD* matches a prefix; \"two words\" a phrase; part numbers are typed as\n"
                "printed (74HC595, LM317-T). Names are searched too. The index is brought up to date first.\n"
                "Prints one line per result, best first: path:page: snippet, hits between « and » (page 0: a\n"
                "whole text file or the name). --json prints {\"results\": [{\"path\", \"page\", \"snippet\"}, ...]};\n"
                "a path that is not UTF-8 has U+FFFD for its bad bytes and its exact bytes in hex as \"path_bytes\".\n"
                "Control characters in names print as \\xNN. The index is read as it stands if updating it takes\n"
                "more than a second.\n"
                "No match is said on standard error, with exit status 1 (as grep does).\n"
                "Example: velkaro datasheets search '\"dropout voltage\" LM31*' --limit 5");
    auto dir = std::make_shared<std::string>();
    auto query = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    auto limit = std::make_shared<int>(20);
    cmd->add_option("QUERY", *query, "What to look for")->required();
    cmd->add_option("--dir", *dir, "Folder to search instead of the documents folder");
    cmd->add_flag("--json", *json, "Print the results as JSON");
    cmd->add_option("--limit", *limit, "Most results to print (default 20)")->check(CLI::Range(1, 100000));
    cmd->callback([=] {
        useFolder(chosenFolder(*dir, *parentDir));
        const std::string expression = SearchQuery::toMatchExpression(*query);
        if (expression.empty()) throw UsageError("the query \"" + *query + "\" holds no word to search for");
        const std::string folder = documentsDirectory();
        LibraryDatabase db(LibraryDatabase::defaultPathFor(folder));
        updateIndex(db, folder, false, 1.0);
        const auto hits = db.search(expression, *limit);
        if (!*json) {
            for (const auto& h : hits)
                std::cout << text::escapedControls(h.path) << ':' << h.page << ": "
                          << text::escapedControls(h.markedSnippet("«", "»")) << '\n';
            if (hits.empty()) throw noMatch(folder, *query);
            return;
        }
        std::cout << "{\"results\": [";
        for (size_t i = 0; i < hits.size(); ++i)
            std::cout << (i ? ", " : "") << "{\"path\": " << jsonString(hits[i].path) << pathBytes(hits[i].path)
                      << ", \"page\": " << hits[i].page << ", \"snippet\": "
                      << jsonString(hits[i].markedSnippet("«", "»")) << '}';
        std::cout << "]}\n";
        if (hits.empty()) throw noMatch(folder, *query);
    });
}

}  // namespace

void addDatasheetsCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("datasheets", "Datasheet store: list, index and search the documents folder");
    cmd->footer(
        "Without a subcommand prints \"Files: N\" and then one entry name per line, in the order the store's list\n"
        "shows them (the file system's order; sub-folders and hidden entries included).\n"
        "Example: velkaro datasheets --dir ~/datasheets");
    auto dir = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    cmd->add_option("--dir", *dir, "Folder to list, index or search instead of the documents folder");
    cmd->add_flag("--json", *json, "Print {\"files\": N, \"names\": [...]} instead");
    cmd->require_subcommand(0, 1);
    addIndexCommand(*cmd, dir);
    addSearchCommand(*cmd, dir);
    cmd->callback([cmd, dir, json] {
        if (!cmd->get_subcommands().empty()) return;
        useFolder(*dir);
        auto screen = std::make_unique<InfoDatasheetsView>();
        screen->loadViewIfNeeded();  // reads the folder as the screen does when it opens
        if (*json) {
            bench::printJson({{"files", screen->filesList().size()}, {"names", screen->filesList()}});
            return;
        }
        std::cout << screen->m_cFilesInfo.text() << '\n';
        for (const auto& name : screen->filesList()) std::cout << text::escapedControls(name) << '\n';
    });
}
