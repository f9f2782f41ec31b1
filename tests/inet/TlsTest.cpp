// FTP over TLS: against vsftpd with TLS demanded for logins and data, against the scripted
// server refusing AUTH TLS, and against a peer that breaks or stalls the handshake.
#include "LoopbackClient.h"
#include "support/Process.h"
#include "support/RealServers.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <openssl/ssl.h>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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

// One FTP control connection on 127.0.0.1 that accepts AUTH TLS and then misbehaves in a
// way no real server does on demand:
//
//   Silence     takes the client's hello and never answers
//   RefuseProt  a TLS server that logs anyone in, refuses PROT P and lists in clear
//   Inject      sends a line right behind its yes to AUTH TLS, then is that TLS server
//
// It keeps the bytes after the 234 reply (the client's hello) and the command lines.
class TlsPeer {
public:
    enum class After { Silence, RefuseProt, Inject };

    explicit TlsPeer(After after) : m_after(after) {
        if (after != After::Silence)
            m_cert = test::MakeTestCertificate(m_dir.path);
        // OpenSSL writes with write(): a client hanging up must not end the test program.
        std::signal(SIGPIPE, SIG_IGN);
        m_listen = test::ListenOnLoopback(m_port);
        m_thread = std::thread([this] {
            while (!m_stop) {
                const int fd = Readable(m_listen) ? ::accept(m_listen, nullptr, nullptr) : -1;
                if (fd >= 0) {
                    Session(fd);
                    ::close(fd);
                }
            }
        });
    }
    ~TlsPeer() {
        m_stop = true;
        m_thread.join();
        ::close(m_listen);
    }
    TlsPeer(const TlsPeer&) = delete;
    TlsPeer& operator=(const TlsPeer&) = delete;

    std::uint16_t Port() const { return m_port; }
    // Options for a client that trusts the peer's certificate.
    FtpOptions Trusting() const {
        FtpOptions o = Options(m_port, true);
        o.verify = [sha = m_cert.sha256](std::string_view, std::uint16_t, const FtpCertificate& c) {
            return c.sha256 == sha;
        };
        return o;
    }
    // The bytes that arrived after the 234 reply, waiting at most `timeout` for the first.
    std::string Hello(std::chrono::milliseconds timeout = {}) {
        std::unique_lock lock(m_mutex);
        m_cv.wait_for(lock, timeout, [this] { return !m_hello.empty(); });
        return m_hello;
    }
    std::vector<std::string> Commands() const {
        std::lock_guard lock(m_mutex);
        return m_commands;
    }

private:
    static constexpr int kPatienceMs = 10000; // the longest the peer waits for the client

