// Save, Load, New and Exit of the task document.
#include "ui/MainDlg.h"

void CMainDlg::OnOK() {
    SaveDocument(std::string());
}

void CMainDlg::SaveDocument(std::string path) {
    (void)path;
}

void CMainDlg::OnLoad() {}

void CMainDlg::OnNew() {}

void CMainDlg::OnCancel() {
    CDialog::OnCancel();
}

void CMainDlg::ClearDocument() {}
