#include "library/LibraryIndexer.h"

#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

#include "platform/Log.h"

namespace fs = std::filesystem;

LibraryIndexer::LibraryIndexer(LibraryDatabase& db, std::string folder, RunLoop& loop)
    : db_(db), folder_(std::move(folder)), loop_(loop), wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (!wake_) NSLog("datasheet index: no eventfd: %@", std::strerror(errno));
    else watch_ = loop_.watchFd(wake_.get(), EPOLLIN, [this](std::uint32_t) { deliver(); });
}

LibraryIndexer::~LibraryIndexer() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
    if (watch_) loop_.removeWatch(watch_);
    if (inotifyWatch_) loop_.removeWatch(inotifyWatch_);
    loop_.cancel(settle_);
}

void LibraryIndexer::watchFolder() {
    if (inotify_) return;
    inotify_.reset(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!inotify_ || ::inotify_add_watch(inotify_.get(), folder_.c_str(),
                                         IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_CREATE) < 0) {
        NSLog("datasheet index: cannot watch %@: %@", folder_, std::strerror(errno));
        inotify_.reset();
        return;
    }
    inotifyWatch_ = loop_.watchFd(inotify_.get(), EPOLLIN, [this](std::uint32_t) {
        alignas(inotify_event) char buffer[8192];
        bool relevant = false;
        ssize_t n;
        while ((n = ::read(inotify_.get(), buffer, sizeof buffer)) > 0)
            for (ssize_t i = 0; i < n;) {
                auto* event = reinterpret_cast<inotify_event*>(buffer + i);
                relevant |= event->len > 0 && event->name[0] != '.';
                i += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        if (!relevant) return;
        // A copy in progress reports many writes: one refresh once it settles.
        loop_.cancel(settle_);
        settle_ = loop_.runAfter(0.5, [this] {
            settle_ = 0;
            refresh();
        });
    });
}

std::vector<LibraryIndexer::FolderEntry> LibraryIndexer::scan(const std::string& folder) {
    std::vector<FolderEntry> entries;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.filename().string().front() == '.') {
            if (it->is_directory(ec)) it.disable_recursion_pending();
            continue;
        }
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        entries.push_back({p.lexically_relative(folder).string(), static_cast<std::int64_t>(st.st_size),
                           static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec});
    }
    if (ec) NSLog("datasheet index: cannot read %@: %@", folder, ec.message());
    return entries;
}

void LibraryIndexer::refresh() {
    if (!db_.isOpen()) return;
    if (progress_.running) {
        rescanWanted_ = true;
        return;
    }
    auto known = db_.documents();
    if (db_.repairIfDamaged()) known = db_.documents();  // a fresh index: every file is read again
    std::vector<Job> jobs;
    for (auto& entry : scan(folder_)) {
        auto found = known.find(entry.path);
        if (found == known.end()) {
            jobs.push_back({std::move(entry), ""});
            continue;
        }
        if (found->second.size != entry.size || found->second.mtimeNs != entry.mtimeNs)
            jobs.push_back({std::move(entry), found->second.hash});
        known.erase(found);
    }
    if (!known.empty()) {
        db_.begin();
        for (const auto& [path, doc] : known) db_.remove(path);
        db_.commit();
    }
    progress_ = {0, static_cast<int>(jobs.size()), !jobs.empty()};
    if (jobs.empty() || !wake_) {
        progress_.running = false;
        if (onProgress_) onProgress_(progress_);
        return;
    }
    if (worker_.joinable()) worker_.join();
    stop_ = false;
    worker_ = std::thread([this, jobs = std::move(jobs)]() mutable { work(std::move(jobs)); });
    if (onProgress_) onProgress_(progress_);
}

void LibraryIndexer::work(std::vector<Job> jobs) {
    const std::string base = folder_ + "/";
    for (auto& job : jobs) {
        if (stop_) return;
        Outcome outcome{std::move(job), false, {}};
        const std::string path = base + outcome.job.entry.path;
        // Same size and content with a new time (a copy, a touch): the text is still the one indexed.
        if (!outcome.job.oldHash.empty() && TextExtractor::hashOfFile(path) == outcome.job.oldHash)
            outcome.unchanged = true;
        else
            outcome.result = TextExtractor::extract(path, &stop_);
        if (stop_) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            outcomes_.push_back(std::move(outcome));
        }
        std::uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(wake_.get(), &one, sizeof one);
    }
}

void LibraryIndexer::deliver() {
    std::uint64_t count;
    [[maybe_unused]] auto n = ::read(wake_.get(), &count, sizeof count);
    std::deque<Outcome> ready;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ready.swap(outcomes_);
    }
    if (ready.empty()) return;
    db_.begin();
    for (auto& o : ready) {
        IndexedDocument doc{o.job.entry.path, o.job.entry.size, o.job.entry.mtimeNs, o.job.oldHash,
                            o.result.status, o.result.reason};
        if (o.unchanged) db_.touch(doc);
        else if (!o.result.readable && !fs::exists(fs::symlink_status(folder_ + "/" + doc.path)))
            db_.remove(doc.path);  // gone since the scan
        else {
            // A file that cannot be read stays listed by its name, like a damaged one.
            if (!o.result.readable) doc.status = TextStatus::Damaged;
            doc.hash = o.result.hash;
            // Recorded, so it is found by its name and not read again until it changes.
            if (doc.status == TextStatus::Unreadable)
                NSLog("datasheet index: %@ is left unread: %@", doc.path, doc.reason);
            db_.store(doc, o.result.pages);
        }
    }
    db_.commit();
    progress_.done += static_cast<int>(ready.size());
    if (progress_.done >= progress_.total) return finishRun();
    if (onProgress_) onProgress_(progress_);
}

void LibraryIndexer::finishRun() {
    if (worker_.joinable()) worker_.join();
    progress_.running = false;
    if (onProgress_) onProgress_(progress_);
    if (rescanWanted_) {
        rescanWanted_ = false;
        refresh();
    }
}

bool LibraryIndexer::runUntilIdle(double seconds) {
    refresh();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (progress_.running) {
        if (seconds < 0) {
            loop_.runOnce(-1);
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        loop_.runOnce(static_cast<int>(left.count()));
    }
    return !progress_.running;
}
