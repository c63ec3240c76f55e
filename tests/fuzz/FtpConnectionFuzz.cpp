// libFuzzer target: arbitrary bytes sent on an FTP control connection, against a real server on loopback.
// Checks, for every input, that the server survives (no crash, no sanitizer report), that every reply line is a
// well-formed reply, and that nothing outside the served folder is changed. Built and run by
// tests/e2e/ftp_fuzz.sh.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "ftp/FtpServer.h"
#include "platform/RunLoop.h"

namespace fs = std::filesystem;

// The program embeds its texts at build time; the harness has none, so lookups fall back to their keys.
const std::map<std::string, std::string_view>& embeddedResources() {
    static const std::map<std::string, std::string_view> none;
    return none;
}

namespace {

struct World {
    std::string root, base;
    std::unique_ptr<FtpServer> server;

    World() {
        char tmpl[] = "/tmp/velkaro-fuzz-XXXXXX";
        root = fs::canonical(::mkdtemp(tmpl)).string();
        base = root + "/docs";
        std::ofstream(root + "/sentinel") << "outside";
        fs::create_directories(root + "/docs2");
        std::ofstream(root + "/docs2/sentinel") << "sibling";
        reset();
        server = std::make_unique<FtpServer>(0, base, nullptr);
        if (!server->isListening()) std::abort();
    }

    // The served folder as every input starts with it: files, a folder, an outward link.
    void reset() {
        std::error_code ec;
        fs::remove_all(base, ec);
        fs::create_directories(base + "/Books");
        std::ofstream(base + "/a.pdf") << "a";
        std::ofstream(base + "/Books/b.pdf") << "bb";
        fs::create_symlink(root, base + "/out", ec);
    }

    void checkOutsideUntouched() const {
        std::ifstream a(root + "/sentinel"), b(root + "/docs2/sentinel");
        std::string sa, sb;
        std::getline(a, sa);
        std::getline(b, sb);
        if (sa != "outside" || sb != "sibling" || !fs::is_directory(base)) {
            std::fprintf(stderr, "a file outside the served folder changed\n");
            std::abort();
        }
    }
};

void checkReplies(const std::string& received) {
    size_t start = 0;
    while (start < received.size()) {
        size_t end = received.find("\r\n", start);
        if (end == std::string::npos) return;  // a reply cut short by the end of this run
        std::string_view line(received.data() + start, end - start);
        bool coded = line.size() >= 4 && std::isdigit(static_cast<unsigned char>(line[0])) &&
                     std::isdigit(static_cast<unsigned char>(line[1])) &&
                     std::isdigit(static_cast<unsigned char>(line[2])) && (line[3] == ' ' || line[3] == '-');
        if (!coded && line != " UTF8") {
            std::fprintf(stderr, "malformed reply line: %.*s\n", static_cast<int>(line.size()), line.data());
            std::abort();
        }
        start = end + 2;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static World world;
    world.reset();
    RunLoop& loop = RunLoop::main();

    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(world.server->localPort());
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);

    std::string received;
    size_t sent = 0;
    for (int turn = 0; turn < 200; ++turn) {
        loop.runOnce(turn < 5 ? 1 : 0);
        if (sent < size) {
            ssize_t n = ::send(fd, data + sent, size - sent, MSG_NOSIGNAL);
            if (n > 0) sent += static_cast<size_t>(n);
            if (sent == size) ::shutdown(fd, SHUT_WR);  // the client then goes away without QUIT
        }
        char buf[4096];
        ssize_t n;
        while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0) received.append(buf, static_cast<size_t>(n));
        if (n == 0 && sent == size) break;
    }
    ::close(fd);
    for (int i = 0; i < 20; ++i) loop.runOnce(0);  // the server notices and drops the connection

    checkReplies(received);
    world.checkOutsideUntouched();
    return 0;
}
