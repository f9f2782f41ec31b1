// The application object's framework part.
#pragma once

#include <string>

class CWnd;

class CWinApp {
public:
    CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp() = default;

    // Help page opened by the main window's help button.
    std::string m_pszHelpFilePath;
    // The main window while it exists (not owned).
    CWnd* m_pMainWnd = nullptr;
};
