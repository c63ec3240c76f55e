#include "web/WebServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdarg>
#include <algorithm>
#include <cstring>
#include <memory>

#include "ftp/AtomicUpload.h"
#include "ftp/FtpLoginPenalties.h"
#include "platform/Format.h"
#include "platform/Log.h"
#include "platform/Resources.h"
#include "platform/Text.h"
#include "web/MicroHttpd.h"
#include "web/WebDocuments.h"
#include "web/WebRange.h"
#include "web/WebUpload.h"
#include "web/WebValidators.h"

struct WebServer::Client {
    RunLoop::Handle watch = 0;  // for the end of the client's stream
    std::string address;
    std::string refusal;        // past a limit on connections: the 503 every request is answered with
    RunLoop::Handle headTimer = 0, resumeTimer = 0;
};

struct WebServer::Request {
    bool tokenInAddress = false;  // the first visit: the answer sets the cookie
    bool started = false;         // the library has called once (headers read)
    bool routed = false;          // answered, or receiving an upload
    bool checkBooked = false;     // the password's check has had its turn (see FtpLoginPenalties)
    std::unique_ptr<WebUpload> upload;
    // For the log line of each request.
    std::chrono::steady_clock::time_point begun = std::chrono::steady_clock::now();
    std::string method, path;
    unsigned status = 0;
    std::uint64_t bytes = 0;
    std::string name;    // the upload's document name, as its progress is reported
    bool ended = false;  // its last progress was reported
};

namespace {

// Called only once a daemon exists, which the library's loading came first for.
const MicroHttpd& mhd() { return *MicroHttpd::load(nullptr); }

constexpr std::string_view kFilesPrefix = "/files/";
// A burst of clients connecting at once waits in the queue rather than losing its SYNs and retrying a second later.
constexpr int kBacklog = SOMAXCONN;
constexpr std::string_view kKeyPrefix = "/k/";
// Seconds a client past its address's limit is asked to wait before it tries again.
constexpr const char* kRetryAfterSeconds = "1";
constexpr const char* kText = "text/plain; charset=utf-8";
// Seconds a connection whose client has stopped sending may stay, to finish what it already sent.
constexpr unsigned kHalfClosedSeconds = 2;
// Each connection's memory, which holds its request's headers and the pieces of an upload as they are read: an
// upload arrives in pieces of about half of it. Headers beyond the owner's limit are refused by count (431).
constexpr std::size_t kConnectionMemory = 512 << 10;
// Rounds of the library's work in one turn of the loop while it has data already read: an upload's pieces are
// taken without a trip through the loop each, and the other clients of the loop still get their turn.
constexpr int kRoundsPerTurn = 8;
// Connections past the owner's limit the library still takes, to answer them 503 rather than leave them waiting.
constexpr std::size_t kRefusalRoom = 64;
// Requests from one address that may wait out a login penalty at once; more are refused, as FTP refuses them.
constexpr std::size_t kMaxWaitingLoginsPerAddress = 3;

// The listening socket is made here rather than by the library, so a port in use is reported with its reason and
// one socket takes IPv6 and IPv4 alike.
UniqueFd listenSocket(const std::string& bindAddress, unsigned port, Error& error) {
    sockaddr_storage address{};
    socklen_t length = 0;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    if (bindAddress.empty() || ::inet_pton(AF_INET6, bindAddress.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<std::uint16_t>(port));
        length = sizeof *v6;
    } else if (::inet_pton(AF_INET, bindAddress.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<std::uint16_t>(port));
        length = sizeof *v4;
    } else {
        error = {"WebServer", EINVAL, "\"" + bindAddress + "\" is not an IP address"};
        return UniqueFd();
    }
    UniqueFd fd(::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd && bindAddress.empty() && errno == EAFNOSUPPORT) {  // a system without IPv6
        address = {};
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<std::uint16_t>(port));
        length = sizeof *v4;
        fd.reset(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    }
    int on = 1, off = 0;
    if (fd) ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (fd && address.ss_family == AF_INET6 && bindAddress.empty())
        ::setsockopt(fd.get(), IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
    if (!fd || ::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(fd.get(), kBacklog) != 0) {
        error = {"WebServer", errno, std::strerror(errno)};
        return UniqueFd();
    }
    return fd;
}

std::uint16_t boundPort(int fd) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                                               : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

void logFromLibrary(void*, const char* fmt, va_list args) {
    char line[512];
    std::vsnprintf(line, sizeof line, fmt, args);
    std::string text = line;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    NSLog("WS: %@", text);
}

// Names and keys arrive as the client wrote them; documents decode their own escapes (a %00 or %2F inside a
// name must be refused, not cut short or turned into a path).
size_t keepEscapes(void*, MHD_Connection*, char* text) { return std::strlen(text); }

std::string header(MHD_Connection* connection, MHD_ValueKind kind, const char* key) {
    const char* value = mhd().MHD_lookup_connection_value(connection, kind, key);
    return value ? value : "";
}

std::string clientAddress(MHD_Connection* connection) {
    const sockaddr* address = mhd().MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS)->client_addr;
    char text[INET6_ADDRSTRLEN] = "";
    if (address->sa_family == AF_INET6) {
        const in6_addr& v6 = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
        // An IPv4 client on the dual-stack socket counts as the IPv4 address it is.
        if (IN6_IS_ADDR_V4MAPPED(&v6)) ::inet_ntop(AF_INET, &v6.s6_addr[12], text, sizeof text);
        else ::inet_ntop(AF_INET6, &v6, text, sizeof text);
    } else if (address->sa_family == AF_INET) {
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
    }
    return text;
}

// The request line and headers, as the client sent them give or take their separators.
std::size_t headerBytes(MHD_Connection* connection, const std::string& url) {
    std::size_t total = url.size();
    mhd().MHD_get_connection_values(
        connection, MHD_HEADER_KIND,
        [](void* sum, MHD_ValueKind, const char* key, const char* value) {
            *static_cast<std::size_t*>(sum) += std::strlen(key) + (value ? std::strlen(value) : 0) + 4;
            return MHD_YES;
        },
        &total);
    return total;
}

std::optional<std::uint64_t> declaredLength(MHD_Connection* connection) {
    std::string text = header(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 19)
        return std::nullopt;
    return std::stoull(text);
}

}  // namespace

