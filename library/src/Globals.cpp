#include "library/Globals.h"
#include "library/App.h"

std::string g_strVersion;
std::string g_strFileFilter;

CEditorApp theApp;
