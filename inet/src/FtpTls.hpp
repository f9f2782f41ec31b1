// OpenSSL under FtpClient: one context per client that keeps the control connection's
// session for the data connections, and one link per TLS socket. Every call returns at
// once; the client does the waiting, so stops and time-outs work as for plain sockets.
#pragma once

#include "inet/FtpTls.h"

#include <cstddef>
#include <string>
#include <vector>

#include <openssl/ssl.h>

namespace inet::detail {

// How a non-blocking TLS call ended: done, or what the socket must become ready for.
enum class TlsStep { Done, WantRead, WantWrite, Closed, Failed };

class TlsContext {
public:
    TlsContext() = default;
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    // Makes the OpenSSL context on first use; false with the reason in error.
    bool Ready(std::string& error);
    SSL_CTX* Get() const { return m_ctx; }
    // From now on the sessions of this control connection and of the data connections
    // that resume it are kept for the next data connections.
    void SetControl(SSL* ssl);
    // The session the next data connection resumes, owned by the caller (nullptr when
    // there is none): the newest one not handed out yet, since servers may take a TLS 1.3
    // ticket once only; else the control connection's own.
    SSL_SESSION* TakeSession();
    void Forget();

private:
    static int OnNewSession(SSL* ssl, SSL_SESSION* session);

    SSL_CTX* m_ctx = nullptr;
    SSL* m_control = nullptr;
    std::vector<SSL_SESSION*> m_sessions; // owned, oldest first
};

class TlsLink {
public:
    TlsLink() = default;
    ~TlsLink();
    TlsLink(const TlsLink&) = delete;
    TlsLink& operator=(const TlsLink&) = delete;

    // A client end on the non-blocking socket fd, checking the certificate against host
    // (a name or an address) and resuming session when given (the link takes its own
    // reference). false with Error() set.
    bool Open(TlsContext& context, int fd, const std::string& host, SSL_SESSION* session,
              bool dataConnection);
    TlsStep Handshake();
    TlsStep Read(char* buf, std::size_t size, std::size_t& got);
    TlsStep Write(const char* bytes, std::size_t size, std::size_t& put);
    // One close_notify, without waiting for the peer's.
    void Shutdown();
    // Decrypted bytes wait to be read; poll cannot see them.
    bool Buffered() const { return SSL_pending(m_ssl) > 0; }
    // The peer's certificate after the handshake; sha256 stays empty when there is none.
    FtpCertificate PeerCertificate() const;
    SSL* Get() const { return m_ssl; }
    const std::string& Error() const { return m_error; }

private:
    TlsStep Result(int rc);

    SSL* m_ssl = nullptr;
    bool m_nameSet = false; // the host or address was handed to the verifier
    std::string m_error;
};

} // namespace inet::detail
