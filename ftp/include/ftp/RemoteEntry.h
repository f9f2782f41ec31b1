// One row of the remote list: an entry of the folder listed on the server.
#pragma once

#include <string>

struct CRemoteEntry {
    std::string m_strEntryName; // name as the server lists it
    std::string m_strPath;      // full remote path of the entry
    int m_bFolder = 0;          // 1 for a folder, 0 for a file
};
