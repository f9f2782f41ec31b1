// One entry of the backup file list: a remote file the download client is to fetch.
#pragma once

#include <string>

struct CBackupFileEntry {
    std::string m_strPath;     // remote path, folders separated by "/"
    std::string m_strSaveName; // local file name; unique within the list
    int m_nMode = 0;           // 0 Auto, 1 Bin, 2 Text
    int m_nMethod = 0;         // 0 Get, 1 Mget
};
