// Programs a test runs, and the temporary folders they work in (also read-only or full ones).
//
//   test::ChildProcess p({"/usr/bin/env", "TOVALO_PASSWORD=x", "/path/tovalo-ls", "h", "u"});
//   p.Signal(SIGINT);                       // optional, from any thread
//   test::ProcessResult r = p.Wait(std::chrono::seconds(30));
//
// Wait kills the program when it outlives the timeout; so does the destructor when nobody
// waited.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace test {

// A file's bytes; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& p);

// True while the shared library at `path` is loaded in this process.
bool IsResident(const std::string& path);

// A temporary folder, removed with its contents; path is empty when none could be made.
struct TempDir {
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::filesystem::path path;
};

struct ProcessResult {
    int exitCode = -1; // -1 when killed by a signal or not started
    bool timedOut = false;
    std::string out, err;
};

class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> args);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    bool Running();
    std::string Output() const; // standard output so far
    void Signal(int sig);
    ProcessResult Wait(std::chrono::milliseconds timeout);

private:
    pid_t m_pid = -1;
    bool m_ended = false;
    int m_status = 0;
    TempDir m_dir; // holds the files "out" and "err"
};

// `dir` read-only for the calling thread while the object lives: a read-only bind mount in a
// mount namespace of its own where the system allows one (root, or a user namespace in a
// process with one thread), else the folder and what it holds without write permission,
// which stops everyone but root. Ok() is false when neither took effect.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::filesystem::path dir);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool Ok() const { return m_mounted || !m_paths.empty(); }

private:
    std::filesystem::path m_dir;
    bool m_mounted = false;
    std::vector<std::filesystem::path> m_paths; // made read-only by their modes
};

// Mounts an empty file system of `bytes` on `dir`, for the rest of the calling thread's life
// (mount namespaces as above); false where none can be mounted.
bool MountSmallFileSystem(const std::filesystem::path& dir, std::size_t bytes);

// A self-signed certificate for CN=localhost made by the openssl program; altNames is the
// subjectAltName value ("DNS:localhost"), none when empty. sha256 is the fingerprint as
// `openssl x509 -fingerprint -sha256` prints it.
struct TestCertificate {
    std::filesystem::path certFile, keyFile;
    std::string sha256;
    std::string error; // empty when made
};

TestCertificate MakeTestCertificate(const std::filesystem::path& dir,
                                    const std::string& altNames = {});

} // namespace test
