// The account list and its buttons.
#include "ui/MainDlg.h"

void CMainDlg::FillAccountList() {}

void CMainDlg::ClearAccountList() {}

void CMainDlg::OnNewAccount() {}

void CMainDlg::OnAccountDetails() {}

void CMainDlg::OnDeleteAccount() {}