WebServer::WebServer(unsigned port, const std::string& dir, FtpNotificationReceiver* notify, WebOptions options,
                     RunLoop& loop)
    : loop_(loop), paths_(dir), notify_(notify), options_(std::move(options)),
      penalties_(options_.penalties ? options_.penalties : std::make_shared<FtpLoginPenalties>()) {
    // Files go out through sendfile, which cannot ask not to be signalled when the peer has gone.
    struct sigaction current {};
    if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) std::signal(SIGPIPE, SIG_IGN);
    if (!MicroHttpd::load(&listenError_)) {
        NSLog("WS: %@", listenError_.localizedDescription);
        return;
    }
    UniqueFd listener = listenSocket(options_.bindAddress, port, listenError_);
    if (!listener) {
        NSLog("WS: cannot listen on port %u: %@", port, listenError_.localizedDescription);
        return;
    }
    port_ = boundPort(listener.get());
    // Uploads cut short by a crash left their temporary files; nobody can be writing them before we listen.
    if (std::size_t removed = AtomicUpload::removeLeftovers(paths_.baseDir()))
        NSLog("WS: removed %d unfinished uploads", static_cast<int>(removed));
    std::vector<MHD_OptionItem> items = {
        {MHD_OPTION_EXTERNAL_LOGGER, reinterpret_cast<intptr_t>(&logFromLibrary), nullptr},
        {MHD_OPTION_LISTEN_SOCKET, listener.get(), nullptr},
        {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&WebServer::onCompleted), this},
        {MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&WebServer::onConnection), this},
        {MHD_OPTION_UNESCAPE_CALLBACK, reinterpret_cast<intptr_t>(&keepEscapes), nullptr},
        {MHD_OPTION_CONNECTION_TIMEOUT, static_cast<intptr_t>(options_.idleTimeout), nullptr},
        // The request line and headers must fit in the connection's memory too; beyond it the library answers 431.
        {MHD_OPTION_CONNECTION_MEMORY_LIMIT,
         static_cast<intptr_t>(std::max(kConnectionMemory, options_.maxHeaderBytes)), nullptr},
        {MHD_OPTION_SIGPIPE_HANDLED_BY_APP, 1, nullptr},
    };
    if (options_.maxClients)
        items.push_back(
            {MHD_OPTION_CONNECTION_LIMIT, static_cast<intptr_t>(options_.maxClients + kRefusalRoom), nullptr});
    items.push_back({MHD_OPTION_END, 0, nullptr});
    daemon_ = mhd().MHD_start_daemon(MHD_USE_EPOLL | MHD_USE_ERROR_LOG | MHD_ALLOW_SUSPEND_RESUME,
                               0, nullptr, nullptr, &WebServer::onAccess, this, MHD_OPTION_ARRAY, items.data(),
                               MHD_OPTION_END);
    if (!daemon_) {
        listenError_ = {"WebServer", EINVAL, "the HTTP library would not start"};
        NSLog("WS: %@", listenError_.localizedDescription);
        port_ = 0;
        return;
    }
    listener.release();  // the daemon closes it when it stops
    const MHD_DaemonInfo* info = mhd().MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_EPOLL_FD);
    watch_ = loop_.watchFd(info->epoll_fd, EPOLLIN, [this](std::uint32_t) { drive(); });
    drive();
    NSLog("WS: serving %@ on port %d", paths_.baseDir(), static_cast<int>(port_));
}

