#include "platform/Framework.h"

#include "platform/Qt.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace platform {

bool InstallFrameworkTranslation(QCoreApplication& app, std::string_view language) {
    auto* tr = new QTranslator(&app);
    const QStringList dirs{QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                           QStringLiteral("/usr/share/qt6/translations")};
    for (const QString& dir : dirs) {
        if (tr->load(QStringLiteral("qtbase_") + ToQ(language), dir)) {
            app.installTranslator(tr);
            return true;
        }
    }
    delete tr;
    return false;
}

} // namespace platform
