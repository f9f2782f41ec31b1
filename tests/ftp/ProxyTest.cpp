// Servers written "host:port", and logins through an FTP proxy: the browse run and
// tovalo-ls against pyftpdlib behind the scripted proxy.
#include "RecordingSink.h"
#include "RunLs.h"

#include "inet/FtpAddress.h"
#include "support/FtpProxy.h"
#include "support/RealServers.h"

#include <gtest/gtest.h>

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

class ProxyTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_server = new test::PyFtpServer();
        s_server->MakeFile("pub/a.txt", "a");
        ASSERT_TRUE(s_server->Start()) << s_server->Error();
    }
    static void TearDownTestSuite() {
        delete s_server;
        s_server = nullptr;
    }
    static std::string Server() { return "127.0.0.1:" + std::to_string(s_server->Port()); }

    static test::PyFtpServer* s_server;
};
test::PyFtpServer* ProxyTest::s_server = nullptr;

// The login sequence an FTP proxy expects, TLS never tried.
TEST_F(ProxyTest, BrowseRunLogsInThroughTheProxy) {
    test::FtpProxy proxy({"pxuser", "pxpass"});
    ASSERT_TRUE(proxy.Start());
    ftp::BrowseRequest req = test::Request(s_server->Port());
    req.passive = false; // active mode through a proxy too
    req.proxy = ftp::BrowseProxy{"127.0.0.1:" + std::to_string(proxy.Port()), "pxuser", "pxpass"};
    std::vector<ftp::BrowseSecurity> reports;
    req.connected = [&](const ftp::BrowseSecurity& s) { reports.push_back(s); };
    test::RecordingSink sink;
    sink.folderIn = "/pub";
    std::atomic<int> cancel{0};
    EXPECT_EQ(ftp::RunBrowse(req, sink, cancel), 1u);
    EXPECT_EQ(proxy.Lines(),
              (std::vector<std::string>{"USER pxuser", "PASS pxpass", "USER tester@" + Server()}));
    ASSERT_EQ(sink.rows.size(), 1u);
    EXPECT_EQ(sink.rows[0].m_strPath, "/pub/a.txt");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].viaProxy);
    EXPECT_FALSE(reports[0].tls);
}

// tovalo-ls: HOST:PORT, --port as its synonym, and --proxy with --proxy-user.
TEST_F(ProxyTest, ListerTakesPortsAndProxies) {
    test::FtpProxy open, guarded({"px", "pw"});
    ASSERT_TRUE(open.Start() && guarded.Start());
    const std::vector<std::vector<std::string>> runs = {
        {Server(), "tester", "/pub"},
        {"--proxy", "127.0.0.1:" + std::to_string(open.Port()), Server(), "tester", "/pub"},
        {"--proxy", "127.0.0.1:" + std::to_string(guarded.Port()), "--proxy-user", "px", Server(),
         "tester", "/pub"},
    };
    for (const auto& args : runs) {
        SCOPED_TRACE(testing::PrintToString(args));
        const test::ProcessResult r =
            test::RunLs({"TOVALO_PASSWORD=secret", "TOVALO_PROXY_PASSWORD=pw"}, args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, "/pub\nF\ta.txt\t/pub/a.txt\n");
    }
    // TLS required: nothing is sent through a proxy, which cannot carry it.
    const test::ProcessResult r =
        test::RunLs({"TOVALO_PASSWORD=secret"},
                    {"--tls", "require", "--proxy", "127.0.0.1:" + std::to_string(open.Port()),
                     Server(), "tester"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(open.Lines(), std::vector<std::string>{"USER tester@" + Server()});
    EXPECT_EQ(guarded.Lines(),
              (std::vector<std::string>{"USER px", "PASS pw", "USER tester@" + Server()}));
}

} // namespace
