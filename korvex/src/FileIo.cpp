#include "FileIo.hpp"

#include "Item.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex {

namespace {

// Closes on every way out, also when a buffer cannot grow.
struct FileDescriptor {
    int fd;
    explicit FileDescriptor(int f) : fd(f) {}
    ~FileDescriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
};

// Read without changing it: setting and restoring the mask would race with
// files other threads of the caller create meanwhile.
mode_t currentUmask() {
    std::FILE* f = std::fopen("/proc/self/status", "re");
    unsigned mask = 022;
    if (f != nullptr) {
        char line[256];
        while (std::fgets(line, sizeof line, f) != nullptr)
            if (std::sscanf(line, "Umask: %o", &mask) == 1)
                break;
        std::fclose(f);
    }
    return static_cast<mode_t>(mask & 0777);
}

} // namespace

bool readWholeFile(const char* path, std::string& out) {
    const FileDescriptor file(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    const int fd = file.fd;
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              static_cast<unsigned long long>(st.st_size) <= kMaxFileBytes;
    if (ok) {
        // Read at most one byte past the limit: a file that grew is refused too.
        out.resize(static_cast<std::size_t>(st.st_size) + 1);
        std::size_t got = 0;
        while (got < out.size()) {
            const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
            if (got > kMaxFileBytes) {
                ok = false;
                break;
            }
            if (got == out.size())
                out.resize(std::min(out.size() * 2, kMaxFileBytes + 1));
        }
        out.resize(got);
    }
    return ok;
}

bool writeFileAtomically(const char* given, std::string_view data) {
    // A link is written through, so it keeps pointing at the saved file;
    // renaming onto it would replace the link itself.
    std::string target(given);
    struct stat st {};
    if (lstat(given, &st) == 0 && S_ISLNK(st.st_mode)) {
        const std::unique_ptr<char, decltype(&std::free)> real(realpath(given, nullptr),
                                                               &std::free);
        if (real == nullptr)
            return false;
        target = real.get();
    }
    const char* path = target.c_str();
    // Only a regular file may be replaced: never a folder, a pipe or a device.
    const bool exists = stat(path, &st) == 0;
    if (exists && !S_ISREG(st.st_mode))
        return false;
    std::string dir(path);
    const std::size_t slash = dir.rfind('/');
    std::string base = slash == std::string::npos ? dir : dir.substr(slash + 1);
    dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash == 0 ? 1 : slash);
    if (base.empty())
        return false;
    std::string tmp = (dir == "/" ? std::string() : dir) + "/." + base + ".XXXXXX";
    const int fd = mkstemp(tmp.data());
    if (fd < 0)
        return false;
    // Keep the mode of a file being replaced; a new one gets the usual mode.
    const mode_t mode = exists ? st.st_mode & 07777 : 0666 & ~currentUmask();
    bool ok = fchmod(fd, mode) == 0;
    std::size_t done = 0;
    while (ok && done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<std::size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && rename(tmp.c_str(), path) == 0;
    if (!ok) {
        unlink(tmp.c_str());
        return false;
    }
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);
        ::close(dfd);
    }
    return true;
}

} // namespace korvex
