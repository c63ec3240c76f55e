#pragma once
#include <sys/socket.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/AsyncReadPacket.h"
#include "net/AsyncSocketDelegate.h"
#include "net/AsyncSocketException.h"
#include "net/AsyncWritePacket.h"
#include "net/TlsConnection.h"
#include "platform/Error.h"
#include "platform/RunLoop.h"
#include "platform/UniqueFd.h"

/// Domain of the socket's own errors; their descriptions come from the "AsyncSocket" strings table.
inline constexpr const char* AsyncSocketErrorDomain = "AsyncSocketErrorDomain";
/// Codes in `AsyncSocketErrorDomain` (2 is never produced).
enum AsyncSocketError : long {
    AsyncSocketCFSocketError = -1,      ///< "General CFSocket error": create, bind, listen or connect failed
    AsyncSocketNoError = 0,
    AsyncSocketCanceledError = 1,       ///< "Connection canceled": onSocketWillConnect answered false
    AsyncSocketReadTimeoutError = 3,    ///< "Read operation timed out"
    AsyncSocketWriteTimeoutError = 4,   ///< "Write operation timed out"
};
/// Domains of errors that come from the connection itself: `errno` values, and `getaddrinfo` codes (with the
/// `gai_strerror` text as description).
inline constexpr const char* NSPOSIXErrorDomain = "NSPOSIXErrorDomain";
inline constexpr const char* kCFStreamErrorDomainNetDB = "kCFStreamErrorDomainNetDB";

/// A non-blocking TCP socket on the run loop: listens (IPv4 and IPv6 at once), accepts, connects, and serves queued
/// read and write requests, reporting every event to its delegate from the loop. No operation blocks (except the
/// name look-up of `acceptOnAddress`) and none throws at run time.
///
/// Hold sockets in `std::shared_ptr` (`create`): every event handler keeps the socket alive while it runs, so a
/// delegate may drop its last reference inside any message. Deferred steps and timers do not keep it alive; the
/// destructor closes the socket and withdraws them (including a pending `onSocketDidDisconnect`).
///
/// Everything runs on the thread of the socket's loop (given when it is made; `RunLoop::main()` by default, and an
/// accepted socket takes its listener's unless the delegate names another); nothing is locked except the name look-up.
class HostResolver;

class AsyncSocket : public std::enable_shared_from_this<AsyncSocket> {
public:
    /// Status of one direction of a connection (the description prints it as a word).
    enum class StreamStatus { NotOpen, Opening, Open, Reading, Writing, AtEnd, Closed, Error };
    /// One direction of a connection: both share the connection's native socket, which closing them closes.
    struct Stream {
        StreamStatus status = StreamStatus::NotOpen;
        std::optional<Error> error;  ///< set with status Error
    };

    /// A socket with `delegate` (not owned, may be null) and a value kept for the owner, running on `loop`.
    explicit AsyncSocket(AsyncSocketDelegate* delegate = nullptr, std::int32_t userData = 0,
                         RunLoop& loop = RunLoop::main());
    /// Closes the socket; no delegate message follows, pending ones are withdrawn.
    ~AsyncSocket();
    AsyncSocket(const AsyncSocket&) = delete;
    AsyncSocket& operator=(const AsyncSocket&) = delete;

    /// The usual way to make one.
    static std::shared_ptr<AsyncSocket> create(AsyncSocketDelegate* delegate = nullptr, std::int32_t userData = 0,
                                               RunLoop& loop = RunLoop::main()) {
        return std::make_shared<AsyncSocket>(delegate, userData, loop);
    }

    AsyncSocketDelegate* delegate() const { return theDelegate; }
    void setDelegate(AsyncSocketDelegate* delegate);
    std::int32_t userData() const { return theUserData; }
    /// True when no read or write is queued or current, so no message with a pending tag can reach the old delegate.
    bool canSafelySetDelegate() const;

    // --- Listening and connecting. Each returns false and fills `err` (if given) on a run-time failure, leaving
    // --- the socket without handles; each throws AsyncSocketException without a delegate or when already started.

