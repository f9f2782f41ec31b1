#include "support/ChildProcess.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace test {

ChildProcess::ChildProcess(std::vector<std::string> args, std::vector<std::string> env,
                           std::vector<std::string> unset) {
    std::vector<std::string> envp;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e), key = entry.substr(0, entry.find('='));
        bool drop = false;
        for (const auto& u : unset)
            drop = drop || key == u;
        for (const auto& add : env)
            drop = drop || add.substr(0, add.find('=')) == key;
        if (!drop)
            envp.push_back(entry);
    }
    envp.insert(envp.end(), env.begin(), env.end());
    std::vector<char*> argv, envv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : envp)
        envv.push_back(e.data());
    envv.push_back(nullptr);
    // Standard output and error go to files of their own, read once the program ended.
    std::string dir = (std::filesystem::temp_directory_path() / "tovalo-child-XXXXXX").string();
    if (::mkdtemp(dir.data()) == nullptr)
        return;
    m_dir = dir;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, (m_dir + "/out").c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&fa, 2, (m_dir + "/err").c_str(), O_WRONLY | O_CREAT, 0600);
    if (::posix_spawn(&m_pid, argv[0], &fa, nullptr, argv.data(), envv.data()) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&fa);
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0 && !m_waited) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    std::error_code ec;
    if (!m_dir.empty())
        std::filesystem::remove_all(m_dir, ec);
}

void ChildProcess::Signal(int sig) {
    if (m_pid > 0 && !m_waited)
        ::kill(m_pid, sig);
}

ProcessResult ChildProcess::Wait(std::chrono::milliseconds timeout) {
    ProcessResult r;
    if (m_pid <= 0 || m_waited)
        return r;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (::waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            r.timedOut = true;
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_waited = true;
    if (WIFEXITED(status))
        r.exitCode = WEXITSTATUS(status);
    for (auto [name, text] : {std::pair{"/out", &r.out}, {"/err", &r.err}}) {
        std::ifstream in(m_dir + name, std::ios::binary);
        text->assign(std::istreambuf_iterator<char>(in), {});
    }
    return r;
}

} // namespace test
