// Debian's vsftpd on 127.0.0.1 for anonymous, read-only listings of a temporary folder.
// Unlike pyftpdlib it lists a name's bytes as they are on disk, whatever their encoding,
// which is what Japanese servers in CP932 do. It needs root; Start() says why it failed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>

namespace test {

class VsftpdServer {
public:
    VsftpdServer();
    ~VsftpdServer();
    VsftpdServer(const VsftpdServer&) = delete;
    VsftpdServer& operator=(const VsftpdServer&) = delete;

    // Starts the server and waits (at most 20 s) for its greeting.
    bool Start();
    std::uint16_t Port() const { return m_port; }
    const std::string& Error() const { return m_error; }
    // The folder served; names under it are raw bytes.
    const std::filesystem::path& Root() const { return m_root; }

    static constexpr const char* kUser = "anonymous";

private:
    std::filesystem::path m_work; // configuration; Root() is inside
    std::filesystem::path m_root;
    pid_t m_pid = -1;
    std::uint16_t m_port = 0;
    std::string m_error;
};

} // namespace test
