// Start-up hooks of the application object that tests (and platforms without them) use.
#pragma once

#include "korvex.h"

#include <functional>

namespace app {

// The OLE initialisation step of start-up; nothing needs initialising on Linux, so the
// default succeeds. Tests replace it to see the failure path.
void SetOleInitForTesting(std::function<bool()> fn);
bool OleInit();

// Bytes of the user name that fit the library's 260-byte buffer with its terminator.
inline constexpr int kNameBufferSize = KORVEX_TEXT_BUFFER;

} // namespace app
