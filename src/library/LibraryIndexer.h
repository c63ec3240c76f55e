#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "library/LibraryDatabase.h"
#include "platform/RunLoop.h"
#include "platform/UniqueFd.h"

/// Keeps the index in step with the documents folder. A refresh compares the folder with the index on the
/// calling thread (a stat per file) and drops what left it; the files whose size or time changed are read on one
/// worker thread, which only hashes and extracts text and hands each result back through the run loop, where it
/// is written to the index. So the window stays responsive while hundreds of PDFs are read, and the index itself
/// is only ever touched on the run loop's thread. A file whose content hash did not change is not read again.
class LibraryIndexer {
public:
    struct Progress {
        int done = 0;
        int total = 0;
        bool running = false;
    };
    /// A regular file of the folder, as a scan finds it.
    struct FolderEntry {
        std::string path;  ///< relative to the folder
        std::int64_t size = 0;
        std::int64_t mtimeNs = 0;
    };

    /// Indexes `folder` into `db` (both must outlive the indexer), reporting on `loop`.
    LibraryIndexer(LibraryDatabase& db, std::string folder, RunLoop& loop = RunLoop::main());
    /// Stops the worker after the page it is reading and waits for it; what it read is dropped.
    ~LibraryIndexer();
    LibraryIndexer(const LibraryIndexer&) = delete;
    LibraryIndexer& operator=(const LibraryIndexer&) = delete;

    /// Brings the index up to date with the folder. During a run it asks for another scan once the run ends,
    /// so a burst of change notifications costs one more run, not one per notification.
    void refresh();
    bool isIdle() const { return !progress_.running; }
    const Progress& progress() const { return progress_; }
    /// Told after each file written to the index and once when a run ends (`running` false then).
    void setProgressHandler(std::function<void(const Progress&)> handler) { onProgress_ = std::move(handler); }
    /// Refreshes by itself, half a second after the last change, whenever a file of the folder (not of its
    /// sub-folders) is written, moved or deleted by anyone (an FTP upload, a file manager). Hidden names are
    /// ignored: an upload still being written has one.
    void watchFolder();
    /// Turns the loop until the index is up to date (the command line's way), or for at most `seconds` when
    /// given (a search answers from the index as it stands rather than wait); true when it is up to date.
    bool runUntilIdle(double seconds = -1);

    /// The regular files of `folder` and its sub-folders, hidden entries (names beginning with a dot, such as an
    /// upload still being written) and symbolic links left out, so nothing outside the folder is ever read.
    static std::vector<FolderEntry> scan(const std::string& folder);

private:
    struct Job {
        FolderEntry entry;
        std::string oldHash;
    };
    struct Outcome {
        Job job;
        bool unchanged = false;
        TextExtractor::Result result;
    };

    void work(std::vector<Job> jobs);
    void deliver();
    void finishRun();

    LibraryDatabase& db_;
    std::string folder_;
    RunLoop& loop_;
    UniqueFd wake_;  // eventfd: the worker's "results are waiting"
    RunLoop::Handle watch_ = 0;
    UniqueFd inotify_;
    RunLoop::Handle inotifyWatch_ = 0, settle_ = 0;
    Progress progress_;
    bool rescanWanted_ = false;
    std::function<void(const Progress&)> onProgress_;

    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::deque<Outcome> outcomes_;  // guarded by mutex_
};
