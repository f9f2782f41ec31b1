// FTP over TLS: against vsftpd with TLS demanded for logins and data, against the scripted
// server refusing AUTH TLS, and against a peer that breaks or stalls the handshake.
#include "LoopbackClient.h"
#include "TlsPeer.h"
#include "support/RealServers.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>

namespace {

using namespace std::chrono_literals;
using inet::FtpCertificate;
using inet::FtpClient;
using inet::FtpErrorKind;
using inet::FtpOptions;
using inet::FtpTlsMode;
using test::TlsPeer;
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

class VsftpdTls : public ::testing::TestWithParam<bool> {};

// vsftpd refuses clear logins and data and demands session reuse, so a listing proves
// the login crossed encrypted and both data connections resumed the control's session.
TEST_P(VsftpdTls, ListsTwiceOverTlsWithAPinnedCertificate) {
    VsftpdServer server(true);
    std::ofstream(server.Root() / "a.txt") << "a";
    std::filesystem::create_directory(server.Root() / "sub");
    ASSERT_TRUE(server.Start()) << server.Error();

    FtpOptions o = Options(server.Port(), GetParam());
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

INSTANTIATE_TEST_SUITE_P(ActiveAndPassive, VsftpdTls, ::testing::Bool());

// Points OpenSSL's default trust store at one file while it lives.
struct TrustStore {
    explicit TrustStore(const std::string& file) { ::setenv("SSL_CERT_FILE", file.c_str(), 1); }
    ~TrustStore() { ::unsetenv("SSL_CERT_FILE"); }
};

// Verification against the system store (pointed at the test's certificate or not) and
// the name connected to; the callback hears only of certificates that fail.
TEST(VsftpdTlsVerify, TrustStoreHostNameAndCallback) {
    VsftpdServer server(true);
    ASSERT_TRUE(server.Start()) << server.Error();
    struct Case {
        const char* what;
        const char* host;
        bool trustIt;
        std::optional<bool> answer; // the callback's, none for no callback
        bool connects;
        int calls;
    };
    const Case cases[] = {
        {"trusted and named", "localhost", true, false, true, 0},
        {"trusted, but the address is not named", "127.0.0.1", true, true, true, 1},
        {"self-signed, rejected", "localhost", false, false, false, 1},
        {"self-signed, nobody to ask", "localhost", false, std::nullopt, false, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        std::optional<TrustStore> store;
        if (k.trustIt)
            store.emplace(server.Certificate().certFile.string());
        int calls = 0;
        FtpOptions o = Options(server.Port(), true);
        if (k.answer) {
            o.verify = [&, answer = *k.answer](std::string_view, std::uint16_t,
                                               const FtpCertificate& cert) {
                ++calls;
                EXPECT_FALSE(cert.verified);
                return answer;
            };
        }
        const std::size_t before = server.Commands().size();
        FtpClient c(o);
        const bool connected = c.Connect(k.host, VsftpdServer::kUser, "x");
        EXPECT_EQ(connected, k.connects) << c.LastError();
        EXPECT_EQ(calls, k.calls);
        EXPECT_TRUE(!connected || c.Certificate()->verified == (k.calls == 0));
        EXPECT_EQ(c.LastErrorKind(), connected ? FtpErrorKind::None : FtpErrorKind::ConnectFailed);
        c.Quit();
        const auto commands = server.Commands();
        EXPECT_EQ(CountPrefixed(commands, "USER", before), k.connects ? 1u : 0u);
        EXPECT_EQ(commands.size() == before + 1, !k.connects) << "nothing after AUTH TLS";
    }
}

// A refused AUTH TLS: what each mode and the downgrade check make of it.
TEST(RefusedAuthTls, ModesAndDowngradeCheck) {
    struct Case {
        const char* what;
        FtpTlsMode mode;
        bool seenBefore;
        std::optional<bool> confirm; // confirmPlain's answer, none for no callback
        const char* authReply;       // nullptr: the scripted server's own refusal
        bool connects, authSent;
    };
    // clang-format off
    const Case cases[] = {
        {"auto goes on in plain FTP", FtpTlsMode::Auto, false, std::nullopt, nullptr, true, true},
        {"off never asks", FtpTlsMode::Off, true, false, nullptr, true, false},
        {"require ends", FtpTlsMode::Require, false, std::nullopt, nullptr, false, true},
        {"seen before, plain refused", FtpTlsMode::Auto, true, false, nullptr, false, true},
        {"seen before, plain confirmed", FtpTlsMode::Auto, true, true, nullptr, true, true},
        {"a reply that is neither yes nor no", FtpTlsMode::Auto, false, std::nullopt, "334 ADAT=x\r\n", false, true},
        {"bytes after the 234 reply", FtpTlsMode::Auto, false, std::nullopt, "234 go\r\n220 injected\r\n", false, true},
    };
    // clang-format on
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        test::ScriptedFtpServer::Script s;
        if (k.authReply)
            s.replies["AUTH"] = k.authReply;
        test::ScriptedFtpServer server(s);
        ASSERT_TRUE(server.Start());
        FtpOptions o = Options(server.Port(), true);
        o.tls = k.mode;
        o.tlsSeenBefore = k.seenBefore;
        int asked = 0;
        if (k.confirm) {
            o.confirmPlain = [&, answer = *k.confirm](std::string_view host, std::uint16_t port) {
                ++asked;
                EXPECT_EQ(host, "127.0.0.1");
                EXPECT_EQ(port, server.Port());
                return answer;
            };
        }
        FtpClient c(o);
        EXPECT_EQ(c.Connect("127.0.0.1", "tester", "secret"), k.connects) << c.LastError();
        EXPECT_FALSE(c.IsTls());
        EXPECT_TRUE(k.connects || c.LastErrorKind() == FtpErrorKind::ConnectFailed);
        EXPECT_EQ(asked, k.confirm && k.mode == FtpTlsMode::Auto ? 1 : 0);
        c.Quit();
        const auto commands = server.Commands();
        EXPECT_EQ(CountPrefixed(commands, "AUTH TLS"), k.authSent ? 1u : 0u);
        EXPECT_EQ(CountPrefixed(commands, "USER"), k.connects ? 1u : 0u);
        EXPECT_EQ(CountPrefixed(commands, "PBSZ") + CountPrefixed(commands, "PROT"), 0u);
    }
}

// A handshake that never ends times out, or stops promptly; its hello names a host name
// (SNI), never an address.
TEST(TlsPeer, HandshakeThatNeverEndsTimesOutOrStops) {
    for (const bool stop : {false, true}) {
        const std::string host = stop ? "localhost" : "127.0.0.1";
        TlsPeer peer(TlsPeer::After::Silence);
        std::atomic<int> flag{0};
        std::atomic<std::chrono::steady_clock::rep> stoppedAt{0};
        FtpOptions o = Options(peer.Port(), true, stop ? 60s : 300ms);
        o.stop = &flag;
        FtpClient c(o);
        std::thread stopper([&] {
            if (!stop || !peer.WaitForHello(20s))
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
        EXPECT_EQ(peer.Hello().find(host) != std::string::npos, stop) << "SNI of " << host;
        EXPECT_EQ(peer.Commands(), std::vector<std::string>{"AUTH TLS"});
    }
}

// A refused PROT P leaves the session protected and lists in clear.
TEST(TlsPeer, RefusedProtPListsInClear) {
    const test::TempDir dir;
    const auto cert = test::MakeTestCertificate(dir.path);
    ASSERT_EQ(cert.error, "");
    TlsPeer peer(TlsPeer::After::RefuseProt, cert);
    FtpOptions o = Options(peer.Port(), true);
    o.verify = [&](std::string_view, std::uint16_t, const FtpCertificate& c) {
        return c.sha256 == cert.sha256;
    };
    FtpClient c(o);
    ASSERT_TRUE(c.Connect("127.0.0.1", "tester", "secret")) << c.LastError();
    EXPECT_TRUE(c.IsTls());
    EXPECT_FALSE(c.IsDataProtected());
    bool ok = false;
    EXPECT_EQ(List(c, ok), std::vector<std::string>{"clear.txt"});
    EXPECT_TRUE(ok) << c.LastError();
    EXPECT_EQ(CountPrefixed(peer.Commands(), "PBSZ 0") + CountPrefixed(peer.Commands(), "PROT P"),
              2u);
}

} // namespace
