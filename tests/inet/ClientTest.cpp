// The FTP client against a real server (pyftpdlib) and against a scripted one for the
// faults a real server will not produce on demand.
#include "LoopbackClient.h"
#include "support/RealServers.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using inet::FtpClient;
using inet::FtpErrorKind;
using Script = test::ScriptedFtpServer::Script;

using test::List;
using test::Options;

const std::string kDos = "12-05-96  05:03PM       <DIR>          My Documents\r\n"
                         "this line is noise\r\n"
                         "2002-09-02  19:06                9,730 big file.txt\r\n";
const std::vector<std::string> kDosNames = {"My Documents/", "big file.txt"};

TEST(ParsePwd, QuotedPathWithEscapedQuotes) {
    EXPECT_EQ(inet::ParsePwdReply("257 \"/a \"\"q\"\" b\" created"), "/a \"q\" b");
    EXPECT_EQ(inet::ParsePwdReply("257 \"/\""), "/");
    EXPECT_FALSE(inet::ParsePwdReply("257 no quotes here").has_value());
    EXPECT_FALSE(inet::ParsePwdReply("257 \"/unterminated").has_value());
}

class RealServer : public ::testing::TestWithParam<bool> {};

TEST_P(RealServer, LoginFoldersListingsAndConnectErrors) {
    test::PyFtpServer server;
    server.MakeDir("pub/日本語フォルダ");
    server.MakeFile("pub/a file.txt", "x");
    ASSERT_TRUE(server.Start()) << server.Error();

    FtpClient c(Options(server.Port(), GetParam()));
    ASSERT_TRUE(c.Connect("127.0.0.1", "tester", "secret")) << c.LastError();
    EXPECT_TRUE(c.SupportsUtf8());
    std::string pwd;
    ASSERT_TRUE(c.ChangeDirectory("/pub"));
    ASSERT_TRUE(c.PrintDirectory(pwd));
    EXPECT_EQ(pwd, "/pub");
    bool ok = false;
    auto names = List(c, ok);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a file.txt", "日本語フォルダ/"}));
    ASSERT_TRUE(ok) << c.LastError();
    EXPECT_FALSE(c.ChangeDirectory("/missing"));
    EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::Refused);
    c.Quit();
    EXPECT_FALSE(c.IsConnected());

    std::uint16_t closed = 0;
    ::close(test::ListenOnLoopback(closed)); // nobody listens there now
    for (auto [port, kind] : {std::pair{server.Port(), FtpErrorKind::LoginRefused},
                              {closed, FtpErrorKind::ConnectFailed}}) {
        FtpClient bad(Options(port, GetParam()));
        EXPECT_FALSE(bad.Connect("127.0.0.1", "tester", "wrong"));
        EXPECT_EQ(bad.LastErrorKind(), kind) << bad.LastError();
        EXPECT_FALSE(bad.IsConnected());
    }
}

INSTANTIATE_TEST_SUITE_P(ActiveAndPassive, RealServer, ::testing::Bool());

// One connection to a fresh scripted server that lists its login folder, then, when that
// worked, asks PWD to show the connection is still in step.
TEST(ScriptedServer, ListingsOfOddServersAndFailedDataConnections) {
    struct Case {
        const char* what;
        std::function<void(Script&)> make;
        bool passive;
        FtpErrorKind error; // None: the listing works and gives `names`
        std::vector<std::string> names;
        const char* sent = nullptr; // a command that must have been sent
        const char* notSent = nullptr;
        std::size_t most = SIZE_MAX; // names wanted; the listing is read no further
    };
    // clang-format off
    const Case cases[] = {
        {"multi-line replies and a DOS listing, active", [](Script& s) {
             s.greeting = "220-Welcome\r\n220-  to the\r\n220 scripted server\r\n";
             s.replies["USER"] = "331-User ok.\r\n331-Still going\r\n331 Send password\r\n";
         }, false, FtpErrorKind::None, kDosNames, "EPRT |1|127.0.0.1|"},
        {"MLSD when offered", [](Script& s) {
             s.featMlst = true;
             s.mlsdListing = "type=cdir; /home/tester\r\ntype=dir;modify=20200101000000; d 1\r\ntype=file;size=3; f 1\r\n";
         }, true, FtpErrorKind::None, {"d 1/", "f 1"}, "MLSD", "LIST"},
        {"a refused MLSD falls back to LIST", [](Script& s) { s.featMlst = s.refuseMlsd = true; }, true, FtpErrorKind::None, kDosNames, "MLSD"},
        {"finished at once, active", [](Script& s) { s.replies["LIST"] = "226 Nothing\r\n"; }, false, FtpErrorKind::None, {}},
        {"a 227 naming another address still uses the peer", [](Script& s) { s.refuseEpsv = true; s.pasvAddress = "127.0.0.3"; }, true, FtpErrorKind::None, kDosNames, "PASV"},
        {"a refused EPRT falls back to PORT", [](Script& s) { s.refuseEprt = true; }, false, FtpErrorKind::None, kDosNames, "PORT 127,0,0,1,"},
        {"an active data connection from another address", [](Script& s) { s.activeSource = "127.0.0.2"; }, false, FtpErrorKind::Refused, {}},
        // Half the listing arrives first.
        {"broken", [](Script& s) { s.breakData = true; }, true, FtpErrorKind::ConnectionLost, {"My Documents/"}},
        {"stalled midway", [](Script& s) { s.stallAt = "DATA"; }, true, FtpErrorKind::Timeout, {"My Documents/"}},
        {"refused, passive", [](Script& s) { s.replies["LIST"] = "425 no\r\n"; }, true, FtpErrorKind::Refused, {}},
        // Behind the 150 reply: the wait for the server's connection ends at once.
        {"refused, active", [](Script& s) { s.replies["LIST"] = "150 go\r\n425 no\r\n"; }, false, FtpErrorKind::Refused, {}},
        // The server's 426 for the closed data connection is read, not taken for PWD's reply.
        {"an endless listing cut short", [](Script& s) { s.listingRepeats = 0; }, true, FtpErrorKind::None, kDosNames, nullptr, nullptr, 2},
    };
    // clang-format on
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Script s;
        s.listing = kDos;
        k.make(s);
        test::ScriptedFtpServer server(s);
        ASSERT_TRUE(server.Start());
        FtpClient c(Options(server.Port(), k.passive, 1s));
        ASSERT_TRUE(c.Connect("127.0.0.1", "tester", "secret")) << c.LastError();
        EXPECT_EQ(c.LastReply().code, 200); // OPTS UTF8 ON after FEAT listed UTF8
        bool ok = false;
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(List(c, ok, k.most), k.names);
        EXPECT_EQ(ok, k.error == FtpErrorKind::None) << c.LastError();
        EXPECT_TRUE(ok || c.LastErrorKind() == k.error) << c.LastError();
        if (k.error == FtpErrorKind::Refused) {
            EXPECT_LT(std::chrono::steady_clock::now() - started, 900ms) << "not the time-out";
        }
        std::string pwd;
        EXPECT_TRUE(!ok || (c.PrintDirectory(pwd) && pwd == "/home/tester")) << "in step";
        const auto commands = server.Commands();
        EXPECT_TRUE(!k.sent || test::CountPrefixed(commands, k.sent) > 0);
        EXPECT_TRUE(!k.notSent || test::CountPrefixed(commands, k.notSent) == 0);
    }
}

