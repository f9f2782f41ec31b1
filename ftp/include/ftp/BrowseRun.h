// The browse run: one look at a remote folder, independent of any user interface.
//
//   unsigned RunBrowse(const BrowseRequest& request, BrowseSink& sink,
//                      std::atomic<int>& cancel);
//
// connects to request.server ("host", "host:port", "[v6]:port"; directly or through
// request.proxy), changes to the folder the sink supplies, writes the folder
// the server reports back through the sink, lists the sub-folders and then the files
// that match the mask, and returns 1 after a complete run, 0 after any other end. Every
// sink call is made on the calling thread, in this order and under these rules:
//
//   ClearList()                      first thing, once
//   ReadFolderAndMask(folder, mask)  once, right after
//   PostProgress(10|20|30|40|100)    in rising order, each at most once
//   SetFolderText(path)              after the server reported its current folder
//   AddRows(rows)                    folders (as the listing arrives), then the files
//                                    matching the mask; many rows per call, list order
//   ShowMessage(id)                  a string-table message the user must see (IDS_CONNECT_FAILED,
//                                    IDS_BAD_FOLDER, IDS_CANCELLED, IDS_LIST_FAILED,
//                                    IDS_LIST_TOO_LARGE); the run waits until the call returns
//   ForgetPassword()                 after a failed connection, before End
//   End(result)                      last thing, exactly once (enable the window, hide
//                                    the progress dialog)
//
// cancel is the stop button: non-zero asks the run to stop; it is watched during every
// network wait (at least every 100 ms) and between row batches. Where a stop takes
// effect decides the message: before or while connecting and right after connecting,
// IDS_CANCELLED; from the folder change to the end of the folder listing, none; during the file
// rows, IDS_CANCELLED. Time-outs and lost connections before or during login give
// IDS_CONNECT_FAILED; after login, IDS_LIST_FAILED. A listing that cannot be transferred
// is IDS_LIST_FAILED, never an empty folder; so is one whose data takes longer than
// request.transferTotalTimeout in all. A folder text holding CR or LF is never sent and
// counts as refused (IDS_BAD_FOLDER).
//
// A run keeps at most request.maxRows rows and request.maxTextBytes bytes of their names
// and paths. The listing is read no further once an entry to show would not fit: the
// rows kept are all added (folders, then files), then IDS_LIST_TOO_LARGE is shown and
// the run ends with 0, without 100.
//
// TLS (see inet/FtpClient.h): request.tls says whether to ask for it. A certificate that
// does not verify is accepted when its fingerprint is one of request.trustedFingerprints,
// else when request.verifyCertificate says so; a certificate not accepted, a failed
// handshake, or a refused TLS that the mode or confirmPlain does not let pass, ends the
// run like any failed connection (IDS_CONNECT_FAILED, ForgetPassword) before the login is
// sent. request.connected hears once after the login whether the session is encrypted.
// These hooks run on the run's thread, while it waits for them. Through a proxy TLS is
// not attempted. A server or proxy text that is not a sound address is a failed
// connection too.
//
// The window runs RunBrowse on its worker thread with a sink that carries each call over
// to the user-interface thread (ReadFolderAndMask and ShowMessage wait for the answer);
// tovalo-ls runs it on its main thread with a sink that prints. request, sink and cancel
// must outlive the call; nothing of them is kept after it returns.
#pragma once

#include "ftp/RemoteEntry.h"
#include "inet/FtpTls.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ftp {

// How the session a run logged in on is protected.
struct BrowseSecurity {
    bool tls = false;           // the control connection, and so the login, is encrypted
    bool dataProtected = false; // listings are encrypted too
    bool viaProxy = false;      // logged in through an FTP proxy (never TLS)
    std::optional<inet::FtpCertificate> certificate; // the server's, when tls
};

// An FTP proxy that takes "USER user@host" logins.
struct BrowseProxy {
    std::string server; // "host" or "host:port", as stored
    std::string userId; // empty: no login at the proxy itself
    std::string password;
};

struct BrowseRequest {
    std::string server; // "host" or "host:port", as stored
    std::string userId;
    std::string password;
    std::optional<BrowseProxy> proxy;
    bool passive = false;
    std::chrono::milliseconds connectTimeout{20000};
    std::chrono::milliseconds replyTimeout{30000};
    std::chrono::milliseconds transferTimeout{30000};       // without progress
    std::chrono::milliseconds transferTotalTimeout{600000}; // the whole listing
    std::size_t batchRows = 512;                            // most rows per AddRows call
    std::size_t maxRows = 1'000'000;                        // rows kept at most
    std::size_t maxTextBytes = std::size_t{256} << 20;      // their names and paths, at most

    inet::FtpTlsMode tls = inet::FtpTlsMode::Auto;
    std::vector<std::string> trustedFingerprints; // SHA-256, as CanonicalFingerprint reads
    std::function<bool(std::string_view host, std::uint16_t port, const inet::FtpCertificate&)>
        verifyCertificate;
    bool tlsSeenBefore = false; // the caller saw this server:port with TLS before
    std::function<bool(std::string_view host, std::uint16_t port)> confirmPlain;
    std::function<void(const BrowseSecurity&)> connected;
};

// The stages a run reports, as percentages of the progress bar.
enum Progress : int {
    kProgressConnecting = 10,
    kProgressConnected = 20,
    kProgressFolders = 30,
    kProgressFiles = 40,
    kProgressDone = 100,
};

class BrowseSink {
public:
    virtual ~BrowseSink() = default;
    virtual void ClearList() = 0;
    virtual void ReadFolderAndMask(std::string& folder, std::string& mask) = 0;
    virtual void SetFolderText(const std::string& folder) = 0;
    virtual void AddRows(std::vector<CRemoteEntry>&& rows) = 0;
    virtual void PostProgress(int percent) = 0;
    virtual void ShowMessage(int id) = 0;
    virtual void ForgetPassword() = 0;
    virtual void End(unsigned result) = 0;
};

unsigned RunBrowse(const BrowseRequest& request, BrowseSink& sink, std::atomic<int>& cancel);

} // namespace ftp
