#pragma once
#include <cstddef>
#include <memory>
#include <string>

class FtpLoginPenalties;

/// The owner's limits on the web page, the same ones the FTP server takes. The defaults are the transfer screen's:
/// anyone holding the address's token, read-write.
struct WebOptions {
    std::string bindAddress;          ///< "" for every address
    bool readOnly = false;            ///< list and downloads only; uploads answer 403
    std::string user;                 ///< when set, HTTP Basic authentication with `password` is required too
    std::string password;
    std::size_t maxClients = 256;     ///< connections at once; more are answered 503
    std::size_t maxPerAddress = 64;   ///< connections at once from one address; more are answered 503
    unsigned idleTimeout = 60;        ///< seconds a connection may make no progress (a stalled upload) before it closes
    /// Seconds a request's line and headers may take to arrive whole, however many bytes trickle in meanwhile
    /// (and how long a kept-alive connection may wait for its next request).
    unsigned requestTimeout = 15;
    /// The failed-login book shared with the FTP server of the same account; null: the page keeps its own.
    std::shared_ptr<FtpLoginPenalties> penalties;
    std::size_t maxHeaderBytes = 64 * 1024;  ///< request line and headers together; more answers 431
};
