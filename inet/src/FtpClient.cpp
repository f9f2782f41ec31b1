#include "inet/FtpClient.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace inet {
namespace {

using namespace std::chrono_literals;
constexpr auto kSlice = 100ms;             // longest single poll, so a stop is seen promptly
constexpr std::size_t kMaxReply = 1 << 20; // a reply longer than this is garbage

struct FdGuard {
    int fd = -1;
    FdGuard() = default;
    explicit FdGuard(int f) : fd(f) {}
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    ~FdGuard() { Reset(); }
    void Reset(int f = -1) {
        if (fd >= 0)
            ::close(fd);
        fd = f;
    }
    int Release() {
        int f = fd;
        fd = -1;
        return f;
    }
};

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

bool SameHost(const sockaddr_storage& a, const sockaddr_storage& b) {
    if (a.ss_family != b.ss_family)
        return false;
    if (a.ss_family == AF_INET) {
        return reinterpret_cast<const sockaddr_in&>(a).sin_addr.s_addr ==
               reinterpret_cast<const sockaddr_in&>(b).sin_addr.s_addr;
    }
    if (a.ss_family == AF_INET6) {
        return std::memcmp(&reinterpret_cast<const sockaddr_in6&>(a).sin6_addr,
                           &reinterpret_cast<const sockaddr_in6&>(b).sin6_addr,
                           sizeof(in6_addr)) == 0;
    }
    return false;
}

void SetPort(sockaddr_storage& addr, std::uint16_t port) {
    if (addr.ss_family == AF_INET)
        reinterpret_cast<sockaddr_in&>(addr).sin_port = htons(port);
    else if (addr.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6&>(addr).sin6_port = htons(port);
}

std::uint16_t GetPort(const sockaddr_storage& addr) {
    if (addr.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(addr).sin_port);
    if (addr.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(addr).sin6_port);
    return 0;
}

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

bool Positive(int code) {
    return code >= 200 && code < 300;
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
    if (m_ctrl >= 0)
        ::close(m_ctrl);
    m_ctrl = -1;
    m_in.clear();
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

bool FtpClient::Connect(std::string_view host, std::string_view user, std::string_view password) {
    Close();
    m_mlst = m_utf8 = m_noEpsv = m_noEprt = m_mlsdRefused = false;
    if (HasLineBreak(user) || HasLineBreak(password))
        return Fail(FtpErrorKind::BadArgument, "user or password holds a line break");
    if (host.empty() || host.find('\0') != std::string_view::npos)
        return Fail(FtpErrorKind::ConnectFailed, "no host");
    auto deadline = Clock::now() + m_opt.connectTimeout;

    auto lookup = std::make_shared<Lookup>();
    {
        std::string h(host), port = std::to_string(m_opt.port);
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
        addrinfo* res = nullptr;
        if (::getaddrinfo(h.c_str(), port.c_str(), &hints, &res) == 0) {
            lookup->result = res;
            lookup->done = true;
        } else {
            std::thread([lookup, h, port] {
                addrinfo hints2{};
                hints2.ai_family = AF_UNSPEC;
                hints2.ai_socktype = SOCK_STREAM;
                hints2.ai_flags = AI_NUMERICSERV;
                addrinfo* r = nullptr;
                int rc = ::getaddrinfo(h.c_str(), port.c_str(), &hints2, &r);
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
    auto fail = [&](FtpErrorKind kind, const char* text) {
        if (m_errorKind != FtpErrorKind::Stopped && m_errorKind != FtpErrorKind::Timeout &&
            m_errorKind != FtpErrorKind::ConnectionLost)
            Fail(kind, text);
        Close();
        return false;
    };
    m_errorKind = FtpErrorKind::None;
    if (!Command("USER", user, r))
        return fail(FtpErrorKind::ConnectionLost, "no reply to USER");
    if (r.code == 331) {
        if (!Command("PASS", password, r))
            return fail(FtpErrorKind::ConnectionLost, "no reply to PASS");
    }
    if (r.code != 230 && r.code != 202)
        return fail(FtpErrorKind::LoginRefused, "login refused");

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
    auto deadline = Clock::now() + m_opt.replyTimeout;
    std::size_t sent = 0;
    while (sent < line.size()) {
        ssize_t n = ::send(m_ctrl, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            Wait w = WaitFor(m_ctrl, POLLOUT, deadline);
            if (w == Wait::Stopped)
                return Fail(FtpErrorKind::Stopped, "stopped");
            if (w == Wait::Timeout)
                return Fail(FtpErrorKind::Timeout, "send timed out");
            if (w == Wait::Failed)
                return Fail(FtpErrorKind::ConnectionLost, "send failed");
            continue;
        }
        return Fail(FtpErrorKind::ConnectionLost, "control connection lost");
    }
    return true;
}

// Takes one whole reply out of m_in when it is there.
bool FtpClient::TakeReply(FtpReply& reply, bool& complete) {
    complete = false;
    reply = {};
    std::size_t pos = 0;
    std::string code;
    while (true) {
        std::size_t nl = m_in.find('\n', pos);
        if (nl == std::string::npos)
            return true; // need more
        std::string line = m_in.substr(pos, nl - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        pos = nl + 1;
        if (reply.lines.empty()) {
            if (line.size() < 3 || !std::isdigit(static_cast<unsigned char>(line[0])) ||
                !std::isdigit(static_cast<unsigned char>(line[1])) ||
                !std::isdigit(static_cast<unsigned char>(line[2])) ||
                (line.size() > 3 && line[3] != ' ' && line[3] != '-'))
                return Fail(FtpErrorKind::ConnectionLost, "malformed reply");
            code = line.substr(0, 3);
            reply.lines.push_back(line);
            if (line.size() == 3 || line[3] == ' ')
                break;
            continue;
        }
        bool last = line.size() >= 3 && line.compare(0, 3, code) == 0 &&
                    (line.size() == 3 || line[3] == ' ');
        reply.lines.push_back(std::move(line));
        if (last)
            break;
    }
    reply.code = std::stoi(code);
    m_in.erase(0, pos);
    complete = true;
    return true;
}

bool FtpClient::ReadReply(FtpReply& reply) {
    auto deadline = Clock::now() + m_opt.replyTimeout;
    char buf[4096];
    for (;;) {
        bool complete = false;
        if (!TakeReply(reply, complete)) {
            Close();
            return false;
        }
        if (complete) {
            m_reply = reply;
            return true;
        }
        if (m_in.size() > kMaxReply) {
            Close();
            return Fail(FtpErrorKind::ConnectionLost, "reply too long");
        }
        if (m_ctrl < 0)
            return Fail(FtpErrorKind::ConnectionLost, "not connected");
        Wait w = WaitFor(m_ctrl, POLLIN, deadline);
        if (w == Wait::Stopped)
            return Fail(FtpErrorKind::Stopped, "stopped while waiting for a reply");
        if (w == Wait::Timeout)
            return Fail(FtpErrorKind::Timeout, "no reply in time");
        ssize_t n = ::recv(m_ctrl, buf, sizeof buf, 0);
        if (n > 0) {
            m_in.append(buf, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
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

bool FtpClient::OpenPassive(int& data) {
    FtpReply r;
    int port = -1;
    if (!m_noEpsv) {
        if (!Command("EPSV", "", r))
            return false;
        if (r.code == 229) {
            const std::string& t = r.lines.front();
            std::size_t open = t.find('(');
            if (open != std::string::npos && open + 4 < t.size()) {
                char d = t[open + 1];
                if (t[open + 2] == d && t[open + 3] == d) {
                    std::size_t i = open + 4;
                    long v = 0;
                    std::size_t digits = 0;
                    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])) &&
                           digits < 6) {
                        v = v * 10 + (t[i] - '0');
                        ++i;
                        ++digits;
                    }
                    if (digits > 0 && i < t.size() && t[i] == d && v > 0 && v < 65536)
                        port = static_cast<int>(v);
                }
            }
            if (port < 0)
                return Fail(FtpErrorKind::ConnectionLost, "unreadable EPSV reply");
        } else {
            m_noEpsv = true;
        }
    }
    if (port < 0) {
        if (m_peer.ss_family != AF_INET)
            return Fail(FtpErrorKind::Refused, "EPSV refused");
        if (!Command("PASV", "", r))
            return false;
        if (r.code != 227)
            return Fail(FtpErrorKind::Refused, "PASV refused");
        // Six numbers h1,h2,h3,h4,p1,p2; the host part is not used: data goes to the
        // control connection's peer whatever address the reply names.
        const std::string& t = r.lines.front();
        std::vector<long> nums;
        std::size_t i = 3;
        while (i < t.size() && nums.size() < 6) {
            if (!std::isdigit(static_cast<unsigned char>(t[i]))) {
                if (!nums.empty() && t[i] != ',')
                    nums.clear();
                ++i;
                continue;
            }
            long v = 0;
            std::size_t digits = 0;
            while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])) && digits < 4) {
                v = v * 10 + (t[i] - '0');
                ++i;
                ++digits;
            }
            nums.push_back(v);
        }
        if (nums.size() != 6 || nums[4] > 255 || nums[5] > 255)
            return Fail(FtpErrorKind::ConnectionLost, "unreadable PASV reply");
        port = static_cast<int>(nums[4] * 256 + nums[5]);
        if (port <= 0)
            return Fail(FtpErrorKind::ConnectionLost, "unreadable PASV reply");
    }
    sockaddr_storage addr = m_peer;
    SetPort(addr, static_cast<std::uint16_t>(port));
    if (!ConnectTcp(reinterpret_cast<sockaddr*>(&addr), m_peerLen,
                    Clock::now() + m_opt.connectTimeout, data)) {
        if (m_errorKind == FtpErrorKind::ConnectFailed)
            m_errorKind = FtpErrorKind::ConnectionLost;
        return false;
    }
    return true;
}

bool FtpClient::OpenActive(int& listener) {
    sockaddr_storage addr = m_local;
    SetPort(addr, 0);
    FdGuard s(::socket(addr.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (s.fd < 0)
        return Fail(FtpErrorKind::ConnectionLost, std::strerror(errno));
    socklen_t len = m_localLen;
    if (::bind(s.fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(s.fd, 4) != 0 ||
        ::getsockname(s.fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return Fail(FtpErrorKind::ConnectionLost, std::strerror(errno));
    std::uint16_t port = GetPort(addr);
    char host[INET6_ADDRSTRLEN] = {};
    const void* raw =
        addr.ss_family == AF_INET
            ? static_cast<const void*>(&reinterpret_cast<sockaddr_in&>(addr).sin_addr)
            : static_cast<const void*>(&reinterpret_cast<sockaddr_in6&>(addr).sin6_addr);
    ::inet_ntop(addr.ss_family, raw, host, sizeof host);
    FtpReply r;
    bool ok = false;
    if (!m_noEprt) {
        std::string arg = std::string("|") + (addr.ss_family == AF_INET ? "1" : "2") + "|" + host +
                          "|" + std::to_string(port) + "|";
        if (!Command("EPRT", arg, r))
            return false;
        ok = Positive(r.code);
        if (!ok)
            m_noEprt = true;
    }
    if (!ok) {
        if (addr.ss_family != AF_INET)
            return Fail(FtpErrorKind::Refused, "EPRT refused");
        std::string arg(host);
        std::replace(arg.begin(), arg.end(), '.', ',');
        arg += "," + std::to_string(port >> 8) + "," + std::to_string(port & 0xff);
        if (!Command("PORT", arg, r))
            return false;
        if (!Positive(r.code))
            return Fail(FtpErrorKind::Refused, "PORT refused");
    }
    listener = s.Release();
    return true;
}

// Waits for the server's data connection; one from any other address is closed at once.
// A reply on the control connection meanwhile means the server gave up.
bool FtpClient::AcceptData(int listener, int& data) {
    auto deadline = Clock::now() + m_opt.transferTimeout;
    for (;;) {
        if (StopRequested())
            return Fail(FtpErrorKind::Stopped, "stopped while waiting for data");
        auto now = Clock::now();
        if (now >= deadline)
            return Fail(FtpErrorKind::Timeout, "no data connection in time");
        int ms = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(
                                      std::min<Clock::duration>(kSlice, deadline - now))
                                      .count());
        pollfd p[2] = {{listener, POLLIN, 0}, {m_ctrl, POLLIN, 0}};
        int rc = ::poll(p, 2, ms);
        if (rc < 0 && errno != EINTR)
            return Fail(FtpErrorKind::ConnectionLost, "poll failed");
        if (rc <= 0)
            continue;
        if (p[0].revents & POLLIN) {
            sockaddr_storage from{};
            socklen_t fl = sizeof from;
            int fd = ::accept4(listener, reinterpret_cast<sockaddr*>(&from), &fl,
                               SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            if (!SameHost(from, m_peer)) {
                ::close(fd);
                continue;
            }
            data = fd;
            return true;
        }
        if (p[1].revents) {
            FtpReply r;
            if (!ReadReply(r))
                return false;
            return Fail(FtpErrorKind::Refused, "no data connection: " + r.lines.front());
        }
    }
}

bool FtpClient::ReadData(int data, const std::function<void(std::string_view)>& onData) {
    std::vector<char> buf(64 * 1024);
    auto deadline = Clock::now() + m_opt.transferTimeout;
    for (;;) {
        Wait w = WaitFor(data, POLLIN, deadline);
        if (w == Wait::Stopped)
            return Fail(FtpErrorKind::Stopped, "stopped during the transfer");
        if (w == Wait::Timeout)
            return Fail(FtpErrorKind::Timeout, "transfer stalled");
        if (w == Wait::Failed)
            return Fail(FtpErrorKind::ConnectionLost, "poll failed");
        ssize_t n = ::recv(data, buf.data(), buf.size(), 0);
        if (n > 0) {
            onData(std::string_view(buf.data(), static_cast<std::size_t>(n)));
            deadline = Clock::now() + m_opt.transferTimeout;
            continue;
        }
        if (n == 0)
            return true;
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
            continue;
        return Fail(FtpErrorKind::ConnectionLost, "data connection broken");
    }
}

bool FtpClient::Transfer(std::string_view verb, std::string_view arg,
                         const std::function<void(std::string_view)>& onData) {
    if (HasLineBreak(verb) || HasLineBreak(arg))
        return Fail(FtpErrorKind::BadArgument, "argument holds a line break");
    if (m_ctrl < 0)
        return Fail(FtpErrorKind::ConnectionLost, "not connected");
    FdGuard data, listener;
    if (m_opt.passive) {
        int fd = -1;
        if (!OpenPassive(fd))
            return false;
        data.Reset(fd);
    } else {
        int fd = -1;
        if (!OpenActive(fd))
            return false;
        listener.Reset(fd);
    }
    FtpReply r;
    if (!Command(verb, arg, r))
        return false;
    if (r.code >= 300 || r.code < 100)
        return Fail(FtpErrorKind::Refused, std::string(verb) + " refused");
    if (Positive(r.code))
        return true; // finished at once: the server had nothing to send
    if (!m_opt.passive) {
        int fd = -1;
        if (!AcceptData(listener.fd, fd))
            return false;
        data.Reset(fd);
        listener.Reset();
    }
    if (!ReadData(data.fd, onData))
        return false;
    data.Reset();
    if (!ReadReply(r))
        return false;
    if (!Positive(r.code))
        return Fail(FtpErrorKind::ConnectionLost, "transfer failed: " + r.lines.front());
    return true;
}

bool FtpClient::ListEntries(const std::function<void(std::vector<FtpListEntry>&)>& onEntries) {
    FtpReply r;
    if (!Command("TYPE", "A", r))
        return false;
    bool mlsd = m_mlst && !m_mlsdRefused;
    for (;;) {
        FtpLineSplitter splitter;
        std::vector<std::string> lines;
        std::vector<FtpListEntry> batch;
        bool any = false;
        auto parse = [&](const std::string& line) {
            auto e = mlsd ? ParseMlsdLine(line) : ParseListLine(line);
            if (e)
                batch.push_back(std::move(*e));
        };
        bool ok = Transfer(mlsd ? "MLSD" : "LIST", "", [&](std::string_view bytes) {
            any = true;
            lines.clear();
            splitter.Feed(bytes, lines);
            for (const auto& l : lines)
                parse(l);
            if (!batch.empty()) {
                onEntries(batch);
                batch.clear();
            }
        });
        if (!ok) {
            // A server that offers MLST but refuses MLSD still gets a LIST.
            if (mlsd && !any && m_errorKind == FtpErrorKind::Refused && m_ctrl >= 0) {
                m_mlsdRefused = true;
                mlsd = false;
                continue;
            }
            return false;
        }
        if (auto last = splitter.Finish())
            parse(*last);
        if (!batch.empty())
            onEntries(batch);
        return true;
    }
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
        Command("QUIT", "", r);
        m_opt.replyTimeout = saved;
    }
    Close();
}

} // namespace inet
