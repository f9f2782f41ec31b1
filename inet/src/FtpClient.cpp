// The control connection of FtpClient: connecting, logging in, commands and replies.
#include "inet/FtpClient.h"

#include "FtpClientShared.hpp"
#include "FtpTls.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace inet {

using namespace detail;
using namespace std::chrono_literals;

namespace {

constexpr std::size_t kMaxReply = 1 << 20; // a reply longer than this is garbage

// Name lookup may block for long; it runs on a helper thread so a stop or the connect
// time-out can abandon it. The helper owns its share of the state.
struct Lookup {
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    int rc = 0;
    addrinfo* result = nullptr;
    ~Lookup() {
        if (result)
            freeaddrinfo(result);
    }
};

std::string Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return std::string(s);
}

} // namespace

const char* ToString(FtpErrorKind kind) {
    switch (kind) {
    case FtpErrorKind::None:
        return "no error";
    case FtpErrorKind::ConnectFailed:
        return "connection failed";
    case FtpErrorKind::LoginRefused:
        return "login refused";
    case FtpErrorKind::Timeout:
        return "timed out";
    case FtpErrorKind::ConnectionLost:
        return "connection lost";
    case FtpErrorKind::Refused:
        return "command refused";
    case FtpErrorKind::BadArgument:
        return "argument holds a line break";
    case FtpErrorKind::Stopped:
        return "stopped";
    }
    return "unknown";
}

std::optional<std::string> ParsePwdReply(std::string_view line) {
    std::size_t q = line.find('"');
    if (q == std::string_view::npos)
        return std::nullopt;
    std::string path;
    for (std::size_t i = q + 1; i < line.size(); ++i) {
        if (line[i] != '"') {
            path.push_back(line[i]);
            continue;
        }
        if (i + 1 < line.size() && line[i + 1] == '"') {
            path.push_back('"');
            ++i;
            continue;
        }
        return path;
    }
    return std::nullopt; // no closing quote
}

FtpClient::FtpClient(FtpOptions options) : m_opt(options) {}

FtpClient::~FtpClient() {
    Close();
}

bool FtpClient::Fail(FtpErrorKind kind, std::string text) {
    m_errorKind = kind;
    m_error = std::move(text);
    return false;
}

bool FtpClient::StopRequested() const {
    return m_opt.stop && m_opt.stop->load(std::memory_order_relaxed) != 0;
}

FtpClient::Wait FtpClient::WaitFor(int fd, short events, Clock::time_point deadline,
                                   short* revents) {
    for (;;) {
        if (StopRequested())
            return Wait::Stopped;
        auto now = Clock::now();
        if (now >= deadline)
            return Wait::Timeout;
        auto slice = std::min<Clock::duration>(kSlice, deadline - now);
        int ms = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(slice).count());
        pollfd p{fd, events, 0};
        int rc = ::poll(&p, 1, ms);
        if (rc < 0) {
            if (errno == EINTR)
                continue;
            return Wait::Failed;
        }
        if (rc > 0) {
            if (revents)
                *revents = p.revents;
            return Wait::Ready;
        }
    }
}

void FtpClient::Close() {
    m_ctrlTls.reset();
    if (m_tlsContext)
        m_tlsContext->Forget();
    m_cert.reset();
    m_protP = false;
    if (m_ctrl >= 0)
        ::close(m_ctrl);
    m_ctrl = -1;
    m_replies.Clear();
}

FtpClient::Io FtpClient::Await(int fd, short events, Clock::time_point deadline) {
    switch (WaitFor(fd, events, deadline)) {
    case Wait::Ready:
        return Io::Ok;
    case Wait::Timeout:
        return Io::Timeout;
    case Wait::Stopped:
        return Io::Stopped;
    case Wait::Failed:
        break;
    }
    return Io::Failed;
}

std::optional<FtpClient::Io> FtpClient::Settle(TlsStep step, short& events) {
    switch (step) {
    case TlsStep::Done:
        return Io::Ok;
    case TlsStep::Closed:
        return Io::Closed;
    case TlsStep::Failed:
        return Io::Failed;
    case TlsStep::WantRead:
        events = POLLIN;
        break;
    case TlsStep::WantWrite:
        events = POLLOUT;
        break;
    }
    return std::nullopt;
}

