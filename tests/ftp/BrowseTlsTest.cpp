// The browse run's TLS hooks and tovalo-ls --tls and --trust, against vsftpd with TLS
// (clear logins refused, TLS data with session reuse demanded) and without.
#include "RecordingSink.h"
#include "RunLs.h"
#include "ftp/BrowseRun.h"
#include "res/Ids.h"
#include "res/Resources.h"
#include "support/RealServers.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

using test::VsftpdServer;

using test::CountPrefixed;

class TlsServers : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (VsftpdServer* s : {&s_tls, &s_plain}) {
            std::ofstream(s->Root() / "a.txt") << "a";
            std::filesystem::create_directory(s->Root() / "sub");
            ASSERT_TRUE(s->Start()) << s->Error();
        }
    }
    static inline VsftpdServer s_tls{true}, s_plain{false};
};

TEST_F(TlsServers, BrowseHooksDecideAndHearHowTheSessionIsProtected) {
    const struct {
        const char* what;
        bool tlsServer, trusted, accept, seenBefore;
        unsigned result;
        int verifyCalls, confirmCalls;
    } cases[] = {
        {"trusted fingerprint", true, true, false, false, 1, 0, 0},
        {"accepted by the caller", true, false, true, false, 1, 1, 0},
        {"the caller says no", true, false, false, false, 0, 1, 0},
        {"plain after TLS, confirmed", false, false, false, true, 1, 0, 1},
    };
    const std::string sha256 = s_tls.Certificate().sha256;
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        VsftpdServer& server = k.tlsServer ? s_tls : s_plain;
        ftp::BrowseRequest req = test::Request(server.Port());
        req.userId = VsftpdServer::kUser;
        if (k.trusted)
            req.trustedFingerprints = {sha256};
        int verifyCalls = 0, confirmCalls = 0, reports = 0;
        req.verifyCertificate = [&](std::string_view, std::uint16_t,
                                    const inet::FtpCertificate& c) {
            ++verifyCalls;
            return k.accept && c.sha256 == sha256;
        };
        req.tlsSeenBefore = k.seenBefore;
        req.confirmPlain = [&](std::string_view, std::uint16_t) { return ++confirmCalls; };
        ftp::BrowseSecurity security;
        req.connected = [&](const ftp::BrowseSecurity& s) {
            ++reports;
            security = s;
        };
        test::RecordingSink sink;
        std::atomic<int> cancel{0};
        const std::size_t before = server.Commands().size();
        EXPECT_EQ(ftp::RunBrowse(req, sink, cancel), k.result);
        EXPECT_EQ(verifyCalls, k.verifyCalls);
        EXPECT_EQ(confirmCalls, k.confirmCalls);
        EXPECT_EQ(reports, static_cast<int>(k.result));
        EXPECT_EQ(sink.Names(1),
                  k.result ? std::vector<std::string>{"sub"} : std::vector<std::string>{});
        EXPECT_EQ(security.tls && security.dataProtected, k.result && k.tlsServer);
        EXPECT_EQ(security.certificate ? security.certificate->sha256 : "",
                  k.result && k.tlsServer ? sha256 : "");
        EXPECT_EQ(sink.messages,
                  k.result ? std::vector<int>{} : std::vector<int>{IDS_CONNECT_FAILED});
        EXPECT_EQ(CountPrefixed(server.Commands(), "USER", before), k.result);
    }
}

TEST_F(TlsServers, ListerModesAndTrust) {
    const struct {
        const char* what;
        bool tlsServer;
        std::vector<std::string> options;
        bool lists, untrustedLine, authSent, userSent;
    } cases[] = {
        // clang-format off
        {"pin in lower case without colons", true, {"--tls", "require", "--trust", ""}, true, false, true, true},
        {"no pin", true, {}, false, true, true, false},
        {"clear login refused by the TLS server", true, {"--tls", "off"}, false, false, false, true},
        {"require against a plain server", false, {"--tls", "require"}, false, false, true, false},
        // clang-format on
    };
    const std::string right = s_tls.Certificate().sha256;
    std::string lowerPlain;
    for (char c : right)
        if (c != ':')
            lowerPlain += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        VsftpdServer& server = k.tlsServer ? s_tls : s_plain;
        std::vector<std::string> args = {"--passive"};
        args.insert(args.end(), k.options.begin(), k.options.end());
        if (args.back().empty())
            args.back() = lowerPlain;
        args.insert(args.end(),
                    {"127.0.0.1:" + std::to_string(server.Port()), VsftpdServer::kUser});
        const std::size_t before = server.Commands().size();
        const test::ProcessResult r =
            test::RunLs({"-u", "SSL_CERT_FILE", "-u", "SSL_CERT_DIR", "TOVALO_PASSWORD=x"}, args);
        const std::string untrusted = "certificate not trusted: SHA256 " + right + "\n";
        EXPECT_EQ(r.exitCode, k.lists ? 0 : 1);
        EXPECT_EQ(r.out, k.lists ? "/\nD\tsub\t/sub\nF\ta.txt\t/a.txt\n" : "\n");
        EXPECT_EQ(r.err, k.lists ? ""
                                 : (k.untrustedLine ? untrusted : "") +
                                       std::string(res::LoadString(IDS_CONNECT_FAILED)) + "\n");
        const auto commands = server.Commands();
        EXPECT_EQ(CountPrefixed(commands, "AUTH TLS", before), k.authSent ? 1u : 0u);
        EXPECT_EQ(CountPrefixed(commands, "USER", before), k.userSent ? 1u : 0u);
        EXPECT_EQ(CountPrefixed(commands, "PROT P", before), k.lists ? 1u : 0u);
    }
}

// TLS is a module beside the program. Without it a server that takes AUTH TLS gets no
// clear login, and one that refuses it is still listed in plain FTP.
TEST_F(TlsServers, ListerWithoutTheTlsModule) {
    if (std::filesystem::exists(TOVALO_TLS_INSTALLED))
        GTEST_SKIP() << "an installed module would be found: " << TOVALO_TLS_INSTALLED;
    const test::TempDir dir;
    const std::filesystem::path alone = dir.path / "tovalo-ls";
    ASSERT_TRUE(std::filesystem::copy_file(TOVALO_LS, alone));
    for (VsftpdServer* server : {&s_tls, &s_plain}) {
        const bool tls = server == &s_tls;
        SCOPED_TRACE(tls ? "TLS server" : "plain server");
        const std::size_t before = server->Commands().size();
        const test::ProcessResult r =
            test::RunLs({"TOVALO_PASSWORD=x"},
                        {"--passive", "--trust", s_tls.Certificate().sha256,
                         "127.0.0.1:" + std::to_string(server->Port()), VsftpdServer::kUser},
                        alone.string());
        EXPECT_EQ(r.exitCode, tls ? 1 : 0);
        EXPECT_EQ(r.err, tls ? std::string(res::LoadString(IDS_CONNECT_FAILED)) + "\n" : "");
        const auto commands = server->Commands();
        EXPECT_EQ(CountPrefixed(commands, "AUTH TLS", before), 1u);
        EXPECT_EQ(CountPrefixed(commands, "USER", before), tls ? 0u : 1u);
    }
}

} // namespace
