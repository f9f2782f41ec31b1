// A small FTP server on 127.0.0.1 that plays a script, for what a real server will not do
// on demand: stall at any step (also inside the TLS handshake), refuse commands, break or
// stall data connections, open its active-mode data connection from another loopback
// address, name another address in its 227 reply, send multi-line replies, odd PWD replies
// and DOS listings, send a listing without end or one byte at a time, and speak TLS on the
// control connection only.
//
//   test::ScriptedFtpServer::Script s;
//   s.listing = "drwxr-xr-x 2 u g 512 Jan  1 2020 sub\r\n";
//   s.stallAt = "LIST";                  // never answer LIST
//   s.logins["px"] = "pxpw";             // also an FTP proxy's login
//   test::ScriptedFtpServer server(s);
//   ASSERT_TRUE(server.Start());
//   ... client to 127.0.0.1:server.Port() as tester/secret ...
//   EXPECT_TRUE(server.WaitStalled(std::chrono::seconds(10)));
//   server.Commands();                   // every command line received, in order
//
// The server serves one control connection after another on its own thread until it is
// destroyed. It never sends traffic outside 127.0.0.0/8.
#pragma once

#include "support/Process.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct ssl_st;     // OpenSSL's SSL
struct ssl_ctx_st; // and SSL_CTX

namespace test {

// A listening socket on 127.0.0.1 at a port the system chose; -1 on failure.
int ListenOnLoopback(std::uint16_t& port);

// How many of lines[from...] start with prefix (command logs).
std::size_t CountPrefixed(const std::vector<std::string>& lines, const std::string& prefix,
                          std::size_t from = 0);

class ScriptedFtpServer {
public:
    struct Script {
        std::string greeting = "220 scripted server ready\r\n"; // raw, may be multi-line
        // User and password of each login PASS takes. An FTP proxy's are its own and
        // "user@host:port" for the server it is asked for; it passes nothing on.
        std::map<std::string, std::string> logins = {{"tester", "secret"}};
        // Folders CWD may enter (others give 550); the login folder is /home/tester.
        std::set<std::string> folders = {"/home/tester"};
        bool featMlst = false, refuseMlsd = false, refuseEpsv = false, refuseEprt = false;
        std::string pasvAddress = "127.0.0.1"; // the address the 227 reply names
        std::string activeSource;              // bind active data connections to this
        std::string listing, mlsdListing;      // LIST and MLSD bytes
        bool breakData = false;                // half the listing, then a reset and 426
        int listingRepeats = 1;                // the listing this many times; 0: without end
        std::chrono::milliseconds trickle{0};  // one byte of the listing per this long
        // A verb (USER, PASS, CWD, LIST, ...) that gets no reply, "GREETING" for no
        // greeting, "DATA" for half the listing, then silence with the data connection
        // open, or "HANDSHAKE" for a yes to AUTH TLS, then silence once the client's hello
        // is in.
        std::string stallAt;
        // With a certificate, AUTH TLS is taken and the control connection goes on in TLS;
        // PROT P gets 502, so data connections stay in clear.
        TestCertificate tls;
        // Raw replies that replace the scripted answer to a verb; for LIST and MLSD without
        // opening the data connection.
        std::map<std::string, std::string> replies;
    };

    explicit ScriptedFtpServer(Script script);
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer&) = delete;
    ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

    bool Start();
    std::uint16_t Port() const { return m_port; }
    // True once the server reached Script::stallAt (waits at most timeout).
    bool WaitStalled(std::chrono::milliseconds timeout);
    std::vector<std::string> Commands() const;
    std::vector<std::string> Logins() const; // the USER and PASS lines of Commands()
    std::string Hello() const;               // what the client sent into a stalled handshake

private:
    void Session(int fd);
    bool StartTls(int fd);
    bool Send(int fd, const std::string& text); // on the control connection
    bool Reply(int fd, const std::string& verb, const std::string& text);
    void StallUntilGone(int fd);
    bool SendListing(int ctrl, const std::string& verb, const std::string& bytes);
    bool SendBody(int data, const std::string& bytes);

    Script m_script;
    int m_listen = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::atomic<bool> m_stop{false};
    bool m_stalled = false;
    std::vector<std::string> m_commands;
    std::string m_hello;
    ssl_ctx_st* m_tlsContext = nullptr;
    // Session state
    ssl_st* m_tls = nullptr;
    int m_pasvListen = -1;
    std::string m_activeHost;
    int m_activePort = 0;
    std::string m_cwd;
};

// A loopback port where a TCP connect neither succeeds nor fails: the listener's accept
// queue is kept full, so further SYNs go unanswered. For connect time-outs and stops.
class HangingPort {
public:
    HangingPort();
    ~HangingPort();
    HangingPort(const HangingPort&) = delete;
    HangingPort& operator=(const HangingPort&) = delete;

    bool Ready() const { return m_ready; }
    std::uint16_t Port() const { return m_port; }

private:
    int m_listen = -1, m_filler = -1;
    std::uint16_t m_port = 0;
    bool m_ready = false;
};

} // namespace test
