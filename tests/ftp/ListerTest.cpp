// tovalo-ls as users run it: arguments, password, output format, messages, exit status,
// --timeout, --max-rows and Ctrl-C.
#include "RunLs.h"
#include "res/Ids.h"
#include "res/Resources.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

using namespace std::chrono_literals;
using test::ProcessResult;

std::string Text(int id) {
    return std::string(res::LoadString(id)) + "\n";
}

TEST(Lister, WrongUsageOrNoPasswordExitsWith2) {
    const std::vector<std::string> password = {"TOVALO_PASSWORD=secret"};
    const std::string usage = "usage", noPassword = Text(IDS_PASSWORD_NEEDED);
    const struct {
        std::vector<std::string> env, args;
        const std::string& err; // what standard error holds
    } cases[] = {
        {password, {}, usage},
        {password, {"--port", "x", "h", "u"}, usage},
        {password, {"--bogus", "h", "u"}, usage},
        {password, {"--timeout", "0", "h", "u"}, usage},
        {password, {"--max-rows", "-1", "h", "u"}, usage},
        {password, {"h", "u", "f", "m", "extra"}, usage},
        {password, {"--tls", "yes", "h", "u"}, usage},
        {password, {"--trust", std::string(63, 'a'), "h", "u"}, usage},
        {{"-u", "TOVALO_PASSWORD"}, {"127.0.0.1", "tester"}, noPassword},
        {{"TOVALO_PASSWORD="}, {"127.0.0.1", "tester"}, noPassword},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const ProcessResult r = test::RunLs(c.env, c.args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
}

// The folder line, then the folders, then the matching files; a refused login keeps the
// folder argument. --timeout bounds each wait, and 20 times it the whole listing; Ctrl-C is
// the stop button. A listing cut at --max-rows exits with 3.
TEST(Lister, OutputMessagesTimeoutAndInterrupt) {
    const struct {
        std::vector<std::string> options, rest;
        std::string password, stall;
        bool interrupt;
        int exit;
        std::string out, err;
        std::chrono::milliseconds trickle{}; // an endless listing, one byte per this long
    } cases[] = {
        // clang-format off
        {{}, {"/data", "*.txt"}, "secret", "", false, 0, "/data\nD\tsub dir\t/data/sub dir\nF\ta b.txt\t/data/a b.txt\n", ""},
        {{}, {"/data"}, "wrong", "", false, 1, "/data\n", Text(IDS_CONNECT_FAILED)},
        {{"--timeout", "0.5"}, {"/data"}, "secret", "GREETING", false, 1, "/data\n", Text(IDS_CONNECT_FAILED)},
        {{}, {"/data"}, "secret", "GREETING", true, 1, "/data\n", Text(IDS_CANCELLED)},
        {{"--max-rows", "1"}, {"/data"}, "secret", "", false, 3, "/data\nD\tsub dir\t/data/sub dir\n", Text(IDS_LIST_TOO_LARGE)},
        // 8 s in all: not even the first line has come.
        {{"--timeout", "0.4"}, {"/data"}, "secret", "", false, 1, "/data\n", Text(IDS_LIST_FAILED), 200ms},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.rest) + " " + c.stall);
        test::ScriptedFtpServer::Script s;
        s.folders.insert("/data");
        s.listing = "drwxr-xr-x 2 u g 512 Jan  1  2020 sub dir\r\n"
                    "-rw-r--r-- 1 u g 1 Jan  1 10:00 a b.txt\r\n";
        s.stallAt = c.stall;
        s.trickle = c.trickle;
        s.listingRepeats = c.trickle.count() ? 0 : 1;
        test::ScriptedFtpServer server(s);
        ASSERT_TRUE(server.Start());
        std::vector<std::string> args = {"/usr/bin/env", "TOVALO_PASSWORD=" + c.password, TOVALO_LS,
                                         "--port", std::to_string(server.Port())};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {"127.0.0.1", "tester"});
        args.insert(args.end(), c.rest.begin(), c.rest.end());
        test::ChildProcess p(args);
        if (c.interrupt) {
            ASSERT_TRUE(server.WaitStalled(30s));
            p.Signal(SIGINT);
        }
        const auto started = std::chrono::steady_clock::now();
        const ProcessResult r = p.Wait(30s);
        EXPECT_LT(std::chrono::steady_clock::now() - started, 15s);
        EXPECT_EQ(r.exitCode, c.exit);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
}

} // namespace
