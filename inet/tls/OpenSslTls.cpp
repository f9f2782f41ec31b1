// The TLS module: FtpClient's contexts and links on OpenSSL.
#include "FtpTls.hpp"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>

namespace inet::detail {
namespace {

// OpenSSL's own socket BIO writes with write(), which raises SIGPIPE on a closed peer;
// this one sends with MSG_NOSIGNAL, so the library never depends on the caller's signals.
int ToFd(BIO* bio) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(BIO_get_data(bio)));
}

bool Retryable(int err) {
    return err == EAGAIN || err == EWOULDBLOCK || err == EINTR;
}

int SocketWrite(BIO* bio, const char* bytes, int size) {
    BIO_clear_retry_flags(bio);
    const ssize_t n = ::send(ToFd(bio), bytes, static_cast<std::size_t>(size), MSG_NOSIGNAL);
    if (n < 0 && Retryable(errno))
        BIO_set_retry_write(bio);
    return static_cast<int>(n);
}

int SocketRead(BIO* bio, char* buf, int size) {
    BIO_clear_retry_flags(bio);
    const ssize_t n = ::recv(ToFd(bio), buf, static_cast<std::size_t>(size), 0);
    if (n < 0 && Retryable(errno))
        BIO_set_retry_read(bio);
    return static_cast<int>(n);
}

long SocketCtrl(BIO*, int cmd, long, void*) {
    return cmd == BIO_CTRL_FLUSH ? 1 : 0;
}

int SocketCreate(BIO* bio) {
    BIO_set_init(bio, 1);
    return 1;
}

BIO_METHOD* SocketMethod() {
    static BIO_METHOD* const method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "ftp socket");
        if (m &&
            (BIO_meth_set_write(m, SocketWrite) != 1 || BIO_meth_set_read(m, SocketRead) != 1 ||
             BIO_meth_set_ctrl(m, SocketCtrl) != 1 || BIO_meth_set_create(m, SocketCreate) != 1)) {
            BIO_meth_free(m);
            m = nullptr;
        }
        return m;
    }();
    return method;
}

std::string OpenSslError(const char* fallback) {
    const unsigned long e = ERR_get_error();
    ERR_clear_error();
    if (e == 0)
        return fallback;
    char text[256];
    ERR_error_string_n(e, text, sizeof text);
    return text;
}

std::string BioText(BIO* bio) {
    char* data = nullptr;
    const long n = BIO_get_mem_data(bio, &data);
    std::string out = n > 0 && data ? std::string(data, static_cast<std::size_t>(n)) : "";
    BIO_free(bio);
    return out;
}

