// What both programs (tovalo, tovalo-screenshot) set up around the application object.
#pragma once

#include "korvex.h"

class QApplication;

namespace app {

// The application's name and icon, and Qt's own texts in the interface's language.
void InitApplication(QApplication& qapp);

// Bytes of the user name that fit the library's 260-byte buffer with its terminator.
inline constexpr int kNameBufferSize = KORVEX_TEXT_BUFFER;

} // namespace app
