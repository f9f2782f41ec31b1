// The backup file list: adding, editing and deleting entries. Each entry of m_arrFiles is
// shown by the row of list view IDC_FILES with the same index; the two change only together.
#include "ui/MainDlg.h"

#include "document/BackupFileEntry.h"
#include "document/SaveName.h"
#include "document/SaveNameDlg.h"
#include "ftp/RemoteName.h"
#include "platform/MessageBox.h"
#include "res/Ids.h"

namespace {

using Entries = std::vector<std::unique_ptr<CBackupFileEntry>>;

// The rows show remote names readable; the entries keep the server's bytes.
std::string ColumnText(const CBackupFileEntry& entry, int column) {
    switch (column) {
    case 0:
        return ftp::DisplayName(entry.m_strSaveName);
    case 1:
        return std::string(document::ModeListText(entry.m_nMode));
    case 2:
        return std::string(document::MethodText(entry.m_nMethod));
    default:
        return ftp::DisplayName(entry.m_strPath);
    }
}

constexpr int kColumns = 4;

void WriteRow(CListCtrl& list, int row, const CBackupFileEntry& entry) {
    for (int c = 0; c < kColumns; ++c)
        list.SetItemText(row, c, ColumnText(entry, c));
}

// A field the user left as the dialog showed it keeps the bytes it stands for; an edited
// one is the typed text.
std::string Resolve(const std::string& shown, const std::string& bytes) {
    return shown == ftp::DisplayName(bytes) ? bytes : shown;
}

// Runs the entry dialog, opened on `saveName` and `path` (bytes), until it is cancelled
// (false) or accepted with a save name that is not empty and that no entry but `self`
// has. A refused name reopens the dialog with everything as the user left it.
bool RunEntryDialog(CSaveNameDlg& dlg, const Entries& entries, const CBackupFileEntry* self,
                    CBackupFileEntry& result) {
    const std::string saveName = result.m_strSaveName, path = result.m_strPath;
    dlg.m_strSaveName = ftp::DisplayName(saveName);
    dlg.m_strFileName = ftp::DisplayName(path);
    for (;;) {
        if (dlg.DoModal() != IDOK)
            return false;
        result.m_strSaveName = Resolve(dlg.m_strSaveName, saveName);
        if (result.m_strSaveName.empty()) {
            AfxMessageBox(IDS_SAVE_NAME_REQUIRED, MB_ICONEXCLAMATION);
            continue;
        }
        if (document::IsSaveNameTaken(entries, result.m_strSaveName, self)) {
            AfxMessageBox(IDS_SAVE_NAME_DUPLICATE, MB_ICONEXCLAMATION);
            continue;
        }
        result.m_strPath = Resolve(dlg.m_strFileName, path);
        result.m_nMode = document::NormaliseMode(dlg.m_nMode);
        result.m_nMethod = document::NormaliseMethod(dlg.m_nMethod);
        return true;
    }
}

} // namespace

void CMainDlg::AppendBackupFile(std::unique_ptr<CBackupFileEntry> entry) {
    if (!entry)
        return;
    Entries one;
    one.push_back(std::move(entry));
    AppendBackupFiles(std::move(one));
}

void CMainDlg::AppendBackupFiles(std::vector<std::unique_ptr<CBackupFileEntry>> entries) {
    std::erase(entries, nullptr);
    m_arrFiles.reserve(m_arrFiles.size() + entries.size());
    const int first = m_listFiles.AppendRows(
        entries.size(), [&](std::size_t i, int column) { return ColumnText(*entries[i], column); });
    if (first < 0)
        return; // no list to show them in: keeping them would break the row/entry pairing
    for (auto& e : entries)
        m_arrFiles.push_back(std::move(e));
}

void CMainDlg::ClearBackupFiles() {
    m_arrFiles.clear();
    m_listFiles.DeleteAllItems();
}

void CMainDlg::AddBackupFile(std::string path) {
    std::string saveName;
    if (!DeriveSaveName(path, saveName))
        return;
    auto entry = std::make_unique<CBackupFileEntry>();
    if (!saveName.empty() && !document::IsSaveNameTaken(m_arrFiles, saveName)) {
        // Always Auto and Get: wildcards too, the user sets Mget through Edit.
        entry->m_strPath = std::move(path);
        entry->m_strSaveName = std::move(saveName);
    } else {
        AfxMessageBox(IDS_SAVE_NAME_INVALID, MB_ICONEXCLAMATION);
        CSaveNameDlg dlg(this);
        dlg.m_nMode = document::kModeAuto;
        dlg.m_nMethod = document::kMethodGet;
        entry->m_strSaveName = saveName;
        entry->m_strPath = path;
        if (!RunEntryDialog(dlg, m_arrFiles, nullptr, *entry))
            return;
    }
    AppendBackupFile(std::move(entry));
}

void CMainDlg::OnAddFile() {
    // A failed exchange has shown its message; the path may not have been read.
    if (!UpdateData(TRUE))
        return;
    AddBackupFile(m_strAddPath);
}

void CMainDlg::OnEditFile() {
    const int row = m_listFiles.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0 || static_cast<std::size_t>(row) >= m_arrFiles.size()) {
        AfxMessageBox(IDS_SELECT_FILE_TO_EDIT, MB_ICONEXCLAMATION);
        return;
    }
    CBackupFileEntry& entry = *m_arrFiles[static_cast<std::size_t>(row)];
    CSaveNameDlg dlg(this);
    dlg.m_nMode = entry.m_nMode;
    dlg.m_nMethod = entry.m_nMethod;
    CBackupFileEntry edited = entry;
    if (!RunEntryDialog(dlg, m_arrFiles, &entry, edited))
        return;
    entry = std::move(edited);
    WriteRow(m_listFiles, row, entry);
}

void CMainDlg::OnDeleteFile() {
    const int row = m_listFiles.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0 || static_cast<std::size_t>(row) >= m_arrFiles.size()) {
        AfxMessageBox(IDS_SELECT_FILE_TO_DELETE, MB_ICONEXCLAMATION);
        return;
    }
    if (AfxMessageBox(IDS_CONFIRM_DELETE, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    m_listFiles.DeleteItem(row);
    m_arrFiles.erase(m_arrFiles.begin() + row);
}

void CMainDlg::OnDeleteAllFiles() {
    if (m_arrFiles.empty() && m_listFiles.GetItemCount() == 0)
        return;
    if (AfxMessageBox(IDS_CONFIRM_DELETE_ALL, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    ClearBackupFiles();
}

BOOL CMainDlg::PreTranslateMessage(int key, int ctrlId) {
    // Enter in the add-path edit adds the path, and in the folder and mask edits of the
    // browser shows the folder, instead of pressing Save.
    if (key == Qt::Key_Return && ctrlId == IDC_ADD_PATH) {
        OnAddFile();
        return TRUE;
    }
    if (key == Qt::Key_Return && (ctrlId == IDC_FOLDER || ctrlId == IDC_MASK) && !m_bWizard) {
        OnShowFolder();
        return TRUE;
    }
    return CDialog::PreTranslateMessage(key, ctrlId);
}
