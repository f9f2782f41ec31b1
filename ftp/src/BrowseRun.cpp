// The browse run shared by the window's worker and the command-line lister.
#include "ftp/BrowseRun.h"

#include "ftp/RemoteName.h"

#include "inet/FtpAddress.h"
#include "inet/FtpClient.h"
#include "inet/FtpListParser.h"
#include "res/Ids.h"

#include <algorithm>
#include <cstddef>
#include <deque>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>

namespace ftp {
namespace {

using inet::FtpErrorKind;

bool Cancelled(const std::atomic<int>& cancel) {
    return cancel.load() != 0;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

class Run {
public:
    Run(const BrowseRequest& request, BrowseSink& sink, std::atomic<int>& cancel)
        : m_req(request), m_sink(sink), m_cancel(cancel),
          m_server(inet::ParseServerAddress(request.server)),
          m_proxy(request.proxy ? inet::ParseServerAddress(request.proxy->server) : std::nullopt),
          m_client(Options()) {
        if (m_req.batchRows == 0)
            m_req.batchRows = 1;
    }

    unsigned Go();

private:
    inet::FtpOptions Options() {
        inet::FtpOptions o;
        if (m_server)
            o.port = m_server->port;
        if (m_req.proxy && m_proxy)
            o.proxy = inet::FtpProxy{m_proxy->host, m_proxy->port, m_req.proxy->userId,
                                     m_req.proxy->password};
        o.passive = m_req.passive;
        o.connectTimeout = m_req.connectTimeout;
        o.replyTimeout = m_req.replyTimeout;
        o.transferTimeout = m_req.transferTimeout;
        o.transferTotalTimeout = m_req.transferTotalTimeout;
        o.stop = &m_cancel;
        o.tls = m_req.tls;
        o.verify = [this](std::string_view host, std::uint16_t port,
                          const inet::FtpCertificate& cert) {
            for (const std::string& trusted : m_req.trustedFingerprints) {
                if (inet::CanonicalFingerprint(trusted) == cert.sha256)
                    return true;
            }
            return m_req.verifyCertificate && m_req.verifyCertificate(host, port, cert);
        };
        o.tlsSeenBefore = m_req.tlsSeenBefore;
        o.confirmPlain = m_req.confirmPlain;
        return o;
    }

    unsigned End(unsigned result, int message = 0) {
        m_client.Quit();
        if (message)
            m_sink.ShowMessage(message);
        m_sink.End(result);
        return result;
    }
    // After login: a stop ends silently here, anything else that broke the session is
    // IDS_LIST_FAILED.
    unsigned EndAfterFailure() {
        if (m_client.LastErrorKind() == FtpErrorKind::Stopped)
            return End(0);
        return End(0, IDS_LIST_FAILED);
    }
    // Hands rows to the sink in batches of at most batchRows.
    void Flush(std::vector<CRemoteEntry>& rows) {
        std::size_t next = 0;
        while (next < rows.size()) {
            std::size_t end = std::min(rows.size(), next + m_req.batchRows);
            std::vector<CRemoteEntry> part(std::make_move_iterator(rows.begin() + next),
                                           std::make_move_iterator(rows.begin() + end));
            m_sink.AddRows(std::move(part));
            next = end;
        }
        rows.clear();
    }

    // A folder the user typed is UTF-8; a server that names its files in CP932 refuses it
    // until it is sent in the server's own encoding.
    bool ChangeDirectory(const std::string& folder) {
        if (m_client.ChangeDirectory(folder))
            return true;
        if (m_client.LastErrorKind() != FtpErrorKind::Refused)
            return false;
        const std::optional<std::string> cp932 = ToCp932(folder);
        return cp932 && m_client.ChangeDirectory(*cp932);
    }

    BrowseRequest m_req;
    BrowseSink& m_sink;
    std::atomic<int>& m_cancel;
    std::optional<inet::FtpServerAddress> m_server;
    std::optional<inet::FtpServerAddress> m_proxy;
    inet::FtpClient m_client; // after the addresses: its options are made from them
};

unsigned Run::Go() {
    m_sink.ClearList();
    std::string folder, mask;
    m_sink.ReadFolderAndMask(folder, mask);
    m_sink.PostProgress(kProgressConnecting);
    if (Cancelled(m_cancel))
        return End(0, IDS_CANCELLED);

    const bool addressed = m_server && (!m_req.proxy || m_proxy);
    if (!addressed || !m_client.Connect(m_server->host, m_req.userId, m_req.password)) {
        if (addressed && m_client.LastErrorKind() == FtpErrorKind::Stopped)
            return End(0, IDS_CANCELLED);
        m_client.Close();
        m_sink.ShowMessage(IDS_CONNECT_FAILED);
        m_sink.ForgetPassword();
        m_sink.End(0);
        return 0;
    }
    if (m_req.connected)
        m_req.connected({m_client.IsTls(), m_client.IsDataProtected(), m_req.proxy.has_value(),
                         m_client.Certificate()});
    if (Cancelled(m_cancel))
        return End(0, IDS_CANCELLED);
    m_sink.PostProgress(kProgressConnected);

    if (!folder.empty()) {
        if (HasLineBreak(folder)) {
            m_sink.ShowMessage(IDS_BAD_FOLDER);
        } else if (!ChangeDirectory(folder)) {
            if (m_client.LastErrorKind() != FtpErrorKind::Refused)
                return EndAfterFailure();
            m_sink.ShowMessage(IDS_BAD_FOLDER);
        }
    }
    std::string current;
    if (m_client.PrintDirectory(current)) {
        folder = current;
        m_sink.SetFolderText(folder);
    } else if (m_client.LastErrorKind() != FtpErrorKind::Refused) {
        return EndAfterFailure();
    }
    m_sink.PostProgress(kProgressFolders);

    // One transfer serves both searches: folders are shown as they arrive, files are
    // kept for the second pass.
    std::vector<CRemoteEntry> folders;
    std::deque<CRemoteEntry> files; // handed on from the front: freed while the sink's grow
    bool anyMatch = false;          // the file search's "at least one entry matches the mask"
    bool tooLarge = false;
    std::size_t kept = 0, keptBytes = 0;
    bool listed = m_client.ListEntries([&](std::vector<inet::FtpListEntry>& batch) {
        for (inet::FtpListEntry& e : batch) {
            if (e.listedDir || inet::IsDots(e.name) || !IsFetchableName(e.name))
                continue;
            bool isFolder = e.kind == inet::FtpEntryKind::Folder;
            bool matches = inet::MatchesMask(e.name, mask);
            anyMatch = anyMatch || matches;
            if (!isFolder && !matches)
                continue;
            CRemoteEntry row;
            row.m_strPath = inet::JoinRemotePath(folder, e.name);
            const std::size_t bytes = row.m_strPath.size() + e.name.size();
            if (kept >= m_req.maxRows || bytes > m_req.maxTextBytes - keptBytes) {
                tooLarge = true;
                break;
            }
            ++kept;
            keptBytes += bytes;
            row.m_strEntryName = std::move(e.name);
            row.m_bFolder = isFolder ? 1 : 0;
            if (isFolder)
                folders.push_back(std::move(row));
            else
                files.push_back(std::move(row));
        }
        // A stop during the folder listing adds nothing more; the transfer then ends
        // at its next wait.
        if (!Cancelled(m_cancel))
            Flush(folders);
        return !tooLarge;
    });
    if (!listed)
        return EndAfterFailure();
    if (Cancelled(m_cancel))
        return End(0); // a stop during the folder listing ends without a message
    Flush(folders);
    m_sink.PostProgress(kProgressFiles);

    if (!anyMatch)
        return End(0, tooLarge ? IDS_LIST_TOO_LARGE : 0);
    do {
        if (Cancelled(m_cancel))
            return End(0, IDS_CANCELLED);
        const auto end =
            files.begin() + static_cast<std::ptrdiff_t>(std::min(files.size(), m_req.batchRows));
        if (end != files.begin()) {
            std::vector<CRemoteEntry> rows(std::make_move_iterator(files.begin()),
                                           std::make_move_iterator(end));
            files.erase(files.begin(), end);
            m_sink.AddRows(std::move(rows));
        }
    } while (!files.empty());
    if (tooLarge)
        return End(0, IDS_LIST_TOO_LARGE);
    m_sink.PostProgress(kProgressDone);
    return End(1);
}

} // namespace

unsigned RunBrowse(const BrowseRequest& request, BrowseSink& sink, std::atomic<int>& cancel) {
    Run run(request, sink, cancel);
    return run.Go();
}

} // namespace ftp
