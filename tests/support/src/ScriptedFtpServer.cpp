#include "support/ScriptedFtpServer.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <thread>

#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace test {
namespace {

constexpr int kSliceMs = 50;

sockaddr_in Loopback(const std::string& host = "127.0.0.1", int port = 0) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, host.c_str(), &a.sin_addr);
    return a;
}

// A blocking send returns only once all is sent (no signal handlers here).
bool SendAll(int fd, const std::string& s) {
    return ::send(fd, s.data(), s.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(s.size());
}

bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, kSliceMs) > 0;
}

} // namespace

int ListenOnLoopback(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = Loopback();
    socklen_t len = sizeof a;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(fd, 8) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    port = ntohs(a.sin_port);
    return fd;
}

std::size_t CountPrefixed(const std::vector<std::string>& lines, const std::string& prefix,
                          std::size_t from) {
    return static_cast<std::size_t>(
        std::count_if(lines.begin() + static_cast<long>(std::min(from, lines.size())), lines.end(),
                      [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}

ScriptedFtpServer::ScriptedFtpServer(Script script) : m_script(std::move(script)) {}

ScriptedFtpServer::~ScriptedFtpServer() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listen >= 0)
        ::close(m_listen);
    SSL_CTX_free(m_tlsContext);
}

bool ScriptedFtpServer::Start() {
    m_listen = ListenOnLoopback(m_port);
    if (m_listen < 0)
        return false;
    m_thread = std::thread([this] {
        while (!m_stop) {
            const int fd =
                Readable(m_listen) ? ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC) : -1;
            if (fd < 0)
                continue;
            Session(fd);
            SSL_free(m_tls);
            m_tls = nullptr;
            ::close(fd);
            if (m_pasvListen >= 0)
                ::close(m_pasvListen);
            m_pasvListen = -1;
        }
    });
    return true;
}

bool ScriptedFtpServer::WaitStalled(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, timeout, [this] { return m_stalled; });
}

std::vector<std::string> ScriptedFtpServer::Commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}

std::vector<std::string> ScriptedFtpServer::Logins() const {
    std::vector<std::string> out;
    for (const std::string& c : Commands())
        if (c.rfind("USER ", 0) == 0 || c.rfind("PASS ", 0) == 0)
            out.push_back(c);
    return out;
}

std::string ScriptedFtpServer::Hello() const {
    std::lock_guard lock(m_mutex);
    return m_hello;
}

bool ScriptedFtpServer::StartTls(int fd) {
    // OpenSSL writes with write(): a client hanging up must not end the test program.
    std::signal(SIGPIPE, SIG_IGN);
    const timeval limit{10, 0}; // nor hold this thread without finishing the handshake
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (!m_tlsContext)
        m_tlsContext = SSL_CTX_new(TLS_server_method());
    m_tls = m_tlsContext ? SSL_new(m_tlsContext) : nullptr;
    const TestCertificate& c = m_script.tls;
    return m_tls && SSL_use_certificate_file(m_tls, c.certFile.c_str(), SSL_FILETYPE_PEM) == 1 &&
           SSL_use_PrivateKey_file(m_tls, c.keyFile.c_str(), SSL_FILETYPE_PEM) == 1 &&
           SSL_set_fd(m_tls, fd) == 1 && SSL_accept(m_tls) == 1;
}

bool ScriptedFtpServer::Send(int fd, const std::string& text) {
    const int n = static_cast<int>(text.size());
    return m_tls ? SSL_write(m_tls, text.data(), n) == n : SendAll(fd, text);
}

void ScriptedFtpServer::StallUntilGone(int fd) {
    {
        std::lock_guard lock(m_mutex);
        m_stalled = true;
    }
    m_cv.notify_all();
    char buf[512];
    while (!m_stop)
        if (Readable(fd) && ::recv(fd, buf, sizeof buf, 0) <= 0)
            return; // the client gave up
}

bool ScriptedFtpServer::Reply(int fd, const std::string& verb, const std::string& text) {
    const auto it = m_script.replies.find(verb);
    return Send(fd, it != m_script.replies.end() ? it->second : text + "\r\n");
}

