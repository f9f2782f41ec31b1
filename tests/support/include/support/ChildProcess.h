// Runs a program for a test with captured standard output and error.
//
//   test::ChildProcess p({"/path/tovalo-ls", "127.0.0.1", "tester"}, {"TOVALO_PASSWORD=x"});
//   ASSERT_TRUE(p.Started());
//   p.Signal(SIGINT);                       // optional, from any thread
//   test::ProcessResult r = p.Wait(std::chrono::seconds(30));
//
// env entries are added to (or replace) the test's own environment. Wait kills the
// program when it outlives the timeout and reports timedOut.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace test {

struct ProcessResult {
    int exitCode = -1; // -1 when killed by a signal or not started
    bool timedOut = false;
    std::string out;
    std::string err;
};

class ChildProcess {
public:
    ChildProcess(std::vector<std::string> args, std::vector<std::string> env = {},
                 std::vector<std::string> unset = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    void Signal(int sig);
    ProcessResult Wait(std::chrono::milliseconds timeout);

private:
    pid_t m_pid = -1;
    std::string m_dir; // holds the files "out" and "err"
    bool m_waited = false;
};

} // namespace test
