#include "support/FtpProxy.h"
#include "support/ScriptedFtpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace test {
namespace {

constexpr int kSliceMs = 100;
constexpr int kPatienceMs = 10000;

// The next CRLF-ended line of fd, with what was read past it kept in buf; false on
// close, time-out or stop.
bool ReadLine(int fd, std::string& buf, std::string& line, const std::atomic<bool>& stop) {
    for (int waited = 0; waited < kPatienceMs && !stop; waited += kSliceMs) {
        if (const auto end = buf.find("\r\n"); end != std::string::npos) {
            line = buf.substr(0, end);
            buf.erase(0, end + 2);
            return true;
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kSliceMs) <= 0)
            continue;
        char chunk[4096];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        buf.append(chunk, static_cast<std::size_t>(n));
        waited = 0;
    }
    return false;
}

void Send(int fd, const std::string& text) {
    ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
}

int ConnectLoopback(const std::string& hostPort) {
    const auto colon = hostPort.rfind(':');
    const std::string host = colon == std::string::npos ? hostPort : hostPort.substr(0, colon);
    const int port = colon == std::string::npos ? 21 : std::atoi(hostPort.c_str() + colon + 1);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::inet_pton(AF_INET, host.c_str(), &a.sin_addr) != 1 ||
        (ntohl(a.sin_addr.s_addr) >> 24) != 127)
        return -1;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

FtpProxy::FtpProxy(Login login) : m_login(std::move(login)) {}

FtpProxy::~FtpProxy() {
    m_stop = true;
    if (m_acceptor.joinable())
        m_acceptor.join();
    for (std::thread& t : m_sessions)
        t.join();
    if (m_listen >= 0)
        ::close(m_listen);
}

bool FtpProxy::Start() {
    if ((m_listen = ListenOnLoopback(m_port)) < 0)
        return false;
    m_acceptor = std::thread([this] {
        while (!m_stop) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, kSliceMs) == 1) {
                const int client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
                if (client >= 0)
                    m_sessions.emplace_back([this, client] { Serve(client); });
            }
        }
    });
    return true;
}

std::vector<std::string> FtpProxy::Lines() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
}

void FtpProxy::Note(const std::string& line) {
    std::lock_guard lock(m_mutex);
    m_lines.push_back(line);
}

void FtpProxy::Serve(int client) {
    std::string in, line;
    int server = -1;
    auto expect = [&](const std::string& wanted) {
        if (!ReadLine(client, in, line, m_stop))
            return false;
        Note(line);
        return line == wanted;
    };
    Send(client, "220 proxy ready\r\n");
    bool ok = true;
    if (!m_login.user.empty()) {
        ok = expect("USER " + m_login.user);
        ok = ok && (Send(client, "331 proxy password\r\n"), expect("PASS " + m_login.password));
        Send(client, ok ? "230 proxy login ok\r\n" : "530 proxy login refused\r\n");
    }
    std::string reply;
    if (ok && ReadLine(client, in, line, m_stop)) {
        Note(line);
        const auto at = line.rfind('@');
        if (line.rfind("USER ", 0) == 0 && at != std::string::npos)
            server = ConnectLoopback(line.substr(at + 1));
        std::string from;
        // The greeting (maybe several lines) is the proxy's business, not the client's.
        while (server >= 0 && ReadLine(server, from, reply, m_stop) &&
               !(reply.size() > 3 && reply.compare(0, 3, "220") == 0 && reply[3] == ' ')) {
        }
        if (server >= 0) {
            Send(server, line.substr(0, at) + "\r\n" + in);
            Send(client, from);
        } else {
            Send(client, "530 no such server\r\n");
        }
    }
    // Relay until either side closes.
    while (server >= 0 && !m_stop) {
        pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (::poll(p, 2, kSliceMs) <= 0)
            continue;
        char chunk[16384];
        const int from = (p[0].revents != 0) ? client : server;
        const ssize_t n = ::read(from, chunk, sizeof chunk);
        if (n <= 0)
            break;
        ::send(from == client ? server : client, chunk, static_cast<std::size_t>(n), MSG_NOSIGNAL);
    }
    if (server >= 0)
        ::close(server);
    ::close(client);
}

} // namespace test
