// tovalo-ls: lists one remote folder with the same browse run as the main window.
//
//   tovalo-ls [--passive] [--timeout S] [--tls auto|require|off] [--trust SHA256]
//             [--proxy HOST[:PORT]] [--proxy-user ID] [--max-rows N] [--bytes]
//             HOST[:PORT] USER [FOLDER [MASK]]
//
// The password comes from TOVALO_PASSWORD, the proxy's from TOVALO_PROXY_PASSWORD.
// --port N is kept as another way to write HOST:N. Standard output: the folder text as the run
// leaves it, then "D<TAB>name<TAB>path" or "F<TAB>name<TAB>path" per row. Names and paths
// are shown as the window shows them (CP932 names decoded); --bytes prints the server's
// bytes instead. Either way a control byte is printed as \xNN. FOLDER is sent as given. Standard
// error: the texts of the messages the window would show, one per line. Exit status 0
// after a complete run, 1 after an early end, 2 for wrong usage or no password, 3 when the
// folder was too large to list whole: the rows printed are the first ones found, at most
// --max-rows (1,000,000 by default) and 256 MiB of names and paths. Ctrl-C is the stop
// button.
//
// --timeout S bounds each wait (connecting, each reply, a listing without progress) by S
// seconds and the whole listing by 20 times S (by default 20, 30, 30 seconds and 10
// minutes).
//
// --tls auto (the default) encrypts when the server accepts AUTH TLS, require ends the run
// when it does not, off never asks. Nobody is asked about a certificate: one that does not
// verify against the system's trusted roots and HOST passes only when its SHA-256
// fingerprint is a --trust value (64 hex digits, colons allowed, any case); otherwise
// standard error gets "certificate not trusted: SHA256 AA:BB:..." and the run ends as a
// failed connection before the login is sent.
//
// --proxy logs in through an FTP proxy with "USER user@host"; with --proxy-user the proxy
// gets its own USER and PASS first. Through a proxy TLS is not attempted, so --tls require
// with --proxy ends as a failed connection before anything is sent.
#include "ftp/BrowseRun.h"
#include "ftp/RemoteName.h"
#include "inet/FtpAddress.h"
#include "inet/FtpTls.h"
#include "res/Ids.h"
#include "res/Resources.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <signal.h>

namespace {

std::atomic<int> g_cancel{0};
static_assert(std::atomic<int>::is_always_lock_free, "the stop flag is set from a signal handler");

extern "C" void OnInterrupt(int) {
    g_cancel.store(1);
}

constexpr const char* kUsage =
    "usage: tovalo-ls [--passive] [--timeout S] [--tls auto|require|off] [--trust SHA256]\n"
    "                 [--proxy HOST[:PORT]] [--proxy-user ID] [--max-rows N] [--bytes]\n"
    "                 HOST[:PORT] USER [FOLDER [MASK]]\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

void WriteLine(std::string_view text, std::FILE* to) {
    std::fwrite(text.data(), 1, text.size(), to);
    std::fputc('\n', to);
}

class ListerSink : public ftp::BrowseSink {
public:
    ListerSink(std::string folder, std::string mask, bool bytes)
        : m_folder(std::move(folder)), m_mask(std::move(mask)), m_bytes(bytes) {}

    void ClearList() override { m_rows.clear(); }
    void ReadFolderAndMask(std::string& folder, std::string& mask) override {
        folder = m_folder;
        mask = m_mask;
    }
    void SetFolderText(const std::string& folder) override { m_folder = folder; }
    void AddRows(std::vector<CRemoteEntry>&& rows) override {
        for (auto& r : rows)
            m_rows.push_back(std::move(r));
    }
    void PostProgress(int) override {}
    void ShowMessage(int id) override {
        m_tooLarge = m_tooLarge || id == IDS_LIST_TOO_LARGE;
        WriteLine(res::LoadString(id), stderr);
        std::fflush(stderr);
    }
    void ForgetPassword() override {}
    void End(unsigned) override {}

    bool TooLarge() const { return m_tooLarge; }

    void Print() const {
        // In pieces: a million rows printed at once would take as much memory again.
        constexpr std::size_t kPiece = 1 << 20;
        std::string out;
        out.reserve(kPiece + 1024);
        out.append(Shown(m_folder)).push_back('\n');
        for (const auto& r : m_rows) {
            out.append(r.m_bFolder ? "D\t" : "F\t");
            out.append(Shown(r.m_strEntryName)).push_back('\t');
            out.append(Shown(r.m_strPath)).push_back('\n');
            if (out.size() >= kPiece) {
                std::fwrite(out.data(), 1, out.size(), stdout);
                out.clear();
            }
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
        std::fflush(stdout);
    }

private:
    std::string Shown(const std::string& bytes) const {
        return ftp::EscapeControls(m_bytes ? bytes : ftp::DisplayName(bytes));
    }

    std::string m_folder;
    std::string m_mask;
    bool m_bytes;
    bool m_tooLarge = false;
    std::deque<CRemoteEntry> m_rows; // grows without copying what it holds
};

bool ParsePort(const char* text, std::uint16_t& port) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno || end == text || *end || v < 1 || v > 65535)
        return false;
    port = static_cast<std::uint16_t>(v);
    return true;
}

