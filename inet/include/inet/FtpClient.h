// A small FTP client (RFC 959 with RFC 2389 FEAT, RFC 2428 EPSV/EPRT, RFC 3659 MLSD and
// RFC 4217 AUTH TLS) on POSIX sockets, poll and OpenSSL.
//
// Every wait is bounded: connecting by FtpOptions::connectTimeout, each reply by
// replyTimeout, a transfer that makes no progress by transferTimeout, and the data of one
// transfer, however steadily it trickles in, by transferTotalTimeout. A stop flag, when
// given, is looked at every 100 ms during any wait, so a stop ends the wait within half
// a second. No argument holding CR or LF is ever sent; such a call fails with
// FtpErrorKind::BadArgument. Data connections only ever go to, or are accepted from, the
// address of the control connection's peer.
//
// TLS (FtpOptions::tls): after the greeting the client asks AUTH TLS. When the server
// accepts, the control connection is encrypted before anything else is sent: SNI names the
// host (not for an address), and the certificate must chain to the system's trusted roots
// and name the host (or address). One that does not is put to FtpOptions::verify; without
// that callback, or when it says no, the connection ends as ConnectFailed and nothing more
// is sent. A refused AUTH TLS ends it too in Require mode, and in Auto mode for a server
// seen with TLS before unless confirmPlain says yes; no USER is sent then either.
// After the login PBSZ 0 and PROT P follow; when PROT P is accepted, every data connection
// is TLS too, resumes the control connection's session (servers such as vsftpd demand
// that; TLS 1.3 tickets are each used once, newer ones taken from the data connections
// that resumed it) and must show the same certificate. A refused PROT P leaves listings
// in clear.
// A failed handshake is ConnectFailed on the control connection, ConnectionLost on a data
// connection; handshakes are bounded and stopped like any other wait.
//
// One FtpClient is used by one thread at a time; the stop flag may be set from any thread.
// The callbacks are called on the thread that called Connect; a stop meanwhile takes
// effect once they return.
#pragma once

#include "inet/FtpAddress.h"
#include "inet/FtpListParser.h"
#include "inet/FtpReplyFramer.h"
#include "inet/FtpTls.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/socket.h>

namespace inet {

namespace detail {
class TlsContext;
class TlsLink;
enum class TlsStep;
} // namespace detail

enum class FtpErrorKind {
    None,
    ConnectFailed,  // lookup, TCP connect, greeting, TLS handshake or certificate failed
    LoginRefused,   // USER/PASS not accepted
    Timeout,        // no reply, connect or transfer progress within the time allowed
    ConnectionLost, // the server closed or broke a connection, or sent garbage
    Refused,        // the server answered a command with an error reply
    BadArgument,    // an argument held CR or LF; nothing was sent
    Stopped,        // the stop flag was set
};

// An FTP proxy of the "USER user@host" kind: the client connects to it in place of the
// server, logs in to the proxy itself when user is set, then names the server in its login.
struct FtpProxy {
    std::string host;
    std::uint16_t port = kFtpPort;
    std::string user; // empty: the proxy wants no login of its own
    std::string password;
};

struct FtpOptions {
    std::uint16_t port = kFtpPort; // the server's
    bool passive = false;
    std::chrono::milliseconds connectTimeout{20000};
    std::chrono::milliseconds replyTimeout{30000};
    std::chrono::milliseconds transferTimeout{30000};       // without any progress
    std::chrono::milliseconds transferTotalTimeout{600000}; // all the data of one transfer
    const std::atomic<int>* stop = nullptr;                 // non-zero means stop

