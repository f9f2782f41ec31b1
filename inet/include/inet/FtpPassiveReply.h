// The data port a server names in its answer to PASV or EPSV. Only the port is read:
// data connections always go to the control connection's peer, whatever address a
// reply names.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace inet {

// The first line of a 227 reply: six numbers h1,h2,h3,h4,p1,p2 after the code,
// anywhere in the text, the port p1 * 256 + p2. std::nullopt when six such numbers
// are not there, p1 or p2 is past 255 or the port is 0.
std::optional<std::uint16_t> ParsePasvReply(std::string_view line);

// The first line of a 229 reply: after its first "(", one delimiter d three times, the
// port (1 to 65535, at most six digits) and d again, as in "(|||6446|)" (RFC 2428).
// std::nullopt otherwise.
std::optional<std::uint16_t> ParseEpsvReply(std::string_view line);

} // namespace inet