std::string NameText(const X509_NAME* name) {
    BIO* bio = BIO_new(BIO_s_mem());
    if (!bio)
        return {};
    // UTF-8 as it is, control characters escaped.
    X509_NAME_print_ex(bio, name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    return BioText(bio);
}

std::string TimeText(const ASN1_TIME* time) {
    BIO* bio = BIO_new(BIO_s_mem());
    if (!bio)
        return {};
    ASN1_TIME_print_ex(bio, time, ASN1_DTFLGS_ISO8601);
    return BioText(bio);
}

class OpenSslLink final : public TlsLink {
public:
    ~OpenSslLink() override { SSL_free(m_ssl); }

    bool Open(SSL_CTX* ctx, int fd, const std::string& host, SSL_SESSION* session,
              bool dataConnection);
    SSL* Get() const { return m_ssl; }

    TlsStep Handshake() override;
    TlsStep Read(char* buf, std::size_t size, std::size_t& got) override;
    TlsStep Write(const char* bytes, std::size_t size, std::size_t& put) override;
    void Shutdown() override;
    bool Buffered() const override { return SSL_pending(m_ssl) > 0; }
    FtpCertificate PeerCertificate() const override;
    const std::string& Error() const override { return m_error; }

private:
    TlsStep Result(int rc);

    SSL* m_ssl = nullptr;
    bool m_nameSet = false; // the host or address was handed to the verifier
    std::string m_error;
};

class OpenSslContext final : public TlsContext {
public:
    ~OpenSslContext() override {
        Forget();
        SSL_CTX_free(m_ctx);
    }
    bool Init(std::string& error);

    std::unique_ptr<TlsLink> OpenControl(int fd, const std::string& host,
                                         std::string& error) override;
    std::unique_ptr<TlsLink> OpenData(int fd, const std::string& host, std::string& error) override;
    void Forget() override;

private:
    static int OnNewSession(SSL* ssl, SSL_SESSION* session);
    SSL_SESSION* TakeSession();

    SSL_CTX* m_ctx = nullptr;
    SSL* m_control = nullptr;
    std::vector<SSL_SESSION*> m_sessions; // owned, oldest first
};

bool OpenSslContext::Init(std::string& error) {
    ERR_clear_error();
    m_ctx = SSL_CTX_new(TLS_client_method());
    if (!m_ctx) {
        error = OpenSslError("no TLS context");
        return false;
    }
    SSL_CTX_set_min_proto_version(m_ctx, TLS1_2_VERSION);
    // Without usable roots nothing verifies and every certificate goes to the caller.
    SSL_CTX_set_default_verify_paths(m_ctx);
    ERR_clear_error();
    // The result is read after the handshake, so a caller may still accept the certificate.
    SSL_CTX_set_verify(m_ctx, SSL_VERIFY_NONE, nullptr);
    SSL_CTX_set_mode(m_ctx, SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // Back to the caller after each record that holds no data, so a peer that sends only
    // such records cannot keep a read from seeing the stop flag or its deadline.
    SSL_CTX_clear_mode(m_ctx, SSL_MODE_AUTO_RETRY);
    // TLS 1.3 tickets arrive after the handshake; the callback catches them whenever.
    SSL_CTX_set_session_cache_mode(m_ctx, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(m_ctx, &OpenSslContext::OnNewSession);
    SSL_CTX_set_app_data(m_ctx, this);
    return true;
}

std::unique_ptr<TlsLink> OpenSslContext::OpenControl(int fd, const std::string& host,
                                                     std::string& error) {
    auto link = std::make_unique<OpenSslLink>();
    if (!link->Open(m_ctx, fd, host, nullptr, false)) {
        error = link->Error();
        return nullptr;
    }
    Forget();
    m_control = link->Get();
    return link;
}

std::unique_ptr<TlsLink> OpenSslContext::OpenData(int fd, const std::string& host,
                                                  std::string& error) {
    auto link = std::make_unique<OpenSslLink>();
    SSL_SESSION* session = TakeSession();
    const bool opened = link->Open(m_ctx, fd, host, session, true);
    SSL_SESSION_free(session);
    if (!opened) {
        error = link->Error();
        return nullptr;
    }
    return link;
}

SSL_SESSION* OpenSslContext::TakeSession() {
    if (!m_sessions.empty()) {
        SSL_SESSION* s = m_sessions.back();
        m_sessions.pop_back();
        return s;
    }
    return m_control ? SSL_get1_session(m_control) : nullptr;
}

void OpenSslContext::Forget() {
    for (SSL_SESSION* s : m_sessions)
        SSL_SESSION_free(s);
    m_sessions.clear();
    m_control = nullptr;
}

int OpenSslContext::OnNewSession(SSL* ssl, SSL_SESSION* session) {
    constexpr std::size_t kKept = 8;
    auto* self = static_cast<OpenSslContext*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
    // Every link of this context belongs to the one control connection, or resumed it.
    if (!self || !self->m_control || !SSL_SESSION_is_resumable(session))
        return 0;
    if (self->m_sessions.size() == kKept) {
        SSL_SESSION_free(self->m_sessions.front());
        self->m_sessions.erase(self->m_sessions.begin());
    }
    self->m_sessions.push_back(session);
    return 1; // the reference is ours now
}

bool OpenSslLink::Open(SSL_CTX* ctx, int fd, const std::string& host, SSL_SESSION* session,
                       bool dataConnection) {
    ERR_clear_error();
    m_ssl = SSL_new(ctx);
    BIO* bio = SocketMethod() ? BIO_new(SocketMethod()) : nullptr;
    if (!m_ssl || !bio) {
        BIO_free(bio);
        m_error = OpenSslError("no TLS connection");
        return false;
    }
    BIO_set_data(bio, reinterpret_cast<void*>(static_cast<std::intptr_t>(fd)));
    SSL_set_bio(m_ssl, bio, bio);

    std::string name = host;
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    unsigned char address[sizeof(in6_addr)];
    const bool literal = ::inet_pton(AF_INET, name.c_str(), address) == 1 ||
                         ::inet_pton(AF_INET6, name.c_str(), address) == 1;
    X509_VERIFY_PARAM* param = SSL_get0_param(m_ssl);
    X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    if (literal) {
        m_nameSet = X509_VERIFY_PARAM_set1_ip_asc(param, name.c_str()) == 1;
    } else if (!name.empty()) {
        m_nameSet = X509_VERIFY_PARAM_set1_host(param, name.c_str(), name.size()) == 1;
        if (SSL_set_tlsext_host_name(m_ssl, name.c_str()) != 1) {
            m_error = OpenSslError("host name unfit for TLS");
            return false;
        }
    }
    ERR_clear_error();
    if (dataConnection) // the 226 reply on the control connection vouches for the end
        SSL_set_options(m_ssl, SSL_OP_IGNORE_UNEXPECTED_EOF);
    if (session)
        SSL_set_session(m_ssl, session);
    SSL_set_connect_state(m_ssl);
    return true;
}

TlsStep OpenSslLink::Result(int rc) {
    const int saved = errno;
    switch (SSL_get_error(m_ssl, rc)) {
    case SSL_ERROR_WANT_READ:
        return TlsStep::WantRead;
    case SSL_ERROR_WANT_WRITE:
        return TlsStep::WantWrite;
    case SSL_ERROR_ZERO_RETURN:
        m_error = "closed by the peer";
        return TlsStep::Closed;
    case SSL_ERROR_SYSCALL:
        if (ERR_peek_error() == 0) {
            m_error = saved ? std::strerror(saved) : "connection closed";
            return saved ? TlsStep::Failed : TlsStep::Closed;
        }
        [[fallthrough]];
    default:
        m_error = OpenSslError("TLS failure");
        return TlsStep::Failed;
    }
}

TlsStep OpenSslLink::Handshake() {
    ERR_clear_error();
    errno = 0;
    const int rc = SSL_do_handshake(m_ssl);
    return rc == 1 ? TlsStep::Done : Result(rc);
}

TlsStep OpenSslLink::Read(char* buf, std::size_t size, std::size_t& got) {
    ERR_clear_error();
    errno = 0;
    got = 0;
    if (SSL_read_ex(m_ssl, buf, size, &got) == 1)
        return TlsStep::Done;
    return Result(0);
}

TlsStep OpenSslLink::Write(const char* bytes, std::size_t size, std::size_t& put) {
    ERR_clear_error();
    errno = 0;
    put = 0;
    if (SSL_write_ex(m_ssl, bytes, size, &put) == 1)
        return TlsStep::Done;
    return Result(0);
}

void OpenSslLink::Shutdown() {
    ERR_clear_error();
    SSL_shutdown(m_ssl);
    ERR_clear_error();
}

FtpCertificate OpenSslLink::PeerCertificate() const {
    FtpCertificate c;
    X509* x = SSL_get1_peer_certificate(m_ssl);
    if (!x)
        return c;
    c.subject = NameText(X509_get_subject_name(x));
    c.issuer = NameText(X509_get_issuer_name(x));
    c.notBefore = TimeText(X509_get0_notBefore(x));
    c.notAfter = TimeText(X509_get0_notAfter(x));
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    if (X509_digest(x, EVP_sha256(), md, &n) == 1) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        for (unsigned int i = 0; i < n; ++i) {
            if (i)
                c.sha256.push_back(':');
            c.sha256.push_back(kHex[md[i] >> 4]);
            c.sha256.push_back(kHex[md[i] & 15]);
        }
    }
    X509_free(x);
    const long result = SSL_get_verify_result(m_ssl);
    c.verified = m_nameSet && result == X509_V_OK;
    if (!m_nameSet)
        c.verifyError = "the host name cannot be checked";
    else if (result != X509_V_OK)
        c.verifyError = X509_verify_cert_error_string(result);
    ERR_clear_error();
    return c;
}

} // namespace
} // namespace inet::detail

// C linkage keeps the name plain for dlsym; the caller owns the context.
extern "C" __attribute__((visibility("default"))) inet::detail::TlsContext*
tovalo_new_tls_context(std::string* error) {
    auto context = std::make_unique<inet::detail::OpenSslContext>();
    if (!context->Init(*error))
        return nullptr;
    return context.release();
}
