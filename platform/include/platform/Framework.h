// Application-wide framework set-up: the interface's language, Qt's own texts with it.
#pragma once

#include "res/Resources.h"

#include <QStringList>

class QCoreApplication;

namespace platform {

// The interface's language for the user's languages, most preferred first (as
// QLocale::uiLanguages() gives them): the first that is Japanese or English; Japanese when
// none is, as for the C locale.
res::Language ChooseLanguage(const QStringList& uiLanguages);

// Sets the language of the program's texts and of Qt's own (framework buttons read like the
// rest of the interface); a later call replaces an earlier one. Returns false when Qt's
// translation is not found.
bool SetInterfaceLanguage(QCoreApplication& app, res::Language language);

} // namespace platform