    FtpTlsMode tls = FtpTlsMode::Auto;
    // Asked about a certificate that did not verify; true goes on with the connection.
    std::function<bool(std::string_view host, std::uint16_t port, const FtpCertificate&)> verify;
    // This host and port spoke TLS before: in Auto mode a refused AUTH TLS may be an
    // attacker's doing, so plain FTP goes on only when confirmPlain returns true.
    bool tlsSeenBefore = false;
    std::function<bool(std::string_view host, std::uint16_t port)> confirmPlain;
    // Through a proxy TLS is never attempted: the proxy would have to end it. In Require
    // mode such a connection fails before anything is sent.
    std::optional<FtpProxy> proxy;
};

// The path of a 257 reply: the text between the first quote and its closing quote,
// with "" standing for one quote. std::nullopt when the reply holds no quoted path.
std::optional<std::string> ParsePwdReply(std::string_view line);

class FtpClient {
public:
    explicit FtpClient(FtpOptions options = {});
    ~FtpClient();
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    // Connects (to the proxy, when there is one), reads the greeting, sets up TLS as
    // FtpOptions::tls says, logs in, asks FEAT and switches on UTF-8 when the server offers it (a
    // refusal of OPTS is ignored).
    bool Connect(std::string_view host, std::string_view user, std::string_view password);
    bool ChangeDirectory(std::string_view path);
    bool PrintDirectory(std::string& path);
    // Lists the current folder (MLSD when offered and not refused, else LIST), handing
    // parsed entries to onEntries in batches while the listing arrives; onEntries returns
    // false to read no further, as Transfer's onData does. Lines that do not parse are
    // skipped. False when the listing could not be transferred whole or as far as wanted.
    bool ListEntries(const std::function<bool(std::vector<FtpListEntry>&)>& onEntries);
    // Runs a transfer command (LIST, MLSD, NLST...) and hands the raw bytes to onData.
    // When onData returns false the data connection is closed at once and the server's
    // reply to the transfer awaited for a few seconds, so the control connection stays
    // in step; without that reply the connection is closed. Either way the result is true,
    // unless a stop ends that wait.
    bool Transfer(std::string_view verb, std::string_view arg,
                  const std::function<bool(std::string_view)>& onData);
    // Sends one command and reads its reply; true when the reply arrived (any code).
    bool Command(std::string_view verb, std::string_view arg, FtpReply& reply);
    // Says QUIT when the connection is still usable, then closes it.
    void Quit();
    void Close();

    bool IsConnected() const { return m_ctrl >= 0; }
    bool SupportsMlsd() const { return m_mlst; }
    bool SupportsUtf8() const { return m_utf8; }
    // The control connection is encrypted.
    bool IsTls() const { return m_ctrlTls != nullptr; }
    // Data connections are encrypted too (PROT P accepted).
    bool IsDataProtected() const { return m_protP; }
    // The server's certificate while IsTls().
    const std::optional<FtpCertificate>& Certificate() const { return m_cert; }
    FtpErrorKind LastErrorKind() const { return m_errorKind; }
    const std::string& LastError() const { return m_error; }
    const FtpReply& LastReply() const { return m_reply; }

private:
    enum class Wait { Ready, Timeout, Stopped, Failed };
    // How a read, write or handshake ended.
    enum class Io { Ok, Closed, Timeout, Stopped, Failed };
    using Clock = std::chrono::steady_clock;

    bool Fail(FtpErrorKind kind, std::string text);
    bool StopRequested() const;
    Wait WaitFor(int fd, short events, Clock::time_point deadline, short* revents = nullptr);
    Io Await(int fd, short events, Clock::time_point deadline);
    // The end of a TLS step, or nothing with `events` set to what the step waits for.
    static std::optional<Io> Settle(detail::TlsStep step, short& events);
    Io Receive(int fd, detail::TlsLink* tls, char* buf, std::size_t size, std::size_t& got,
               Clock::time_point deadline);
    Io SendAll(int fd, detail::TlsLink* tls, std::string_view bytes, Clock::time_point deadline);
    Io Handshake(int fd, detail::TlsLink& tls, Clock::time_point deadline);
    bool OpenControl(const std::string& host, std::uint16_t port, Clock::time_point deadline);
    bool Login(std::string_view user, std::string_view password, FtpReply& r);
    bool StartTls(std::string_view host);
    bool SecureData(int fd, std::unique_ptr<detail::TlsLink>& tls);
    bool SendLine(std::string_view verb, std::string_view arg);
    bool ReadReply(FtpReply& reply);
    bool ReadReply(FtpReply& reply, std::chrono::milliseconds wait);
    bool ConnectTcp(const sockaddr* addr, socklen_t len, Clock::time_point deadline, int& out);
    bool OpenPassive(int& data);
    bool OpenActive(int& listener);
    bool AcceptData(int listener, int& data);
    bool ReadData(int data, detail::TlsLink* tls,
                  const std::function<bool(std::string_view)>& onData, bool& cut);

    FtpOptions m_opt;
    int m_ctrl = -1;
    std::string m_host; // as given to Connect, for the data connections' TLS
    std::unique_ptr<detail::TlsContext> m_tlsContext;
    std::unique_ptr<detail::TlsLink> m_ctrlTls;
    std::optional<FtpCertificate> m_cert;
    bool m_protP = false;
    sockaddr_storage m_peer{};
    socklen_t m_peerLen = 0;
    sockaddr_storage m_local{};
    socklen_t m_localLen = 0;
    FtpReplyFramer m_replies; // what the control connection sent, not yet a reply
    FtpReply m_reply;
    FtpErrorKind m_errorKind = FtpErrorKind::None;
    std::string m_error;
    bool m_mlst = false;
    bool m_utf8 = false;
    bool m_noEpsv = false;
    bool m_noEprt = false;
    bool m_mlsdRefused = false;
};

// Text for an error kind, for logs and diagnostics.
const char* ToString(FtpErrorKind kind);

} // namespace inet