// Every wait ends by its time-out, or by the stop flag far sooner than that.
TEST(ScriptedServer, StallAtEachStepTimesOutOrStops) {
    test::HangingPort hang;
    ASSERT_TRUE(hang.Ready());
    for (const std::string step : {"CONNECT", "GREETING", "USER", "PASS", "FEAT", "PWD", "CWD",
                                   "TYPE", "EPSV", "EPRT", "LIST", "DATA"}) {
        for (bool stop : {false, true}) {
            SCOPED_TRACE(step + (stop ? " stop" : " time-out"));
            Script s;
            s.listing = kDos;
            s.stallAt = step;
            test::ScriptedFtpServer server(s);
            ASSERT_TRUE(server.Start());
            std::atomic<int> flag{0};
            FtpClient c(Options(step == "CONNECT" ? hang.Port() : server.Port(), step != "EPRT",
                                stop ? 60s : 500ms, &flag));
            std::thread stopper([&] {
                if (step == "CONNECT")
                    std::this_thread::sleep_for(200ms);
                else
                    server.WaitStalled(20s);
                flag = stop ? 1 : 0;
            });
            const auto started = std::chrono::steady_clock::now();
            std::string pwd;
            bool ok = c.Connect("127.0.0.1", "tester", "secret") && c.PrintDirectory(pwd) &&
                      c.ChangeDirectory("/home/tester");
            if (ok)
                List(c, ok);
            stopper.join();
            EXPECT_FALSE(ok);
            EXPECT_EQ(c.LastErrorKind(), stop ? FtpErrorKind::Stopped : FtpErrorKind::Timeout)
                << c.LastError();
            EXPECT_LT(std::chrono::steady_clock::now() - started, 20s);
            EXPECT_TRUE(step == "CONNECT" || server.WaitStalled(0s));
        }
    }
}

// A multi-line reply that does not end is given up once past the size limit, long before
// its time-out: memory does not grow with it.
TEST(ScriptedServer, EndlessReplyEndsTheConnection) {
    Script s;
    std::string& feat = s.replies["FEAT"] = "211-Features:\r\n";
    while (feat.size() < (std::size_t{2} << 20))
        feat += " FEATURE\r\n";
    test::ScriptedFtpServer server(s);
    ASSERT_TRUE(server.Start());
    FtpClient c(Options(server.Port(), true, 60s));
    EXPECT_FALSE(c.Connect("127.0.0.1", "tester", "secret"));
    EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::ConnectionLost) << c.LastError();
}

TEST(ScriptedServer, LineBreaksInArgumentsAreNeverSent) {
    test::ScriptedFtpServer server(Script{});
    ASSERT_TRUE(server.Start());
    FtpClient c(Options(server.Port(), true));
    for (auto [user, password] :
         {std::pair{"tester", "secret\r\nDELE x"}, {"tester\nDELE y", "secret"}}) {
        EXPECT_FALSE(c.Connect("127.0.0.1", user, password));
        EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::BadArgument);
    }
    // By host name this time.
    ASSERT_TRUE(c.Connect("localhost", "tester", "secret")) << c.LastError();
    for (const char* folder : {"/home\r\nDELE z", "/home\nRMD w"}) {
        EXPECT_FALSE(c.ChangeDirectory(folder));
        EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::BadArgument);
    }
    inet::FtpReply r;
    EXPECT_FALSE(c.Command("SITE", "x\ry", r));
    std::string pwd;
    EXPECT_TRUE(c.PrintDirectory(pwd)) << "the connection is still good";
    for (const auto& cmd : server.Commands()) {
        EXPECT_EQ(cmd.find("DELE"), std::string::npos) << cmd;
        EXPECT_EQ(cmd.find("RMD"), std::string::npos) << cmd;
        EXPECT_NE(cmd.rfind("SITE", 0), 0u) << cmd;
    }
}

} // namespace