bool ParseCount(const char* text, std::size_t& count) {
    if (*text < '0' || *text > '9') // strtoull would take "-1" and blanks
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(text, &end, 10);
    if (errno || *end || v == 0)
        return false;
    count = static_cast<std::size_t>(v);
    return true;
}

bool ParseTlsMode(std::string_view text, inet::FtpTlsMode& mode) {
    if (text == "auto")
        mode = inet::FtpTlsMode::Auto;
    else if (text == "require")
        mode = inet::FtpTlsMode::Require;
    else if (text == "off")
        mode = inet::FtpTlsMode::Off;
    else
        return false;
    return true;
}

bool ParseSeconds(const char* text, std::chrono::milliseconds& ms) {
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(text, &end);
    if (errno || end == text || *end || !(v > 0) || v > 86400)
        return false;
    ms = std::chrono::milliseconds(static_cast<long long>(v * 1000 + 0.5));
    if (ms.count() == 0)
        ms = std::chrono::milliseconds(1);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    ftp::BrowseRequest req;
    std::vector<std::string> args;
    bool bytes = false;
    std::uint16_t port = 0; // --port: overrides the one in HOST
    std::optional<ftp::BrowseProxy> proxy;
    std::string proxyUser;
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        if (a == "--passive") {
            req.passive = true;
        } else if (a == "--bytes") {
            bytes = true;
        } else if (a == "--port" || a == "--timeout" || a == "--tls" || a == "--trust" ||
                   a == "--proxy" || a == "--proxy-user" || a == "--max-rows") {
            if (i + 1 >= argc)
                return Usage();
            const char* value = argv[++i];
            if (a == "--port") {
                if (!ParsePort(value, port))
                    return Usage();
            } else if (a == "--proxy") {
                if (!inet::ParseServerAddress(value))
                    return Usage();
                proxy = ftp::BrowseProxy{value, {}, {}};
            } else if (a == "--proxy-user") {
                proxyUser = value;
            } else if (a == "--max-rows") {
                if (!ParseCount(value, req.maxRows))
                    return Usage();
            } else if (a == "--tls") {
                if (!ParseTlsMode(value, req.tls))
                    return Usage();
            } else if (a == "--trust") {
                const auto fingerprint = inet::CanonicalFingerprint(value);
                if (!fingerprint)
                    return Usage();
                req.trustedFingerprints.push_back(*fingerprint);
            } else {
                std::chrono::milliseconds t{};
                if (!ParseSeconds(value, t))
                    return Usage();
                req.connectTimeout = req.replyTimeout = req.transferTimeout = t;
                req.transferTotalTimeout = 20 * t;
            }
        } else if (a == "--") {
            for (++i; i < argc; ++i)
                args.emplace_back(argv[i]);
        } else if (a.size() > 1 && a[0] == '-' && args.empty()) {
            return Usage();
        } else {
            args.emplace_back(a);
        }
    }
    if (args.size() < 2 || args.size() > 4)
        return Usage();
    const char* password = std::getenv("TOVALO_PASSWORD");
    if (!password || !*password) {
        WriteLine(res::LoadString(IDS_PASSWORD_NEEDED), stderr);
        return 2;
    }
    auto server = inet::ParseServerAddress(args[0]);
    if (!server || (!proxyUser.empty() && !proxy))
        return Usage();
    if (port != 0)
        server->port = port;
    req.server = inet::FormatServerAddress(*server);
    req.userId = args[1];
    req.password = password;
    if (proxy) {
        proxy->userId = proxyUser;
        if (!proxyUser.empty()) {
            const char* proxyPassword = std::getenv("TOVALO_PROXY_PASSWORD");
            proxy->password = proxyPassword ? proxyPassword : "";
        }
        req.proxy = std::move(proxy);
    }
    // Only reached when the certificate neither verified nor matched --trust.
    req.verifyCertificate = [](std::string_view, std::uint16_t, const inet::FtpCertificate& c) {
        WriteLine("certificate not trusted: SHA256 " + c.sha256, stderr);
        std::fflush(stderr);
        return false;
    };

    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    ListerSink sink(args.size() > 2 ? args[2] : std::string(),
                    args.size() > 3 ? args[3] : std::string(), bytes);
    unsigned result = ftp::RunBrowse(req, sink, g_cancel);
    sink.Print();
    if (sink.TooLarge())
        return 3;
    return result == 1 ? 0 : 1;
}
