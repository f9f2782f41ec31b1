// The FTP client against a real server (pyftpdlib) and against a scripted one for the
// faults a real server will not produce on demand.
#include "inet/FtpClient.h"
#include "support/HangingPort.h"
#include "support/PyFtpServer.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;
using inet::FtpClient;
using inet::FtpEntryKind;
using inet::FtpErrorKind;
using inet::FtpListEntry;
using inet::FtpOptions;
using test::ScriptedFtpServer;

FtpOptions Options(std::uint16_t port, bool passive, const std::atomic<int>* stop = nullptr,
                   std::chrono::milliseconds timeout = 10s) {
    FtpOptions o;
    o.port = port;
    o.passive = passive;
    o.connectTimeout = o.replyTimeout = o.transferTimeout = timeout;
    o.stop = stop;
    return o;
}

std::vector<FtpListEntry> ListAll(FtpClient& c, bool* ok) {
    std::vector<FtpListEntry> all;
    *ok = c.ListEntries([&](std::vector<FtpListEntry>& batch) {
        for (auto& e : batch)
            all.push_back(std::move(e));
    });
    return all;
}

const FtpListEntry* Find(const std::vector<FtpListEntry>& v, const std::string& name) {
    auto it = std::find_if(v.begin(), v.end(), [&](const auto& e) { return e.name == name; });
    return it == v.end() ? nullptr : &*it;
}

bool Sent(const std::vector<std::string>& commands, const std::string& prefix) {
    return std::any_of(commands.begin(), commands.end(),
                       [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
}

bool Sent(const ScriptedFtpServer& s, const std::string& prefix) {
    return Sent(s.Commands(), prefix);
}

// One connection to a fresh scripted server, one listing of its current folder and,
// when that worked, a PWD to show that the connection is still in step.
struct Listing {
    bool connected = false, ok = false, mlsd = false;
    int connectReply = 0;
    std::vector<FtpListEntry> entries;
    std::string pwdAfter;
    FtpErrorKind error{};
    std::string message;
    std::vector<std::string> commands; // what the server received
};

Listing ListFrom(const ScriptedFtpServer::Script& script, bool passive,
                 std::chrono::milliseconds timeout = 10s) {
    Listing l;
    ScriptedFtpServer server(script);
    if (!server.Start())
        return l;
    FtpClient c(Options(server.Port(), passive, nullptr, timeout));
    l.connected = c.Connect("127.0.0.1", "tester", "secret");
    l.connectReply = c.LastReply().code;
    l.mlsd = c.SupportsMlsd();
    if (l.connected)
        l.entries = ListAll(c, &l.ok);
    l.error = c.LastErrorKind();
    l.message = c.LastError();
    if (l.ok)
        c.PrintDirectory(l.pwdAfter);
    l.commands = server.Commands();
    return l;
}

TEST(ParsePwd, QuotedPathWithEscapedQuotes) {
    EXPECT_EQ(inet::ParsePwdReply("257 \"/pub\" is current"), "/pub");
    EXPECT_EQ(inet::ParsePwdReply("257 \"/a \"\"q\"\" b\" created"), "/a \"q\" b");
    EXPECT_EQ(inet::ParsePwdReply("257 \"/\""), "/");
    EXPECT_FALSE(inet::ParsePwdReply("257 no quotes here").has_value());
    EXPECT_FALSE(inet::ParsePwdReply("257 \"/unterminated").has_value());
}

class RealServer : public ::testing::TestWithParam<bool> {};

TEST_P(RealServer, LoginFoldersAndListing) {
    test::PyFtpServer server;
    server.MakeDir("pub/sub dir");
    server.MakeDir("pub/日本語フォルダ");
    server.MakeFile("pub/a file.txt", "x");
    server.MakeFile("pub/試験.csv", "y");
    ASSERT_TRUE(server.Start()) << server.Error();

    FtpClient c(Options(server.Port(), GetParam()));
    ASSERT_TRUE(c.Connect("127.0.0.1", "tester", "secret")) << c.LastError();
    EXPECT_TRUE(c.SupportsUtf8());
    std::string pwd;
    ASSERT_TRUE(c.PrintDirectory(pwd));
    EXPECT_EQ(pwd, "/");
    ASSERT_TRUE(c.ChangeDirectory("/pub"));
    ASSERT_TRUE(c.PrintDirectory(pwd));
    EXPECT_EQ(pwd, "/pub");
    bool ok = false;
    auto entries = ListAll(c, &ok);
    ASSERT_TRUE(ok) << c.LastError();
    ASSERT_NE(Find(entries, "sub dir"), nullptr);
    EXPECT_EQ(Find(entries, "sub dir")->kind, FtpEntryKind::Folder);
    ASSERT_NE(Find(entries, "日本語フォルダ"), nullptr);
    EXPECT_EQ(Find(entries, "日本語フォルダ")->kind, FtpEntryKind::Folder);
    ASSERT_NE(Find(entries, "a file.txt"), nullptr);
    EXPECT_EQ(Find(entries, "a file.txt")->kind, FtpEntryKind::File);
    ASSERT_NE(Find(entries, "試験.csv"), nullptr);
    // A second listing on the same connection works too.
    ASSERT_TRUE(c.ChangeDirectory("日本語フォルダ"));
    auto empty = ListAll(c, &ok);
    ASSERT_TRUE(ok) << c.LastError();
    for (const auto& e : empty)
        EXPECT_TRUE(e.listedDir || inet::IsDots(e.name)) << e.name;

    EXPECT_FALSE(c.ChangeDirectory("/missing"));
    EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::Refused);
    c.Quit();
    EXPECT_FALSE(c.IsConnected());
}

TEST_P(RealServer, WrongPasswordIsARefusedLogin) {
    test::PyFtpServer server;
    ASSERT_TRUE(server.Start()) << server.Error();
    FtpClient c(Options(server.Port(), GetParam()));
    EXPECT_FALSE(c.Connect("127.0.0.1", "tester", "wrong"));
    EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::LoginRefused);
    EXPECT_FALSE(c.IsConnected());
}

