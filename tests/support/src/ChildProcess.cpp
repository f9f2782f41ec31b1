#include "support/ChildProcess.h"

#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace test {

ChildProcess::ChildProcess(std::vector<std::string> args, std::vector<std::string> env,
                           std::vector<std::string> unset) {
    std::vector<std::string> envp;
    for (char** e = environ; *e; ++e) {
        std::string entry(*e);
        std::string key = entry.substr(0, entry.find('='));
        bool drop = false;
        for (const auto& u : unset)
            drop = drop || key == u;
        for (const auto& add : env)
            drop = drop || add.substr(0, add.find('=')) == key;
        if (!drop)
            envp.push_back(entry);
    }
    for (const auto& add : env)
        envp.push_back(add);
    std::vector<char*> argv, envv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : envp)
        envv.push_back(e.data());
    envv.push_back(nullptr);

    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return;
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return;
    }
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_adddup2(&fa, err[1], 2);
    int rc = ::posix_spawn(&m_pid, argv[0], &fa, nullptr, argv.data(), envv.data());
    posix_spawn_file_actions_destroy(&fa);
    ::close(out[1]);
    ::close(err[1]);
    m_out = out[0];
    m_err = err[0];
    if (rc != 0)
        m_pid = -1;
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0 && !m_waited) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
    if (m_out >= 0)
        ::close(m_out);
    if (m_err >= 0)
        ::close(m_err);
}

void ChildProcess::Signal(int sig) {
    if (m_pid > 0 && !m_waited)
        ::kill(m_pid, sig);
}

ProcessResult ChildProcess::Wait(std::chrono::milliseconds timeout) {
    ProcessResult r;
    if (m_pid <= 0 || m_waited)
        return r;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    bool outOpen = true, errOpen = true;
    char buf[65536];
    while (outOpen || errOpen) {
        if (std::chrono::steady_clock::now() >= deadline) {
            r.timedOut = true;
            ::kill(m_pid, SIGKILL);
            break;
        }
        pollfd p[2] = {{outOpen ? m_out : -1, POLLIN, 0}, {errOpen ? m_err : -1, POLLIN, 0}};
        if (::poll(p, 2, 100) <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (!p[i].revents)
                continue;
            ssize_t n = ::read(p[i].fd, buf, sizeof buf);
            if (n > 0)
                (i == 0 ? r.out : r.err).append(buf, static_cast<std::size_t>(n));
            else
                (i == 0 ? outOpen : errOpen) = false;
        }
    }
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_waited = true;
    if (WIFEXITED(status))
        r.exitCode = WEXITSTATUS(status);
    return r;
}

} // namespace test
