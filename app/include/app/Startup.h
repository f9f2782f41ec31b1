// What both programs (tovalo, tovalo-screenshot) set up around the application object.
#pragma once

#include "korvex.h"

#include <QLocale>

class QApplication;

namespace app {

// The application's name and icon, and the interface's language for `locale`: English where
// the user prefers English to Japanese, else Japanese (Qt's own texts with it).
void InitApplication(QApplication& qapp, const QLocale& locale = QLocale::system());

// Bytes of the user name that fit the library's 260-byte buffer with its terminator.
inline constexpr int kNameBufferSize = KORVEX_TEXT_BUFFER;

} // namespace app