WebServer::~WebServer() { stop(); }

void WebServer::stop() {
    if (!daemon_) return;
    loop_.removeWatch(watch_);
    loop_.cancel(timer_);
    watch_ = timer_ = 0;
    // The library stops only with no connection suspended.
    for (auto& [connection, client] : std::exchange(suspended_, {})) {
        loop_.cancel(std::exchange(client->resumeTimer, 0));
        mhd().MHD_resume_connection(connection);
    }
    mhd().MHD_stop_daemon(std::exchange(daemon_, nullptr));
    port_ = 0;
}

std::string WebServer::address(const std::string& host) const {
    const bool v6 = host.find(':') != std::string::npos;
    return format("http://%@%@%@:%d/?k=%@", v6 ? "[" : "", host, v6 ? "]" : "", static_cast<int>(port_),
                  token_.text());
}

void WebServer::drive() {
    loop_.cancel(timer_);
    timer_ = 0;
    MHD_UNSIGNED_LONG_LONG ms = 0;
    // The library has work waiting without a descriptor event (connections with data already read, time-outs).
    // At its connection limit it also takes the listening socket out of its epoll set, and puts it back only at
    // the start of a later round: a round that closed connections is followed by another, or the clients waiting
    // to be accepted would wait for an event that never comes.
    bool again = true;
    for (int round = 0; again && round < kRoundsPerTurn; ++round) {
        const unsigned closedBefore = closed_;
        mhd().MHD_run(daemon_);
        again = closed_ != closedBefore || (mhd().MHD_get_timeout(daemon_, &ms) == MHD_YES && ms == 0);
    }
    if (again || mhd().MHD_get_timeout(daemon_, &ms) == MHD_YES)
        timer_ = loop_.runAfter(again ? 0.0 : static_cast<double>(ms) / 1000.0, [this] {
            timer_ = 0;
            drive();
        });
}

MHD_Result WebServer::onAccess(void* self, MHD_Connection* connection, const char* url, const char* method,
                               const char*, const char* uploadData, size_t* uploadSize, void** context) {
    auto* server = static_cast<WebServer*>(self);
    if (!*context) *context = new Request();
    return server->access(connection, url, method, uploadData, uploadSize, *static_cast<Request*>(*context));
}