FtpClient::Io FtpClient::Receive(int fd, detail::TlsLink* tls, char* buf, std::size_t size,
                                 std::size_t& got, Clock::time_point deadline) {
    for (;;) {
        if (StopRequested())
            return Io::Stopped;
        short events = POLLIN;
        if (tls) {
            if (const auto end = Settle(tls->Read(buf, size, got), events))
                return *end;
        } else {
            const ssize_t n = ::recv(fd, buf, size, 0);
            if (n > 0) {
                got = static_cast<std::size_t>(n);
                return Io::Ok;
            }
            if (n == 0)
                return Io::Closed;
            if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
                return Io::Failed;
        }
        if (const Io waited = Await(fd, events, deadline); waited != Io::Ok)
            return waited;
    }
}

FtpClient::Io FtpClient::SendAll(int fd, detail::TlsLink* tls, std::string_view bytes,
                                 Clock::time_point deadline) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        short events = POLLOUT;
        if (tls) {
            std::size_t put = 0;
            const TlsStep step = tls->Write(bytes.data() + sent, bytes.size() - sent, put);
            if (step == TlsStep::Done) {
                sent += put;
                continue;
            }
            if (const auto end = Settle(step, events))
                return *end;
        } else {
            const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n > 0) {
                sent += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                return Io::Failed;
        }
        if (const Io waited = Await(fd, events, deadline); waited != Io::Ok)
            return waited;
    }
    return Io::Ok;
}

FtpClient::Io FtpClient::Handshake(int fd, detail::TlsLink& tls, Clock::time_point deadline) {
    for (;;) {
        if (StopRequested())
            return Io::Stopped;
        short events = POLLIN;
        if (const auto end = Settle(tls.Handshake(), events))
            return *end;
        if (const Io waited = Await(fd, events, deadline); waited != Io::Ok)
            return waited;
    }
}

// AUTH TLS and the handshake on the control connection; true to go on with the login,
// in TLS or, where the mode and the caller allow, in plain FTP.
bool FtpClient::StartTls(std::string_view host) {
    FtpReply r;
    if (!Command("AUTH", "TLS", r))
        return false;
    if (r.code != 234) {
        if (r.code < 400 || r.code > 599)
            return Fail(FtpErrorKind::ConnectFailed, "unexpected reply to AUTH TLS");
        if (m_opt.tls == FtpTlsMode::Require)
            return Fail(FtpErrorKind::ConnectFailed, "the server refused TLS");
        if (m_opt.tlsSeenBefore && !(m_opt.confirmPlain && m_opt.confirmPlain(host, m_opt.port)))
            return Fail(FtpErrorKind::ConnectFailed, "the server refused the TLS it spoke before");
        return true;
    }
    // Bytes sent before the handshake would be taken as if they came encrypted.
    if (m_replies.Pending() > 0)
        return Fail(FtpErrorKind::ConnectFailed, "data after the reply to AUTH TLS");
    std::string error;
    if (!m_tlsContext && !(m_tlsContext = detail::NewTlsContext(error)))
        return Fail(FtpErrorKind::ConnectFailed, error);
    std::unique_ptr<detail::TlsLink> link =
        m_tlsContext->OpenControl(m_ctrl, std::string(host), error);
    if (!link)
        return Fail(FtpErrorKind::ConnectFailed, error);
    switch (Handshake(m_ctrl, *link, Clock::now() + m_opt.connectTimeout)) {
    case Io::Ok:
        break;
    case Io::Stopped:
        return Fail(FtpErrorKind::Stopped, "stopped during the TLS handshake");
    case Io::Timeout:
        return Fail(FtpErrorKind::Timeout, "TLS handshake timed out");
    case Io::Closed:
    case Io::Failed:
        return Fail(FtpErrorKind::ConnectFailed, "TLS handshake failed: " + link->Error());
    }
    FtpCertificate cert = link->PeerCertificate();
    if (cert.sha256.empty())
        return Fail(FtpErrorKind::ConnectFailed, "the server showed no certificate");
    if (!cert.verified && !(m_opt.verify && m_opt.verify(host, m_opt.port, cert)))
        return Fail(FtpErrorKind::ConnectFailed, "certificate not trusted: " + cert.verifyError);
    if (StopRequested()) // the answer may have taken long
        return Fail(FtpErrorKind::Stopped, "stopped after the TLS handshake");
    m_cert = std::move(cert);
    m_ctrlTls = std::move(link);
    return true;
}

