// The two program-wide strings.
#pragma once

#include "platform/Win.h"

#include <string>

extern std::string g_strVersion; // "1.0.3" once start-up has set it
extern std::string
    g_strFileFilter; // string IDS_FILE_FILTER, loaded by the main window's constructor