void WebServer::onCompleted(void* self, MHD_Connection* connection, void** context,
                            MHD_RequestTerminationCode code) {
    auto* server = static_cast<WebServer*>(self);
    // An upload cut short (the client went, it stalled past the time-out, the server stopped) is dropped whole
    // with its request.
    auto* request = static_cast<Request*>(*context);
    if (request && request->upload && code != MHD_REQUEST_TERMINATED_COMPLETED_OK)
        NSLog("WS: upload ended before its last byte (%d); nothing kept", static_cast<int>(code));
    if (request && request->upload && !request->name.empty() && !request->ended)
        server->progress(*request, true, false);
    auto* client = static_cast<Client*>(
        mhd().MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT)->socket_context);
    // The path only: the key travels in the query or the cookie, neither of which is logged.
    if (request && request->status)
        NSLog("WS: %@ %@ %@ %d %@ bytes %d ms", client ? client->address : std::string(), request->method,
              request->path, static_cast<int>(request->status), std::to_string(request->bytes),
              static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - request->begun)
                                   .count()));
    delete request;
    *context = nullptr;
    // A kept-alive connection's next request has the same time to arrive whole.
    if (client && server->daemon_) server->awaitHead(connection, *client);
}

void WebServer::awaitHead(MHD_Connection* connection, Client& client) {
    loop_.cancel(client.headTimer);
    client.headTimer = loop_.runAfter(options_.requestTimeout, [this, connection, &client] {
        client.headTimer = 0;
        NSLog("WS: %@ sent no whole request within %d s; closed", client.address,
              static_cast<int>(options_.requestTimeout));
        // The library's own time-out restarts with every byte: the socket is shut, which it sees as the end.
        const int fd = mhd().MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD)->connect_fd;
        ::shutdown(fd, SHUT_RDWR);
        drive();
    });
}

void WebServer::onConnection(void* self, MHD_Connection* connection, void** context,
                             MHD_ConnectionNotificationCode code) {
    auto* server = static_cast<WebServer*>(self);
    if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
        ++server->closed_;
        std::unique_ptr<Client> client(static_cast<Client*>(std::exchange(*context, nullptr)));
        if (!client) return;
        if (client->watch) server->loop_.removeWatch(client->watch);
        server->loop_.cancel(client->headTimer);
        server->loop_.cancel(client->resumeTimer);
        server->suspended_.erase(connection);
        if (client->refusal.empty()) {
            --server->clients_;
            auto it = server->clientsPerAddress_.find(client->address);
            if (--it->second == 0) server->clientsPerAddress_.erase(it);
        }
        return;
    }
    auto* client = new Client();
    client->address = clientAddress(connection);
    *context = client;
    // Past a limit a client is still answered (503 with Retry-After), so a script knows to wait and try again
    // rather than meet a closed connection or wait unanswered.
    const WebOptions& limits = server->options_;
    auto it = server->clientsPerAddress_.find(client->address);
    if (limits.maxPerAddress && it != server->clientsPerAddress_.end() && it->second >= limits.maxPerAddress)
        client->refusal = format("Too many connections from your address at once (%d); try again in a moment.",
                                 int(limits.maxPerAddress));
    else if (limits.maxClients && server->clients_ >= limits.maxClients)
        client->refusal = format("Too many connections at once (%d); try again in a moment.", int(limits.maxClients));
    else {
        ++server->clients_;
        ++server->clientsPerAddress_[client->address];
    }
    // The library watches its sockets edge-triggered and may read a client's last bytes and its end of stream in
    // one go without noticing the end: an upload cut off by the client would then wait out the whole idle time-out.
    // A watch of our own for the end of the client's stream shortens that connection's time-out instead.
    const int fd = mhd().MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD)->connect_fd;
    client->watch = server->loop_.watchFd(fd, EPOLLRDHUP, [server, connection, client](std::uint32_t) {
        server->loop_.removeWatch(client->watch);
        client->watch = 0;
        mhd().MHD_set_connection_option(connection, MHD_CONNECTION_OPTION_TIMEOUT, kHalfClosedSeconds);
        server->drive();
    });
    server->awaitHead(connection, *client);
}

