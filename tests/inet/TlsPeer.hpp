// One FTP control connection on 127.0.0.1 that accepts AUTH TLS and then misbehaves in a
// way no real server does on demand:
//
//   Garbage     text instead of the TLS handshake
//   Silence     takes the client's hello and never answers
//   RefuseProt  a TLS server that logs anyone in, refuses PROT P and lists in clear
//   OtherDataCertificate  likewise, but accepts PROT P and lists over TLS with another
//               certificate than the control connection's, without resuming its session
//
// Everything received is kept: the bytes after the 234 reply (the client's hello) and
// the command lines, plain or decrypted.
#pragma once

#include "support/TestCertificate.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <openssl/ssl.h>

namespace test {

class TlsPeer {
public:
    enum class After { Garbage, Silence, RefuseProt, OtherDataCertificate };

    // cert is the control connection's, dataCert the data connection's.
    TlsPeer(After after, TestCertificate cert = {}, TestCertificate dataCert = {});
    ~TlsPeer();
    TlsPeer(const TlsPeer&) = delete;
    TlsPeer& operator=(const TlsPeer&) = delete;

    bool Start();
    std::uint16_t Port() const { return m_port; }
    // True once bytes arrived after the 234 reply (waits at most timeout).
    bool WaitForHello(std::chrono::milliseconds timeout);
    std::string Hello() const;
    std::vector<std::string> Commands() const;
    // The listing went out over a data connection.
    bool Listed() const { return m_listed; }

private:
    void Serve();
    void Session(int fd);
    bool ReadLine(int fd, SSL* ssl, std::string& line);
    bool Send(int fd, SSL* ssl, const std::string& text);
    void Note(std::string line);

    After m_after;
    TestCertificate m_cert;
    TestCertificate m_dataCert;
    int m_listen = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_listed{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::string m_hello;
    std::vector<std::string> m_commands;
    std::string m_pending; // received, not yet a whole line
};

} // namespace test
