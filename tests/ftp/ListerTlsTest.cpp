// tovalo-ls with --tls and --trust against vsftpd with TLS (clear logins refused, TLS data
// with session reuse demanded) and without, in active and passive mode.
#include "res/Ids.h"
#include "res/Resources.h"
#include "support/ChildProcess.h"
#include "support/VsftpdServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::ProcessResult;
using test::VsftpdServer;

std::string Text(int id) {
    return std::string(res::LoadString(id)) + "\n";
}

std::string LowerPlain(std::string fingerprint) {
    fingerprint.erase(std::remove(fingerprint.begin(), fingerprint.end(), ':'), fingerprint.end());
    std::transform(fingerprint.begin(), fingerprint.end(), fingerprint.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return fingerprint;
}

TEST(ListerTls, WrongTlsOptionsAreUsageErrors) {
    const std::string sixtyThree(63, 'a');
    for (std::vector<std::string> args : {std::vector<std::string>{"--tls", "yes", "h", "u"},
                                          {"--tls"},
                                          {"--trust", sixtyThree, "h", "u"},
                                          {"--trust", sixtyThree + "g", "h", "u"},
                                          {"--trust"}}) {
        args.insert(args.begin(), TOVALO_LS);
        ChildProcess p(args, {"TOVALO_PASSWORD=x"});
        const ProcessResult r = p.Wait(30s);
        EXPECT_EQ(r.exitCode, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage"), std::string::npos);
    }
}

class ListerTlsServers : public ::testing::TestWithParam<bool> {
protected:
    static void SetUpTestSuite() {
        for (bool tls : {true, false}) {
            auto& s = tls ? s_tls : s_plain;
            s = std::make_unique<VsftpdServer>(VsftpdServer::Options{.tls = tls});
            std::ofstream(s->Root() / "a.txt") << "a";
            std::filesystem::create_directory(s->Root() / "sub");
            ASSERT_TRUE(s->Start()) << s->Error();
        }
    }
    static void TearDownTestSuite() {
        s_tls.reset();
        s_plain.reset();
    }

    static std::unique_ptr<VsftpdServer> s_tls, s_plain;
};
std::unique_ptr<VsftpdServer> ListerTlsServers::s_tls, ListerTlsServers::s_plain;

TEST_P(ListerTlsServers, ModesAndTrust) {
    enum class Trust { None, Right, RightLowerPlain, Wrong };
    struct Case {
        const char* what;
        bool tlsServer;
        const char* mode; // --tls value, nullptr for none
        Trust trust;
        bool lists;
        bool untrustedLine; // "certificate not trusted" on standard error
        bool authSent, userSent;
    };
    const Case cases[] = {
        {"pinned certificate", true, nullptr, Trust::Right, true, false, true, true},
        {"pin in lower case without colons", true, "require", Trust::RightLowerPlain, true, false,
         true, true},
        {"no pin", true, nullptr, Trust::None, false, true, true, false},
        {"wrong pin", true, "auto", Trust::Wrong, false, true, true, false},
        {"clear login refused by the TLS server", true, "off", Trust::Right, false, false, false,
         true},
        {"require against a plain server", false, "require", Trust::None, false, false, true,
         false},
        {"auto against a plain server", false, nullptr, Trust::None, true, false, true, true},
        {"off against a plain server", false, "off", Trust::None, true, false, false, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        VsftpdServer& server = k.tlsServer ? *s_tls : *s_plain;
        std::vector<std::string> args = {TOVALO_LS, "--port", std::to_string(server.Port())};
        if (GetParam())
            args.push_back("--passive");
        if (k.mode)
            args.insert(args.end(), {"--tls", k.mode});
        const std::string right = s_tls->Sha256();
        std::string wrong = right;
        wrong[0] = wrong[0] == 'A' ? 'B' : 'A';
        if (k.trust != Trust::None) {
            args.push_back("--trust");
            args.push_back(k.trust == Trust::Right             ? right
                           : k.trust == Trust::RightLowerPlain ? LowerPlain(right)
                                                               : wrong);
        }
        args.insert(args.end(), {"127.0.0.1", VsftpdServer::kUser});

        const std::size_t before = server.Commands().size();
        ChildProcess p(args, {"TOVALO_PASSWORD=x"}, {"SSL_CERT_FILE", "SSL_CERT_DIR"});
        const ProcessResult r = p.Wait(60s);
        ASSERT_FALSE(r.timedOut);
        const auto all = server.Commands();
        const std::vector<std::string> commands(all.begin() + static_cast<long>(before), all.end());

        if (k.lists) {
            EXPECT_EQ(r.exitCode, 0);
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.out, "/\nD\tsub\t/sub\nF\ta.txt\t/a.txt\n");
        } else {
            EXPECT_EQ(r.exitCode, 1);
            const std::string line = "certificate not trusted: SHA256 " + right + "\n";
            EXPECT_EQ(r.err, (k.untrustedLine ? line : "") + Text(IDS_CONNECT_FAILED));
        }
        auto count = [&](const std::string& prefix) {
            return std::count_if(commands.begin(), commands.end(),
                                 [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
        };
        EXPECT_EQ(count("AUTH TLS"), k.authSent ? 1 : 0);
        EXPECT_EQ(count("USER"), k.userSent ? 1 : 0);
        EXPECT_EQ(count("PROT P"), k.tlsServer && k.lists ? 1 : 0);
    }
}

INSTANTIATE_TEST_SUITE_P(ActiveAndPassive, ListerTlsServers, ::testing::Bool());

} // namespace
