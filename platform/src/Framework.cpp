#include "platform/Framework.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace platform {

res::Language ChooseLanguage(const QStringList& uiLanguages) {
    for (const QString& name : uiLanguages) {
        switch (QLocale(name).language()) {
        case QLocale::Japanese:
            return res::Language::Japanese;
        case QLocale::English:
            return res::Language::English;
        default:
            break;
        }
    }
    return res::Language::Japanese;
}

bool SetInterfaceLanguage(QCoreApplication& app, res::Language language) {
    static const QString kName = QStringLiteral("tovaloFrameworkTranslation");
    res::SetLanguage(language);
    // A translator leaves the application when it is deleted.
    delete app.findChild<QTranslator*>(kName, Qt::FindDirectChildrenOnly);
    if (language == res::Language::English)
        return true; // Qt's own texts are English
    auto* tr = new QTranslator(&app);
    tr->setObjectName(kName);
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

} // namespace platform
