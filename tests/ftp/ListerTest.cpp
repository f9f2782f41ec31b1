// tovalo-ls as users run it: arguments, password, output format, messages, exit status
// and Ctrl-C.
#include "res/Ids.h"
#include "res/Resources.h"
#include "support/ChildProcess.h"
#include "support/PyFtpServer.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <set>
#include <sstream>

namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::ProcessResult;
using test::ScriptedFtpServer;

std::string Text(int id) {
    return std::string(res::LoadString(id)) + "\n";
}

ProcessResult RunLs(std::vector<std::string> args, const char* password = "secret") {
    args.insert(args.begin(), TOVALO_LS);
    std::vector<std::string> env, unset;
    if (password)
        env.push_back(std::string("TOVALO_PASSWORD=") + password);
    else
        unset.push_back("TOVALO_PASSWORD");
    ChildProcess p(args, env, unset);
    EXPECT_TRUE(p.Started());
    ProcessResult r = p.Wait(60s);
    EXPECT_FALSE(r.timedOut);
    return r;
}

std::vector<std::string> Lines(const std::string& s) {
    std::vector<std::string> out;
    std::istringstream in(s);
    std::string line;
    while (std::getline(in, line))
        out.push_back(line);
    return out;
}

TEST(Lister, WrongUsageExitsWith2) {
    for (std::vector<std::string> args : {std::vector<std::string>{},
                                          {"--port", "x", "h", "u"},
                                          {"--port", "70000", "h", "u"},
                                          {"--port"},
                                          {"--bogus", "h", "u"},
                                          {"--timeout", "0", "h", "u"},
                                          {"h", "u", "f", "m", "extra"}}) {
        ProcessResult r = RunLs(args);
        EXPECT_EQ(r.exitCode, 2) << testing::PrintToString(args);
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("usage"), std::string::npos);
    }
}

TEST(Lister, MissingOrEmptyPasswordShows146) {
    for (const char* pw : {static_cast<const char*>(nullptr), ""}) {
        ProcessResult r = RunLs({"127.0.0.1", "tester"}, pw);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, Text(IDS_PASSWORD_NEEDED));
        EXPECT_TRUE(r.out.empty());
    }
}

class ListerRealServer : public ::testing::TestWithParam<bool> {
protected:
    static void SetUpTestSuite() {
        s_server = std::make_unique<test::PyFtpServer>();
        s_server->MakeDir("pub/sub dir");
        s_server->MakeDir("pub/写真");
        s_server->MakeFile("pub/a b.txt", "1");
        s_server->MakeFile("pub/メモ.txt", "2");
        s_server->MakeFile("pub/x.log", "3");
        s_server->MakeDir("empty");
        ASSERT_TRUE(s_server->Start()) << s_server->Error();
    }
    static void TearDownTestSuite() { s_server.reset(); }

    ProcessResult Ls(std::vector<std::string> rest, const char* password = "secret") {
        std::vector<std::string> args;
        if (GetParam())
            args.push_back("--passive");
        args.insert(args.end(),
                    {"--port", std::to_string(s_server->Port()), "127.0.0.1", "tester"});
        args.insert(args.end(), rest.begin(), rest.end());
        return RunLs(args, password);
    }
    static std::unique_ptr<test::PyFtpServer> s_server;
};
std::unique_ptr<test::PyFtpServer> ListerRealServer::s_server;

