// Start-up and shutdown: bind the library, open the interface and the account handles,
// run the main window, write the user name back.
#include "library/App.h"
#include "app/Startup.h"
#include "korvex.h"
#include "platform/Framework.h"
#include "platform/Loader.h"
#include "platform/MessageBox.h"
#include "platform/Qt.h"
#include "platform/Text.h"
#include "res/Ids.h"
#include "res/Resources.h"
#include "ui/MainDlg.h"

#include <QApplication>

#include <climits>

void app::InitApplication(QApplication& qapp, const QLocale& locale) {
    QApplication::setApplicationName(platform::ToQ(res::kProductName));
    // Shells match the windows to the installed desktop entry, whose themed icon serves the
    // sizes above the window icon's.
    QGuiApplication::setDesktopFileName(QStringLiteral("tovalo"));
    QApplication::setWindowIcon(res::LoadIcon(IDI_APP));
    platform::SetInterfaceLanguage(qapp, platform::ChooseLanguage(locale.uiLanguages()));
}

BOOL CEditorApp::InitInstance(const StartupSteps& steps) {
    if (!steps.oleInit()) {
        AfxMessageBox(IDS_OLE_INIT_FAILED, MB_OK);
        return FALSE;
    }
    // Enable3dControls: Qt draws its own controls; nothing to switch on.

    int nError = 0;
    if (!BindLibrary(m_strLibraryName.c_str(), &theApp.m_hLibrary, &m_api, &nError, steps.loader)) {
        AfxMessageBox(nError == kBindErrorNotLoadable ? IDS_LIBRARY_LOAD : IDS_LIBRARY_BAD,
                      MB_ICONEXCLAMATION);
        return FALSE;
    }
    g_strVersion = "1.0.3";

    m_hInterface = m_api.KorvexNewInterface();
    if (!m_api.KorvexCheckVersion(1, 0, 5)) {
        AfxMessageBox(IDS_LIBRARY_VERSION, MB_ICONEXCLAMATION);
        platform::FreeLibrary(theApp.m_hLibrary);
        // No handle into the unloaded library may survive.
        theApp.m_hLibrary = nullptr;
        m_hInterface = nullptr;
        m_api = KorvexApi{};
        return FALSE;
    }
    if (!m_api.KorvexInitialize(m_hInterface)) {
        // Task files need no store, so the window opens all the same; the user learns which
        // file to repair instead of meeting an empty account list that keeps nothing.
        char path[PATH_MAX] = {};
        m_api.KorvexGetStorePath(m_hInterface, path, sizeof path);
        AfxFormatMessageBox(IDS_STORE_UNUSABLE, MB_ICONEXCLAMATION,
                            platform::FromBuffer(path, sizeof path));
    }

    theApp.m_items.store = m_api.KorvexNewItem(m_hInterface, KORVEX_KIND_STORE);
    theApp.m_items.record = m_api.KorvexNewItem(m_hInterface, KORVEX_KIND_ACCOUNT);
    theApp.m_items.proxy = m_api.KorvexNewItem(m_hInterface, KORVEX_KIND_PROXY);

    char buffer[app::kNameBufferSize] = {};
    m_api.KorvexGetName(m_hInterface, buffer, sizeof buffer);
    m_strUserName = platform::FromBuffer(buffer, sizeof buffer);

    // The help page beside the executable, whatever the current directory.
    m_pszHelpFilePath = steps.loader.directory + "Help/Tovalo/" + std::string(res::kHelpPage.Get());

    {
        CMainDlg dlg;
        m_pMainWnd = &dlg;
        dlg.m_strName = m_strUserName;
        dlg.m_strStartFile = steps.openFile;
        dlg.DoModal();

        if (!dlg.m_strName.empty()) {
            // A name too long for the buffer is cut at a character boundary, never left
            // unterminated.
            char name[app::kNameBufferSize] = {};
            platform::Utf8CopyToBuffer(dlg.m_strName, name, sizeof name);
            m_api.KorvexSetName(m_hInterface, name);
        }
        m_api.KorvexDeleteInterface(m_hInterface);
        m_hInterface = nullptr;
        m_pMainWnd = nullptr;
    }
    return FALSE;
}