bool FtpClient::ConnectTcp(const sockaddr* addr, socklen_t len, Clock::time_point deadline,
                           int& out) {
    FdGuard s(::socket(addr->sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (s.fd < 0)
        return Fail(FtpErrorKind::ConnectFailed, std::strerror(errno));
    if (::connect(s.fd, addr, len) != 0) {
        if (errno != EINPROGRESS)
            return Fail(FtpErrorKind::ConnectFailed, std::strerror(errno));
        Wait w = WaitFor(s.fd, POLLOUT, deadline);
        if (w == Wait::Stopped)
            return Fail(FtpErrorKind::Stopped, "stopped while connecting");
        if (w == Wait::Timeout)
            return Fail(FtpErrorKind::Timeout, "connect timed out");
        int err = 0;
        socklen_t el = sizeof err;
        if (w == Wait::Failed || ::getsockopt(s.fd, SOL_SOCKET, SO_ERROR, &err, &el) != 0 ||
            err != 0)
            return Fail(FtpErrorKind::ConnectFailed, std::strerror(err ? err : errno));
    }
    out = s.Release();
    return true;
}

bool FtpClient::OpenControl(const std::string& host, std::uint16_t port,
                            Clock::time_point deadline) {
    auto lookup = std::make_shared<Lookup>();
    {
        const std::string service = std::to_string(port);
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
        addrinfo* res = nullptr;
        if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &res) == 0) {
            lookup->result = res;
            lookup->done = true;
        } else {
            std::thread([lookup, host, service] {
                addrinfo hints2{};
                hints2.ai_family = AF_UNSPEC;
                hints2.ai_socktype = SOCK_STREAM;
                hints2.ai_flags = AI_NUMERICSERV;
                addrinfo* r = nullptr;
                int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints2, &r);
                std::lock_guard lock(lookup->mutex);
                lookup->rc = rc;
                lookup->result = r;
                lookup->done = true;
                lookup->cv.notify_all();
            }).detach();
        }
    }
    addrinfo* res = nullptr;
    {
        std::unique_lock lock(lookup->mutex);
        while (!lookup->done) {
            if (StopRequested())
                return Fail(FtpErrorKind::Stopped, "stopped while looking up the host");
            if (Clock::now() >= deadline)
                return Fail(FtpErrorKind::Timeout, "host lookup timed out");
            lookup->cv.wait_for(lock, kSlice);
        }
        if (lookup->rc != 0 || !lookup->result)
            return Fail(FtpErrorKind::ConnectFailed, "host not found");
        res = lookup->result;
    }
    int fd = -1;
    for (addrinfo* ai = res; ai && fd < 0; ai = ai->ai_next) {
        if (!ConnectTcp(ai->ai_addr, ai->ai_addrlen, deadline, fd)) {
            if (m_errorKind == FtpErrorKind::Stopped || m_errorKind == FtpErrorKind::Timeout)
                return false;
        }
    }
    if (fd < 0)
        return false;
    m_ctrl = fd;
    m_peerLen = sizeof m_peer;
    m_localLen = sizeof m_local;
    if (::getpeername(m_ctrl, reinterpret_cast<sockaddr*>(&m_peer), &m_peerLen) != 0 ||
        ::getsockname(m_ctrl, reinterpret_cast<sockaddr*>(&m_local), &m_localLen) != 0) {
        Close();
        return Fail(FtpErrorKind::ConnectFailed, "socket has no address");
    }
    FtpReply r;
    do {
        if (!ReadReply(r)) {
            Close();
            return false;
        }
    } while (r.code == 120);
    if (r.code != 220) {
        Close();
        return Fail(FtpErrorKind::ConnectFailed, "greeting refused");
    }
    return true;
}

