// FTP over TLS: against vsftpd with TLS demanded for logins and data, and against the
// scripted server refusing AUTH TLS, stalling the handshake or speaking TLS oddly.
#include "LoopbackClient.h"
#include "support/Process.h"
#include "support/RealServers.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using inet::FtpCertificate;
using inet::FtpClient;
using inet::FtpErrorKind;
using inet::FtpOptions;
using test::VsftpdServer;

using test::CountPrefixed;
using test::List;
using test::Options;

TEST(Fingerprint, CanonicalForm) {
    const std::string hex = "00112233445566778899aabbccddeeff00112233445566778899AABBCCDDEEFF";
    const std::string canonical = "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:"
                                  "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF";
    for (const std::string& valid : {hex, canonical, "0:01122:33" + hex.substr(8)})
        EXPECT_EQ(inet::CanonicalFingerprint(valid), canonical) << valid;
    for (const std::string& invalid : {hex.substr(1), hex + "0", hex.substr(1) + "g", std::string(),
                                       hex.substr(0, 32) + " " + hex.substr(32)})
        EXPECT_FALSE(inet::CanonicalFingerprint(invalid).has_value()) << invalid;
}

// vsftpd refuses clear logins and data and demands session reuse, so a listing proves
// the login crossed encrypted and both data connections resumed the control's session.
// Active mode here: the browse run's tests list in passive mode.
TEST(VsftpdTls, ListsTwiceInActiveModeWithAPinnedCertificate) {
    VsftpdServer server(true);
    std::ofstream(server.Root() / "a.txt") << "a";
    std::filesystem::create_directory(server.Root() / "sub");
    ASSERT_TRUE(server.Start()) << server.Error();

    FtpOptions o = Options(server.Port(), false);
    FtpCertificate seen;
    o.verify = [&](std::string_view host, std::uint16_t port, const FtpCertificate& c) {
        EXPECT_EQ(host, "127.0.0.1");
        EXPECT_EQ(port, server.Port());
        seen = c;
        return c.sha256 == server.Certificate().sha256;
    };
    FtpClient c(o);
    ASSERT_TRUE(c.Connect("127.0.0.1", VsftpdServer::kUser, "x")) << c.LastError();
    EXPECT_TRUE(c.IsTls() && c.IsDataProtected());
    EXPECT_FALSE(seen.verified);
    EXPECT_FALSE(seen.verifyError.empty());
    EXPECT_EQ(seen.subject, "CN=localhost");
    EXPECT_LT(seen.notBefore, seen.notAfter);
    for (int round = 0; round < 2; ++round) {
        bool ok = false;
        EXPECT_EQ(List(c, ok), (std::vector<std::string>{"a.txt", "sub/"})) << round;
        ASSERT_TRUE(ok) << c.LastError();
    }
    c.Quit();
    const auto commands = server.Commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front(), "AUTH TLS");
    EXPECT_EQ(CountPrefixed(commands, "PROT P"), 1u);
    std::size_t reused = 0;
    for (const auto& note : server.TlsNotes())
        reused += note.find(", reused,") != std::string::npos;
    EXPECT_EQ(reused, 2u);
}

// Points OpenSSL's default trust store at one file while it lives.
struct TrustStore {
    explicit TrustStore(const std::string& file) { ::setenv("SSL_CERT_FILE", file.c_str(), 1); }
    ~TrustStore() { ::unsetenv("SSL_CERT_FILE"); }
};

// Verification against the system store (pointed at the test's certificate) and the name
// connected to: the callback hears only of a certificate that fails, here for an address
// the certificate does not name. (What its answer does is the browse run's business.)
TEST(VsftpdTlsVerify, TrustStoreAndHostName) {
    VsftpdServer server(true);
    ASSERT_TRUE(server.Start()) << server.Error();
    const TrustStore store(server.Certificate().certFile.string());
    for (const auto& [host, calls] : {std::pair{"localhost", 0}, {"127.0.0.1", 1}}) {
        SCOPED_TRACE(host);
        int called = 0;
        FtpOptions o = Options(server.Port(), true);
        o.verify = [&](std::string_view, std::uint16_t, const FtpCertificate& cert) {
            ++called;
            EXPECT_FALSE(cert.verified);
            return true;
        };
        FtpClient c(o);
        ASSERT_TRUE(c.Connect(host, VsftpdServer::kUser, "x")) << c.LastError();
        EXPECT_EQ(called, calls);
        EXPECT_EQ(c.Certificate()->verified, calls == 0);
        c.Quit();
    }
}

