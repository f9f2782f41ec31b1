// The backup file list.
#include "ui/MainDlg.h"

void CMainDlg::AddBackupFile(std::string path) {
    (void)path;
}

void CMainDlg::OnAddFile() {}

void CMainDlg::OnEditFile() {}

void CMainDlg::OnDeleteFile() {}

void CMainDlg::OnDeleteAllFiles() {}

BOOL CMainDlg::PreTranslateMessage(MSG* pMsg) {
    return CDialog::PreTranslateMessage(pMsg);
}
