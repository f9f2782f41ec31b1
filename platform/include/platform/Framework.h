// Application-wide framework set-up: the Japanese translation of Qt's own texts, the
// dialog font.
#pragma once

#include <QFont>

#include <string_view>

class QCoreApplication;

namespace platform {

// Installs Qt's Japanese translation (qtbase_ja), so that framework buttons read like the
// rest of the interface. Returns false when the translation is not found.
bool InstallFrameworkTranslation(QCoreApplication& app);

// The font a template names, requested with the metric-compatible fallback
// ("ＭＳ Ｐゴシック" -> IPAPGothic).
QFont DialogFont(std::string_view face, int pointSize);

} // namespace platform
