// Remote names are the server's bytes: they go back to the server and into the task file
// exactly as listed. Only what the user sees of them is decoded, here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ftp {

// The readable form of a server's bytes: the bytes themselves when they are UTF-8, else
// their CP932 (Windows-31J) decoding, with each byte that does not decode shown as \xNN.
std::string DisplayName(std::string_view bytes);

// `utf8` re-encoded in CP932, for servers that name their files so; nothing when the text
// is plain ASCII (the encoding would not differ), not UTF-8, or has a character CP932
// cannot represent.
std::optional<std::string> ToCp932(std::string_view utf8);

// `text` with every control byte (0x00-0x1F, 0x7F) written as \xNN, so that a name can
// neither move a terminal nor break a TAB-separated line.
std::string EscapeControls(std::string_view text);

// False for a name no FTP client can open or fetch: it holds NUL, CR or LF.
bool IsFetchableName(std::string_view name);

} // namespace ftp
