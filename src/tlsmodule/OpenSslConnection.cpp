#include "tlsmodule/OpenSslConnection.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/tls1.h>

#include <cerrno>
#include <cstring>
#include <limits>

#include "tlsmodule/OpenSslContext.h"

OpenSslConnection::OpenSslConnection(std::shared_ptr<const OpenSslContext> context, const TlsOptions& options)
    : context_(std::move(context)) {
    ssl_ = SSL_new(context_->native());
    if (!ssl_) {
        failed_ = true;
        error_ = OpenSslContext::takeLibraryError("cannot start TLS");
        return;
    }
    if (context_->isServer()) {
        SSL_set_accept_state(ssl_);
        sessionContext_ = options.sessionContext.substr(0, SSL_MAX_SID_CTX_LENGTH);
        adoptSession_ = options.adoptSession;
        if (!sessionContext_.empty())
            SSL_set_session_id_context(ssl_, reinterpret_cast<const unsigned char*>(sessionContext_.data()),
                                       unsigned(sessionContext_.size()));
        if (options.noTickets) SSL_set_num_tickets(ssl_, 0);
        SSL_set_app_data(ssl_, this);
    } else {
        SSL_set_connect_state(ssl_);
        if (options.resume) SSL_set_session(ssl_, options.resume->session);
    }
}

OpenSslConnection::~OpenSslConnection() { SSL_free(ssl_); }

int OpenSslConnection::onClientHello(SSL* ssl, int*, void*) {
    // A TLS 1.3 client resuming sends a pre-shared key; a TLS 1.2 one a non-empty ticket. The legacy session id
    // tells nothing: clients fill it at random for middleboxes.
    const unsigned char* data = nullptr;
    std::size_t length = 0;
    bool psk = SSL_client_hello_get0_ext(ssl, TLSEXT_TYPE_psk, &data, &length) == 1;
    bool ticket = SSL_client_hello_get0_ext(ssl, TLSEXT_TYPE_session_ticket, &data, &length) == 1 && length > 0;
    if (auto* self = static_cast<OpenSslConnection*>(SSL_get_app_data(ssl))) self->offeredResumption_ = psk || ticket;
    return SSL_CLIENT_HELLO_SUCCESS;
}

SSL_TICKET_RETURN OpenSslConnection::onTicketDecrypted(SSL* ssl, SSL_SESSION* session, const unsigned char*,
                                                       std::size_t, SSL_TICKET_STATUS status, void*) {
    // What the library does without this callback, but for a readable ticket issued under another context, which
    // it would not resume.
    const bool readable = status == SSL_TICKET_SUCCESS || status == SSL_TICKET_SUCCESS_RENEW;
    if (!readable || !session) return SSL_TICKET_RETURN_IGNORE_RENEW;
    const SSL_TICKET_RETURN use = status == SSL_TICKET_SUCCESS ? SSL_TICKET_RETURN_USE : SSL_TICKET_RETURN_USE_RENEW;
    unsigned int length = 0;
    const unsigned char* issued = SSL_SESSION_get0_id_context(session, &length);
    const std::string issuedContext(reinterpret_cast<const char*>(issued), length);
    auto* self = static_cast<OpenSslConnection*>(SSL_get_app_data(ssl));
    if (!self || issuedContext == self->sessionContext_) return use;
    if (!self->adoptSession_ || !self->adoptSession_(issuedContext)) return SSL_TICKET_RETURN_IGNORE_RENEW;
    // The library resumes only within the connection's own context: this connection takes the session's.
    SSL_set_session_id_context(ssl, issued, length);
    return use;
}

OpenSslConnection::Status OpenSslConnection::settle(int returned, const char* what) {
    switch (SSL_get_error(ssl_, returned)) {
        case SSL_ERROR_WANT_READ: return Status::WantRead;
        case SSL_ERROR_WANT_WRITE: return Status::WantWrite;
        case SSL_ERROR_ZERO_RETURN: return Status::Ended;
        case SSL_ERROR_SYSCALL:
            if (ERR_peek_error() == 0) {
                // The system call failed: errno says why (0 when the peer closed in the middle of a record).
                int e = errno;
                failed_ = true;
                error_ = e ? Error{"NSPOSIXErrorDomain", e, std::strerror(e)} : Error{TlsErrorDomain, 0, what};
                return Status::Failed;
            }
            [[fallthrough]];
        default:
            failed_ = true;
            error_ = OpenSslContext::takeLibraryError(what);
            return Status::Failed;
    }
}

OpenSslConnection::Status OpenSslConnection::handshake(int fd) {
    if (failed_) return Status::Failed;
    if (established_) return Status::Done;
    ERR_clear_error();
    if (SSL_get_fd(ssl_) != fd && SSL_set_fd(ssl_, fd) != 1) {
        failed_ = true;
        error_ = OpenSslContext::takeLibraryError("cannot start TLS");
        return Status::Failed;
    }
    int r = SSL_do_handshake(ssl_);
    if (r == 1) {
        established_ = true;
        return Status::Done;
    }
    Status s = settle(r, "the TLS handshake failed");
    return s == Status::Ended ? (failed_ = true, error_ = {TlsErrorDomain, 0, "the peer ended the handshake"},
                                 Status::Failed)
                              : s;
}

OpenSslConnection::Result OpenSslConnection::read(char* into, std::size_t length) {
    if (failed_) return {Status::Failed};
    ERR_clear_error();
    std::size_t n = 0;
    if (SSL_read_ex(ssl_, into, length, &n) == 1) return {Status::Done, n};
    return {settle(0, "TLS read failed")};
}

OpenSslConnection::Result OpenSslConnection::write(const char* bytes, std::size_t length) {
    if (failed_) return {Status::Failed};
    ERR_clear_error();
    std::size_t n = 0;
    if (SSL_write_ex(ssl_, bytes, length, &n) == 1) return {Status::Done, n};
    return {settle(0, "TLS write failed")};
}

OpenSslConnection::Result OpenSslConnection::sendFile(int file, off_t offset, std::size_t length) {
    if (failed_) return {Status::Failed};
    ERR_clear_error();
    ossl_ssize_t n = SSL_sendfile(ssl_, file, offset, length, 0);
    if (n >= 0) return {Status::Done, std::size_t(n)};
    return {settle(-1, "TLS file send failed")};
}

bool OpenSslConnection::kernelSends() const { return established_ && BIO_get_ktls_send(SSL_get_wbio(ssl_)); }

bool OpenSslConnection::hasPending() const { return ssl_ && SSL_has_pending(ssl_); }

void OpenSslConnection::shutdown() {
    if (!established_ || failed_) return;
    ERR_clear_error();
    SSL_shutdown(ssl_);  // best effort: a full socket or a gone peer just goes without the alert
    ERR_clear_error();
}

bool OpenSslConnection::resumed() const { return established_ && SSL_session_reused(ssl_); }

TlsSession OpenSslConnection::session() const {
    SSL_SESSION* s = ssl_ ? SSL_get1_session(ssl_) : nullptr;
    return s ? std::make_shared<TlsSessionData>(s) : TlsSession();
}

TlsSessionData::~TlsSessionData() { SSL_SESSION_free(session); }
