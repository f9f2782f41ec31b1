// A small FTP server on 127.0.0.1 that plays a script, for what a real server will not do
// on demand: stall at any step, refuse commands, break or stall data connections, open
// its active-mode data connection from another loopback address, name another address
// in its 227 reply, send multi-line replies, odd PWD replies and DOS listings.
//
//   test::ScriptedFtpServer::Script s;
//   s.listing = "drwxr-xr-x 2 u g 512 Jan  1 2020 sub\r\n";
//   s.stallAt = "LIST";                  // never answer LIST
//   test::ScriptedFtpServer server(s);
//   ASSERT_TRUE(server.Start());
//   ... client to 127.0.0.1:server.Port() ...
//   EXPECT_TRUE(server.WaitStalled(std::chrono::seconds(10)));
//   server.Commands();                   // every command line received, in order
//
// The server serves one control connection after another on its own thread; the
// destructor (or Stop) ends it. It never sends traffic outside 127.0.0.0/8.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace test {

class ScriptedFtpServer {
public:
    enum class DataFault {
        None,
        BreakMidway, // half the listing, then a reset and 426
        StallMidway, // half the listing, then silence with the data connection open
        Refuse,      // 425 instead of opening the data connection
    };

    struct Script {
        std::string greeting = "220 scripted server ready\r\n"; // raw, may be multi-line
        std::string user = "tester";
        std::string password = "secret";
        // Folders CWD may enter (others give 550); the login folder is /home/tester.
        std::set<std::string> folders = {"/home/tester"};
        bool featMlst = false;
        bool refuseMlsd = false;
        bool refuseEpsv = false;
        bool refuseEprt = false;
        std::string pasvAddress = "127.0.0.1"; // the address the 227 reply names
        std::string activeSource;              // bind active data connections to this
        std::string listing;                   // LIST bytes
        std::string mlsdListing;               // MLSD bytes
        DataFault dataFault = DataFault::None;
        // A verb (USER, PASS, FEAT, CWD, PWD, TYPE, EPSV, LIST, ...) that gets no reply,
        // "GREETING" for no greeting, or "DATA" for a data connection that opens and
        // never sends.
        std::string stallAt;
        // Raw replies that replace the scripted answer to a verb (e.g. multi-line ones).
        std::map<std::string, std::string> replies;
        // Called on the server's thread with each verb before it is answered.
        std::function<void(const std::string& verb)> onCommand;
    };

    explicit ScriptedFtpServer(Script script);
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer&) = delete;
    ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

    bool Start();
    void Stop();
    std::uint16_t Port() const { return m_port; }

    // True once the server reached Script::stallAt (waits at most timeout).
    bool WaitStalled(std::chrono::milliseconds timeout);
    // Every command line received so far.
    std::vector<std::string> Commands() const;

private:
    void Serve();
    void Session(int fd);
    bool Reply(int fd, const std::string& verb, const std::string& text);
    void StallUntilGone(int fd);
    bool SendListing(int ctrl, const std::string& verb, const std::string& bytes);

    Script m_script;
    int m_listen = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::atomic<bool> m_stop{false};
    bool m_stalled = false;
    std::vector<std::string> m_commands;
    // Session state
    int m_pasvListen = -1;
    std::string m_activeHost;
    int m_activePort = 0;
    std::string m_cwd;
};

} // namespace test