    /// Listens on every IPv4 and IPv6 address on `port` (0: one port chosen by the system for both).
    bool acceptOnPort(std::uint16_t port, Error* err = nullptr);
    /// Listens on `address`: "" for all addresses, "localhost" or "loopback" (exactly) for 127.0.0.1 and ::1,
    /// anything else through the name look-up (first IPv4 and first IPv6 result). False without an error when the
    /// look-up finds neither family.
    bool acceptOnAddress(const std::string& address, std::uint16_t port, Error* err = nullptr);
    /// Starts connecting to `host` (numeric IPv4/IPv6 text, or a name) and `port`; the result arrives as
    /// onSocketDidConnectToHostPort or as a close with an error (e.g. POSIX ECONNREFUSED, or a look-up error in
    /// kCFStreamErrorDomainNetDB). Never blocks: a name is looked up on a helper thread and the answer comes back
    /// through the run loop.
    bool connectToHost(const std::string& host, std::uint16_t port, Error* err = nullptr);
    /// Starts connecting to an IPv4 or IPv6 socket address; otherwise like connectToHost.
    bool connectToAddress(const sockaddr* address, socklen_t length, Error* err = nullptr);

    // --- Reading. Requests queue up; the first one becomes current on the next loop turn (or when the
    // --- connection opens) and stays current until the socket closes or its time-out (seconds, negative: none)
    // --- fires. Every chunk received while a read is current goes to onSocketDidReadDataWithTag with its tag, as it
    // --- arrived (up to 1 MiB at a time): a protocol that reads lines cuts them itself. Requests made after
    // --- disconnectAfterWriting are ignored.

    void readDataWithTimeoutTag(double timeout, std::int32_t tag);

    /// Stops watching for received bytes: they (and the peer's end) wait in the system, nothing is delivered, and
    /// the peer is slowed down once the system's buffer is full. Requests still queue; a current read's time-out
    /// keeps running. Closing the socket ends the pause.
    void pauseReading();
    /// Delivers again, starting with what waited meanwhile.
    void resumeReading();
    bool isReadingPaused() const { return theFlags & kReadingPaused; }
    /// How bytes moved into a file went: `written` bytes more in the file, or 0 with the errno of the failed write.
    using FileSinkReport = std::function<void(std::uint64_t written, int error)>;
    /// The bytes received from now on go into `fd` from `offset` on without passing through this process (the
    /// kernel moves them through a pipe, splice), each piece told to `report` instead of onSocketDidReadDataWithTag.
    /// False, and the bytes keep going to the delegate, where the connection uses TLS or no pipe can be had; a file
    /// the kernel cannot splice into gets its bytes through the delegate from then on. A failed write ends the
    /// moving (the socket stays open). `report` may close the socket.
    bool receiveIntoFile(int fd, off_t offset, FileSinkReport report);
    /// The bytes go to the delegate again.
    void stopReceivingIntoFile() { theFileSink.reset(); }

    // --- Writing: bytes go out in pieces of at most 4096 while the connection takes them; one
    // --- onSocketDidWriteDataWithTag per request. Empty data is ignored.

    /// Sends the shared bytes without copying them.
    void writeDataWithTimeoutTag(std::shared_ptr<const std::string> data, double timeout, std::int32_t tag);
    void writeDataWithTimeoutTag(std::string data, double timeout, std::int32_t tag) {
        writeDataWithTimeoutTag(std::make_shared<const std::string>(std::move(data)), timeout, tag);
    }
    /// `length` of writeFileWithTimeoutTag meaning "up to the end of the file".
    static constexpr std::uint64_t ToEndOfFile = AsyncWritePacket::kToEndOfFile;
    /// Sends `length` bytes of the open file `fd` from `offset` (or everything up to its end), queued in order with
    /// the byte writes and reported like one: one onSocketDidWriteDataWithTag when every byte went out, even for no
    /// bytes at all. The bytes go from the system's page cache straight to the connection (sendfile); a file system
    /// that refuses that is read in pieces instead. A file that cannot be read, or ends before `length` bytes,
    /// closes the socket with that error (EIO for the early end). The socket owns `fd` from here on. Ignored
    /// without a descriptor or with a negative offset.
    void writeFileWithTimeoutTag(UniqueFd fd, off_t offset, std::uint64_t length, double timeout, std::int32_t tag);
    /// Lets tests send every file as on a file system that refuses sendfile (read and sent in pieces).
    static void setSendfileForTesting(bool allowed);
    /// Bytes queued or being written that the system has not taken yet (a file up to its end counts its size when
    /// queued): lets an owner stop producing while a peer does not read.
    std::uint64_t unsentByteCount() const { return theUnsentBytes; }

    // --- Encryption.

