// A real FTP server for tests: pyftpdlib started with /usr/bin/python3 on 127.0.0.1, on a
// free port chosen by the system, serving a temporary folder that is removed afterwards.
//
//   test::PyFtpServer server({{"tester", "secret", ""}});
//   server.MakeDir("pub/sub");
//   server.MakeFile("pub/a b.txt", "hello");
//   ASSERT_TRUE(server.Start()) << server.Error();
//   ... connect to 127.0.0.1:server.Port() ...
//
// Users are (name, password, home folder relative to Root()); they may list and read.
// Files may be added before or after Start. The destructor stops the server (SIGTERM,
// then SIGKILL after 5 s) and removes the folder; the server also ends by itself when the
// test process dies, because its standard input closes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace test {

class PyFtpServer {
public:
    struct User {
        std::string name;
        std::string password;
        std::string home; // relative to Root()
    };

    explicit PyFtpServer(std::vector<User> users = {{"tester", "secret", ""}});
    ~PyFtpServer();
    PyFtpServer(const PyFtpServer&) = delete;
    PyFtpServer& operator=(const PyFtpServer&) = delete;

    // Starts the server and waits (at most 20 s) until it listens.
    bool Start();
    void Stop();
    std::uint16_t Port() const { return m_port; }
    const std::string& Error() const { return m_error; }
    const std::filesystem::path& Root() const { return m_root; }

    void MakeDir(const std::string& relative);
    void MakeFile(const std::string& relative, const std::string& content = {});

private:
    std::vector<User> m_users;
    std::filesystem::path m_root;
    pid_t m_pid = -1;
    int m_stdin = -1;
    std::uint16_t m_port = 0;
    std::string m_error;
};

} // namespace test
