// TLS under FtpClient: one context per client that keeps the control connection's session
// for the data connections, and one link per TLS socket. Every call returns at once; the
// client does the waiting, so stops and time-outs work as for plain sockets.
//
// OpenSSL lives in a module of its own (libtovalo-tls.so), loaded at the first TLS
// connection: programs that never speak TLS start without loading it.
#pragma once

#include "inet/FtpTls.h"

#include <cstddef>
#include <memory>
#include <string>

namespace inet::detail {

// How a non-blocking TLS call ended: done, or what the socket must become ready for.
enum class TlsStep { Done, WantRead, WantWrite, Closed, Failed };

class TlsLink {
public:
    virtual ~TlsLink() = default;
    virtual TlsStep Handshake() = 0;
    virtual TlsStep Read(char* buf, std::size_t size, std::size_t& got) = 0;
    virtual TlsStep Write(const char* bytes, std::size_t size, std::size_t& put) = 0;
    // One close_notify, without waiting for the peer's.
    virtual void Shutdown() = 0;
    // Decrypted bytes wait to be read; poll cannot see them.
    virtual bool Buffered() const = 0;
    // The peer's certificate after the handshake; sha256 stays empty when there is none.
    virtual FtpCertificate PeerCertificate() const = 0;
    virtual const std::string& Error() const = 0;
};

class TlsContext {
public:
    virtual ~TlsContext() = default;
    // A client end on the non-blocking socket fd, checking the certificate against host (a
    // name or an address); nullptr with the reason in error. The sessions of a control
    // link, and of the data links that resume it, are kept for the next data links, which
    // resume the newest one not handed out yet (servers may take a TLS 1.3 ticket once
    // only), else the control link's own.
    virtual std::unique_ptr<TlsLink> OpenControl(int fd, const std::string& host,
                                                 std::string& error) = 0;
    virtual std::unique_ptr<TlsLink> OpenData(int fd, const std::string& host,
                                              std::string& error) = 0;
    // Drops the kept sessions; call before the control link goes.
    virtual void Forget() = 0;
};

// A context from the TLS module, loading it on first use; nullptr with the reason in
// error when the module or OpenSSL cannot be loaded or set up.
std::unique_ptr<TlsContext> NewTlsContext(std::string& error);

// The module's one entry point, looked up by this name.
using NewTlsContextFn = TlsContext* (*)(std::string* error);
inline constexpr const char* kTlsModuleEntry = "tovalo_new_tls_context";
inline constexpr const char* kTlsModuleFile = "libtovalo-tls.so";

} // namespace inet::detail
