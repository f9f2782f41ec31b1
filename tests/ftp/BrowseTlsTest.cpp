// The browse run's TLS hooks: trusted fingerprints, the caller's certificate and
// plain-FTP questions, and the report of how the session is protected.
#include "RecordingSink.h"
#include "ftp/BrowseRun.h"
#include "res/Ids.h"
#include "support/VsftpdServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

using namespace std::chrono_literals;
using test::RecordingSink;
using test::VsftpdServer;

TEST(BrowseTls, HooksDecideAndHearHowTheSessionIsProtected) {
    enum class Pin { None, Trusted, Asked };
    struct Case {
        const char* what;
        bool tlsServer;
        Pin pin;
        bool seenBefore;
        std::optional<bool> confirmPlain;
        unsigned result;
        int verifyCalls, confirmCalls;
    };
    const Case cases[] = {
        {"trusted fingerprint", true, Pin::Trusted, false, std::nullopt, 1, 0, 0},
        {"accepted by the caller", true, Pin::Asked, false, std::nullopt, 1, 1, 0},
        {"the caller says no", true, Pin::None, false, std::nullopt, 0, 1, 0},
        {"plain after TLS, refused", false, Pin::None, true, false, 0, 0, 1},
        {"plain after TLS, confirmed", false, Pin::None, true, true, 1, 0, 1},
    };
    VsftpdServer tlsServer({.tls = true}), plainServer({.tls = false});
    for (VsftpdServer* s : {&tlsServer, &plainServer}) {
        std::filesystem::create_directory(s->Root() / "sub");
        ASSERT_TRUE(s->Start()) << s->Error();
    }
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        VsftpdServer& server = k.tlsServer ? tlsServer : plainServer;
        ftp::BrowseRequest req;
        req.server = "127.0.0.1:" + std::to_string(server.Port());
        req.userId = VsftpdServer::kUser;
        req.password = "x";
        req.connectTimeout = req.replyTimeout = req.transferTimeout = 10s;
        if (k.pin == Pin::Trusted)
            req.trustedFingerprints = {tlsServer.Sha256()};
        int verifyCalls = 0, confirmCalls = 0, reports = 0;
        req.verifyCertificate = [&](std::string_view, std::uint16_t,
                                    const inet::FtpCertificate& c) {
            ++verifyCalls;
            return k.pin == Pin::Asked && c.sha256 == tlsServer.Sha256();
        };
        req.tlsSeenBefore = k.seenBefore;
        if (k.confirmPlain) {
            req.confirmPlain = [&, answer = *k.confirmPlain](std::string_view host,
                                                             std::uint16_t port) {
                ++confirmCalls;
                EXPECT_EQ(host, "127.0.0.1");
                EXPECT_EQ(port, server.Port());
                return answer;
            };
        }
        ftp::BrowseSecurity security;
        req.connected = [&](const ftp::BrowseSecurity& s) {
            ++reports;
            security = s;
        };
        RecordingSink sink;
        std::atomic<int> cancel{0};
        const std::size_t before = server.Commands().size();
        const unsigned result = ftp::RunBrowse(req, sink, cancel);

        EXPECT_EQ(result, k.result);
        EXPECT_EQ(verifyCalls, k.verifyCalls);
        EXPECT_EQ(confirmCalls, k.confirmCalls);
        EXPECT_EQ(reports, k.result == 1 ? 1 : 0);
        if (k.result == 1) {
            EXPECT_EQ(sink.Names(1), std::vector<std::string>{"sub"});
            EXPECT_EQ(security.tls, k.tlsServer);
            EXPECT_EQ(security.dataProtected, k.tlsServer);
            EXPECT_EQ(security.certificate.has_value(), k.tlsServer);
            if (security.certificate) {
                EXPECT_EQ(security.certificate->sha256, tlsServer.Sha256());
            }
        } else {
            EXPECT_EQ(sink.messages, std::vector<int>{IDS_CONNECT_FAILED});
            EXPECT_NE(std::find(sink.calls.begin(), sink.calls.end(), "forget"), sink.calls.end());
            const auto all = server.Commands();
            EXPECT_TRUE(std::none_of(all.begin() + static_cast<long>(before), all.end(),
                                     [](const std::string& c) { return c.rfind("USER", 0) == 0; }));
        }
    }
}

} // namespace
