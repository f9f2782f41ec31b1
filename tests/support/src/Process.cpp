#include "support/Process.h"

#include <csignal>
#include <fstream>
#include <thread>

#include <dlfcn.h>
#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace test {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tovalo-test-XXXXXX").string();
    if (::mkdtemp(tmpl.data()))
        path = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!path.empty())
        std::filesystem::remove_all(path, ec);
}

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool IsResident(const std::string& path) {
    void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (h)
        ::dlclose(h);
    return h != nullptr;
}

namespace {

bool WriteText(const char* path, const std::string& text) {
    std::ofstream out(path);
    return static_cast<bool>(out << text << std::flush);
}

// A mount namespace of this thread's own, whose mounts reach no other.
bool PrivateMounts() {
    if (::unshare(CLONE_NEWNS) != 0) {
        const std::string uid = std::to_string(::geteuid()), gid = std::to_string(::getegid());
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
            !WriteText("/proc/self/setgroups", "deny") ||
            !WriteText("/proc/self/uid_map", "0 " + uid + " 1") ||
            !WriteText("/proc/self/gid_map", "0 " + gid + " 1"))
            return false;
    }
    return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

} // namespace

ReadOnlyFolder::ReadOnlyFolder(std::filesystem::path dir) : m_dir(std::move(dir)) {
    if (PrivateMounts() && ::mount(m_dir.c_str(), m_dir.c_str(), nullptr, MS_BIND, nullptr) == 0) {
        m_mounted = ::mount(nullptr, m_dir.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY,
                            nullptr) == 0;
        if (m_mounted)
            return;
        ::umount2(m_dir.c_str(), MNT_DETACH);
    }
    if (::geteuid() == 0)
        return;
    std::error_code ec;
    m_paths.push_back(m_dir);
    for (const auto& e : std::filesystem::recursive_directory_iterator(m_dir, ec))
        m_paths.push_back(e.path());
    for (const auto& p : m_paths)
        std::filesystem::permissions(p, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove, ec);
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (m_mounted)
        ::umount2(m_dir.c_str(), MNT_DETACH);
    std::error_code ec;
    for (const auto& p : m_paths)
        std::filesystem::permissions(p, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ec);
}

bool MountSmallFileSystem(const std::filesystem::path& dir, std::size_t bytes) {
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
    return PrivateMounts() && ::mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

ChildProcess::ChildProcess(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    for (auto [fd, name] : {std::pair{1, "out"}, {2, "err"}})
        posix_spawn_file_actions_addopen(&fa, fd, (m_dir.path / name).c_str(), O_WRONLY | O_CREAT,
                                         0600);
    if (m_dir.path.empty() ||
        ::posix_spawn(&m_pid, argv[0], &fa, nullptr, argv.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&fa);
}

ChildProcess::~ChildProcess() {
    if (Running()) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

bool ChildProcess::Running() {
    if (m_pid > 0 && !m_ended)
        m_ended = ::waitpid(m_pid, &m_status, WNOHANG) == m_pid;
    return m_pid > 0 && !m_ended;
}

std::string ChildProcess::Output() const {
    return ReadFile(m_dir.path / "out");
}

void ChildProcess::Signal(int sig) {
    if (Running())
        ::kill(m_pid, sig);
}

ProcessResult ChildProcess::Wait(std::chrono::milliseconds timeout) {
    ProcessResult r;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (Running()) {
        r.timedOut = true;
        ::kill(m_pid, SIGKILL);
        m_ended = ::waitpid(m_pid, &m_status, 0) == m_pid;
    }
    if (m_pid > 0 && WIFEXITED(m_status))
        r.exitCode = WEXITSTATUS(m_status);
    r.out = Output();
    r.err = ReadFile(m_dir.path / "err");
    return r;
}

TestCertificate MakeTestCertificate(const std::filesystem::path& dir, const std::string& altNames) {
    TestCertificate c{dir / "cert.pem", dir / "key.pem", {}, {}};
    std::vector<std::string> args = {"/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048"};
    args.insert(args.end(), {"-nodes", "-subj", "/CN=localhost", "-days", "2"});
    args.insert(args.end(), {"-keyout", c.keyFile.string(), "-out", c.certFile.string()});
    if (!altNames.empty())
        args.insert(args.end(), {"-addext", "subjectAltName=" + altNames});
    const ProcessResult made = ChildProcess(args).Wait(std::chrono::seconds(30));
    const ProcessResult printed =
        ChildProcess({"/usr/bin/openssl", "x509", "-in", c.certFile.string(), "-noout",
                      "-fingerprint", "-sha256"})
            .Wait(std::chrono::seconds(30));
    const std::size_t eq = printed.out.find('=');
    if (made.exitCode != 0 || printed.exitCode != 0 || eq == std::string::npos)
        c.error = "openssl failed: " + made.err + printed.err;
    else
        c.sha256 = printed.out.substr(eq + 1, printed.out.find_first_of("\r\n", eq) - eq - 1);
    return c;
}

} // namespace test