// Until the client closes the data connection, when the listing is sent without end.
bool ScriptedFtpServer::SendBody(int data, const std::string& bytes) {
    if (bytes.empty())
        return true;
    // A client that neither reads nor closes must not hold this thread for ever.
    const timeval limit{10, 0};
    ::setsockopt(data, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    for (int n = 0; m_script.listingRepeats == 0 || n < m_script.listingRepeats; ++n) {
        if (m_script.trickle.count() == 0 && !SendAll(data, bytes))
            return false;
        for (std::size_t i = 0; m_script.trickle.count() > 0 && i < bytes.size(); ++i) {
            if (m_stop || !SendAll(data, bytes.substr(i, 1)))
                return false;
            std::this_thread::sleep_for(m_script.trickle);
        }
        if (m_stop)
            return false;
    }
    return true;
}

bool ScriptedFtpServer::SendListing(int ctrl, const std::string& verb, const std::string& bytes) {
    if (!Reply(ctrl, verb, "150 Here comes the listing"))
        return false;
    int data = -1;
    if (m_pasvListen >= 0) {
        for (int waited = 0; waited < 10000 && !m_stop && data < 0; waited += kSliceMs)
            if (Readable(m_pasvListen))
                data = ::accept4(m_pasvListen, nullptr, nullptr, SOCK_CLOEXEC);
        ::close(m_pasvListen);
        m_pasvListen = -1;
    } else if (m_activePort > 0) {
        data = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in from = Loopback(m_script.activeSource),
                    to = Loopback(m_activeHost, m_activePort);
        if (!m_script.activeSource.empty())
            ::bind(data, reinterpret_cast<sockaddr*>(&from), sizeof from);
        if (::connect(data, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
            ::close(data);
            data = -1;
        }
        m_activePort = 0;
    }
    if (data < 0)
        return Send(ctrl, "425 Can't open data connection\r\n");
    const bool stall = m_script.stallAt == "DATA";
    bool ok = stall || m_script.breakData ? SendAll(data, bytes.substr(0, bytes.size() / 2))
                                          : SendBody(data, bytes);
    if (stall) {
        StallUntilGone(ctrl);
        ok = false;
    } else if (m_script.breakData) {
        linger l{1, 0}; // a reset, not an orderly end
        ::setsockopt(data, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        ok = false;
    }
    ::close(data);
    return !stall && Send(ctrl, ok ? "226 Transfer complete\r\n" : "426 Transfer aborted\r\n");
}

void ScriptedFtpServer::Session(int fd) {
    m_cwd = "/home/tester";
    m_activePort = 0;
    if (m_script.stallAt == "GREETING")
        return StallUntilGone(fd);
    if (!SendAll(fd, m_script.greeting))
        return;
    std::string in, user;
    char buf[1024];
    while (!m_stop) {
        const std::size_t nl = in.find('\n');
        if (nl == std::string::npos) {
            if (!(m_tls && SSL_pending(m_tls) > 0) && !Readable(fd))
                continue;
            const long n = m_tls ? SSL_read(m_tls, buf, static_cast<int>(sizeof buf))
                                 : ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                return;
            in.append(buf, static_cast<std::size_t>(n));
            continue;
        }
        std::string line = in.substr(0, nl);
        in.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        {
            std::lock_guard lock(m_mutex);
            m_commands.push_back(line);
        }
        const std::size_t sp = line.find(' ');
        std::string verb = line.substr(0, sp);
        const std::string arg = sp == std::string::npos ? std::string() : line.substr(sp + 1);
        std::transform(verb.begin(), verb.end(), verb.begin(),
                       [](unsigned char c) { return std::toupper(c); });
        if (verb == m_script.stallAt)
            return StallUntilGone(fd);
        const std::string path =
            arg.rfind('/', 0) == 0 ? arg : (m_cwd == "/" ? "" : m_cwd) + "/" + arg;
        int h[6] = {};
        char host[64] = {};
        std::string reply = "502 Command not implemented";
        if (verb == "USER") {
            user = arg;
            reply = "331 Password required";
        } else if (verb == "PASS") {
            const auto login = m_script.logins.find(user);
            const bool known = login != m_script.logins.end() && login->second == arg;
            reply = known ? "230 Logged in" : "530 Login incorrect";
        } else if (verb == "FEAT") {
            reply = std::string("211-Features:\r\n EPSV\r\n UTF8\r\n") +
                    (m_script.featMlst ? " MLST type*;size*;modify*;\r\n" : "") + "211 End";
        } else if (verb == "AUTH" &&
                   (!m_script.tls.sha256.empty() || m_script.stallAt == "HANDSHAKE")) {
            if (!Reply(fd, verb, "234 Proceed with negotiation"))
                return;
            if (m_script.stallAt != "HANDSHAKE") {
                if (!StartTls(fd))
                    return;
                continue;
            }
            while (!m_stop && !Readable(fd)) {
            }
            const ssize_t n = m_stop ? 0 : ::recv(fd, buf, sizeof buf, 0);
            {
                std::lock_guard lock(m_mutex);
                m_hello.assign(buf, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
            }
            return StallUntilGone(fd);
        } else if (verb == "OPTS" || verb == "TYPE") {
            reply = "200 OK";
        } else if (verb == "CWD") {
            const bool known = m_script.folders.count(path) != 0;
            m_cwd = known ? path : m_cwd;
            reply = known ? "250 Directory changed" : "550 No such directory";
        } else if (verb == "PWD") {
            reply = "257 \"" + m_cwd + "\" is the current directory";
        } else if (verb == "EPSV" && m_script.refuseEpsv) {
            reply = "500 EPSV not understood";
        } else if (verb == "EPSV" || verb == "PASV") {
            if (m_pasvListen >= 0)
                ::close(m_pasvListen);
            std::uint16_t port = 0;
            m_pasvListen = ListenOnLoopback(port);
            std::string a = m_script.pasvAddress;
            std::replace(a.begin(), a.end(), '.', ',');
            reply = verb == "EPSV"
                        ? "229 Entering Extended Passive Mode (|||" + std::to_string(port) + "|)"
                        : "227 Entering Passive Mode (" + a + "," + std::to_string(port >> 8) +
                              "," + std::to_string(port & 0xff) + ").";
        } else if (verb == "EPRT" && !m_script.refuseEprt &&
                   std::sscanf(arg.c_str(), "|1|%63[0-9.]|%d|", host, &m_activePort) == 2) {
            m_activeHost = host;
            reply = "200 EPRT OK";
        } else if (verb == "PORT" && std::sscanf(arg.c_str(), "%d,%d,%d,%d,%d,%d", &h[0], &h[1],
                                                 &h[2], &h[3], &h[4], &h[5]) == 6) {
            m_activeHost = std::to_string(h[0]) + "." + std::to_string(h[1]) + "." +
                           std::to_string(h[2]) + "." + std::to_string(h[3]);
            m_activePort = h[4] * 256 + h[5];
            reply = "200 PORT OK";
        } else if (verb == "EPRT" || verb == "PORT") {
            reply = "500 not understood";
        } else if (verb == "MLSD" && m_script.refuseMlsd) {
            reply = "500 MLSD not understood";
        } else if ((verb == "LIST" || verb == "MLSD") && !m_script.replies.count(verb)) {
            if (!SendListing(fd, verb, verb == "MLSD" ? m_script.mlsdListing : m_script.listing))
                return;
            continue;
        } else if (verb == "QUIT") {
            Reply(fd, verb, "221 Goodbye");
            return;
        }
        if (!Reply(fd, verb, reply))
            return;
    }
}

HangingPort::HangingPort() {
    m_listen = ListenOnLoopback(m_port);
    // One connection that is never accepted fills the queue of a zero backlog.
    if (m_listen < 0 || ::listen(m_listen, 0) != 0)
        return;
    m_filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const sockaddr_in a = Loopback("127.0.0.1", m_port);
    ::connect(m_filler, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    pollfd p{m_filler, POLLOUT, 0};
    int err = 0;
    socklen_t el = sizeof err;
    m_ready = ::poll(&p, 1, 10000) == 1 &&
              ::getsockopt(m_filler, SOL_SOCKET, SO_ERROR, &err, &el) == 0 && err == 0;
}

HangingPort::~HangingPort() {
    for (int fd : {m_filler, m_listen})
        if (fd >= 0)
            ::close(fd);
}

} // namespace test
