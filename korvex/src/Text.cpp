#include "Text.hpp"

#include <cstring>

namespace korvex {

bool isValidUtf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c == 0)
            return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = 0;
        unsigned lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0)
                lo = 0xA0; // overlong
            else if (c == 0xED)
                hi = 0x9F; // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0)
                lo = 0x90;
            else if (c == 0xF4)
                hi = 0x8F;
        } else {
            return false;
        }
        if (n - i < len)
            return false;
        if (p[i + 1] < lo || p[i + 1] > hi)
            return false;
        for (std::size_t k = 2; k < len; ++k)
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}

std::size_t utf8Prefix(std::string_view s, std::size_t limit) {
    if (s.size() <= limit)
        return s.size();
    std::size_t n = limit;
    // Step back over continuation bytes so the cut lands before a lead byte.
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    return n;
}

bool copyOut(std::string_view s, char* buffer, int size) {
    if (buffer == nullptr || size < 1)
        return false;
    const std::size_t n = utf8Prefix(s, static_cast<std::size_t>(size) - 1);
    if (n > 0)
        std::memcpy(buffer, s.data(), n);
    buffer[n] = '\0';
    return true;
}

void clearOut(char* buffer, int size) {
    if (buffer != nullptr && size >= 1)
        buffer[0] = '\0';
}

} // namespace korvex
