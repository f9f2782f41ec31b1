// One FTP control connection on 127.0.0.1 that accepts AUTH TLS and then misbehaves in a
// way no real server does on demand:
//
//   Silence     takes the client's hello and never answers
//   RefuseProt  a TLS server that logs anyone in, refuses PROT P and lists in clear
//
// It keeps the bytes after the 234 reply (the client's hello) and the command lines.
#pragma once

#include "support/Process.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <openssl/ssl.h>

namespace test {

class TlsPeer {
public:
    enum class After { Silence, RefuseProt };

    explicit TlsPeer(After after, TestCertificate cert = {});
    ~TlsPeer();
    TlsPeer(const TlsPeer&) = delete;
    TlsPeer& operator=(const TlsPeer&) = delete;

    std::uint16_t Port() const { return m_port; }
    // True once bytes arrived after the 234 reply (waits at most timeout).
    bool WaitForHello(std::chrono::milliseconds timeout);
    std::string Hello() const;
    std::vector<std::string> Commands() const;

private:
    void Session(int fd);
    bool ReadLine(int fd, SSL* ssl, std::string& line);
    static bool Send(int fd, SSL* ssl, const std::string& text);

    After m_after;
    TestCertificate m_cert;
    int m_listen = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::string m_hello, m_pending;
    std::vector<std::string> m_commands;
};

} // namespace test
