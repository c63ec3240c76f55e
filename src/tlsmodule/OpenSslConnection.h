#pragma once
#include <openssl/ssl.h>

#include <functional>
#include <memory>
#include <string>

#include "net/TlsConnection.h"

class OpenSslContext;

/// A TlsConnection over an OpenSSL connection object (see `TlsConnection` for what it promises).
class OpenSslConnection : public TlsConnection {
public:
    /// Takes its role (server or client) from `context`.
    OpenSslConnection(std::shared_ptr<const OpenSslContext> context, const TlsOptions& options);
    ~OpenSslConnection() override;
    OpenSslConnection(const OpenSslConnection&) = delete;
    OpenSslConnection& operator=(const OpenSslConnection&) = delete;

    Status handshake(int fd) override;
    bool isEstablished() const override { return established_; }
    Result read(char* into, std::size_t length) override;
    Result write(const char* bytes, std::size_t length) override;
    Result sendFile(int file, off_t offset, std::size_t length) override;
    bool kernelSends() const override;
    bool hasPending() const override;
    void shutdown() override;
    const Error& error() const override { return error_; }
    bool resumed() const override;
    bool offeredResumption() const override { return offeredResumption_; }
    TlsSession session() const override;

    /// Notes whether a client offered a session; a server context installs it.
    static int onClientHello(SSL* ssl, int* alert, void* arg);
    /// Decides whether a session ticket the server could read is resumed; a server context installs it.
    static SSL_TICKET_RETURN onTicketDecrypted(SSL* ssl, SSL_SESSION* session, const unsigned char* keyName,
                                               std::size_t keyNameLength, SSL_TICKET_STATUS status, void* arg);

private:
    Status settle(int returned, const char* what);

    std::shared_ptr<const OpenSslContext> context_;
    SSL* ssl_ = nullptr;
    bool established_ = false;
    bool failed_ = false;
    bool offeredResumption_ = false;
    std::string sessionContext_;  // server: the one this connection's sessions are issued under
    std::function<bool(const std::string&)> adoptSession_;
    Error error_;
};

/// What a TlsSession holds.
struct TlsSessionData {
    explicit TlsSessionData(SSL_SESSION* s) : session(s) {}
    ~TlsSessionData();
    TlsSessionData(const TlsSessionData&) = delete;
    TlsSessionData& operator=(const TlsSessionData&) = delete;
    SSL_SESSION* session;
};