bool FtpClient::Login(std::string_view user, std::string_view password, FtpReply& r) {
    if (!Command("USER", user, r))
        return false;
    if (r.code == 331 && !Command("PASS", password, r))
        return false;
    if (r.code != 230 && r.code != 202)
        return Fail(FtpErrorKind::LoginRefused, "login refused");
    return true;
}

bool FtpClient::Connect(std::string_view host, std::string_view user, std::string_view password) {
    Close();
    m_mlst = m_utf8 = m_noEpsv = m_noEprt = m_mlsdRefused = false;
    m_host = std::string(host);
    const FtpProxy* proxy = m_opt.proxy ? &*m_opt.proxy : nullptr;
    if (HasLineBreak(user) || HasLineBreak(password) ||
        (proxy && (HasLineBreak(proxy->user) || HasLineBreak(proxy->password))))
        return Fail(FtpErrorKind::BadArgument, "user or password holds a line break");
    if (host.empty() || host.find('\0') != std::string_view::npos ||
        (proxy && (proxy->host.empty() || proxy->host.find('\0') != std::string::npos)))
        return Fail(FtpErrorKind::ConnectFailed, "no host");
    // TLS cannot reach the server through the proxy: whoever requires it gets no clear login.
    if (proxy && m_opt.tls == FtpTlsMode::Require)
        return Fail(FtpErrorKind::ConnectFailed, "TLS is required but the login goes by proxy");
    const auto deadline = Clock::now() + m_opt.connectTimeout;
    if (!(proxy ? OpenControl(proxy->host, proxy->port, deadline)
                : OpenControl(m_host, m_opt.port, deadline)))
        return false;

    auto fail = [&](FtpErrorKind kind, const char* text) {
        if (m_errorKind != FtpErrorKind::Stopped && m_errorKind != FtpErrorKind::Timeout &&
            m_errorKind != FtpErrorKind::ConnectionLost &&
            m_errorKind != FtpErrorKind::LoginRefused)
            Fail(kind, text);
        Close();
        return false;
    };
    m_errorKind = FtpErrorKind::None;
    FtpReply r;
    if (proxy) {
        if (!proxy->user.empty() && !Login(proxy->user, proxy->password, r))
            return fail(FtpErrorKind::ConnectionLost, "no reply from the proxy");
        const std::string target =
            std::string(user) + "@" + FormatServerAddress({m_host, m_opt.port});
        if (!Login(target, password, r))
            return fail(FtpErrorKind::ConnectionLost, "no reply to the login");
    } else {
        if (m_opt.tls != FtpTlsMode::Off && !StartTls(host)) {
            Close();
            return false;
        }
        if (!Login(user, password, r))
            return fail(FtpErrorKind::ConnectionLost, "no reply to the login");
    }
    if (m_ctrlTls) {
        if (!Command("PBSZ", "0", r))
            return fail(FtpErrorKind::ConnectionLost, "no reply to PBSZ");
        if (!Command("PROT", "P", r))
            return fail(FtpErrorKind::ConnectionLost, "no reply to PROT");
        m_protP = Positive(r.code);
    }

    if (!Command("FEAT", "", r))
        return fail(FtpErrorKind::ConnectionLost, "no reply to FEAT");
    if (r.code == 211) {
        for (std::size_t i = 1; i + 1 < r.lines.size(); ++i) {
            std::string f = Trimmed(r.lines[i]);
            std::string word = f.substr(0, f.find(' '));
            std::transform(word.begin(), word.end(), word.begin(),
                           [](unsigned char c) { return std::toupper(c); });
            if (word == "UTF8")
                m_utf8 = true;
            else if (word == "MLST")
                m_mlst = true;
        }
    }
    if (m_utf8 && !Command("OPTS", "UTF8 ON", r))
        return fail(FtpErrorKind::ConnectionLost, "no reply to OPTS");
    m_errorKind = FtpErrorKind::None;
    m_error.clear();
    return true;
}

