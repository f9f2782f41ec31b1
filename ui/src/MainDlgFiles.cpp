// The backup file list: adding, editing and deleting entries. Each entry of m_arrFiles is
// shown by the row of list view IDC_FILES with the same index; the two change only together.
#include "ui/MainDlg.h"

#include "document/BackupFileEntry.h"
#include "document/SaveName.h"
#include "document/SaveNameDlg.h"
#include "platform/MessageBox.h"
#include "res/Ids.h"

namespace {

using Entries = std::vector<std::unique_ptr<CBackupFileEntry>>;

void WriteRow(CListCtrl& list, int row, const CBackupFileEntry& entry) {
    list.SetItemText(row, 0, entry.m_strSaveName);
    list.SetItemText(row, 1, std::string(document::ModeListText(entry.m_nMode)));
    list.SetItemText(row, 2, std::string(document::MethodText(entry.m_nMethod)));
    list.SetItemText(row, 3, entry.m_strPath);
}

// Runs the entry dialog until it is cancelled (false) or accepted with a save name that
// is not empty and that no entry but `self` has. A refused name reopens the dialog with
// everything as the user left it.
bool RunEntryDialog(CSaveNameDlg& dlg, const Entries& entries, const CBackupFileEntry* self) {
    for (;;) {
        if (dlg.DoModal() != IDOK)
            return false;
        if (dlg.m_strSaveName.empty()) {
            AfxMessageBox(IDS_SAVE_NAME_REQUIRED, MB_ICONEXCLAMATION);
            continue;
        }
        if (document::IsSaveNameTaken(entries, dlg.m_strSaveName, self)) {
            AfxMessageBox(IDS_SAVE_NAME_DUPLICATE, MB_ICONEXCLAMATION);
            continue;
        }
        return true;
    }
}

void TakeFromDialog(const CSaveNameDlg& dlg, CBackupFileEntry& entry) {
    entry.m_strSaveName = dlg.m_strSaveName;
    entry.m_strPath = dlg.m_strFileName;
    entry.m_nMode = document::NormaliseMode(dlg.m_nMode);
    entry.m_nMethod = document::NormaliseMethod(dlg.m_nMethod);
}

} // namespace

void CMainDlg::AppendBackupFile(std::unique_ptr<CBackupFileEntry> entry) {
    if (!entry)
        return;
    const int row = m_listFiles.InsertItem(m_listFiles.GetItemCount(), entry->m_strSaveName);
    if (row < 0)
        return; // no list to show it in: keeping it would break the row/entry pairing
    WriteRow(m_listFiles, row, *entry);
    m_arrFiles.push_back(std::move(entry));
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
        dlg.m_strSaveName = saveName;
        dlg.m_strFileName = path;
        dlg.m_nMode = document::kModeAuto;
        dlg.m_nMethod = document::kMethodGet;
        if (!RunEntryDialog(dlg, m_arrFiles, nullptr))
            return;
        TakeFromDialog(dlg, *entry);
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
    dlg.m_strSaveName = entry.m_strSaveName;
    dlg.m_strFileName = entry.m_strPath;
    dlg.m_nMode = entry.m_nMode;
    dlg.m_nMethod = entry.m_nMethod;
    if (!RunEntryDialog(dlg, m_arrFiles, &entry))
        return;
    TakeFromDialog(dlg, entry);
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
    if (AfxMessageBox(IDS_CONFIRM_DELETE, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    ClearBackupFiles();
}

BOOL CMainDlg::PreTranslateMessage(int key, int ctrlId) {
    // Enter in the add-path edit adds the path instead of pressing Save.
    if (key == Qt::Key_Return && ctrlId == IDC_ADD_PATH) {
        OnAddFile();
        return TRUE;
    }
    return CDialog::PreTranslateMessage(key, ctrlId);
}