INSTANTIATE_TEST_SUITE_P(ActiveAndPassive, RealServer, ::testing::Bool());

ScriptedFtpServer::Script DosScript() {
    ScriptedFtpServer::Script s;
    s.listing = "12-05-96  05:03PM       <DIR>          My Documents\r\n"
                "01-22-98  13:52                  795 AUTOEXEC.BAT\r\n"
                "this line is noise\r\n"
                "2002-09-02  19:06                9,730 big file.txt\r\n";
    return s;
}

TEST(ScriptedServer, MultiLineRepliesAndDosListing) {
    auto s = DosScript();
    s.greeting = "220-Welcome\r\n220-  to the\r\n220 scripted server\r\n";
    s.replies["USER"] = "331-User ok.\r\n331-Still going\r\n331 Send password\r\n";
    for (bool passive : {false, true}) {
        const Listing l = ListFrom(s, passive);
        ASSERT_TRUE(l.connected) << l.message;
        EXPECT_EQ(l.connectReply, 200); // OPTS UTF8 ON after FEAT listed UTF8
        ASSERT_TRUE(l.ok) << l.message;
        ASSERT_EQ(l.entries.size(), 3u);
        EXPECT_EQ(l.entries[0].name, "My Documents");
        EXPECT_EQ(l.entries[0].kind, FtpEntryKind::Folder);
        EXPECT_EQ(l.entries[1].name, "AUTOEXEC.BAT");
        EXPECT_EQ(l.entries[2].name, "big file.txt");
        EXPECT_TRUE(Sent(l.commands, "OPTS UTF8 ON"));
        EXPECT_TRUE(Sent(l.commands, passive ? "EPSV" : "EPRT |1|127.0.0.1|"));
    }
}

TEST(ScriptedServer, PwdWithEscapedQuotes) {
    auto s = DosScript();
    s.folders.insert("/odd \"name\"");
    ScriptedFtpServer server(s);
    ASSERT_TRUE(server.Start());
    FtpClient c(Options(server.Port(), true));
    ASSERT_TRUE(c.Connect("127.0.0.1", "tester", "secret"));
    ASSERT_TRUE(c.ChangeDirectory("/odd \"name\""));
    std::string pwd;
    ASSERT_TRUE(c.PrintDirectory(pwd));
    EXPECT_EQ(pwd, "/odd \"name\"");
}

TEST(ScriptedServer, RefusedMlsdFallsBackToList) {
    auto s = DosScript();
    s.featMlst = true;
    s.refuseMlsd = true;
    const Listing l = ListFrom(s, true);
    ASSERT_TRUE(l.connected) << l.message;
    EXPECT_TRUE(l.mlsd);
    ASSERT_TRUE(l.ok) << l.message;
    EXPECT_EQ(l.entries.size(), 3u);
    auto mlsd = std::find(l.commands.begin(), l.commands.end(), "MLSD");
    auto list = std::find(l.commands.begin(), l.commands.end(), "LIST");
    ASSERT_NE(mlsd, l.commands.end());
    ASSERT_NE(list, l.commands.end());
    EXPECT_LT(mlsd, list);
}

