// Pictures of the running program for the documentation:
//
//     tovalo-screenshot wizard|panel|about|account FILE
//
// starts Tovalo as the tovalo program does (in the locale's language) and saves to FILE the
// main window as it opens (wizard), the main window with the wizard stopped (panel), the
// version box (about) or the account dialog of a new account (account), then quits; the exit
// status says whether the picture was written.
#include "app/Startup.h"
#include "library/App.h"
#include "res/Ids.h"
#include "ui/MainDlg.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <string>

namespace {

int g_status = 1;

void SaveAndQuit(QWidget* w, const QString& file) {
    const bool ok = w && w->grab().save(file);
    std::fprintf(stderr, "screenshot %s: %s\n", qPrintable(file), ok ? "written" : "FAILED");
    g_status = ok ? 0 : 1;
    QCoreApplication::exit(g_status);
}

} // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    const std::string mode = argc == 3 ? argv[1] : "";
    if (mode != "wizard" && mode != "panel" && mode != "about" && mode != "account") {
        std::fprintf(stderr, "usage: tovalo-screenshot wizard|panel|about|account FILE\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[2]);
    app::InitApplication(qapp);
    // The window needs a moment to be mapped and painted.
    QTimer::singleShot(800, &qapp, [mode, out] {
        auto* main = static_cast<CMainDlg*>(theApp.m_pMainWnd);
        QWidget* window = main ? main->GetDialogWidget() : nullptr;
        if (!window || mode == "wizard") {
            SaveAndQuit(window, out);
        } else if (mode == "panel") {
            main->SendCommand(IDC_WIZARD);
            QTimer::singleShot(300, [window, out] { SaveAndQuit(window, out); });
        } else {
            QTimer::singleShot(500, [out] { SaveAndQuit(QApplication::activeModalWidget(), out); });
            // The version item of the window's context menu, or the new-account button; the
            // dialog runs until the picture.
            if (mode == "about")
                main->GetContextMenu()->actions().back()->trigger();
            else
                main->SendCommand(IDC_NEW_ACCOUNT);
        }
    });
    theApp.InitInstance();
    return g_status;
}
