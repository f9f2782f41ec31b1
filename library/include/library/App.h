// The application object. `theApp` is defined here, below every area, so that each
// area (and each test) reaches the library the same way:
//     theApp.m_api.KorvexGetItemNum(theApp.m_hInterface, g_hAccountStore, 10);
// Start-up and shutdown, CEditorApp::InitInstance, are defined in app/ (tovalo_app), the
// only layer that may run the main window.
#pragma once

#include "korvex.h"
#include "library/Globals.h"
#include "library/KorvexApi.h"
#include "platform/WinApp.h"

#include <string>

class CEditorApp : public CWinApp {
public:
    CEditorApp() = default;

    KorvexHandle m_hInterface = nullptr; // valid from start-up until the window has closed
    KorvexApi m_api;                     // the bound entry points
    std::string m_strUserName;           // the user name read at start-up

    // Start-up, the main window, shutdown; always FALSE (app/).
    BOOL InitInstance();
    // File name of the library that InitInstance binds.
    std::string m_strLibraryName = "KORVEX.dll";
};

extern CEditorApp theApp;