    /// Encrypts the connection from here on, as server or client after `context`'s role: writes queued before go out
    /// in clear first, then the handshake runs; reads stop at once and go on decrypted after it. Requests, messages
    /// and time-outs stay as they are; a file goes through kernel TLS where the system offers it, otherwise it is
    /// read and encrypted piece by piece. `timeout` (seconds, negative: none) bounds the handshake; a failed
    /// handshake closes the socket with an error in `TlsErrorDomain`, a completed one sends onSocketDidSecure.
    /// May be called as soon as the socket is made (an accepted one in onSocketDidAcceptNewSocket); ignored once
    /// started, or after disconnectAfterWriting.
    void startTls(std::shared_ptr<TlsContext> context, const TlsOptions& options = {}, double timeout = -1);
    /// The handshake completed.
    bool isSecure() const { return theTls && theTls->isEstablished(); }
    /// The connection's TLS state, or null before startTls.
    const TlsConnection* tls() const { return theTls.get(); }

    // --- Queries.

    /// The connection's native socket is valid and both directions are open (or in error).
    bool isConnected() const;
    /// The peer's address as text and its port; empty and 0 without a connection.
    std::string connectedHost() const;
    std::uint16_t connectedPort() const;
    /// This end's address and port; for a listener those of the IPv4 listener if there is one.
    std::string localHost() const;
    std::uint16_t localPort() const;
    bool isIPv4() const { return handle4() >= 0; }
    bool isIPv6() const { return handle6() >= 0; }
    /// The loop the socket runs on, for the objects that serve its connection.
    RunLoop& loop() const;
    /// One line for logs: addresses, queued requests, progress, stream states.
    std::string description() const;
    /// The IPv4 handle, else the IPv6 one; -1 when neither exists.
    int getCFSocket() const { return handle4() >= 0 ? handle4() : handle6(); }
    /// The reading direction of the connection, or null.
    const Stream* getCFReadStream() const { return theReadStream.get(); }

    // --- Ending.

    /// Stops taking requests and disconnects once no write is queued or current (on a later loop turn).
    void disconnectAfterWriting();
    /// Closes at once: queued requests are dropped; a started socket gets onSocketDidDisconnect on the next turn.
    void disconnect();

    /// The description text of one of the socket's own error codes (from the "AsyncSocket" strings table).
    static Error errorWithCode(AsyncSocketError code);

private:
    enum Flags : std::uint8_t {
        kDidCompleteConnection = 0x02,
        kDidPassConnectMethod = 0x04,  // started
        kForbidReadsWrites = 0x08,
        kDisconnectAfterWrites = 0x10,
        kReadingPaused = 0x20,
    };
    /// A withdrawable timer or deferred call, with the loop that holds it.
    struct Deferred {
        RunLoop* loop = nullptr;
        RunLoop::Handle handle = 0;
        bool pending() const { return loop && loop->isPending(handle); }
        void cancel();
    };

    // Starting.
    void requireDelegateAndIdle(const char* noDelegateReason, const char* busyReason) const;
    static UniqueFd makeListener(int family);
    static bool bindAndListen(int fd, const sockaddr* addr, socklen_t len);
    void watchListener(int fd, RunLoop::Handle& source);
    bool askWillConnect(Error* err);
    void createStreamsFromNative(int fd);
    bool openStreams(Error* err);
    bool connectStreams(const sockaddr* address, socklen_t length, Error* err);
    void doHostResolved(int code, const sockaddr_storage& address, socklen_t length);
    void setStreamsFailed(const Error& err);
    void doStreamFailed();
    void doAcceptEvent(int listenFd);
    void resumeAccepting();
    void setUpAcceptedSocket(int fd);
    void doConnectCompletion(int fd);
    void doStreamOpen();

    // Reads and writes.
    void scheduleDequeueRead();
    void scheduleDequeueWrite();
    void maybeDequeueRead();
    void maybeDequeueWrite();
    void doBytesAvailable();
    void doReadEnd();
    void doReadTimeout();
    void doSendBytes();
    int sendFromBuffer(AsyncWritePacket& w);
    int sendFromFile(AsyncWritePacket& w);
    int sendStaged(AsyncWritePacket& w, std::uint64_t& budget);
    void countSent(AsyncWritePacket& w, std::size_t n);
    void queueWrite(std::unique_ptr<AsyncWritePacket> packet);
    void completeCurrentWrite();
    void endCurrentRead();
    void endCurrentWrite();
    void doWriteTimeout();
    void maybeScheduleDisconnect();
    void doStreamEvent(std::uint32_t events);
    // Bytes from or to the system, in clear or through TLS. receiveSome: bytes, 0 at the end, -1 for none now or a
    // failure (then `failure` is set); sendSome: bytes taken, 0 for none now or a failure. `failure` is an errno
    // value or kTlsFailure.
    ssize_t receiveSome(char* into, std::size_t length, int& failure);
    /// Moves what the connection holds into the file sink's file: bytes moved, 0 at the end, -1 for none now or a
    /// failure of the connection (`failure`). What a file that refuses splice was to take goes to `refused`.
    ssize_t spliceSome(int& failure, std::string& refused);
    ssize_t sendSome(const char* bytes, std::size_t length, int& failure);
    static constexpr int kTlsFailure = -1;
    Error failureError(int failure) const;
    void doTlsHandshake();
    void scheduleTlsRead();
    static void ignoreBrokenPipe();
    void updateStreamWatch();

