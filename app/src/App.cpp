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
#include <future>

void app::InitApplication(QApplication& qapp, const QLocale& locale) {
    QApplication::setApplicationName(platform::ToQ(res::kProductName));
    // Shells match the windows to the installed desktop entry, whose themed icon serves the
    // sizes above the window icon's.
    QGuiApplication::setDesktopFileName(QStringLiteral("tovalo"));
    QApplication::setWindowIcon(res::LoadIcon(IDI_APP));
    platform::SetInterfaceLanguage(qapp, platform::ChooseLanguage(locale.uiLanguages()));
}

namespace {

// What the library answered before the main window opens.
struct LibraryStart {
    bool bound = false;
    int error = 0;
    bool versionOk = false;
    bool storeOpen = false;
};

} // namespace

BOOL CEditorApp::InitInstance(const StartupSteps& steps) {
    if (!steps.oleInit()) {
        AfxMessageBox(IDS_OLE_INIT_FAILED, MB_OK);
        return FALSE;
    }
    // Enable3dControls: Qt draws its own controls; nothing to switch on.

    // The library is bound and its store opened on a second thread while the main window is
    // built: the library sees the same calls in the same order, and every answer is acted on
    // here, once both are done. The window stays hidden until DoModal.
    CMainDlg dlg;
    std::future<LibraryStart> started = std::async(std::launch::async, [this, &steps] {
        LibraryStart s;
        s.bound = BindLibrary(m_strLibraryName.c_str(), &theApp.m_hLibrary, &m_api, &s.error,
                              steps.loader) != FALSE;
        if (!s.bound)
            return s;
        m_hInterface = m_api.KorvexNewInterface();
        s.versionOk = m_api.KorvexCheckVersion(1, 0, 5) != FALSE;
        if (s.versionOk)
            s.storeOpen = m_api.KorvexInitialize(m_hInterface) != FALSE;
        return s;
    });
    dlg.BuildAhead();
    const LibraryStart start = started.get();

    if (!start.bound) {
        AfxMessageBox(start.error == kBindErrorNotLoadable ? IDS_LIBRARY_LOAD : IDS_LIBRARY_BAD,
                      MB_ICONEXCLAMATION);
        return FALSE;
    }
    g_strVersion = "1.0.3";

    if (!start.versionOk) {
        AfxMessageBox(IDS_LIBRARY_VERSION, MB_ICONEXCLAMATION);
        platform::FreeLibrary(theApp.m_hLibrary);
        // No handle into the unloaded library may survive.
        theApp.m_hLibrary = nullptr;
        m_hInterface = nullptr;
        m_api = KorvexApi{};
        return FALSE;
    }
    if (!start.storeOpen) {
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
    return FALSE;
}