// A refused AUTH TLS goes on in plain FTP (what the modes and the downgrade check make of
// a refusal is the browse run's and the lister's business); a reply that is neither yes
// nor no ends the connection before the login.
TEST(AuthTls, RefusalGoesOnInPlainFtpAndAnOddReplyEndsTheConnection) {
    for (const auto& [reply, connects] : {std::pair{"", true}, {"334 ADAT=x\r\n", false}}) {
        SCOPED_TRACE(reply);
        test::ScriptedFtpServer::Script s;
        if (*reply != '\0')
            s.replies["AUTH"] = reply;
        test::ScriptedFtpServer server(s);
        ASSERT_TRUE(server.Start());
        FtpClient c(Options(server.Port(), true));
        EXPECT_EQ(c.Connect("127.0.0.1", "tester", "secret"), connects) << c.LastError();
        EXPECT_FALSE(c.IsTls());
        EXPECT_TRUE(connects || c.LastErrorKind() == FtpErrorKind::ConnectFailed);
        c.Quit();
        const auto commands = server.Commands();
        EXPECT_EQ(CountPrefixed(commands, "AUTH TLS"), 1u);
        EXPECT_EQ(CountPrefixed(commands, "USER"), connects ? 1u : 0u);
        EXPECT_EQ(CountPrefixed(commands, "PBSZ") + CountPrefixed(commands, "PROT"), 0u);
    }
}

// A certificate for the scripted server, and options that trust only it.
struct OwnCertificate {
    test::TempDir dir;
    test::TestCertificate cert = test::MakeTestCertificate(dir.path);
    FtpOptions Trusting(std::uint16_t port) const {
        FtpOptions o = Options(port, true);
        o.verify = [sha = cert.sha256](std::string_view, std::uint16_t, const FtpCertificate& c) {
            return c.sha256 == sha;
        };
        return o;
    }
};

// A handshake that never ends times out, or stops promptly; its hello names a host name
// (SNI), never an address.
TEST(ScriptedTls, HandshakeThatNeverEndsTimesOutOrStops) {
    for (const bool stop : {false, true}) {
        const std::string host = stop ? "localhost" : "127.0.0.1";
        test::ScriptedFtpServer::Script s;
        s.stallAt = "HANDSHAKE";
        test::ScriptedFtpServer server(s);
        ASSERT_TRUE(server.Start());
        std::atomic<int> flag{0};
        std::atomic<std::chrono::steady_clock::rep> stoppedAt{0};
        FtpClient c(Options(server.Port(), true, stop ? 60s : 300ms, &flag));
        std::thread stopper([&] {
            if (!stop || !server.WaitStalled(20s)) // stalled once the hello is in
                return;
            std::this_thread::sleep_for(100ms); // the client is waiting inside the handshake
            stoppedAt = std::chrono::steady_clock::now().time_since_epoch().count();
            flag = 1;
        });
        EXPECT_FALSE(c.Connect(host, "tester", "secret"));
        const auto ended = std::chrono::steady_clock::now().time_since_epoch().count();
        stopper.join();
        EXPECT_EQ(c.LastErrorKind(), stop ? FtpErrorKind::Stopped : FtpErrorKind::Timeout)
            << c.LastError();
        if (stop) {
            ASSERT_NE(stoppedAt.load(), 0);
            EXPECT_LT(std::chrono::steady_clock::duration(ended - stoppedAt.load()), 500ms);
        }
        EXPECT_EQ(server.Hello().find(host) != std::string::npos, stop) << "SNI of " << host;
        EXPECT_EQ(server.Commands(), std::vector<std::string>{"AUTH TLS"});
    }
}

// A refused PROT P leaves the session protected and lists in clear.
TEST(ScriptedTls, RefusedProtPListsInClear) {
    const OwnCertificate tls;
    ASSERT_TRUE(tls.cert.error.empty()) << tls.cert.error;
    test::ScriptedFtpServer::Script s;
    s.tls = tls.cert;
    s.listing = "-rw-r--r-- 1 u g 5 Jan  1  2020 clear.txt\r\n";
    test::ScriptedFtpServer server(s);
    ASSERT_TRUE(server.Start());
    FtpClient c(tls.Trusting(server.Port()));
    ASSERT_TRUE(c.Connect("127.0.0.1", "tester", "secret")) << c.LastError();
    EXPECT_TRUE(c.IsTls());
    EXPECT_FALSE(c.IsDataProtected());
    bool ok = false;
    EXPECT_EQ(List(c, ok), std::vector<std::string>{"clear.txt"});
    EXPECT_TRUE(ok) << c.LastError();
    const auto commands = server.Commands();
    EXPECT_EQ(CountPrefixed(commands, "PBSZ 0") + CountPrefixed(commands, "PROT P"), 2u);
}

// Bytes behind the yes to AUTH TLS would be taken as if they came encrypted: the connection
// ends before the handshake, so even a server that then speaks TLS never hears the login.
TEST(ScriptedTls, BytesBehindTheYesEndTheConnection) {
    const OwnCertificate tls;
    ASSERT_TRUE(tls.cert.error.empty()) << tls.cert.error;
    test::ScriptedFtpServer::Script s;
    s.tls = tls.cert;
    s.replies["AUTH"] = "234 go ahead\r\n220 injected\r\n";
    test::ScriptedFtpServer server(s);
    ASSERT_TRUE(server.Start());
    FtpClient c(tls.Trusting(server.Port()));
    EXPECT_FALSE(c.Connect("127.0.0.1", "tester", "secret"));
    EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::ConnectFailed);
    EXPECT_EQ(CountPrefixed(server.Commands(), "USER"), 0u);
}

} // namespace
