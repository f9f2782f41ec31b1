// Servers written "host:port", and logins through an FTP proxy: the browse run and
// tovalo-ls against scripted proxies.
#include "RecordingSink.h"
#include "RunLs.h"

#include "inet/FtpAddress.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

TEST(ServerAddress, SplitsHostAndPortAsUsersWriteThem) {
    struct Case {
        const char* text;
        const char* host; // nullptr: refused
        std::uint16_t port;
        const char* formatted;
    };
    const Case cases[] = {
        {"ftp.example.jp", "ftp.example.jp", 21, "ftp.example.jp"},
        {" ftp.example.jp:2121 ", "ftp.example.jp", 2121, "ftp.example.jp:2121"},
        {"127.0.0.1:21", "127.0.0.1", 21, "127.0.0.1"},
        {"[::1]:990", "::1", 990, "[::1]:990"},
        {"[fe80::1]", "fe80::1", 21, "fe80::1"},
        {"host:0", nullptr, 0, ""},
        {"host:21x", nullptr, 0, ""},
        {"[::1]x", nullptr, 0, ""},
        {"user@host", nullptr, 0, ""},
        {"ho st", nullptr, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto a = inet::ParseServerAddress(c.text);
        ASSERT_EQ(a.has_value(), c.host != nullptr);
        if (!a)
            continue;
        EXPECT_EQ(a->host, c.host);
        EXPECT_EQ(a->port, c.port);
        EXPECT_EQ(inet::FormatServerAddress(*a), c.formatted);
    }
    EXPECT_EQ(inet::FormatServerAddress({"h", 21}, true), "h:21");
}

// The server of the logins through a proxy, which the scripted proxies never reach.
const std::string kServer = "127.0.0.1:2121";

// A scripted server holding /pub/a.txt that takes `logins`: tester's own, or a proxy's.
std::unique_ptr<test::ScriptedFtpServer> Serving(std::map<std::string, std::string> logins) {
    test::ScriptedFtpServer::Script s;
    s.folders.insert("/pub");
    s.listing = "-rw-r--r-- 1 u g 1 Jan  1  2020 a.txt\r\n";
    s.logins = std::move(logins);
    auto server = std::make_unique<test::ScriptedFtpServer>(s);
    EXPECT_TRUE(server->Start());
    return server;
}

std::string At(const test::ScriptedFtpServer& s) {
    return "127.0.0.1:" + std::to_string(s.Port());
}

// The login sequence an FTP proxy expects, TLS never tried.
TEST(ProxyTest, BrowseRunLogsInThroughTheProxy) {
    const auto proxy = Serving({{"pxuser", "pxpass"}, {"tester@" + kServer, "secret"}});
    ftp::BrowseRequest req = test::Request(2121);
    req.passive = false; // active mode through a proxy too
    req.proxy = ftp::BrowseProxy{At(*proxy), "pxuser", "pxpass"};
    std::vector<ftp::BrowseSecurity> reports;
    req.connected = [&](const ftp::BrowseSecurity& s) { reports.push_back(s); };
    test::RecordingSink sink;
    sink.folderIn = "/pub";
    std::atomic<int> cancel{0};
    EXPECT_EQ(ftp::RunBrowse(req, sink, cancel), 1u);
    EXPECT_EQ(proxy->Logins(), (std::vector<std::string>{"USER pxuser", "PASS pxpass",
                                                         "USER tester@" + kServer, "PASS secret"}));
    EXPECT_EQ(test::CountPrefixed(proxy->Commands(), "AUTH"), 0u);
    ASSERT_EQ(sink.rows.size(), 1u);
    EXPECT_EQ(sink.rows[0].m_strPath, "/pub/a.txt");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].viaProxy);
    EXPECT_FALSE(reports[0].tls);
}

// tovalo-ls: HOST:PORT, and --proxy with --proxy-user.
TEST(ProxyTest, ListerTakesPortsAndProxies) {
    const auto server = Serving({{"tester", "secret"}});
    const auto open = Serving({{"tester@" + kServer, "secret"}});
    const auto guarded = Serving({{"px", "pw"}, {"tester@" + kServer, "secret"}});
    const std::vector<std::vector<std::string>> runs = {
        {At(*server), "tester", "/pub"},
        {"--proxy", At(*open), kServer, "tester", "/pub"},
        {"--proxy", At(*guarded), "--proxy-user", "px", kServer, "tester", "/pub"},
    };
    for (const auto& args : runs) {
        SCOPED_TRACE(testing::PrintToString(args));
        const test::ProcessResult r =
            test::RunLs({"TOVALO_PASSWORD=secret", "TOVALO_PROXY_PASSWORD=pw"}, args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, "/pub\nF\ta.txt\t/pub/a.txt\n");
    }
    for (const auto* proxy : {open.get(), guarded.get()})
        EXPECT_EQ(test::CountPrefixed(proxy->Commands(), "AUTH"), 0u) << "no TLS tried";
    // TLS required: nothing is sent through a proxy, which cannot carry it.
    const std::size_t before = open->Commands().size();
    const test::ProcessResult r = test::RunLs(
        {"TOVALO_PASSWORD=secret"}, {"--tls", "require", "--proxy", At(*open), kServer, "tester"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(open->Commands().size(), before);
    EXPECT_EQ(open->Logins(), (std::vector<std::string>{"USER tester@" + kServer, "PASS secret"}));
    EXPECT_EQ(
        guarded->Logins(),
        (std::vector<std::string>{"USER px", "PASS pw", "USER tester@" + kServer, "PASS secret"}));
}

} // namespace
