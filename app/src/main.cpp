#include "app/Screenshot.h"
#include "library/App.h"
#include "platform/Framework.h"
#include "platform/Wnd.h"
#include "res/Resources.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tovalo"));
    QApplication::setWindowIcon(res::LoadIcon(IDI_APP));
    platform::InstallFrameworkTranslation(qapp, res::kLanguage);
    app::ArmScreenshotFromEnvironment();
    // Returns FALSE once the main window has closed: the process ends.
    theApp.InitInstance();
    return 0;
}
