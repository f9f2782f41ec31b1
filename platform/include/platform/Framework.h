// Application-wide framework set-up: Qt's own texts in the interface's language.
#pragma once

#include <string_view>

class QCoreApplication;

namespace platform {

// Installs Qt's translation for `language` (qtbase_<language>), so that framework buttons
// read like the rest of the interface. Returns false when the translation is not found.
bool InstallFrameworkTranslation(QCoreApplication& app, std::string_view language);

} // namespace platform