MHD_Result WebServer::access(MHD_Connection* connection, const std::string& url, const std::string& method,
                             const char* uploadData, size_t* uploadSize, Request& request) {
    if (request.routed) return receive(connection, uploadData, uploadSize, request);
    auto* client = static_cast<Client*>(
        mhd().MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT)->socket_context);
    if (!request.started) {  // the head is whole
        if (client) loop_.cancel(std::exchange(client->headTimer, 0));
        request.method = method;
        request.path = url;
        // A shared link's key is its leading segments: the log shows where it points, not the key.
        if (url.starts_with(kKeyPrefix)) {
            const std::size_t slash = url.find('/', kKeyPrefix.size());
            request.path = "/k/…" + (slash == std::string::npos ? std::string() : url.substr(slash));
        }
    }
    if (client && !client->refusal.empty()) {
        // Answered at once, so the library closes the connection after it and the body is never read.
        request.routed = true;
        NSLog("WS: %@: %@", client->address, client->refusal);
        return refuseAndClose(connection, MHD_HTTP_SERVICE_UNAVAILABLE, client->refusal + "\n", request,
                              kRetryAfterSeconds);
    }
    // An answer queued on the first call makes the library close the connection after it. That is right for an
    // upload refused before its body is sent, but a page's GETs keep their connection when answered one call later.
    // Any request that sends a body is routed before it: one that is refused (a PATCH, a DELETE with a body) and
    // answered with its body unread would get no answer at all, the library closing the connection instead.
    const bool mayHaveBody = method == MHD_HTTP_METHOD_PUT || method == MHD_HTTP_METHOD_POST ||
                             declaredLength(connection).value_or(0) > 0 ||
                             !header(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_TRANSFER_ENCODING).empty();
    if (!request.started && !mayHaveBody) {
        request.started = true;
        return MHD_YES;
    }
    request.started = true;
    if (headerBytes(connection, url) > options_.maxHeaderBytes) {
        request.routed = true;
        return refuseAndClose(connection, MHD_HTTP_REQUEST_HEADER_FIELDS_TOO_LARGE,
                              "The request's headers are too large.\n", request);
    }
    // A shared link carries the key as its leading segments (/k/KEY/files/NAME), so that its last segment is the
    // file's name and a download saves the file under it.
    std::string path = url, keyInPath;
    if (path.starts_with(kKeyPrefix)) {
        const std::size_t slash = path.find('/', kKeyPrefix.size());
        keyInPath = path.substr(kKeyPrefix.size(), slash - kKeyPrefix.size());
        path = slash == std::string::npos ? "/" : path.substr(slash);
    }
    switch (admit(connection, keyInPath, request)) {
        case Admission::Waiting:
            return MHD_YES;  // called again when the connection is resumed
        case Admission::Refused:
            request.routed = true;
            return MHD_YES;
        case Admission::Admitted:
            break;
    }
    request.routed = true;
    return route(connection, path, method, request);
}

