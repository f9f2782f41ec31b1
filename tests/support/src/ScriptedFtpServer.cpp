#include "support/ScriptedFtpServer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace test {
namespace {

constexpr int kSliceMs = 50;

int ListenOn(const char* host, std::uint16_t& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = 0;
    ::inet_pton(AF_INET, host, &a.sin_addr);
    socklen_t len = sizeof a;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(a.sin_port);
    return fd;
}

bool SendAll(int fd, const std::string& s) {
    std::size_t sent = 0;
    while (sent < s.size()) {
        ssize_t n = ::send(fd, s.data() + sent, s.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// The folder `arg` names, seen from `cwd` (no test needs "." or "..").
std::string Resolve(const std::string& cwd, const std::string& arg) {
    return arg.rfind('/', 0) == 0 ? arg : (cwd == "/" ? "" : cwd) + "/" + arg;
}

} // namespace

ScriptedFtpServer::ScriptedFtpServer(Script script) : m_script(std::move(script)) {}

ScriptedFtpServer::~ScriptedFtpServer() {
    Stop();
}

bool ScriptedFtpServer::Start() {
    m_listen = ListenOn("127.0.0.1", m_port);
    if (m_listen < 0)
        return false;
    m_thread = std::thread([this] { Serve(); });
    return true;
}

void ScriptedFtpServer::Stop() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listen >= 0)
        ::close(m_listen);
    m_listen = -1;
}

bool ScriptedFtpServer::WaitStalled(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, timeout, [this] { return m_stalled; });
}

std::vector<std::string> ScriptedFtpServer::Commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}

void ScriptedFtpServer::Serve() {
    while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, kSliceMs) <= 0)
            continue;
        int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        Session(fd);
        ::close(fd);
        if (m_pasvListen >= 0)
            ::close(m_pasvListen);
        m_pasvListen = -1;
    }
}

void ScriptedFtpServer::StallUntilGone(int fd) {
    {
        std::lock_guard lock(m_mutex);
        m_stalled = true;
    }
    m_cv.notify_all();
    char buf[512];
    while (!m_stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kSliceMs) <= 0)
            continue;
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return; // the client gave up
    }
}

bool ScriptedFtpServer::Reply(int fd, const std::string& verb, const std::string& text) {
    auto it = m_script.replies.find(verb);
    return SendAll(fd, it != m_script.replies.end() ? it->second : text + "\r\n");
}