    // Closing.
    void emptyQueues();
    void closeWithError(const std::optional<Error>& err);
    void close();
    std::optional<Error> streamError() const;
    /// An errno value as an error of the connection (with the system's text as description).
    static Error posixError(int code);
    /// The socket's pending error (SO_ERROR), consuming it.
    static int pendingSocketError(int fd);

    // Deferred steps run with a strong reference to the socket when it is held by a shared_ptr.
    Deferred defer(double seconds, void (AsyncSocket::*step)());
    bool responds(AsyncSocketDelegate::Message m) const;
    bool stillResponds(AsyncSocketDelegate* asked, AsyncSocketDelegate::Message m) const;

    bool streamsConnected() const;
    bool streamOpen(const std::unique_ptr<Stream>& s) const;
    std::string identity() const;

    // The handle of each family: its listener or connecting socket, or the connection once open with such a peer.
    int handle4() const { return theSocket ? theSocket.get() : theNativeFamily == AF_INET ? theNative.get() : -1; }
    int handle6() const { return theSocket6 ? theSocket6.get() : theNativeFamily == AF_INET6 ? theNative.get() : -1; }

    UniqueFd theSocket;               // IPv4 listener or connecting socket
    UniqueFd theSocket6;              // the same for IPv6
    UniqueFd theNative;               // the connection's socket, shared by the two streams
    int theNativeFamily = AF_UNSPEC;  // the peer's family once the connection is open
    std::unique_ptr<Stream> theReadStream;
    std::unique_ptr<Stream> theWriteStream;
    RunLoop::Handle theSource = 0;   // loop watch of theSocket while it listens or connects
    RunLoop::Handle theSource6 = 0;  // the same for theSocket6
    RunLoop::Handle theStreamWatch = 0;
    RunLoop* theRunLoop;                        // never null
    std::unique_ptr<HostResolver> theResolver;  // while a host name is being looked up
    std::uint64_t theConnectionId = 0;  // changes on every close, so a loop over one connection stops at its end

    std::deque<AsyncReadPacket> theReadQueue;
    std::optional<AsyncReadPacket> theCurrentRead;
    Deferred theReadTimer;
    std::deque<std::unique_ptr<AsyncWritePacket>> theWriteQueue;
    std::unique_ptr<AsyncWritePacket> theCurrentWrite;
    Deferred theWriteTimer;
    std::uint64_t theUnsentBytes = 0;
    std::unique_ptr<TlsConnection> theTls;      // from startTls on
    struct FileSink {
        UniqueFd pipeOut, pipeIn;  // the kernel's buffer between the connection and the file
        int fd;
        off_t offset;
        FileSinkReport report;
    };
    std::optional<FileSink> theFileSink;  // from receiveIntoFile until the socket closes or stopReceivingIntoFile
    std::uint32_t theReadWaitsFor = EPOLLIN;    // readiness the current read waits for (TLS may need to write)
    std::uint32_t theWriteWaitsFor = EPOLLOUT;  // the same for the current write and the handshake
    Deferred pendingTlsRead_;                   // bytes TLS decrypted, or its end, that no readiness will announce
    Deferred theAcceptRetry;  // while the descriptor limit stops accepting
    bool theAcceptLimitLogged = false;

    AsyncSocketDelegate* theDelegate = nullptr;
    std::uint8_t theFlags = 0;
    std::int32_t theUserData = 0;

    Deferred pendingDequeueRead_;
    Deferred pendingDequeueWrite_;
    Deferred pendingDisconnect_;
    Deferred pendingStreamError_;
    std::vector<Deferred> pendingDidDisconnect_;
};
