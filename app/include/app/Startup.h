// Start-up constants of the application object.
#pragma once

#include "korvex.h"

namespace app {

// Bytes of the user name that fit the library's 260-byte buffer with its terminator.
inline constexpr int kNameBufferSize = KORVEX_TEXT_BUFFER;

} // namespace app
