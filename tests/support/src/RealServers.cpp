#include "support/RealServers.h"
#include "support/ScriptedFtpServer.h"

#include <fstream>
#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace test {
namespace {

using namespace std::chrono_literals;

std::uint16_t FreePort() {
    std::uint16_t port = 0;
    const int fd = ListenOnLoopback(port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

bool Greets(std::uint16_t port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval tv{1, 0};
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    char buf[4] = {};
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
                    ::recv(s, buf, 3, MSG_WAITALL) == 3 && std::string(buf) == "220";
    ::close(s);
    return ok;
}

// Waits until `ready` holds, giving up when the program ended or after 20 s.
template <class Ready> bool WaitUntil(ChildProcess& p, Ready ready) {
    for (auto deadline = std::chrono::steady_clock::now() + 20s;
         std::chrono::steady_clock::now() < deadline && p.Running();
         std::this_thread::sleep_for(50ms))
        if (ready())
            return true;
    return false;
}

} // namespace

PyFtpServer::PyFtpServer(std::vector<User> users) : m_users(std::move(users)) {
    for (const User& u : m_users)
        MakeDir(u.home);
}

void PyFtpServer::MakeDir(const std::string& relative) {
    std::filesystem::create_directories(m_root.path / relative);
}

void PyFtpServer::MakeFile(const std::string& relative, const std::string& content) {
    const std::filesystem::path p = m_root.path / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
}

bool PyFtpServer::Start() {
    std::vector<std::string> args = {"/usr/bin/python3", TOVALO_PYFTPD_RUNNER,
                                     m_root.path.string()};
    for (const User& u : m_users)
        args.push_back(u.name + ":" + u.password + ":" + u.home);
    m_process = std::make_unique<ChildProcess>(args);
    std::string out;
    if (!WaitUntil(*m_process,
                   [&] { return (out = m_process->Output()).find('\n') != out.npos; }) ||
        out.rfind("PORT ", 0) != 0) {
        m_error = "pyftpdlib did not start: " + m_process->Wait(1s).err;
        return false;
    }
    m_port = static_cast<std::uint16_t>(std::stoi(out.substr(5)));
    return true;
}

VsftpdServer::VsftpdServer(bool tls) : m_tls(tls) {
    std::filesystem::create_directory(Root());
    // vsftpd lists as its unprivileged user.
    std::filesystem::permissions(m_work.path, std::filesystem::perms(0755));
}

bool VsftpdServer::Start() {
    if (::geteuid() != 0 || ::access("/usr/sbin/vsftpd", X_OK) != 0) {
        m_error = "vsftpd needs root and /usr/sbin/vsftpd";
        return false;
    }
    if (m_tls && !(m_cert = MakeTestCertificate(m_work.path, "DNS:localhost")).error.empty()) {
        m_error = m_cert.error;
        return false;
    }
    std::filesystem::create_directories("/var/run/vsftpd/empty");
    m_port = FreePort();
    const std::uint16_t low = FreePort();
    const std::string conf = (m_work.path / "vsftpd.conf").string();
    std::ofstream out(conf);
    out << "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=" << m_port
        << "\nbackground=NO\nanonymous_enable=YES\nno_anon_password=YES\nanon_root="
        << Root().string() << "\nlocal_enable=NO\nwrite_enable=NO\ndirmessage_enable=NO\n"
        << "connect_from_port_20=NO\npasv_enable=YES\npasv_address=127.0.0.1\npasv_min_port=" << low
        << "\npasv_max_port=" << std::min(low + 50, 65535) << "\nseccomp_sandbox=NO\n"
        << "secure_chroot_dir=/var/run/vsftpd/empty\nxferlog_enable=YES\n"
        << "xferlog_std_format=NO\nlog_ftp_protocol=YES\nvsftpd_log_file="
        << (m_work.path / "vsftpd.log").string() << "\n";
    if (m_tls) {
        out << "ssl_enable=YES\nallow_anon_ssl=YES\nforce_anon_logins_ssl=YES\n"
            << "force_anon_data_ssl=YES\nrequire_ssl_reuse=YES\nssl_ciphers=HIGH\n"
            << "debug_ssl=YES\nrsa_cert_file=" << m_cert.certFile.string()
            << "\nrsa_private_key_file=" << m_cert.keyFile.string() << "\n";
    }
    out.close();
    m_process = std::make_unique<ChildProcess>(std::vector<std::string>{"/usr/sbin/vsftpd", conf});
    if (!WaitUntil(*m_process, [&] { return Greets(m_port); })) {
        m_error = "vsftpd did not greet: " + m_process->Wait(1s).err;
        return false;
    }
    return true;
}

// Log lines end in: <marker>Client "127.0.0.1", "<text>"
std::vector<std::string> VsftpdServer::Logged(const std::string& marker) const {
    std::ifstream in(m_work.path / "vsftpd.log");
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t at = line.find(marker);
        const std::size_t open = line.find(", \"", at);
        if (at != std::string::npos && open != std::string::npos && line.size() >= open + 4 &&
            line.back() == '"')
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