TEST(ScriptedServer, ListingFinishedAtOnceIsEmpty) {
    auto s = DosScript();
    s.replies["LIST"] = "226 Nothing to list\r\n";
    for (bool passive : {false, true}) {
        const Listing l = ListFrom(s, passive);
        ASSERT_TRUE(l.connected) << l.message;
        EXPECT_TRUE(l.ok) << l.message;
        EXPECT_TRUE(l.entries.empty());
        EXPECT_EQ(l.pwdAfter, "/home/tester") << "the connection is in step afterwards";
    }
}

TEST(ScriptedServer, MlsdUsedWhenOffered) {
    ScriptedFtpServer::Script s;
    s.featMlst = true;
    s.mlsdListing = "type=cdir; /home/tester\r\ntype=dir;modify=20200101000000; d 1\r\n"
                    "type=file;size=3; f 1\r\n";
    const Listing l = ListFrom(s, false);
    ASSERT_TRUE(l.connected) << l.message;
    ASSERT_TRUE(l.ok) << l.message;
    ASSERT_EQ(l.entries.size(), 3u);
    EXPECT_TRUE(l.entries[0].listedDir);
    EXPECT_EQ(l.entries[1].name, "d 1");
    EXPECT_EQ(l.entries[2].name, "f 1");
    EXPECT_FALSE(Sent(l.commands, "LIST"));
}

TEST(ScriptedServer, DataConnectionFallbacksAndForeignPeers) {
    auto pasv = DosScript();
    pasv.refuseEpsv = true;
    pasv.pasvAddress = "127.0.0.3";
    auto port = DosScript();
    port.refuseEprt = true;
    auto foreign = DosScript();
    foreign.activeSource = "127.0.0.2";
    struct Case {
        const char* what;
        ScriptedFtpServer::Script script;
        bool passive, ok;
        std::size_t entries;
        const char* sent; // a command that must have been sent, or nullptr
    };
    const Case cases[] = {
        {"a passive reply naming another address still uses the peer", pasv, true, true, 3, "PASV"},
        {"a refused EPRT falls back to PORT", port, false, true, 3, "PORT 127,0,0,1,"},
        {"an active data connection from another address is refused", foreign, false, false, 0,
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Listing l = ListFrom(c.script, c.passive);
        ASSERT_TRUE(l.connected) << l.message;
        EXPECT_EQ(l.ok, c.ok) << l.message;
        EXPECT_EQ(l.entries.size(), c.entries);
        EXPECT_TRUE(c.sent == nullptr || Sent(l.commands, c.sent));
    }
}

TEST(ScriptedServer, BrokenOrStalledOrRefusedDataConnection) {
    struct Case {
        ScriptedFtpServer::DataFault fault;
        FtpErrorKind kind;
    };
    for (Case k : {Case{ScriptedFtpServer::DataFault::BreakMidway, FtpErrorKind::ConnectionLost},
                   Case{ScriptedFtpServer::DataFault::StallMidway, FtpErrorKind::Timeout},
                   Case{ScriptedFtpServer::DataFault::Refuse, FtpErrorKind::Refused}}) {
        for (bool passive : {false, true}) {
            auto s = DosScript();
            s.dataFault = k.fault;
            const Listing l = ListFrom(s, passive, 1s);
            ASSERT_TRUE(l.connected) << l.message;
            EXPECT_FALSE(l.ok) << static_cast<int>(k.fault) << " passive " << passive;
            EXPECT_EQ(l.error, k.kind) << l.message;
        }
    }
}

TEST(ScriptedServer, StallAtEachStepTimesOut) {
    for (std::string step :
         {"GREETING", "USER", "PASS", "FEAT", "PWD", "CWD", "TYPE", "EPSV", "LIST", "DATA"}) {
        auto s = DosScript();
        s.stallAt = step;
        ScriptedFtpServer server(s);
        ASSERT_TRUE(server.Start());
        FtpClient c(Options(server.Port(), true, nullptr, 500ms));
        bool connected = c.Connect("127.0.0.1", "tester", "secret");
        bool failed = !connected;
        if (connected) {
            std::string pwd;
            bool ok = c.PrintDirectory(pwd) && c.ChangeDirectory("/home/tester");
            if (ok)
                ListAll(c, &ok);
            failed = !ok;
        }
        EXPECT_TRUE(failed) << step;
        EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::Timeout) << step << ": " << c.LastError();
        EXPECT_TRUE(server.WaitStalled(5s)) << step;
    }
}

