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
        for (const char* dir : {"pub/sub dir", "pub/写真", "empty"})
            s_server->MakeDir(dir);
        for (const char* file : {"pub/a b.txt", "pub/メモ.txt", "pub/x.log"})
            s_server->MakeFile(file, "1");
        ASSERT_TRUE(s_server->Start()) << s_server->Error();
    }
    static void TearDownTestSuite() { s_server.reset(); }
    static std::unique_ptr<test::PyFtpServer> s_server;
};
std::unique_ptr<test::PyFtpServer> ListerRealServer::s_server;

// The folder line, then the folders, then the matching files; a refused login keeps the
// folder argument; a missing folder lists the login folder; an empty one ends early.
TEST_P(ListerRealServer, PrintsTheFolderThenFoldersThenMatchingFiles) {
    using Set = std::set<std::string>;
    const Set root = {"D\tpub\t/pub", "D\tempty\t/empty"};
    struct Case {
        std::vector<std::string> rest;
        const char* password;
        int exit;
        std::string err, first;
        Set folders, files;
    };
    const Case cases[] = {
        {{"/pub", "*.txt"},
         "secret",
         0,
         "",
         "/pub",
         {"D\tsub dir\t/pub/sub dir", "D\t写真\t/pub/写真"},
         {"F\ta b.txt\t/pub/a b.txt", "F\tメモ.txt\t/pub/メモ.txt"}},
        {{}, "secret", 0, "", "/", root, {}},
        {{"/pub"}, "wrong", 1, Text(IDS_CONNECT_FAILED), "/pub", {}, {}},
        {{"/nowhere"}, "secret", 0, Text(IDS_BAD_FOLDER), "/", root, {}},
        {{"/empty"}, "secret", 1, "", "/empty", {}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args;
        if (GetParam())
            args.push_back("--passive");
        args.insert(args.end(),
                    {"--port", std::to_string(s_server->Port()), "127.0.0.1", "tester"});
        args.insert(args.end(), c.rest.begin(), c.rest.end());
        SCOPED_TRACE(testing::PrintToString(args));
        ProcessResult r = RunLs(args, c.password);
        EXPECT_EQ(r.exitCode, c.exit);
        EXPECT_EQ(r.err, c.err);
        const auto lines = Lines(r.out);
        ASSERT_EQ(lines.size(), 1 + c.folders.size() + c.files.size()) << r.out;
        EXPECT_EQ(lines[0], c.first);
        const auto files = lines.begin() + 1 + static_cast<long>(c.folders.size());
        EXPECT_EQ(Set(lines.begin() + 1, files), c.folders);
        EXPECT_EQ(Set(files, lines.end()), c.files);
    }
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
