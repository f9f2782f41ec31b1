#include "TlsPeer.hpp"

#include <cerrno>
#include <csignal>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace test {
namespace {

constexpr int kSliceMs = 50;
constexpr int kPatienceMs = 10000; // the longest the peer waits for the client

int ListenOnLoopback(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(fd, 4) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    port = ntohs(a.sin_port);
    return fd;
}

// Blocking reads and writes that give up after kPatienceMs.
void Bound(int fd) {
    timeval tv{kPatienceMs / 1000, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

// A server end on fd with its own context, so no session of another connection resumes.
struct ServerTls {
    SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
    SSL* ssl = ctx ? SSL_new(ctx) : nullptr;
    ServerTls(const TestCertificate& cert, int fd) {
        ok = ssl && SSL_use_certificate_file(ssl, cert.certFile.c_str(), SSL_FILETYPE_PEM) == 1 &&
             SSL_use_PrivateKey_file(ssl, cert.keyFile.c_str(), SSL_FILETYPE_PEM) == 1 &&
             SSL_set_fd(ssl, fd) == 1 && SSL_accept(ssl) == 1;
    }
    ~ServerTls() {
        SSL_free(ssl);
        SSL_CTX_free(ctx);
    }
    ServerTls(const ServerTls&) = delete;
    ServerTls& operator=(const ServerTls&) = delete;
    bool ok = false;
};

bool Readable(int fd, const std::atomic<bool>& stop) {
    for (int waited = 0; waited < kPatienceMs && !stop; waited += kSliceMs) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kSliceMs) > 0)
            return true;
    }
    return false;
}

} // namespace

TlsPeer::TlsPeer(After after, TestCertificate cert, TestCertificate dataCert)
    : m_after(after), m_cert(std::move(cert)), m_dataCert(std::move(dataCert)) {
    // OpenSSL writes with write(): a client hanging up must not end the test program.
    std::signal(SIGPIPE, SIG_IGN);
}

TlsPeer::~TlsPeer() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listen >= 0)
        ::close(m_listen);
}

bool TlsPeer::Start() {
    m_listen = ListenOnLoopback(m_port);
    if (m_listen < 0)
        return false;
    m_thread = std::thread([this] { Serve(); });
    return true;
}

bool TlsPeer::WaitForHello(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, timeout, [this] { return !m_hello.empty(); });
}

std::string TlsPeer::Hello() const {
    std::lock_guard lock(m_mutex);
    return m_hello;
}

std::vector<std::string> TlsPeer::Commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}

void TlsPeer::Note(std::string line) {
    std::lock_guard lock(m_mutex);
    m_commands.push_back(std::move(line));
}

void TlsPeer::Serve() {
    while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, kSliceMs) <= 0)
            continue;
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        Bound(fd);
        m_pending.clear();
        Session(fd);
        ::close(fd);
    }
}

bool TlsPeer::ReadLine(int fd, SSL* ssl, std::string& line) {
    for (;;) {
        const std::size_t nl = m_pending.find('\n');
        if (nl != std::string::npos) {
            line = m_pending.substr(0, nl);
            m_pending.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            Note(line);
            return true;
        }
        if (!ssl && !Readable(fd, m_stop))
            return false;
        char buf[1024];
        const int n =
            ssl ? SSL_read(ssl, buf, sizeof buf) : static_cast<int>(::recv(fd, buf, sizeof buf, 0));
        if (n <= 0)
            return false;
        m_pending.append(buf, static_cast<std::size_t>(n));
    }
}

bool TlsPeer::Send(int fd, SSL* ssl, const std::string& text) {
    const std::string line = text + "\r\n";
    if (ssl)
        return SSL_write(ssl, line.data(), static_cast<int>(line.size())) > 0;
    return ::send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size());
}

void TlsPeer::Session(int fd) {
    std::string line;
    if (!Send(fd, nullptr, "220 peer ready"))
        return;
    while (ReadLine(fd, nullptr, line) && line != "AUTH TLS") {
        if (!Send(fd, nullptr, "530 TLS first"))
            return;
    }
    if (line != "AUTH TLS" || !Send(fd, nullptr, "234 go ahead"))
        return;
    if (!Readable(fd, m_stop))
        return;
    if (m_after == After::Garbage || m_after == After::Silence) {
        char buf[4096];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return;
        {
            std::lock_guard lock(m_mutex);
            m_hello.assign(buf, static_cast<std::size_t>(n));
        }
        m_cv.notify_all();
        if (m_after == After::Garbage)
            Send(fd, nullptr, "550 this is no TLS record, nor is this line");
        while (Readable(fd, m_stop) && ::recv(fd, buf, sizeof buf, 0) > 0) {
        }
        return;
    }

    const ServerTls control(m_cert, fd);
    if (control.ok) {
        SSL* ssl = control.ssl;
        const bool protP = m_after == After::OtherDataCertificate;
        int pasv = -1;
        while (ReadLine(fd, ssl, line)) {
            const std::string verb = line.substr(0, line.find(' '));
            std::string reply = "502 not here";
            if (verb == "USER")
                reply = "230 in";
            else if (verb == "PBSZ" || verb == "TYPE")
                reply = "200 ok";
            else if (verb == "PROT")
                reply = protP ? "200 PROT P" : "534 PROT P refused";
            else if (verb == "PWD")
                reply = "257 \"/\"";
            else if (verb == "EPSV") {
                std::uint16_t port = 0;
                if (pasv >= 0)
                    ::close(pasv);
                pasv = ListenOnLoopback(port);
                reply = "229 Entering Extended Passive Mode (|||" + std::to_string(port) + "|)";
            } else if (verb == "LIST" && pasv >= 0) {
                Send(fd, ssl, "150 listing");
                const int data = Readable(pasv, m_stop) ? ::accept(pasv, nullptr, nullptr) : -1;
                const std::string listing = "-rw-r--r-- 1 u g 5 Jan  1  2020 clear.txt\r\n";
                if (data >= 0 && protP) {
                    Bound(data);
                    const ServerTls tls(m_dataCert, data);
                    m_listed = tls.ok && SSL_write(tls.ssl, listing.data(),
                                                   static_cast<int>(listing.size())) > 0;
                } else if (data >= 0) {
                    m_listed = ::send(data, listing.data(), listing.size(), MSG_NOSIGNAL) > 0;
                }
                if (data >= 0)
                    ::close(data);
                reply = "226 done";
            } else if (verb == "QUIT") {
                Send(fd, ssl, "221 bye");
                break;
            }
            if (!Send(fd, ssl, reply))
                break;
        }
        if (pasv >= 0)
            ::close(pasv);
    }
}

} // namespace test
