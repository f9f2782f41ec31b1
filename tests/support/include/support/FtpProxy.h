// An FTP proxy of the "USER user@host:port" kind on 127.0.0.1, for tests. When `login`
// has a user, the client must first log in to the proxy with exactly that user and
// password; then "USER name@host[:port]" (a loopback host) makes the proxy connect there,
// log in as `name`, and relay both ways from then on. Data connections go straight to
// the server, which shares the proxy's address.
//
//   test::FtpProxy proxy({"pxuser", "pxpass"});
//   ASSERT_TRUE(proxy.Start());
//   ... account server "127.0.0.1:<ftp port>", proxy server "127.0.0.1:<proxy.Port()>" ...
//   EXPECT_EQ(proxy.Lines(), (std::vector<std::string>{"USER pxuser", "PASS pxpass", ...}));
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test {

class FtpProxy {
public:
    struct Login {
        std::string user; // empty: the proxy wants no login of its own
        std::string password;
    };

    explicit FtpProxy(Login login = {});
    ~FtpProxy();
    FtpProxy(const FtpProxy&) = delete;
    FtpProxy& operator=(const FtpProxy&) = delete;

    bool Start();
    std::uint16_t Port() const { return m_port; }
    // Every line clients sent before relaying began, over all sessions.
    std::vector<std::string> Lines() const;

private:
    void Serve(int client);
    void Note(const std::string& line);

    Login m_login;
    int m_listen = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_acceptor;
    std::vector<std::thread> m_sessions; // acceptor thread only, until joined
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines; // guarded by m_mutex
};

} // namespace test
