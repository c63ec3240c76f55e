#pragma once
#include <microhttpd.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "ftp/FtpNotificationReceiver.h"
#include "ftp/FtpPathResolver.h"
#include "platform/Error.h"
#include "platform/RunLoop.h"
#include "web/WebOptions.h"
#include "web/WebToken.h"

class FtpLoginPenalties;

/// The web page and its plain requests over the documents folder: `/` the page, `GET /files/` and `/files/FOLDER/`
/// a folder's list as JSON, `GET /files/PATH` a document (validators, conditional requests and Range honoured),
/// `PUT /files/PATH` an upload (201 new, 200 replaced; with `If-None-Match: *` 412 when the name is taken). Every request needs the session's token (`?k=`, a leading
/// `/k/TOKEN` as shared links have it, then the cookie the first visit sets), and the owner's account when one is
/// set. A client past the connection limit, or its address's, is answered 503 with Retry-After. Files are reached through the FTP server's path resolver and uploads are written the way FTP's are.
///
/// HTTP is libmicrohttpd's, driven by the given run loop through its epoll descriptor: no threads of its own.
class WebServer {
public:
    /// Starts listening on `port` (0: any free port, see `localPort`) with `dir` as the folder served. `notify`
    /// (not owned, may be null) hears how each upload goes (as the FTP server tells of its transfers: started,
    /// after each piece written, ended, with 0 bytes when nothing was kept) and when one changed the file list. A port that cannot be bound leaves a
    /// server that serves nothing; `listenError` says why.
    WebServer(unsigned port, const std::string& dir, FtpNotificationReceiver* notify, WebOptions options = {},
              RunLoop& loop = RunLoop::main());
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    /// Closes every connection (unfinished uploads leave nothing behind) and the port. Not restartable.
    void stop();

    bool isListening() const { return daemon_ != nullptr; }
    const Error& listenError() const { return listenError_; }
    /// The port listened on (the one the system chose when created with 0); 0 when not listening.
    std::uint16_t localPort() const { return port_; }
    const WebToken& token() const { return token_; }
    /// "http://HOST:PORT/?k=TOKEN": the address to open, token included.
    std::string address(const std::string& host) const;
    const std::string& baseDir() const { return paths_.baseDir(); }
    const WebOptions& options() const { return options_; }

private:
    struct Client;
    struct Request;
    enum class Admission { Admitted, Refused, Waiting };

    static MHD_Result onAccess(void* self, MHD_Connection* connection, const char* url, const char* method,
                               const char* version, const char* uploadData, size_t* uploadSize, void** context);
    static void onCompleted(void* self, MHD_Connection* connection, void** context,
                            MHD_RequestTerminationCode code);
    static void onConnection(void* self, MHD_Connection* connection, void** context,
                             MHD_ConnectionNotificationCode code);
    MHD_Result access(MHD_Connection* connection, const std::string& url, const std::string& method,
                      const char* uploadData, size_t* uploadSize, Request& request);
    /// Whether the request may go on; if not, the refusal is queued.
    /// Refused: the refusal is queued; Waiting: the connection is suspended until its login's turn (the penalty
    /// of earlier failures from its address, see FtpLoginPenalties).
    Admission admit(MHD_Connection* connection, const std::string& keyInPath, Request& request);
    /// Closes the client's connection unless its next request's line and headers arrive within the request
    /// time-out, however many bytes trickle in meanwhile.
    void awaitHead(MHD_Connection* connection, Client& client);
    MHD_Result route(MHD_Connection* connection, const std::string& url, const std::string& method,
                     Request& request);
    MHD_Result receive(MHD_Connection* connection, const char* data, size_t* size, Request& request);
    MHD_Result sendPage(MHD_Connection* connection, Request& request);
    MHD_Result sendList(MHD_Connection* connection, const std::string& folder, Request& request);
    MHD_Result sendFile(MHD_Connection* connection, const std::string& name, Request& request);
    MHD_Result startUpload(MHD_Connection* connection, const std::string& name, Request& request);
    /// Tells `notify_` how the request's upload goes.
    void progress(Request& request, bool finished, bool stored);
    MHD_Result reply(MHD_Connection* connection, unsigned status, const std::string& body, const char* type,
                     Request& request);
    /// A text answer after which the connection closes, with Retry-After when given.
    MHD_Result refuseAndClose(MHD_Connection* connection, unsigned status, const std::string& body, Request& request,
                              const char* retryAfter = nullptr);
    /// A text answer not yet queued (null when the library cannot make one).
    static MHD_Response* textResponse(const std::string& body, const char* type);
    MHD_Result queue(MHD_Connection* connection, unsigned status, MHD_Response* response, Request& request);

    /// One round of libmicrohttpd's work, then the wake-up for its next time-out.
    void drive();

    RunLoop& loop_;
    FtpPathResolver paths_;
    FtpNotificationReceiver* notify_;
    WebOptions options_;
    WebToken token_;
    MHD_Daemon* daemon_ = nullptr;
    std::uint16_t port_ = 0;
    Error listenError_;
    RunLoop::Handle watch_ = 0;
    RunLoop::Handle timer_ = 0;
    unsigned closed_ = 0;  // connections closed so far (only a change is looked at)
    std::size_t clients_ = 0;                                         // connections within the limits
    std::unordered_map<std::string, std::size_t> clientsPerAddress_;  // the same, per address
    std::shared_ptr<FtpLoginPenalties> penalties_;
    std::unordered_map<MHD_Connection*, Client*> suspended_;  // waiting out a login penalty
};
