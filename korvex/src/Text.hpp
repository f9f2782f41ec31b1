// Helpers for texts crossing the C boundary: byte strings that are UTF-8 or,
// failing that, taken as CP932 when they are cut or split.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// True when `s` is well-formed UTF-8 (no overlongs, surrogates or code points
// past U+10FFFF) and holds no NUL byte.
bool isValidUtf8(std::string_view s);

// Length of the well-formed UTF-8 character starting at s[i], or 0 when none
// starts there (also for NUL).
std::size_t utf8CharLength(std::string_view s, std::size_t i);

// Length of the character starting at s[i] in a text that is not UTF-8: 2 for
// a CP932 lead byte (0x81-0x9F, 0xE0-0xFC) followed by any byte, else 1.
std::size_t cp932CharLength(std::string_view s, std::size_t i);

// Length of the longest prefix of `s` of at most `limit` bytes that ends on a
// character boundary, UTF-8 characters when `utf8`, CP932 ones otherwise.
std::size_t textPrefix(std::string_view s, std::size_t limit, bool utf8);
inline std::size_t textPrefix(std::string_view s, std::size_t limit) {
    return textPrefix(s, limit, isValidUtf8(s));
}

// Copies `s` into a caller's buffer of `size` bytes, cut at a character
// boundary and terminated. Returns false (writing nothing) when `buffer` is
// null or `size` is below 1.
bool copyOut(std::string_view s, bool utf8, char* buffer, int size);
inline bool copyOut(std::string_view s, char* buffer, int size) {
    return copyOut(s, isValidUtf8(s), buffer, size);
}

// Writes an empty text into the buffer when it can hold one.
void clearOut(char* buffer, int size);

// The escaped form of a text that is not UTF-8: its bytes as lowercase hex.
std::string toHex(std::string_view bytes);
// The bytes of an escaped form; nothing unless `hex` is the one spelling that
// toHex gives for a text that is not UTF-8 (non-empty, no 00 byte).
std::optional<std::string> fromHex(std::string_view hex);

} // namespace korvex
