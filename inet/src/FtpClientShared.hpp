// What the control and the data half of FtpClient share: the poll slice, closing a
// descriptor on every way out, and the checks both make.
#pragma once

#include <chrono>
#include <string_view>

#include <unistd.h>

namespace inet::detail {

// The longest single poll, so a stop is seen promptly.
constexpr std::chrono::milliseconds kSlice{100};

struct FdGuard {
    int fd = -1;
    FdGuard() = default;
    explicit FdGuard(int f) : fd(f) {}
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    ~FdGuard() { Reset(); }
    void Reset(int f = -1) {
        if (fd >= 0)
            ::close(fd);
        fd = f;
    }
    int Release() {
        int f = fd;
        fd = -1;
        return f;
    }
};

inline bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

inline bool Positive(int code) {
    return code >= 200 && code < 300;
}

} // namespace inet::detail
