// FTP over TLS: against vsftpd with TLS demanded for logins and data, against the scripted
// server refusing AUTH TLS, and against a peer that breaks or stalls the handshake.
#include "TlsPeer.hpp"
#include "inet/FtpClient.h"
#include "support/ScriptedFtpServer.h"
#include "support/VsftpdServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <thread>

namespace {

using namespace std::chrono_literals;
using inet::FtpCertificate;
using inet::FtpClient;
using inet::FtpErrorKind;
using inet::FtpListEntry;
using inet::FtpOptions;
using inet::FtpTlsMode;
using test::ScriptedFtpServer;
using test::TlsPeer;
using test::VsftpdServer;

FtpOptions Options(std::uint16_t port, bool passive, std::chrono::milliseconds timeout = 10s) {
    FtpOptions o;
    o.port = port;
    o.passive = passive;
    o.connectTimeout = o.replyTimeout = o.transferTimeout = timeout;
    return o;
}

// Accepts exactly the certificate with this fingerprint and keeps what it was shown.
struct Pin {
    explicit Pin(std::string fingerprint) : sha256(std::move(fingerprint)) {}
    std::string sha256;
    int calls = 0;
    std::string host;
    std::uint16_t port = 0;
    FtpCertificate seen;

    auto Hook() {
        return [this](std::string_view h, std::uint16_t p, const FtpCertificate& c) {
            ++calls;
            host = std::string(h);
            port = p;
            seen = c;
            return c.sha256 == sha256;
        };
    }
};

bool Has(const std::vector<std::string>& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

std::size_t Count(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), text));
}

std::vector<std::string> Names(FtpClient& c, bool& ok) {
    std::vector<std::string> names;
    ok = c.ListEntries([&](std::vector<FtpListEntry>& batch) {
        for (const auto& e : batch)
            if (!e.listedDir && !inet::IsDots(e.name))
                names.push_back(e.name);
    });
    std::sort(names.begin(), names.end());
    return names;
}

// Points OpenSSL's default trust store at one file while it lives.
class TrustStore {
public:
    explicit TrustStore(const std::string& file) {
        if (const char* old = std::getenv("SSL_CERT_FILE"))
            m_old = old;
        ::setenv("SSL_CERT_FILE", file.c_str(), 1);
    }
    ~TrustStore() {
        if (m_old)
            ::setenv("SSL_CERT_FILE", m_old->c_str(), 1);
        else
            ::unsetenv("SSL_CERT_FILE");
    }
    TrustStore(const TrustStore&) = delete;
    TrustStore& operator=(const TrustStore&) = delete;

private:
    std::optional<std::string> m_old;
};

TEST(Fingerprint, CanonicalForm) {
    const std::string hex = "00112233445566778899aabbccddeeff00112233445566778899AABBCCDDEEFF";
    const std::string canonical = "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:"
                                  "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF";
    struct Case {
        std::string text;
        bool valid;
    };
    const Case cases[] = {
        {hex, true},
        {canonical, true},
        {"0:01122:33" + hex.substr(8), true}, // colons anywhere between digits
        {hex.substr(1), false},               // 63 digits
        {hex + "0", false},                   // 65 digits
        {hex.substr(1) + "g", false},
        {"", false},
        {hex.substr(0, 32) + " " + hex.substr(32), false},
    };
    for (const Case& c : cases) {
        const auto got = inet::CanonicalFingerprint(c.text);
        EXPECT_EQ(got.has_value(), c.valid) << c.text;
        if (got && c.valid) {
            EXPECT_EQ(*got, canonical) << c.text;
        }
    }
}

class VsftpdTls : public ::testing::TestWithParam<bool> {};

