// Start-up and shutdown: bind the library, open the interface and the account handles,
// run the main window, write the user name back.
#include "library/App.h"
#include "app/Startup.h"
#include "platform/Loader.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "ui/MainDlg.h"

namespace app {
namespace {

std::function<bool()>& OleInitHook() {
    static std::function<bool()> hook;
    return hook;
}

} // namespace

void SetOleInitForTesting(std::function<bool()> fn) {
    OleInitHook() = std::move(fn);
}

bool OleInit() {
    return OleInitHook() ? OleInitHook()() : true;
}

} // namespace app

BOOL CEditorApp::InitInstance() {
    if (!app::OleInit()) {
        AfxMessageBox(156, MB_OK);
        return FALSE;
    }
    // Enable3dControls: Qt draws its own controls; nothing to switch on.

    int nError = 0;
    if (!BindLibrary(m_strLibraryName.c_str(), &g_hLibrary, &m_api, &nError)) {
        AfxMessageBox(nError == kBindErrorNotLoadable ? 121 : 122, MB_ICONEXCLAMATION);
        return FALSE;
    }
    g_strVersion = "1.0.3";

    m_hInterface = m_api.KorvexNewInterface();
    if (!m_api.KorvexCheckVersion(1, 0, 5)) {
        AfxMessageBox(120, MB_ICONEXCLAMATION);
        platform::FreeLibrary(g_hLibrary);
        // No handle into the unloaded library may survive.
        g_hLibrary = nullptr;
        m_hInterface = nullptr;
        m_api = KorvexApi{};
        return FALSE;
    }
    m_api.KorvexInitialize(m_hInterface);

    g_hAccountStore = m_api.KorvexNewItem(m_hInterface, KORVEX_KIND_STORE);
    g_hAccountRecord = m_api.KorvexNewItem(m_hInterface, KORVEX_KIND_ACCOUNT);
    g_hProxyRecord = m_api.KorvexNewItem(m_hInterface, KORVEX_KIND_PROXY);

    char buffer[app::kNameBufferSize] = {};
    m_api.KorvexGetName(m_hInterface, buffer, sizeof buffer);
    m_strUserName = platform::FromBuffer(buffer, sizeof buffer);

    // The help page beside the executable, whatever the current directory.
    m_pszHelpFilePath = platform::GetModuleDirectory() + "Help/Tovalo/index.htm";

    {
        CMainDlg dlg;
        m_pMainWnd = &dlg;
        dlg.m_strName = m_strUserName;
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
