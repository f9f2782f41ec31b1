#include "platform/Framework.h"

#include "platform/Qt.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace platform {

bool InstallFrameworkTranslation(QCoreApplication& app) {
    auto* tr = new QTranslator(&app);
    const QStringList dirs{QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                           QStringLiteral("/usr/share/qt6/translations")};
    for (const QString& dir : dirs) {
        if (tr->load(QStringLiteral("qtbase_ja"), dir)) {
            app.installTranslator(tr);
            return true;
        }
    }
    delete tr;
    return false;
}

QFont DialogFont(std::string_view face, int pointSize) {
    QFont f;
    // setFamily alone would fall back to the default sans font: IPAPGothic has the
    // metrics the templates were laid out with.
    f.setFamilies({ToQ(face), QStringLiteral("IPAPGothic")});
    f.setPointSize(pointSize > 0 ? pointSize : 9);
    return f;
}

} // namespace platform