bool FtpClient::SendLine(std::string_view verb, std::string_view arg) {
    if (HasLineBreak(verb) || HasLineBreak(arg))
        return Fail(FtpErrorKind::BadArgument, "argument holds a line break");
    if (m_ctrl < 0)
        return Fail(FtpErrorKind::ConnectionLost, "not connected");
    std::string line(verb);
    if (!arg.empty()) {
        line.push_back(' ');
        line.append(arg);
    }
    line.append("\r\n");
    switch (SendAll(m_ctrl, m_ctrlTls.get(), line, Clock::now() + m_opt.replyTimeout)) {
    case Io::Ok:
        return true;
    case Io::Stopped:
        return Fail(FtpErrorKind::Stopped, "stopped");
    case Io::Timeout:
        return Fail(FtpErrorKind::Timeout, "send timed out");
    case Io::Closed:
    case Io::Failed:
        break;
    }
    return Fail(FtpErrorKind::ConnectionLost, "control connection lost");
}

bool FtpClient::ReadReply(FtpReply& reply) {
    return ReadReply(reply, m_opt.replyTimeout);
}

bool FtpClient::ReadReply(FtpReply& reply, std::chrono::milliseconds wait) {
    auto deadline = Clock::now() + wait;
    char buf[4096];
    reply = {};
    for (;;) {
        const FtpReplyFramer::Status status = m_replies.Next(reply);
        if (status == FtpReplyFramer::Status::Complete) {
            m_reply = reply;
            return true;
        }
        if (status == FtpReplyFramer::Status::Malformed) {
            Close();
            return Fail(FtpErrorKind::ConnectionLost, "malformed reply");
        }
        if (m_replies.Pending() > kMaxReply) {
            Close();
            return Fail(FtpErrorKind::ConnectionLost, "reply too long");
        }
        if (m_ctrl < 0)
            return Fail(FtpErrorKind::ConnectionLost, "not connected");
        std::size_t got = 0;
        switch (Receive(m_ctrl, m_ctrlTls.get(), buf, sizeof buf, got, deadline)) {
        case Io::Ok:
            m_replies.Feed(std::string_view(buf, got));
            continue;
        case Io::Stopped:
            return Fail(FtpErrorKind::Stopped, "stopped while waiting for a reply");
        case Io::Timeout:
            return Fail(FtpErrorKind::Timeout, "no reply in time");
        case Io::Closed:
        case Io::Failed:
            break;
        }
        Close();
        return Fail(FtpErrorKind::ConnectionLost, "control connection closed");
    }
}

bool FtpClient::Command(std::string_view verb, std::string_view arg, FtpReply& reply) {
    if (!SendLine(verb, arg))
        return false;
    return ReadReply(reply);
}

bool FtpClient::ChangeDirectory(std::string_view path) {
    FtpReply r;
    if (!Command("CWD", path, r))
        return false;
    if (!Positive(r.code))
        return Fail(FtpErrorKind::Refused, "CWD refused");
    return true;
}

bool FtpClient::PrintDirectory(std::string& path) {
    FtpReply r;
    if (!Command("PWD", "", r))
        return false;
    if (r.code != 257)
        return Fail(FtpErrorKind::Refused, "PWD refused");
    auto p = ParsePwdReply(r.lines.front());
    if (!p || p->empty())
        return Fail(FtpErrorKind::Refused, "PWD reply holds no path");
    path = std::move(*p);
    return true;
}

void FtpClient::Quit() {
    // After a stall or a broken connection the server is not waited for again.
    bool usable = m_errorKind != FtpErrorKind::Timeout &&
                  m_errorKind != FtpErrorKind::ConnectionLost &&
                  m_errorKind != FtpErrorKind::Stopped;
    if (m_ctrl >= 0 && usable && !StopRequested()) {
        auto saved = m_opt.replyTimeout;
        m_opt.replyTimeout = std::min<std::chrono::milliseconds>(saved, 2000ms);
        FtpReply r;
        if (Command("QUIT", "", r) && m_ctrlTls)
            m_ctrlTls->Shutdown();
        m_opt.replyTimeout = saved;
    }
    Close();
}

} // namespace inet
