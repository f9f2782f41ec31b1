// The data connections of FtpClient: passive or active, accepted only from the
// control connection's peer, and the transfers and listings that run over them.
#include "inet/FtpClient.h"

#include "FtpClientShared.hpp"
#include "FtpTls.hpp"
#include "inet/FtpPassiveReply.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace inet {

using namespace detail;
using namespace std::chrono_literals;

namespace {

// How long the server's reply to a transfer cut short is waited for.
constexpr std::chrono::milliseconds kCutReplyWait = 5s;

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

} // namespace

bool FtpClient::OpenPassive(int& data) {
    FtpReply r;
    int port = -1;
    if (!m_noEpsv) {
        if (!Command("EPSV", "", r))
            return false;
        if (r.code == 229) {
            const auto epsv = ParseEpsvReply(r.lines.front());
            if (!epsv)
                return Fail(FtpErrorKind::ConnectionLost, "unreadable EPSV reply");
            port = *epsv;
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
        const auto pasv = ParsePasvReply(r.lines.front());
        if (!pasv)
            return Fail(FtpErrorKind::ConnectionLost, "unreadable PASV reply");
        port = *pasv;
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
        // A reply that came with the last one, or in its TLS record, wakes no poll; a
        // connection already made still goes first, as the reply may be the final one.
        const bool replyWaiting = m_replies.Pending() > 0 || (m_ctrlTls && m_ctrlTls->Buffered());
        pollfd p[2] = {{listener, POLLIN, 0}, {m_ctrl, POLLIN, 0}};
        int rc = ::poll(p, 2, replyWaiting ? 0 : ms);
        if (rc < 0 && errno != EINTR)
            return Fail(FtpErrorKind::ConnectionLost, "poll failed");
        if (rc > 0 && (p[0].revents & POLLIN)) {
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
        if (!replyWaiting) {
            if (rc <= 0 || !p[1].revents)
                continue;
            if (m_ctrlTls) {
                // The record may hold no reply (a session ticket); then wait on.
                char buf[4096];
                std::size_t got = 0;
                const Io io = Receive(m_ctrl, m_ctrlTls.get(), buf, sizeof buf, got, now);
                if (io == Io::Timeout)
                    continue;
                if (io == Io::Stopped)
                    return Fail(FtpErrorKind::Stopped, "stopped while waiting for data");
                if (io != Io::Ok) {
                    Close();
                    return Fail(FtpErrorKind::ConnectionLost, "control connection closed");
                }
                m_replies.Feed(std::string_view(buf, got));
            }
        }
        FtpReply r;
        if (!ReadReply(r))
            return false;
        return Fail(FtpErrorKind::Refused, "no data connection: " + r.lines.front());
    }
}

// The TLS handshake of a data connection, resuming the control connection's session.
bool FtpClient::SecureData(int fd, std::unique_ptr<detail::TlsLink>& tls) {
    std::string error;
    std::unique_ptr<detail::TlsLink> link = m_tlsContext->OpenData(fd, m_host, error);
    if (!link)
        return Fail(FtpErrorKind::ConnectionLost, error);
    switch (Handshake(fd, *link, Clock::now() + m_opt.transferTimeout)) {
    case Io::Ok:
        break;
    case Io::Stopped:
        return Fail(FtpErrorKind::Stopped, "stopped during the data TLS handshake");
    case Io::Timeout:
        return Fail(FtpErrorKind::Timeout, "data TLS handshake timed out");
    case Io::Closed:
    case Io::Failed:
        return Fail(FtpErrorKind::ConnectionLost, "data TLS handshake failed: " + link->Error());
    }
    // Without resumption nothing ties this peer to the control connection's but this.
    if (!m_cert || link->PeerCertificate().sha256 != m_cert->sha256)
        return Fail(FtpErrorKind::ConnectionLost, "the data connection showed another certificate");
    tls = std::move(link);
    return true;
}

bool FtpClient::ReadData(int data, detail::TlsLink* tls,
                         const std::function<bool(std::string_view)>& onData, bool& cut) {
    std::vector<char> buf(64 * 1024);
    const auto end = Clock::now() + m_opt.transferTotalTimeout;
    for (;;) {
        std::size_t got = 0;
        const auto deadline = std::min(Clock::now() + m_opt.transferTimeout, end);
        switch (Receive(data, tls, buf.data(), buf.size(), got, deadline)) {
        case Io::Ok:
            if (!onData(std::string_view(buf.data(), got))) {
                cut = true;
                return true;
            }
            continue;
        case Io::Closed:
            return true;
        case Io::Stopped:
            return Fail(FtpErrorKind::Stopped, "stopped during the transfer");
        case Io::Timeout:
            return Fail(FtpErrorKind::Timeout,
                        deadline == end ? "transfer took too long" : "transfer stalled");
        case Io::Failed:
            break;
        }
        return Fail(FtpErrorKind::ConnectionLost, "data connection broken");
    }
}

bool FtpClient::Transfer(std::string_view verb, std::string_view arg,
                         const std::function<bool(std::string_view)>& onData) {
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
    std::unique_ptr<detail::TlsLink> tls;
    if (m_protP && !SecureData(data.fd, tls))
        return false;
    bool cut = false;
    if (!ReadData(data.fd, tls.get(), onData, cut))
        return false;
    if (tls)
        tls->Shutdown();
    tls.reset();
    data.Reset();
    if (cut) {
        // The server finds its data connection gone and ends the transfer itself, with
        // 426 mostly, or 226 when it had sent everything.
        if (!ReadReply(r, std::min<std::chrono::milliseconds>(m_opt.replyTimeout, kCutReplyWait))) {
            if (m_errorKind == FtpErrorKind::Stopped)
                return false;
            Close();
        }
        return true;
    }
    if (!ReadReply(r))
        return false;
    if (!Positive(r.code))
        return Fail(FtpErrorKind::ConnectionLost, "transfer failed: " + r.lines.front());
    return true;
}

bool FtpClient::ListEntries(const std::function<bool(std::vector<FtpListEntry>&)>& onEntries) {
    FtpReply r;
    if (!Command("TYPE", "A", r))
        return false;
    bool mlsd = m_mlst && !m_mlsdRefused;
    for (;;) {
        FtpLineSplitter splitter;
        std::vector<FtpListEntry> batch;
        bool any = false, more = true;
        auto parse = [&](std::string_view line) {
            auto e = mlsd ? ParseMlsdLine(line) : ParseListLine(line);
            if (e)
                batch.push_back(std::move(*e));
        };
        bool ok = Transfer(mlsd ? "MLSD" : "LIST", "", [&](std::string_view bytes) {
            any = true;
            splitter.Feed(bytes, parse);
            if (!batch.empty()) {
                more = onEntries(batch);
                batch.clear();
            }
            return more;
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
        if (!more)
            return true;
        if (auto last = splitter.Finish())
            parse(*last);
        if (!batch.empty())
            onEntries(batch);
        return true;
    }
}

} // namespace inet