// vsftpd refuses clear logins and data and demands session reuse, so a listing proves
// the login crossed encrypted and both data connections resumed the control's session.
TEST_P(VsftpdTls, ListsTwiceOverTlsWithAPinnedCertificate) {
    VsftpdServer server({.tls = true});
    std::ofstream(server.Root() / "a.txt") << "a";
    std::filesystem::create_directory(server.Root() / "sub");
    ASSERT_TRUE(server.Start()) << server.Error();

    Pin pin(server.Sha256());
    FtpOptions o = Options(server.Port(), GetParam());
    o.verify = pin.Hook();
    FtpClient c(o);
    ASSERT_TRUE(c.Connect("127.0.0.1", VsftpdServer::kUser, "x")) << c.LastError();
    EXPECT_TRUE(c.IsTls());
    EXPECT_TRUE(c.IsDataProtected());
    EXPECT_EQ(pin.calls, 1);
    EXPECT_EQ(pin.host, "127.0.0.1");
    EXPECT_EQ(pin.port, server.Port());
    EXPECT_FALSE(pin.seen.verified);
    EXPECT_FALSE(pin.seen.verifyError.empty());
    EXPECT_EQ(pin.seen.subject, "CN=localhost");
    EXPECT_EQ(pin.seen.issuer, "CN=localhost");
    EXPECT_LT(pin.seen.notBefore, pin.seen.notAfter);
    ASSERT_TRUE(c.Certificate().has_value());
    EXPECT_EQ(c.Certificate()->sha256, server.Sha256());

    for (int round = 0; round < 2; ++round) {
        bool ok = false;
        EXPECT_EQ(Names(c, ok), (std::vector<std::string>{"a.txt", "sub"})) << round;
        ASSERT_TRUE(ok) << c.LastError();
    }
    c.Quit();
    const auto commands = server.Commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front(), "AUTH TLS");
    EXPECT_TRUE(Has(commands, "PROT P"));
    std::size_t reused = 0;
    for (const auto& note : server.TlsNotes())
        reused += note.find(", reused,") != std::string::npos;
    EXPECT_EQ(reused, 2u);
}

INSTANTIATE_TEST_SUITE_P(ActiveAndPassive, VsftpdTls, ::testing::Bool());

// Verification against the system store (pointed at the test's certificate or not) and
// the name connected to; the callback hears only of certificates that fail.
TEST(VsftpdTlsVerify, TrustStoreHostNameAndCallback) {
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
        {"trusted, address not named, rejected", "127.0.0.1", true, false, false, 1},
        {"self-signed, rejected", "localhost", false, false, false, 1},
        {"self-signed, nobody to ask", "localhost", false, std::nullopt, false, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        VsftpdServer server({.tls = true});
        ASSERT_TRUE(server.Start()) << server.Error();
        std::optional<TrustStore> store;
        if (k.trustIt)
            store.emplace(server.Certificate().certFile.string());
        int calls = 0;
        FtpCertificate seen;
        FtpOptions o = Options(server.Port(), true);
        if (k.answer) {
            o.verify = [&, answer = *k.answer](std::string_view, std::uint16_t,
                                               const FtpCertificate& cert) {
                ++calls;
                seen = cert;
                return answer;
            };
        }
        FtpClient c(o);
        const bool connected = c.Connect(k.host, VsftpdServer::kUser, "x");
        EXPECT_EQ(connected, k.connects) << c.LastError();
        EXPECT_EQ(calls, k.calls);
        if (calls) {
            EXPECT_FALSE(seen.verified);
        }
        if (connected) {
            EXPECT_TRUE(c.IsTls());
            EXPECT_EQ(c.Certificate()->verified, k.calls == 0);
        } else {
            EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::ConnectFailed);
        }
        c.Quit();
        const auto commands = server.Commands();
        EXPECT_EQ(Has(commands, "USER"), k.connects);
        EXPECT_EQ(commands.size() == 1, !k.connects) << "nothing after AUTH TLS";
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
        bool connects;
        bool authSent;
    };
    const Case cases[] = {
        {"auto goes on in plain FTP", FtpTlsMode::Auto, false, std::nullopt, nullptr, true, true},
        {"auto goes on after a 4xx", FtpTlsMode::Auto, false, std::nullopt, "431 later\r\n", true,
         true},
        {"off never asks", FtpTlsMode::Off, true, false, nullptr, true, false},
        {"require ends", FtpTlsMode::Require, false, std::nullopt, nullptr, false, true},
        {"seen before, nobody to ask", FtpTlsMode::Auto, true, std::nullopt, nullptr, false, true},
        {"seen before, plain refused", FtpTlsMode::Auto, true, false, nullptr, false, true},
        {"seen before, plain confirmed", FtpTlsMode::Auto, true, true, nullptr, true, true},
        {"a reply that is neither yes nor no", FtpTlsMode::Auto, false, std::nullopt,
         "334 ADAT=x\r\n", false, true},
        {"bytes after the 234 reply", FtpTlsMode::Auto, false, std::nullopt,
         "234 go\r\n220 injected\r\n", false, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        ScriptedFtpServer::Script s;
        if (k.authReply)
            s.replies["AUTH"] = k.authReply;
        ScriptedFtpServer server(s);
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
        if (!k.connects) {
            EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::ConnectFailed);
        }
        EXPECT_EQ(asked, k.confirm && k.mode == FtpTlsMode::Auto ? 1 : 0);
        c.Quit();
        const auto commands = server.Commands();
        EXPECT_EQ(Count(commands, "AUTH TLS"), k.authSent ? 1u : 0u);
        EXPECT_EQ(Has(commands, "USER"), k.connects);
        EXPECT_FALSE(Has(commands, "PBSZ") || Has(commands, "PROT"));
    }
}

