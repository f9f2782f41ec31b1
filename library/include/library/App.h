// The application object. `theApp` is defined here, below every area, so that the data
// layers (accounts/, document/) and the tests reach the library the same way:
//     theApp.m_api.KorvexGetItemNum(theApp.m_hInterface, theApp.m_items.store, kind);
// Start-up and shutdown, CEditorApp::InitInstance, are defined in app/ (tovalo_app), the
// only layer that may run the main window.
#pragma once

#include "korvex.h"
#include "library/Globals.h"
#include "library/KorvexApi.h"
#include "platform/WinApp.h"

#include <functional>
#include <string>

// The item handles of the account side, made at start-up; Save renews the first two after
// it has emptied the library's document, so everyone reads them from here.
struct AccountItems {
    int store = -1;  // KORVEX_KIND_STORE
    int record = -1; // KORVEX_KIND_ACCOUNT
    int proxy = -1;  // KORVEX_KIND_PROXY
    // Made when first needed (accounts/): only a TLS connection uses them.
    int certificate = -1; // KORVEX_KIND_CERTIFICATE
    int tlsHost = -1;     // KORVEX_KIND_TLS_HOST
};

// What start-up reaches outside the program, and the file it was asked to open; tests
// replace steps to see its failures.
struct StartupSteps {
    // Nothing needs initialising on Linux: the OLE step succeeds.
    std::function<bool()> oleInit = [] { return true; };
    LibraryLoader loader; // its folder also holds the help pages
    // The task file named on the command line: the window loads it once open. Empty: none.
    std::string openFile;
};

class CEditorApp : public CWinApp {
public:
    CEditorApp() = default;

    KorvexHandle m_hInterface = nullptr; // valid from start-up until the window has closed
    KorvexApi m_api;                     // the bound entry points
    HMODULE m_hLibrary = nullptr;        // the loaded library; null while unbound
    AccountItems m_items;
    std::string m_strUserName; // the user name read at start-up

    // Start-up, the main window, shutdown; always FALSE (app/).
    BOOL InitInstance(const StartupSteps& steps = {});
    // File name of the library that InitInstance binds.
    std::string m_strLibraryName = "KORVEX.dll";
};

extern CEditorApp theApp;
