// Byte-oriented UTF-8 text helpers. Every text of the program is UTF-8 in a std::string;
// limits count bytes, and nothing ever splits a multibyte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Length of the longest prefix of `text` that has at most `maxBytes` bytes and ends on a
// character boundary. Bytes that are not valid UTF-8 count as one character each.
std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes);

// That prefix as a string.
std::string Utf8Cut(std::string_view text, std::size_t maxBytes);

// Copies `text` into buffer[0..size) cut at a character boundary and always terminated
// (nothing is written when size is 0). Returns the number of text bytes written.
std::size_t Utf8CopyToBuffer(std::string_view text, char* buffer, std::size_t size);

// Text of a zero-terminated buffer of `size` bytes that may lack its terminator.
std::string FromBuffer(const char* buffer, std::size_t size);

// True when `text` is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

// Removes trailing blanks (space, tab, CR, LF, vertical tab, form feed).
std::string TrimRight(std::string_view text);

// Replaces the first "%s" of `format` with `arg` (the one printf form the string table uses).
std::string FormatString(std::string_view format, std::string_view arg);

} // namespace platform
