// Real FTP servers for tests, on 127.0.0.1 at a free port, serving a temporary folder.
//
// PyFtpServer: pyftpdlib run by /usr/bin/python3. Users are (name, password, home folder
// relative to the served folder); they may list and read.
//
//   test::PyFtpServer server;               // tester/secret at the top
//   server.MakeDir("pub/sub");
//   server.MakeFile("pub/a b.txt", "hello");
//   ASSERT_TRUE(server.Start()) << server.Error();
//
// VsftpdServer: Debian's vsftpd for anonymous listings, either with explicit TLS or
// without, logging every command and reply. With TLS, logins and data connections in
// clear are refused and data connections must resume the control connection's TLS
// session. It needs root; Start() says why it failed.
//
//   test::VsftpdServer server(/*tls=*/true);
//   std::ofstream(server.Root() / "a.txt") << "a";
//   ASSERT_TRUE(server.Start()) << server.Error();
//   ... anonymous to 127.0.0.1:server.Port(), trusting server.Certificate().sha256 ...
#pragma once

#include "support/Process.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace test {

class PyFtpServer {
public:
    struct User {
        std::string name, password, home;
    };

    explicit PyFtpServer(std::vector<User> users = {{"tester", "secret", ""}});

    // Starts the server and waits (at most 20 s) until it listens.
    bool Start();
    std::uint16_t Port() const { return m_port; }
    const std::string& Error() const { return m_error; }
    void MakeDir(const std::string& relative);
    void MakeFile(const std::string& relative, const std::string& content = {});

private:
    std::vector<User> m_users;
    TempDir m_root;
    std::unique_ptr<ChildProcess> m_process;
    std::uint16_t m_port = 0;
    std::string m_error;
};

class VsftpdServer {
public:
    explicit VsftpdServer(bool tls = false);

    // Starts the server and waits (at most 20 s) for its greeting.
    bool Start();
    std::uint16_t Port() const { return m_port; }
    const std::string& Error() const { return m_error; }
    std::filesystem::path Root() const { return m_work.path / "root"; }
    const TestCertificate& Certificate() const { return m_cert; } // empty without TLS
    // The command lines logged so far, as received.
    std::vector<std::string> Commands() const;
    // OpenSSL's notes on each TLS connection ("SSL version: ..., reused, ...").
    std::vector<std::string> TlsNotes() const;

    static constexpr const char* kUser = "anonymous";

private:
    std::vector<std::string> Logged(const std::string& marker) const;

    bool m_tls;
    TempDir m_work;
    TestCertificate m_cert;
    std::unique_ptr<ChildProcess> m_process;
    std::uint16_t m_port = 0;
    std::string m_error;
};

} // namespace test
