#include "support/PyFtpServer.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace test {

PyFtpServer::PyFtpServer(std::vector<User> users) : m_users(std::move(users)) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tovalo-ftp-XXXXXX").string();
    if (char* dir = ::mkdtemp(tmpl.data()))
        m_root = dir;
    for (const User& u : m_users)
        std::filesystem::create_directories(m_root / u.home);
}

PyFtpServer::~PyFtpServer() {
    Stop();
    std::error_code ec;
    if (!m_root.empty())
        std::filesystem::remove_all(m_root, ec);
}

void PyFtpServer::MakeDir(const std::string& relative) {
    std::filesystem::create_directories(m_root / relative);
}

void PyFtpServer::MakeFile(const std::string& relative, const std::string& content) {
    std::filesystem::path p = m_root / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
}

bool PyFtpServer::Start() {
    if (m_pid > 0)
        return true;
    if (m_root.empty()) {
        m_error = "no temporary folder";
        return false;
    }
    int out[2], in[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(in, O_CLOEXEC) != 0) {
        m_error = std::strerror(errno);
        return false;
    }
    std::vector<std::string> args = {"/usr/bin/python3", TOVALO_PYFTPD_RUNNER, m_root.string()};
    for (const User& u : m_users)
        args.push_back(u.name + ":" + u.password + ":" + u.home);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    int rc = ::posix_spawn(&m_pid, argv[0], &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    ::close(in[0]);
    ::close(out[1]);
    m_stdin = in[1];
    if (rc != 0) {
        m_pid = -1;
        ::close(out[0]);
        m_error = std::strerror(rc);
        return false;
    }
    // Read "PORT n" with a deadline.
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (got.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char buf[256];
        ssize_t n = ::read(out[0], buf, sizeof buf);
        if (n <= 0)
            break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    if (got.rfind("PORT ", 0) != 0) {
        m_error = "pyftpdlib did not start: " + got;
        Stop();
        return false;
    }
    m_port = static_cast<std::uint16_t>(std::atoi(got.c_str() + 5));
    return m_port != 0;
}

void PyFtpServer::Stop() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        int status = 0;
        while (::waitpid(m_pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        m_pid = -1;
    }
    if (m_stdin >= 0)
        ::close(m_stdin);
    m_stdin = -1;
}

} // namespace test