TEST(TlsPeer, GarbageInsteadOfAHandshakeFailsAtOnce) {
    TlsPeer peer(TlsPeer::After::Garbage);
    ASSERT_TRUE(peer.Start());
    FtpClient c(Options(peer.Port(), true, 20s));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(c.Connect("127.0.0.1", "tester", "secret"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << "not left to the time-out";
    EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::ConnectFailed) << c.LastError();
    EXPECT_FALSE(c.IsConnected());
    EXPECT_EQ(peer.Commands(), std::vector<std::string>{"AUTH TLS"});
}

TEST(TlsPeer, HandshakeThatNeverEndsTimesOutOrStops) {
    {
        TlsPeer peer(TlsPeer::After::Silence);
        ASSERT_TRUE(peer.Start());
        FtpClient c(Options(peer.Port(), true, 300ms));
        EXPECT_FALSE(c.Connect("127.0.0.1", "tester", "secret"));
        EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::Timeout) << c.LastError();
    }
    TlsPeer peer(TlsPeer::After::Silence);
    ASSERT_TRUE(peer.Start());
    std::atomic<int> stop{0};
    std::atomic<std::chrono::steady_clock::time_point::rep> stoppedAt{0};
    FtpOptions o = Options(peer.Port(), true, 60s);
    o.stop = &stop;
    FtpClient c(o);
    std::thread stopper([&] {
        if (!peer.WaitForHello(20s))
            return;
        std::this_thread::sleep_for(100ms); // the client is waiting inside the handshake
        stoppedAt = std::chrono::steady_clock::now().time_since_epoch().count();
        stop = 1;
    });
    EXPECT_FALSE(c.Connect("127.0.0.1", "tester", "secret"));
    const auto ended = std::chrono::steady_clock::now().time_since_epoch().count();
    stopper.join();
    ASSERT_NE(stoppedAt.load(), 0);
    EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::Stopped) << c.LastError();
    EXPECT_LT(std::chrono::steady_clock::duration(ended - stoppedAt.load()), 500ms);
    EXPECT_EQ(peer.Commands(), std::vector<std::string>{"AUTH TLS"});
}

