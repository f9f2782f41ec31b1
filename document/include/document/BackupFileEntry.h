// One entry of the backup file list: a remote file the download client is to fetch.
// The main window owns the entries (CMainDlg::m_arrFiles) in step with the rows of list
// view IDC_FILES; the texts below are what the rows and the entry dialog show.
#pragma once

#include <string>
#include <string_view>

struct CBackupFileEntry {
    std::string m_strPath;     // remote path, folders separated by "/"
    std::string m_strSaveName; // local file name; unique within the list
    int m_nMode = 0;           // 0 Auto, 1 Bin, 2 Text
    int m_nMethod = 0;         // 0 Get, 1 Mget
};

namespace document {

inline constexpr int kModeAuto = 0;
inline constexpr int kModeBin = 1;
inline constexpr int kModeText = 2;
inline constexpr int kMethodGet = 0;
inline constexpr int kMethodMget = 1;

// What an entry keeps of a combo index: Bin and Text as they are, anything else Auto.
inline constexpr int NormaliseMode(int index) {
    return (index == kModeBin || index == kModeText) ? index : kModeAuto;
}
// Mget as it is, anything else Get.
inline constexpr int NormaliseMethod(int index) {
    return index == kMethodMget ? kMethodMget : kMethodGet;
}

// Column 1 of the list ("Auto", "Bin", "Text").
inline constexpr std::string_view ModeListText(int mode) {
    switch (NormaliseMode(mode)) {
    case kModeBin:
        return "Bin";
    case kModeText:
        return "Text";
    default:
        return "Auto";
    }
}
// Items of the entry dialog's mode combo, in index order (Bin is spelt out there).
inline constexpr std::string_view kModeComboTexts[] = {"Auto", "Binary", "Text"};
// Column 2 of the list and the items of the method combo.
inline constexpr std::string_view kMethodTexts[] = {"Get", "Mget"};
inline constexpr std::string_view MethodText(int method) {
    return kMethodTexts[NormaliseMethod(method)];
}

} // namespace document