WebServer::Admission WebServer::admit(MHD_Connection* connection, const std::string& keyInPath, Request& request) {
    const std::string fromAddress = header(connection, MHD_GET_ARGUMENT_KIND, "k");
    const std::string fromCookie = header(connection, MHD_COOKIE_KIND, WebToken::kCookieName.data());
    request.tokenInAddress = token_.matches(fromAddress) || token_.matches(keyInPath);
    if (!request.tokenInAddress && !token_.matches(fromCookie)) {
        reply(connection, MHD_HTTP_FORBIDDEN,
              "This share needs its key: open the address shown on the sharing screen, with its ?k= part.\n", kText,
              request);
        return Admission::Refused;
    }
    if (options_.user.empty()) return Admission::Admitted;
    char* password = nullptr;
    char* user = mhd().MHD_basic_auth_get_username_password(connection, &password);
    std::unique_ptr<char, void (*)(void*)> userOwner(user, mhd().MHD_free), passwordOwner(password, mhd().MHD_free);
    auto* client = static_cast<Client*>(
        mhd().MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT)->socket_context);
    const std::string address = client ? client->address : std::string();
    const bool offered = user && password;
    // The address's penalty for earlier failures (on this page or over FTP: one book) passes before the password
    // is looked at, the right one too: a guess is slow, not only a wrong answer. The owner's browser sends the
    // account with every request: from its address, without failures since, they are checked at once.
    const bool booked = !penalties_->hasLoggedIn(address) || penalties_->hasFailed(address);
    if (offered && booked && !request.checkBooked && client) {
        const double wait = penalties_->bookCheck(address, FtpLoginPenalties::Clock::now());
        const auto key = FtpLoginPenalties::keyOf(address);
        const auto waiting = std::count_if(suspended_.begin(), suspended_.end(), [&key](const auto& s) {
            return FtpLoginPenalties::keyOf(s.second->address) == key;
        });
        if (wait < 0 || (wait > 0 && static_cast<std::size_t>(waiting) >= kMaxWaitingLoginsPerAddress)) {
            reply(connection, MHD_HTTP_TOO_MANY_REQUESTS, "Too many logins at once; try again later.\n", kText,
                  request);
            return Admission::Refused;
        }
        request.checkBooked = true;
        if (wait > 0) {
            mhd().MHD_suspend_connection(connection);
            suspended_[connection] = client;
            client->resumeTimer = loop_.runAfter(wait, [this, connection, client] {
                client->resumeTimer = 0;
                suspended_.erase(connection);
                mhd().MHD_resume_connection(connection);
                drive();
            });
            return Admission::Waiting;
        }
    }
    const bool ok = offered && options_.user == user && WebToken(options_.password).matches(password);
    if (ok) {
        penalties_->succeeded(address);
        return Admission::Admitted;
    }
    // A request without an account (a browser's first) is asked for one; only a wrong one is a failure.
    if (offered) penalties_->failed(address, FtpLoginPenalties::Clock::now());
    NSLog("WS: %@ from %@", offered ? "wrong account" : "no account", address);
    MHD_Response* response =
        mhd().MHD_create_response_from_buffer(0, const_cast<char*>(""), MHD_RESPMEM_PERSISTENT);
    mhd().MHD_queue_basic_auth_fail_response(connection, "Velkaro", response);
    mhd().MHD_destroy_response(response);
    request.status = MHD_HTTP_UNAUTHORIZED;
    return Admission::Refused;
}

MHD_Result WebServer::route(MHD_Connection* connection, const std::string& url, const std::string& method,
                            Request& request) {
    const bool get = method == MHD_HTTP_METHOD_GET || method == MHD_HTTP_METHOD_HEAD;
    if (url == "/") {
        if (!get) return reply(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "Only GET here.\n", kText, request);
        return sendPage(connection, request);
    }
    if (!url.starts_with(kFilesPrefix)) return reply(connection, MHD_HTTP_NOT_FOUND, "Nothing here.\n", kText, request);
    const std::string_view segments = std::string_view(url).substr(kFilesPrefix.size());
    auto path = WebDocuments::pathFromSegments(segments);
    if (!path)
        return reply(connection, MHD_HTTP_BAD_REQUEST,
                     "Not a document path: names of UTF-8 text without control characters that do not begin with a "
                     "dot, joined by slashes.\n",
                     kText, request);
    // A path ending in a slash (or none at all) is a folder: its list.
    if (segments.empty() || segments.ends_with('/')) {
        if (!get) return reply(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "Only GET here.\n", kText, request);
        return sendList(connection, *path, request);
    }
    if (get) return sendFile(connection, *path, request);
    if (method == MHD_HTTP_METHOD_PUT) return startUpload(connection, *path, request);
    return reply(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "Only GET and PUT here.\n", kText, request);
}

