#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 0 when it is not one.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    std::size_t n;
    if (b0 < 0x80)
        return 1;
    if (b0 >= 0xC2 && b0 <= 0xDF)
        n = 2;
    else if (b0 >= 0xE0 && b0 <= 0xEF)
        n = 3;
    else if (b0 >= 0xF0 && b0 <= 0xF4)
        n = 4;
    else
        return 0;
    if (i + n > text.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 0;
    }
    const auto b1 = static_cast<unsigned char>(text[i + 1]);
    if ((b0 == 0xE0 && b1 < 0xA0) || (b0 == 0xED && b1 > 0x9F) || (b0 == 0xF0 && b1 < 0x90) ||
        (b0 == 0xF4 && b1 > 0x8F))
        return 0;
    return n;
}

} // namespace

std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes) {
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t n = SequenceLength(text, i);
        if (n == 0)
            n = 1; // a stray byte stands for itself
        if (i + n > maxBytes)
            break;
        i += n;
    }
    return i;
}

std::string Utf8Cut(std::string_view text, std::size_t maxBytes) {
    return std::string(text.substr(0, Utf8PrefixLength(text, maxBytes)));
}

std::size_t Utf8CopyToBuffer(std::string_view text, char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0)
        return 0;
    const std::size_t n = Utf8PrefixLength(text, size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

std::string FromBuffer(const char* buffer, std::size_t size) {
    if (buffer == nullptr)
        return {};
    const void* end = std::memchr(buffer, '\0', size);
    const std::size_t n =
        end ? static_cast<std::size_t>(static_cast<const char*>(end) - buffer) : size;
    return std::string(buffer, n);
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = SequenceLength(text, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string TrimRight(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && std::strchr(" \t\r\n\v\f", text[n - 1]) != nullptr && text[n - 1] != '\0')
        --n;
    return std::string(text.substr(0, n));
}

std::string FormatString(std::string_view format, std::string_view arg) {
    const std::size_t at = format.find("%s");
    if (at == std::string_view::npos)
        return std::string(format);
    std::string out(format.substr(0, at));
    out += arg;
    out += format.substr(at + 2);
    return out;
}

} // namespace platform
