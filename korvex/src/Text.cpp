#include "Text.hpp"

#include <cstring>

namespace korvex {

std::size_t utf8CharLength(std::string_view s, std::size_t i) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    const unsigned char c = p[i];
    if (c == 0)
        return 0;
    if (c < 0x80)
        return 1;
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
        return 0;
    }
    if (n - i < len)
        return 0;
    if (p[i + 1] < lo || p[i + 1] > hi)
        return 0;
    for (std::size_t k = 2; k < len; ++k)
        if ((p[i + k] & 0xC0) != 0x80)
            return 0;
    return len;
}

bool isValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = utf8CharLength(s, i);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

std::size_t cp932CharLength(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    return lead && i + 1 < s.size() ? 2 : 1;
}

std::size_t textPrefix(std::string_view s, std::size_t limit, bool utf8) {
    if (s.size() <= limit)
        return s.size();
    if (utf8) {
        std::size_t n = limit;
        // Step back over continuation bytes so the cut lands before a lead byte.
        while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
            --n;
        return n;
    }
    // A trail byte looks like a lead or a single byte, so only a walk from the
    // start finds the boundaries.
    std::size_t n = 0;
    while (n < s.size()) {
        const std::size_t len = cp932CharLength(s, n);
        if (n + len > limit)
            break;
        n += len;
    }
    return n;
}

bool copyOut(std::string_view s, bool utf8, char* buffer, int size) {
    if (buffer == nullptr || size < 1)
        return false;
    const std::size_t n = textPrefix(s, static_cast<std::size_t>(size) - 1, utf8);
    if (n > 0)
        std::memcpy(buffer, s.data(), n);
    buffer[n] = '\0';
    return true;
}

void clearOut(char* buffer, int size) {
    if (buffer != nullptr && size >= 1)
        buffer[0] = '\0';
}

std::string toHex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        out += digits[c >> 4];
        out += digits[c & 0xF];
    }
    return out;
}

std::optional<std::string> fromHex(std::string_view hex) {
    if (hex.empty() || hex.size() % 2 != 0)
        return std::nullopt;
    auto digit = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string out;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = digit(hex[i]), lo = digit(hex[i + 1]);
        if (hi < 0 || lo < 0 || (hi == 0 && lo == 0))
            return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
    }
    // A UTF-8 text has its own spelling, a plain JSON string.
    if (isValidUtf8(out))
        return std::nullopt;
    return out;
}

} // namespace korvex