TEST(ScriptedServer, StopEndsAnyWaitPromptly) {
    for (std::string step : {"GREETING", "PASS", "CWD", "LIST", "DATA"}) {
        auto s = DosScript();
        s.stallAt = step;
        s.dataFault = ScriptedFtpServer::DataFault::None;
        ScriptedFtpServer server(s);
        ASSERT_TRUE(server.Start());
        std::atomic<int> stop{0};
        FtpClient c(Options(server.Port(), false, &stop, 60s));
        std::thread stopper([&] {
            if (server.WaitStalled(20s))
                stop = 1;
        });
        auto started = std::chrono::steady_clock::now();
        bool ok = c.Connect("127.0.0.1", "tester", "secret") && c.ChangeDirectory("/home/tester");
        if (ok)
            ListAll(c, &ok);
        stopper.join();
        EXPECT_FALSE(ok) << step;
        EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::Stopped) << step << ": " << c.LastError();
        // Far below the 60 s time-out: the stop, not the clock, ended the wait.
        EXPECT_LT(std::chrono::steady_clock::now() - started, 20s) << step;
    }
}

TEST(ScriptedServer, LineBreaksInArgumentsAreNeverSent) {
    ScriptedFtpServer server(DosScript());
    ASSERT_TRUE(server.Start());
    {
        FtpClient c(Options(server.Port(), true));
        EXPECT_FALSE(c.Connect("127.0.0.1", "tester", "secret\r\nDELE x"));
        EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::BadArgument);
        EXPECT_FALSE(c.Connect("127.0.0.1", "tester\nDELE y", "secret"));
        EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::BadArgument);
    }
    FtpClient c(Options(server.Port(), true));
    ASSERT_TRUE(c.Connect("127.0.0.1", "tester", "secret"));
    EXPECT_FALSE(c.ChangeDirectory("/home\r\nDELE z"));
    EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::BadArgument);
    EXPECT_FALSE(c.ChangeDirectory("/home\nRMD w"));
    inet::FtpReply r;
    EXPECT_FALSE(c.Command("SITE", "x\ry", r));
    // The connection is still good afterwards.
    std::string pwd;
    EXPECT_TRUE(c.PrintDirectory(pwd));
    c.Quit();
    for (const auto& cmd : server.Commands()) {
        EXPECT_EQ(cmd.find("DELE"), std::string::npos) << cmd;
        EXPECT_EQ(cmd.find("RMD"), std::string::npos) << cmd;
        EXPECT_NE(cmd.rfind("SITE", 0), 0u) << cmd;
    }
    EXPECT_FALSE(Sent(server, "PASS secret\r"));
}

TEST(Connect, HangingConnectTimesOutOrStops) {
    test::HangingPort hang;
    ASSERT_TRUE(hang.Ready());
    {
        FtpClient c(Options(hang.Port(), true, nullptr, 300ms));
        EXPECT_FALSE(c.Connect("127.0.0.1", "tester", "secret"));
        EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::Timeout) << c.LastError();
    }
    std::atomic<int> stop{0};
    FtpClient c(Options(hang.Port(), true, &stop, 60s));
    std::thread stopper([&] {
        std::this_thread::sleep_for(200ms);
        stop = 1;
    });
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(c.Connect("127.0.0.1", "tester", "secret"));
    stopper.join();
    EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::Stopped) << c.LastError();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 20s);
}

TEST(Connect, HostNameIsLookedUp) {
    ScriptedFtpServer server(DosScript());
    ASSERT_TRUE(server.Start());
    FtpClient c(Options(server.Port(), true));
    ASSERT_TRUE(c.Connect("localhost", "tester", "secret")) << c.LastError();
    std::string pwd;
    EXPECT_TRUE(c.PrintDirectory(pwd));
    EXPECT_EQ(pwd, "/home/tester");
}

TEST(ScriptedServer, RefusedConnectionIsAConnectFailure) {
    std::uint16_t port = 0;
    {
        ScriptedFtpServer server(DosScript());
        ASSERT_TRUE(server.Start());
        port = server.Port();
    } // closed again: nobody listens there now
    FtpClient c(Options(port, true));
    EXPECT_FALSE(c.Connect("127.0.0.1", "tester", "secret"));
    EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::ConnectFailed);
}

} // namespace
