// Program-wide values: the loaded library, the account item handles created at start-up
// (renewed by the document's save), and the two program-wide strings.
#pragma once

#include "platform/Win.h"

#include <string>

extern HMODULE g_hLibrary;          // the loaded KORVEX library; null while unbound
extern int g_hAccountStore;         // item of kind 9
extern int g_hAccountRecord;        // item of kind 10
extern int g_hProxyRecord;          // item of kind 11
extern std::string g_strVersion;    // "1.0.3" once start-up has set it
extern std::string g_strFileFilter; // string 153, loaded by the main window's constructor
