#include "TlsPeer.h"

#include "support/ScriptedFtpServer.h"

#include <csignal>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace test {
namespace {

constexpr int kPatienceMs = 10000; // the longest the peer waits for the client

// Waits in slices so that the destructor's stop is seen.
bool Readable(int fd, const std::atomic<bool>& stop) {
    for (int waited = 0; waited < kPatienceMs && !stop; waited += 50) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0)
            return true;
    }
    return false;
}

// A server end on fd with its own context.
struct ServerTls {
    SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
    SSL* ssl = ctx ? SSL_new(ctx) : nullptr;
    bool ok = false;
    ServerTls(const TestCertificate& cert, int fd) {
        timeval tv{kPatienceMs / 1000, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
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
};

} // namespace

TlsPeer::TlsPeer(After after, TestCertificate cert) : m_after(after), m_cert(std::move(cert)) {
    // OpenSSL writes with write(): a client hanging up must not end the test program.
    std::signal(SIGPIPE, SIG_IGN);
    m_listen = ListenOnLoopback(m_port);
    m_thread = std::thread([this] {
        while (!m_stop) {
            const int fd = Readable(m_listen, m_stop) ? ::accept(m_listen, nullptr, nullptr) : -1;
            if (fd >= 0) {
                Session(fd);
                ::close(fd);
            }
        }
    });
}

TlsPeer::~TlsPeer() {
    m_stop = true;
    m_thread.join();
    ::close(m_listen);
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

bool TlsPeer::ReadLine(int fd, SSL* ssl, std::string& line) {
    for (std::size_t nl; (nl = m_pending.find('\n')) == std::string::npos;) {
        char buf[1024];
        const int n = ssl                    ? SSL_read(ssl, buf, sizeof buf)
                      : Readable(fd, m_stop) ? static_cast<int>(::recv(fd, buf, sizeof buf, 0))
                                             : 0;
        if (n <= 0)
            return false;
        m_pending.append(buf, static_cast<std::size_t>(n));
    }
    const std::size_t nl = m_pending.find('\n');
    line = m_pending.substr(0, nl > 0 && m_pending[nl - 1] == '\r' ? nl - 1 : nl);
    m_pending.erase(0, nl + 1);
    std::lock_guard lock(m_mutex);
    m_commands.push_back(line);
    return true;
}

bool TlsPeer::Send(int fd, SSL* ssl, const std::string& text) {
    const std::string line = text + "\r\n";
    return ssl ? SSL_write(ssl, line.data(), static_cast<int>(line.size())) > 0
               : ::send(fd, line.data(), line.size(), MSG_NOSIGNAL) > 0;
}

void TlsPeer::Session(int fd) {
    m_pending.clear();
    std::string line;
    if (!Send(fd, nullptr, "220 peer ready") || !ReadLine(fd, nullptr, line) ||
        line != "AUTH TLS" || !Send(fd, nullptr, "234 go ahead") || !Readable(fd, m_stop))
        return;
    if (m_after == After::Silence) {
        char buf[4096];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return;
        {
            std::lock_guard lock(m_mutex);
            m_hello.assign(buf, static_cast<std::size_t>(n));
        }
        m_cv.notify_all();
        while (Readable(fd, m_stop) && ::recv(fd, buf, sizeof buf, 0) > 0) {
        }
        return;
    }
    const ServerTls control(m_cert, fd);
    int pasv = -1;
    while (control.ok && ReadLine(fd, control.ssl, line)) {
        const std::string verb = line.substr(0, line.find(' '));
        std::string reply = "502 not here";
        if (verb == "USER")
            reply = "230 in";
        else if (verb == "PBSZ" || verb == "TYPE")
            reply = "200 ok";
        else if (verb == "PROT")
            reply = "534 PROT P refused";
        else if (verb == "PWD")
            reply = "257 \"/\"";
        else if (verb == "EPSV") {
            std::uint16_t port = 0;
            if (pasv >= 0)
                ::close(pasv);
            pasv = ListenOnLoopback(port);
            reply = "229 Entering Extended Passive Mode (|||" + std::to_string(port) + "|)";
        } else if (verb == "LIST" && pasv >= 0) {
            Send(fd, control.ssl, "150 listing");
            const int data = Readable(pasv, m_stop) ? ::accept(pasv, nullptr, nullptr) : -1;
            const std::string listing = "-rw-r--r-- 1 u g 5 Jan  1  2020 clear.txt\r\n";
            if (data >= 0) {
                ::send(data, listing.data(), listing.size(), MSG_NOSIGNAL);
                ::close(data);
            }
            reply = "226 done";
        }
        if (!Send(fd, control.ssl, reply) || verb == "QUIT")
            break;
    }
    if (pasv >= 0)
        ::close(pasv);
}

} // namespace test
