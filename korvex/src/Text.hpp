// UTF-8 helpers for texts crossing the C boundary.
#pragma once

#include <cstddef>
#include <string_view>

namespace korvex {

// True when `s` is well-formed UTF-8 (no overlongs, surrogates or code points
// past U+10FFFF) and holds no NUL byte.
bool isValidUtf8(std::string_view s);

// Length of the longest prefix of `s` of at most `limit` bytes that ends on a
// character boundary. `s` is assumed well-formed.
std::size_t utf8Prefix(std::string_view s, std::size_t limit);

// Copies `s` into a caller's buffer of `size` bytes, cut at a character
// boundary and terminated. Returns false (writing nothing) when `buffer` is
// null or `size` is below 1.
bool copyOut(std::string_view s, char* buffer, int size);

// Writes an empty text into the buffer when it can hold one.
void clearOut(char* buffer, int size);

} // namespace korvex