TEST_P(ListerRealServer, FolderLineThenFoldersThenMatchingFiles) {
    ProcessResult r = Ls({"/pub", "*.txt"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 5u) << r.out;
    EXPECT_EQ(lines[0], "/pub");
    EXPECT_EQ(std::set<std::string>(lines.begin() + 1, lines.begin() + 3),
              (std::set<std::string>{"D\tsub dir\t/pub/sub dir", "D\t写真\t/pub/写真"}));
    EXPECT_EQ(std::set<std::string>(lines.begin() + 3, lines.end()),
              (std::set<std::string>{"F\ta b.txt\t/pub/a b.txt", "F\tメモ.txt\t/pub/メモ.txt"}));
}

TEST_P(ListerRealServer, NoFolderGivesTheLoginFolder) {
    ProcessResult r = Ls({});
    EXPECT_EQ(r.exitCode, 0);
    auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.out;
    EXPECT_EQ(lines[0], "/");
    EXPECT_EQ(std::set<std::string>(lines.begin() + 1, lines.end()),
              (std::set<std::string>{"D\tpub\t/pub", "D\tempty\t/empty"}));
}

TEST_P(ListerRealServer, RefusedLoginKeepsTheFolderArgument) {
    ProcessResult r = Ls({"/pub"}, "wrong");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "/pub\n");
    EXPECT_EQ(r.err, Text(IDS_CONNECT_FAILED));
}

TEST_P(ListerRealServer, MissingFolderShows135AndListsLoginFolder) {
    ProcessResult r = Ls({"/nowhere"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, Text(IDS_BAD_FOLDER));
    auto lines = Lines(r.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "/");
    EXPECT_EQ(lines.size(), 3u);
}

TEST_P(ListerRealServer, EmptyFolderEndsEarlyWithoutMessage) {
    ProcessResult r = Ls({"/empty"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "/empty\n");
}

INSTANTIATE_TEST_SUITE_P(ActiveAndPassive, ListerRealServer, ::testing::Bool());

ScriptedFtpServer::Script Script(const std::string& stallAt) {
    ScriptedFtpServer::Script s;
    s.folders = {"/home/tester", "/data"};
    s.listing = "drwxr-xr-x 2 u g 512 Jan  1  2020 sub\r\n"
                "-rw-r--r-- 1 u g  12 Jan  1 10:00 f.txt\r\n";
    s.stallAt = stallAt;
    return s;
}

TEST(ListerScripted, TimeoutOptionBeforeAndAfterLogin) {
    struct Case {
        const char* stall;
        int message;
    };
    for (Case c : {Case{"GREETING", IDS_CONNECT_FAILED}, Case{"PASS", IDS_CONNECT_FAILED},
                   Case{"CWD", IDS_LIST_FAILED}, Case{"LIST", IDS_LIST_FAILED}}) {
        ScriptedFtpServer server(Script(c.stall));
        ASSERT_TRUE(server.Start());
        ProcessResult r = RunLs({"--timeout", "0.5", "--port", std::to_string(server.Port()),
                                 "127.0.0.1", "tester", "/data"});
        EXPECT_EQ(r.exitCode, 1) << c.stall;
        EXPECT_EQ(r.err, Text(c.message)) << c.stall;
    }
}

TEST(ListerScripted, InterruptIsTheStopButton) {
    struct Case {
        const char* stall;
        std::string err;
    };
    for (Case c : {Case{"GREETING", Text(IDS_CANCELLED)}, Case{"LIST", ""}, Case{"DATA", ""}}) {
        ScriptedFtpServer server(Script(c.stall));
        ASSERT_TRUE(server.Start());
        ChildProcess p(
            {TOVALO_LS, "--port", std::to_string(server.Port()), "127.0.0.1", "tester", "/data"},
            {"TOVALO_PASSWORD=secret"});
        ASSERT_TRUE(p.Started());
        ASSERT_TRUE(server.WaitStalled(30s)) << c.stall;
        auto sent = std::chrono::steady_clock::now();
        p.Signal(SIGINT);
        ProcessResult r = p.Wait(30s);
        EXPECT_FALSE(r.timedOut);
        // Far below the 30 s time-out: the interrupt ended the run.
        EXPECT_LT(std::chrono::steady_clock::now() - sent, 15s);
        EXPECT_EQ(r.exitCode, 1) << c.stall;
        EXPECT_EQ(r.err, c.err) << c.stall;
        EXPECT_EQ(Lines(r.out).size(), 1u) << r.out;
    }
}

} // namespace