MHD_Result WebServer::sendPage(MHD_Connection* connection, Request& request) {
    std::string page(resourceNamed("WebShare").value_or(""));
    static constexpr std::string_view kPlaceholder = "_READ_ONLY_";
    if (auto at = page.find(kPlaceholder); at != std::string::npos)
        page.replace(at, kPlaceholder.size(), options_.readOnly ? "true" : "false");
    // The page makes shared links with the key; only someone who has the key gets the page.
    static constexpr std::string_view kKeyPlaceholder = "_KEY_";
    if (auto at = page.find(kKeyPlaceholder); at != std::string::npos)
        page.replace(at, kKeyPlaceholder.size(), token_.text());
    return reply(connection, MHD_HTTP_OK, page, "text/html; charset=utf-8", request);
}

MHD_Result WebServer::sendList(MHD_Connection* connection, const std::string& folder, Request& request) {
    auto documents = WebDocuments::list(paths_, folder);
    if (!documents) return reply(connection, MHD_HTTP_NOT_FOUND, "No such folder.\n", kText, request);
    return reply(connection, MHD_HTTP_OK, WebDocuments::toJson(*documents), "application/json", request);
}

MHD_Result WebServer::sendFile(MHD_Connection* connection, const std::string& name, Request& request) {
    struct stat st {};
    UniqueFd file = paths_.openRegularFile(name, O_RDONLY | O_CLOEXEC, st);
    if (!file) return reply(connection, MHD_HTTP_NOT_FOUND, "No such document.\n", kText, request);
    const auto size = static_cast<std::uint64_t>(st.st_size);
    const WebValidators validators(st);
    auto validate = [&](MHD_Response* response) {
        mhd().MHD_add_response_header(response, MHD_HTTP_HEADER_ETAG, validators.etag().c_str());
        mhd().MHD_add_response_header(response, MHD_HTTP_HEADER_LAST_MODIFIED, validators.lastModified().c_str());
    };
    if (validators.notModified(header(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_IF_NONE_MATCH),
                               header(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_IF_MODIFIED_SINCE))) {
        MHD_Response* response = mhd().MHD_create_response_from_buffer(0, const_cast<char*>(""), MHD_RESPMEM_PERSISTENT);
        if (!response) return MHD_NO;
        validate(response);
        return queue(connection, MHD_HTTP_NOT_MODIFIED, response, request);
    }
    // A resumed download whose file changed since it began gets the whole new version, not a mix of two.
    const bool rangeApplies = validators.rangeApplies(header(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_IF_RANGE));
    const WebRange range =
        WebRange::parse(rangeApplies ? header(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_RANGE) : "", size);
    if (range.kind == WebRange::Kind::Unsatisfiable) {
        MHD_Response* response = mhd().MHD_create_response_from_buffer(0, const_cast<char*>(""), MHD_RESPMEM_PERSISTENT);
        mhd().MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_RANGE, format("bytes */%qu", size).c_str());
        return queue(connection, MHD_HTTP_RANGE_NOT_SATISFIABLE, response, request);
    }
    // The library sends the file from its descriptor (sendfile) and closes it when the answer is done.
    MHD_Response* response = mhd().MHD_create_response_from_fd_at_offset64(range.length, file.get(), range.offset);
    if (!response) return MHD_NO;
    file.release();
    request.bytes = range.length;
    mhd().MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, WebDocuments::contentType(name));
    mhd().MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_DISPOSITION, WebDocuments::attachment(name).c_str());
    mhd().MHD_add_response_header(response, MHD_HTTP_HEADER_ACCEPT_RANGES, "bytes");
    validate(response);
    if (range.kind == WebRange::Kind::Partial) {
        mhd().MHD_add_response_header(
            response, MHD_HTTP_HEADER_CONTENT_RANGE,
            format("bytes %qu-%qu/%qu", range.offset, range.offset + range.length - 1, size).c_str());
        return queue(connection, MHD_HTTP_PARTIAL_CONTENT, response, request);
    }
    return queue(connection, MHD_HTTP_OK, response, request);
}