// SNI carries a host name, never an address.
TEST(TlsPeer, ServerNameOnlyForHostNames) {
    for (const std::string host : {"localhost", "127.0.0.1"}) {
        TlsPeer peer(TlsPeer::After::Silence);
        ASSERT_TRUE(peer.Start());
        std::atomic<int> stop{0};
        FtpOptions o = Options(peer.Port(), true);
        o.stop = &stop;
        FtpClient c(o);
        std::thread stopper([&] {
            peer.WaitForHello(20s);
            stop = 1;
        });
        EXPECT_FALSE(c.Connect(host, "tester", "secret"));
        stopper.join();
        const std::string hello = peer.Hello();
        ASSERT_FALSE(hello.empty());
        EXPECT_EQ(hello.find(host) != std::string::npos, host == "localhost") << host;
    }
}

// A temporary folder holding one test certificate.
class CertificateDir {
public:
    CertificateDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tovalo-peer-XXXXXX").string();
        if (::mkdtemp(tmpl.data())) {
            m_dir = tmpl;
            cert = test::MakeTestCertificate(m_dir);
        } else {
            cert.error = "no temporary folder";
        }
    }
    ~CertificateDir() {
        std::error_code ec;
        if (!m_dir.empty())
            std::filesystem::remove_all(m_dir, ec);
    }
    CertificateDir(const CertificateDir&) = delete;
    CertificateDir& operator=(const CertificateDir&) = delete;

    test::TestCertificate cert;

private:
    std::filesystem::path m_dir;
};

TEST(TlsPeer, ProtectedListingsOnlyFromTheSameCertificate) {
    const CertificateDir control, other;
    ASSERT_TRUE(control.cert.error.empty()) << control.cert.error;
    ASSERT_TRUE(other.cert.error.empty()) << other.cert.error;
    struct Case {
        const char* what;
        TlsPeer::After after;
        const test::TestCertificate& dataCert;
        bool ok, dataProtected;
    };
    const Case cases[] = {
        {"a refused PROT P lists in clear", TlsPeer::After::RefuseProt, control.cert, true, false},
        {"the same certificate, not resumed", TlsPeer::After::OtherDataCertificate, control.cert,
         true, true},
        {"another certificate", TlsPeer::After::OtherDataCertificate, other.cert, false, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        TlsPeer peer(k.after, control.cert, k.dataCert);
        ASSERT_TRUE(peer.Start());
        Pin pin(control.cert.sha256);
        FtpOptions o = Options(peer.Port(), true);
        o.verify = pin.Hook();
        FtpClient c(o);
        ASSERT_TRUE(c.Connect("127.0.0.1", "tester", "secret")) << c.LastError();
        EXPECT_TRUE(c.IsTls());
        EXPECT_EQ(c.IsDataProtected(), k.dataProtected);
        bool ok = false;
        const auto names = Names(c, ok);
        EXPECT_EQ(ok, k.ok) << c.LastError();
        EXPECT_EQ(names, k.ok ? std::vector<std::string>{"clear.txt"} : std::vector<std::string>{});
        if (!k.ok) {
            EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::ConnectionLost);
        }
        c.Quit();
        const auto commands = peer.Commands();
        EXPECT_TRUE(Has(commands, "PBSZ 0"));
        EXPECT_TRUE(Has(commands, "PROT P"));
    }
}

// A refusal that arrives together with the 150 reply ends the wait for the server's data
// connection at once.
TEST(ActiveData, RefusalBehindThePreliminaryReply) {
    ScriptedFtpServer::Script s;
    s.replies["LIST"] = "150 opening\r\n425 no data connection after all\r\n";
    ScriptedFtpServer server(s);
    ASSERT_TRUE(server.Start());
    FtpClient c(Options(server.Port(), false, 20s));
    ASSERT_TRUE(c.Connect("127.0.0.1", "tester", "secret")) << c.LastError();
    const auto started = std::chrono::steady_clock::now();
    bool ok = true;
    Names(c, ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::Refused) << c.LastError();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << "not left to the time-out";
}

} // namespace
