// String-table IDs of the browser's messages, and their texts for callers without the
// GUI resources (the command-line lister).
#pragma once

#include <string_view>

namespace ftp {

inline constexpr int kMsgConfirmConnect = 133;
inline constexpr int kMsgConnectFailed = 134;
inline constexpr int kMsgBadFolder = 135;
inline constexpr int kMsgCancelled = 137;
inline constexpr int kMsgPasswordNeeded = 146;
inline constexpr int kMsgListFailed = 165;

// The text of one of the IDs above; empty for any other ID.
std::string_view FtpMessageText(int id);

} // namespace ftp