bool ScriptedFtpServer::SendListing(int ctrl, const std::string& verb, const std::string& bytes) {
    if (m_script.dataFault == DataFault::Refuse)
        return Reply(ctrl, verb, "425 Can't open data connection");
    if (!Reply(ctrl, verb, "150 Here comes the listing"))
        return false;
    int data = -1;
    if (m_pasvListen >= 0) {
        for (int waited = 0; waited < 10000 && !m_stop && data < 0; waited += kSliceMs) {
            pollfd p{m_pasvListen, POLLIN, 0};
            if (::poll(&p, 1, kSliceMs) > 0)
                data = ::accept4(m_pasvListen, nullptr, nullptr, SOCK_CLOEXEC);
        }
        ::close(m_pasvListen);
        m_pasvListen = -1;
    } else if (m_activePort > 0) {
        data = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (!m_script.activeSource.empty()) {
            sockaddr_in src{};
            src.sin_family = AF_INET;
            ::inet_pton(AF_INET, m_script.activeSource.c_str(), &src.sin_addr);
            ::bind(data, reinterpret_cast<sockaddr*>(&src), sizeof src);
        }
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<std::uint16_t>(m_activePort));
        ::inet_pton(AF_INET, m_activeHost.c_str(), &to.sin_addr);
        if (::connect(data, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
            ::close(data);
            data = -1;
        }
        m_activePort = 0;
    }
    if (data < 0)
        return Reply(ctrl, verb, "425 Can't open data connection");
    if (m_script.stallAt == "DATA") {
        StallUntilGone(ctrl);
        ::close(data);
        return false;
    }
    std::string half = bytes.substr(0, bytes.size() / 2);
    if (m_script.dataFault == DataFault::BreakMidway) {
        SendAll(data, half);
        linger l{1, 0};
        ::setsockopt(data, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        ::close(data);
        return SendAll(ctrl, "426 Connection closed; transfer aborted\r\n");
    }
    if (m_script.dataFault == DataFault::StallMidway) {
        SendAll(data, half);
        StallUntilGone(ctrl);
        ::close(data);
        return false;
    }
    bool ok = SendAll(data, bytes);
    ::shutdown(data, SHUT_WR);
    ::close(data);
    return SendAll(ctrl, ok ? "226 Transfer complete\r\n" : "426 Transfer aborted\r\n");
}

void ScriptedFtpServer::Session(int fd) {
    m_cwd = "/home/tester";
    m_activePort = 0;
    if (m_script.stallAt == "GREETING") {
        StallUntilGone(fd);
        return;
    }
    if (!SendAll(fd, m_script.greeting))
        return;
    std::string in, user;
    char buf[1024];
    while (!m_stop) {
        std::size_t nl = in.find('\n');
        if (nl == std::string::npos) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, kSliceMs) <= 0)
                continue;
            ssize_t n = ::recv(fd, buf, sizeof buf, 0);
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
        std::size_t sp = line.find(' ');
        std::string verb = line.substr(0, sp);
        std::string arg = sp == std::string::npos ? std::string() : line.substr(sp + 1);
        std::transform(verb.begin(), verb.end(), verb.begin(),
                       [](unsigned char c) { return std::toupper(c); });
        if (m_script.onCommand)
            m_script.onCommand(verb);
        if (verb == m_script.stallAt) {
            StallUntilGone(fd);
            return;
        }
        bool ok = true;
        if (verb == "USER") {
            user = arg;
            ok = Reply(fd, verb, "331 Password required");
        } else if (verb == "PASS") {
            bool good = user == m_script.user && arg == m_script.password;
            ok = Reply(fd, verb, good ? "230 Logged in" : "530 Login incorrect");
        } else if (verb == "FEAT") {
            std::string f = "211-Features:\r\n EPSV\r\n UTF8\r\n";
            if (m_script.featMlst)
                f += " MLST type*;size*;modify*;\r\n";
            ok = Reply(fd, verb, f + "211 End");
        } else if (verb == "OPTS" || verb == "TYPE" || verb == "NOOP") {
            ok = Reply(fd, verb, "200 OK");
        } else if (verb == "CWD") {
            std::string path = Resolve(m_cwd, arg);
            if (m_script.folders.count(path)) {
                m_cwd = path;
                ok = Reply(fd, verb, "250 Directory changed");
            } else {
                ok = Reply(fd, verb, "550 No such directory");
            }
        } else if (verb == "PWD") {
            std::string quoted;
            for (char c : m_cwd) {
                quoted.push_back(c);
                if (c == '"')
                    quoted.push_back('"');
            }
            ok = Reply(fd, verb, "257 \"" + quoted + "\" is the current directory");
        } else if (verb == "EPSV" || verb == "PASV") {
            if (verb == "EPSV" && m_script.refuseEpsv) {
                ok = Reply(fd, verb, "500 EPSV not understood");
            } else {
                if (m_pasvListen >= 0)
                    ::close(m_pasvListen);
                std::uint16_t port = 0;
                m_pasvListen = ListenOn("127.0.0.1", port);
                if (verb == "EPSV") {
                    ok = Reply(fd, verb,
                               "229 Entering Extended Passive Mode (|||" + std::to_string(port) +
                                   "|)");
                } else {
                    std::string host = m_script.pasvAddress;
                    std::replace(host.begin(), host.end(), '.', ',');
                    ok = Reply(fd, verb,
                               "227 Entering Passive Mode (" + host + "," +
                                   std::to_string(port >> 8) + "," + std::to_string(port & 0xff) +
                                   ").");
                }
            }
        } else if (verb == "EPRT") {
            if (m_script.refuseEprt) {
                ok = Reply(fd, verb, "500 EPRT not understood");
            } else {
                // |1|host|port|
                std::vector<std::string> f;
                std::size_t i = 1;
                while (i < arg.size()) {
                    std::size_t j = arg.find(arg[0], i);
                    if (j == std::string::npos)
                        break;
                    f.push_back(arg.substr(i, j - i));
                    i = j + 1;
                }
                if (f.size() == 3 && f[0] == "1") {
                    m_activeHost = f[1];
                    m_activePort = std::atoi(f[2].c_str());
                    ok = Reply(fd, verb, "200 EPRT OK");
                } else {
                    ok = Reply(fd, verb, "501 Bad EPRT");
                }
            }
        } else if (verb == "PORT") {
            int h[6] = {};
            if (std::sscanf(arg.c_str(), "%d,%d,%d,%d,%d,%d", &h[0], &h[1], &h[2], &h[3], &h[4],
                            &h[5]) == 6) {
                m_activeHost = std::to_string(h[0]) + "." + std::to_string(h[1]) + "." +
                               std::to_string(h[2]) + "." + std::to_string(h[3]);
                m_activePort = h[4] * 256 + h[5];
                ok = Reply(fd, verb, "200 PORT OK");
            } else {
                ok = Reply(fd, verb, "501 Bad PORT");
            }
        } else if (verb == "LIST" || verb == "MLSD") {
            if (m_script.replies.count(verb))
                ok = Reply(fd, verb, ""); // the scripted reply stands alone, no data
            else if (verb == "MLSD" && m_script.refuseMlsd)
                ok = Reply(fd, verb, "500 MLSD not understood");
            else
                ok =
                    SendListing(fd, verb, verb == "MLSD" ? m_script.mlsdListing : m_script.listing);
        } else if (verb == "QUIT") {
            Reply(fd, verb, "221 Goodbye");
            return;
        } else {
            ok = Reply(fd, verb, "502 Command not implemented");
        }
        if (!ok)
            return;
    }
}

} // namespace test