    // Waits in slices so that the destructor's stop is seen.
    bool Readable(int fd) const {
        for (int waited = 0; waited < kPatienceMs && !m_stop; waited += 50) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0)
                return true;
        }
        return false;
    }

    // A server end on fd with its own context.
    struct ServerTls {
        SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
        SSL* ssl = ctx ? SSL_new(ctx) : nullptr;
        bool ok = false;
        ServerTls(const test::TestCertificate& cert, int fd) {
            timeval tv{kPatienceMs / 1000, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
            ok = ssl &&
                 SSL_use_certificate_file(ssl, cert.certFile.c_str(), SSL_FILETYPE_PEM) == 1 &&
                 SSL_use_PrivateKey_file(ssl, cert.keyFile.c_str(), SSL_FILETYPE_PEM) == 1 &&
                 SSL_set_fd(ssl, fd) == 1 && SSL_accept(ssl) == 1;
        }
        ~ServerTls() {
            SSL_free(ssl);
            SSL_CTX_free(ctx);
        }
        ServerTls(const ServerTls&) = delete;
        ServerTls& operator=(const ServerTls&) = delete;
    };

    bool ReadLine(int fd, SSL* ssl, std::string& line) {
        for (std::size_t nl; (nl = m_pending.find('\n')) == std::string::npos;) {
            char buf[1024];
            const int n = ssl            ? SSL_read(ssl, buf, sizeof buf)
                          : Readable(fd) ? static_cast<int>(::recv(fd, buf, sizeof buf, 0))
                                         : 0;
            if (n <= 0)
                return false;
            m_pending.append(buf, static_cast<std::size_t>(n));
        }
        const std::size_t nl = m_pending.find('\n');
        line = m_pending.substr(0, nl > 0 && m_pending[nl - 1] == '\r' ? nl - 1 : nl);
        m_pending.erase(0, nl + 1);
        std::lock_guard lock(m_mutex);
        m_commands.push_back(line);
        return true;
    }

    static bool Send(int fd, SSL* ssl, const std::string& text) {
        const std::string line = text + "\r\n";
        return ssl ? SSL_write(ssl, line.data(), static_cast<int>(line.size())) > 0
                   : ::send(fd, line.data(), line.size(), MSG_NOSIGNAL) > 0;
    }

    void Session(int fd) {
        m_pending.clear();
        std::string line;
        if (!Send(fd, nullptr, "220 peer ready") || !ReadLine(fd, nullptr, line) ||
            line != "AUTH TLS" ||
            !Send(fd, nullptr,
                  m_after == After::Inject ? "234 go ahead\r\n220 injected" : "234 go ahead") ||
            !Readable(fd))
            return;
        if (m_after == After::Silence) {
            char buf[4096];
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                return;
            {
                std::lock_guard lock(m_mutex);
                m_hello.assign(buf, static_cast<std::size_t>(n));
            }
            m_cv.notify_all();
            while (Readable(fd) && ::recv(fd, buf, sizeof buf, 0) > 0) {
            }
            return;
        }
        const ServerTls control(m_cert, fd);
        int pasv = -1;
        while (control.ok && ReadLine(fd, control.ssl, line)) {
            const std::string verb = line.substr(0, line.find(' '));
            std::string reply = "502 not here";
            if (verb == "USER")
                reply = "230 in";
            else if (verb == "PBSZ" || verb == "TYPE")
                reply = "200 ok";
            else if (verb == "PROT")
                reply = "534 PROT P refused";
            else if (verb == "PWD")
                reply = "257 \"/\"";
            else if (verb == "EPSV") {
                std::uint16_t port = 0;
                if (pasv >= 0)
                    ::close(pasv);
                pasv = test::ListenOnLoopback(port);
                reply = "229 Entering Extended Passive Mode (|||" + std::to_string(port) + "|)";
            } else if (verb == "LIST" && pasv >= 0) {
                Send(fd, control.ssl, "150 listing");
                const int data = Readable(pasv) ? ::accept(pasv, nullptr, nullptr) : -1;
                const std::string listing = "-rw-r--r-- 1 u g 5 Jan  1  2020 clear.txt\r\n";
                if (data >= 0) {
                    ::send(data, listing.data(), listing.size(), MSG_NOSIGNAL);
                    ::close(data);
                }
                reply = "226 done";
            }
            if (!Send(fd, control.ssl, reply) || verb == "QUIT")
                break;
        }
        if (pasv >= 0)
            ::close(pasv);
    }

    After m_after;
    test::TempDir m_dir;
    test::TestCertificate m_cert;
    int m_listen = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::string m_hello, m_pending;
    std::vector<std::string> m_commands;
};

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
            if (!stop || peer.Hello(20s).empty())
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
    TlsPeer peer(TlsPeer::After::RefuseProt);
    FtpClient c(peer.Trusting());
    ASSERT_TRUE(c.Connect("127.0.0.1", "tester", "secret")) << c.LastError();
    EXPECT_TRUE(c.IsTls());
    EXPECT_FALSE(c.IsDataProtected());
    bool ok = false;
    EXPECT_EQ(List(c, ok), std::vector<std::string>{"clear.txt"});
    EXPECT_TRUE(ok) << c.LastError();
    EXPECT_EQ(CountPrefixed(peer.Commands(), "PBSZ 0") + CountPrefixed(peer.Commands(), "PROT P"),
              2u);
}

// Bytes behind the yes to AUTH TLS would be taken as if they came encrypted: the connection
// ends before the handshake, so even a server that then speaks TLS never hears the login.
TEST(TlsPeer, BytesBehindTheYesEndTheConnection) {
    TlsPeer peer(TlsPeer::After::Inject);
    FtpClient c(peer.Trusting());
    EXPECT_FALSE(c.Connect("127.0.0.1", "tester", "secret"));
    EXPECT_EQ(c.LastErrorKind(), FtpErrorKind::ConnectFailed);
    EXPECT_EQ(CountPrefixed(peer.Commands(), "USER"), 0u);
}

} // namespace