MHD_Result WebServer::startUpload(MHD_Connection* connection, const std::string& name, Request& request) {
    if (options_.readOnly)
        return reply(connection, MHD_HTTP_FORBIDDEN, "This share is read-only.\n", kText, request);
    // A character that reorders the text would make the name show as another one, here and in the window.
    if (text::hasBidiControls(name))
        return reply(connection, MHD_HTTP_BAD_REQUEST,
                     "Names may not hold characters that reorder text (U+202A to U+202E, U+2066 to U+2069).\n", kText,
                     request);
    // "Only if new": the page asks the person before it replaces a document of the same name.
    const bool onlyIfNew = header(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_IF_NONE_MATCH) == "*";
    request.upload = std::make_unique<WebUpload>(paths_, name, declaredLength(connection), onlyIfNew);
    // Refused before the body is sent: a client that asked "Expect: 100-continue" never sends it.
    if (request.upload->failure())
        return reply(connection, request.upload->failure(), request.upload->message() + "\n", kText, request);
    request.name = name;
    progress(request, false, false);
    return MHD_YES;
}

void WebServer::progress(Request& request, bool finished, bool stored) {
    request.ended = finished;
    if (!notify_) return;
    FtpTransferProgress report;
    report.fileName = request.name;
    report.upload = true;
    // An upload that did not end in a stored document moved nothing the store keeps.
    report.bytes = finished && !stored ? 0 : request.upload->size();
    report.finished = finished;
    notify_->didTransferProgress(report);
}

MHD_Result WebServer::receive(MHD_Connection* connection, const char* data, size_t* size, Request& request) {
    if (!request.upload) return MHD_YES;  // a body sent to a request already answered
    if (*size > 0) {
        request.upload->write(data, *size);
        *size = 0;
        progress(request, false, false);
        return MHD_YES;
    }
    const unsigned status = request.upload->commit();
    progress(request, true, status < 400);
    if (status >= 400) return reply(connection, status, request.upload->message() + "\n", kText, request);
    if (notify_) notify_->didReceiveFileListChanged();
    const MHD_Result result =
        reply(connection, status, status == MHD_HTTP_CREATED ? "Created.\n" : "Replaced.\n", kText, request);
    request.bytes = request.upload->size();  // an upload's line counts the bytes received
    return result;
}

MHD_Response* WebServer::textResponse(const std::string& body, const char* type) {
    MHD_Response* response =
        mhd().MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    if (!response) return nullptr;
    mhd().MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type);
    mhd().MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    return response;
}

MHD_Result WebServer::refuseAndClose(MHD_Connection* connection, unsigned status, const std::string& body,
                                     Request& request, const char* retryAfter) {
    MHD_Response* response = textResponse(body, kText);
    if (!response) return MHD_NO;
    if (retryAfter) mhd().MHD_add_response_header(response, MHD_HTTP_HEADER_RETRY_AFTER, retryAfter);
    mhd().MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    return queue(connection, status, response, request);
}

MHD_Result WebServer::reply(MHD_Connection* connection, unsigned status, const std::string& body, const char* type,
                            Request& request) {
    MHD_Response* response = textResponse(body, type);
    if (!response) return MHD_NO;
    request.bytes = body.size();
    return queue(connection, status, response, request);
}

MHD_Result WebServer::queue(MHD_Connection* connection, unsigned status, MHD_Response* response, Request& request) {
    // The page carries everything it needs; nothing may be loaded from elsewhere, nothing may frame it, and the
    // key in its address is never sent on as a referrer.
    mhd().MHD_add_response_header(response, "Content-Security-Policy",
                            "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                            "img-src data:; connect-src 'self'; form-action 'none'; frame-ancestors 'none'");
    mhd().MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    mhd().MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    if (request.tokenInAddress)
        mhd().MHD_add_response_header(response, MHD_HTTP_HEADER_SET_COOKIE, token_.cookie().c_str());
    request.status = status;
    const MHD_Result result = mhd().MHD_queue_response(connection, status, response);
    mhd().MHD_destroy_response(response);
    return result;
}
