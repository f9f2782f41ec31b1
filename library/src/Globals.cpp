#include "library/Globals.h"
#include "library/App.h"

HMODULE g_hLibrary = nullptr;
int g_hAccountStore = -1;
int g_hAccountRecord = -1;
int g_hProxyRecord = -1;
std::string g_strVersion;
std::string g_strFileFilter;

CEditorApp theApp;
