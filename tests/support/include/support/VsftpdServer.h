// Debian's vsftpd on 127.0.0.1 for anonymous listings of a temporary folder, either with
// explicit TLS or without, logging every command and reply. With TLS, logins and data
// connections in clear are refused and data connections must resume the control
// connection's TLS session. It needs root and the openssl program; Start() says why it
// failed.
//
//   test::VsftpdServer server({.tls = true}); // or plain: test::VsftpdServer server;
//   ASSERT_TRUE(server.Start()) << server.Error();
//   ... anonymous to 127.0.0.1:server.Port(), trusting server.Sha256() ...
//   server.Commands();                   // the commands it received, in order
#pragma once

#include "support/TestCertificate.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace test {

class VsftpdServer {
public:
    struct Options {
        bool tls = false;
    };

    VsftpdServer(); // without TLS
    explicit VsftpdServer(Options options);
    ~VsftpdServer();
    VsftpdServer(const VsftpdServer&) = delete;
    VsftpdServer& operator=(const VsftpdServer&) = delete;

    // Starts the server and waits (at most 20 s) for its greeting.
    bool Start();
    std::uint16_t Port() const { return m_port; }
    const std::string& Error() const { return m_error; }
    const std::filesystem::path& Root() const { return m_root; }
    // The certificate's fingerprint (empty without TLS).
    const std::string& Sha256() const { return m_cert.sha256; }
    const TestCertificate& Certificate() const { return m_cert; }

    // The command lines logged so far, as received.
    std::vector<std::string> Commands() const;
    // OpenSSL's notes on each TLS connection ("SSL version: ..., reused, ...").
    std::vector<std::string> TlsNotes() const;

    static constexpr const char* kUser = "anonymous";

private:
    std::vector<std::string> Logged(const std::string& marker) const;

    Options m_options;
    TestCertificate m_cert;
    std::filesystem::path m_work;
    std::filesystem::path m_root;
    pid_t m_pid = -1;
    std::uint16_t m_port = 0;
    std::string m_error;
};

} // namespace test
