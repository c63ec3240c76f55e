#include "library/PdfTextLoader.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

#include "platform/ProgramModule.h"
#include "platform/UniqueFd.h"

extern char** environ;

namespace {

std::mutex settingsMutex;
std::string readerProgram;  // "" until found, or given by configure
PdfTextLoader::Budget budget;

// Starts `program` on `path` with its standard output on `output`; 0 or the error.
int spawnReader(const std::string& program, const std::string& path, const PdfTextLoader::Budget& b, int output,
                pid_t* pid) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The servers ignore SIGPIPE and a thread may block signals: the reader starts with neither.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const std::string cpu = std::to_string(b.cpuSeconds), memory = std::to_string(b.memoryBytes);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(path.c_str()),
                    const_cast<char*>(cpu.c_str()), const_cast<char*>(memory.c_str()), nullptr};
    const int error = ::posix_spawn(pid, program.c_str(), &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

// Why a reader that ended with `status` without finishing its output did so.
std::string reasonOfEnd(int status, const PdfTextLoader::Budget& b) {
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        if (signal == SIGXCPU || signal == SIGKILL)  // SIGKILL: one second past the soft limit
            return "reading it took more than " + std::to_string(b.cpuSeconds) + " s of processor time";
        return std::string("the PDF reader crashed on it (") + ::strsignal(signal) + ")";
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kPdfReaderOutOfMemory)
        return "reading it needed more than " + std::to_string(b.memoryBytes >> 20) + " MiB of memory";
    return "the PDF reader stopped without finishing (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
}

// Splits what the reader wrote into pages; true once the closing frame arrived, with its status.
bool takeFrames(std::string& buffer, std::vector<PdfTextLoader::Page>* out, PdfPagesStatus* status) {
    size_t at = 0;
    bool ended = false;
    while (!ended && buffer.size() - at >= sizeof(PdfPageFrame)) {
        PdfPageFrame frame;
        std::memcpy(&frame, buffer.data() + at, sizeof frame);
        if (frame.number < 0) {
            *status = static_cast<PdfPagesStatus>(frame.size);
            ended = true;
            at += sizeof frame;
            break;
        }
        if (buffer.size() - at - sizeof frame < frame.size) break;
        out->push_back({frame.number, buffer.substr(at + sizeof frame, frame.size)});
        at += sizeof frame + frame.size;
    }
    buffer.erase(0, at);
    return ended;
}

}  // namespace

void PdfTextLoader::configure(std::string program, Budget b) {
    std::lock_guard<std::mutex> lock(settingsMutex);
    readerProgram = std::move(program);
    budget = b;
}

PdfPagesStatus PdfTextLoader::pages(const std::string& path, const std::atomic<bool>* stop, std::vector<Page>* out,
                                    std::string* reason) {
    std::string program;
    Budget b;
    {
        std::lock_guard<std::mutex> lock(settingsMutex);
        if (readerProgram.empty()) readerProgram = ProgramModule::helper("velkaro-pdftext");
        program = readerProgram;
        b = budget;
    }
    auto unreadable = [reason](std::string why) {
        *reason = std::move(why);
        return PdfPagesStatus::Unreadable;
    };
    if (program.empty()) return unreadable("the PDF reader velkaro-pdftext is not installed");
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return unreadable(std::string("no pipe: ") + std::strerror(errno));
    UniqueFd input(ends[0]), output(ends[1]);
    pid_t pid = -1;
    if (int error = spawnReader(program, path, b, output.get(), &pid))
        return unreadable("the PDF reader " + program + " cannot be started: " + std::strerror(error));
    output.reset();  // the child's end: end of file once the child is gone

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(b.wallSeconds);
    std::string buffer, why;
    std::size_t textBytes = 0;
    PdfPagesStatus status = PdfPagesStatus::Unreadable;
    bool ended = false;
    char chunk[1 << 16];
    for (;;) {
        pollfd p{input.get(), POLLIN, 0};
        const int ready = ::poll(&p, 1, 100);  // a tenth of a second: how soon a stop is noticed
        if (stop && stop->load()) why = "stopped";
        else if (std::chrono::steady_clock::now() > deadline)
            why = "reading it took longer than " + std::to_string(static_cast<int>(b.wallSeconds)) + " s";
        if (!why.empty()) break;
        if (ready <= 0) continue;
        const ssize_t n = ::read(input.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        textBytes += static_cast<size_t>(n);
        if (textBytes > b.textBytes) {
            why = "it holds more than " + std::to_string(b.textBytes >> 20) + " MiB of text";
            break;
        }
        buffer.append(chunk, static_cast<size_t>(n));
        ended = ended || takeFrames(buffer, out, &status);
    }
    if (!why.empty()) ::kill(pid, SIGKILL);
    int exit = 0;
    while (::waitpid(pid, &exit, 0) < 0 && errno == EINTR) {
    }
    if (!why.empty()) return unreadable(why);
    if (!ended || !WIFEXITED(exit) || WEXITSTATUS(exit) != 0) return unreadable(reasonOfEnd(exit, b));
    return status;
}
