#include "support/VsftpdServer.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace test {
namespace {

std::uint16_t FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    std::uint16_t port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

bool Greets(std::uint16_t port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = false;
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        pollfd p{s, POLLIN, 0};
        char buf[4] = {};
        ok = ::poll(&p, 1, 1000) == 1 && ::recv(s, buf, 3, 0) == 3 && std::strcmp(buf, "220") == 0;
    }
    ::close(s);
    return ok;
}

} // namespace

VsftpdServer::VsftpdServer() : VsftpdServer(Options{.tls = false}) {}

VsftpdServer::VsftpdServer(Options options) : m_options(options) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tovalo-vsftpd-XXXXXX").string();
    if (char* dir = ::mkdtemp(tmpl.data())) {
        m_work = dir;
        m_root = m_work / "root";
        std::filesystem::create_directory(m_root);
        // vsftpd lists as its unprivileged user.
        std::filesystem::permissions(m_work, std::filesystem::perms(0755));
    }
}

VsftpdServer::~VsftpdServer() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    std::error_code ec;
    if (!m_work.empty())
        std::filesystem::remove_all(m_work, ec);
}

bool VsftpdServer::Start() {
    if (::geteuid() != 0 || ::access("/usr/sbin/vsftpd", X_OK) != 0) {
        m_error = "vsftpd needs root and /usr/sbin/vsftpd";
        return false;
    }
    if (m_work.empty()) {
        m_error = "no temporary folder";
        return false;
    }
    if (m_options.tls) {
        m_cert = MakeTestCertificate(m_work, "DNS:localhost");
        if (!m_cert.error.empty()) {
            m_error = m_cert.error;
            return false;
        }
    }
    std::filesystem::create_directories("/var/run/vsftpd/empty");
    m_port = FreePort();
    const std::uint16_t low = FreePort();
    const std::string conf = (m_work / "vsftpd.conf").string();
    std::ofstream out(conf);
    out << "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\n"
        << "listen_port=" << m_port << "\nbackground=NO\n"
        << "anonymous_enable=YES\nno_anon_password=YES\n"
        << "anon_root=" << m_root.string() << "\nlocal_enable=NO\n"
        << "write_enable=NO\ndirmessage_enable=NO\n"
        << "connect_from_port_20=NO\npasv_enable=YES\n"
        << "pasv_address=127.0.0.1\npasv_min_port=" << low
        << "\npasv_max_port=" << std::min(low + 50, 65535) << "\nseccomp_sandbox=NO\n"
        << "secure_chroot_dir=/var/run/vsftpd/empty\n"
        << "xferlog_enable=YES\nxferlog_std_format=NO\nlog_ftp_protocol=YES\n"
        << "vsftpd_log_file=" << (m_work / "vsftpd.log").string() << "\n";
    if (m_options.tls) {
        out << "ssl_enable=YES\nallow_anon_ssl=YES\nforce_anon_logins_ssl=YES\n"
            << "force_anon_data_ssl=YES\nrequire_ssl_reuse=YES\nssl_ciphers=HIGH\n"
            << "debug_ssl=YES\n"
            << "rsa_cert_file=" << m_cert.certFile.string() << "\n"
            << "rsa_private_key_file=" << m_cert.keyFile.string() << "\n";
    }
    out.close();
    std::string exe = "/usr/sbin/vsftpd", arg = conf;
    char* argv[] = {exe.data(), arg.data(), nullptr};
    if (const int rc = ::posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv, environ); rc != 0) {
        m_pid = -1;
        m_error = std::strerror(rc);
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1;
            m_error = "vsftpd ended at start";
            return false;
        }
        if (Greets(m_port))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    m_error = "vsftpd did not greet";
    return false;
}

// Log lines end in: <marker>Client "127.0.0.1", "<text>"
std::vector<std::string> VsftpdServer::Logged(const std::string& marker) const {
    std::ifstream in(m_work / "vsftpd.log");
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t at = line.find(marker);
        if (at == std::string::npos)
            continue;
        const std::size_t open = line.find(", \"", at);
        if (open == std::string::npos || line.size() < open + 4 || line.back() != '"')
            continue;
        out.push_back(line.substr(open + 3, line.size() - open - 4));
    }
    return out;
}

std::vector<std::string> VsftpdServer::Commands() const {
    return Logged("FTP command: ");
}

std::vector<std::string> VsftpdServer::TlsNotes() const {
    return Logged("DEBUG: ");
}

} // namespace test
