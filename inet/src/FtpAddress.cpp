#include "inet/FtpAddress.h"

#include <algorithm>

namespace inet {
namespace {

bool ParsePort(std::string_view digits, std::uint16_t& port) {
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    unsigned v = 0;
    for (char c : digits)
        v = v * 10 + static_cast<unsigned>(c - '0');
    if (v == 0 || v > 65535)
        return false;
    port = static_cast<std::uint16_t>(v);
    return true;
}

bool SoundHost(std::string_view host) {
    return !host.empty() && std::none_of(host.begin(), host.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= 0x20 || u == 0x7F || c == '@' || c == '[' || c == ']' || c == '/';
    });
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::optional<FtpServerAddress> ParseServerAddress(std::string_view text) {
    text = Trim(text);
    FtpServerAddress out;
    std::string_view host = text;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = text.substr(1, close - 1);
        std::string_view rest = text.substr(close + 1);
        if (!rest.empty() && (rest.front() != ':' || !ParsePort(rest.substr(1), out.port)))
            return std::nullopt;
    } else if (const auto colon = text.find(':');
               colon != std::string_view::npos &&
               text.find(':', colon + 1) == std::string_view::npos) {
        host = text.substr(0, colon);
        if (!ParsePort(text.substr(colon + 1), out.port))
            return std::nullopt;
    }
    if (!SoundHost(host))
        return std::nullopt;
    out.host = std::string(host);
    return out;
}

std::string FormatServerAddress(const FtpServerAddress& address, bool withPort) {
    if (!withPort && address.port == kFtpPort)
        return address.host;
    const bool v6 = address.host.find(':') != std::string::npos;
    return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

} // namespace inet
