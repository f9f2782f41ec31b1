// Server texts as users write them in an account or proxy: "host", "host:port",
// "[ipv6-address]" or "[ipv6-address]:port". Without a port it is 21. A bare IPv6 address
// (two colons or more, no brackets) is a host without a port.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace inet {

inline constexpr std::uint16_t kFtpPort = 21;

struct FtpServerAddress {
    std::string host; // without brackets
    std::uint16_t port = kFtpPort;
};

// std::nullopt for an empty host, a port that is not 1-65535 in decimal, unbalanced
// brackets, or a host holding blanks, control bytes or '@' (which would change the
// meaning of a proxy login "user@host").
std::optional<FtpServerAddress> ParseServerAddress(std::string_view text);

// "host" for port 21, "host:port" otherwise; an IPv6 address goes in brackets before
// a port. With withPort the port is always written.
std::string FormatServerAddress(const FtpServerAddress& address, bool withPort = false);

} // namespace inet
