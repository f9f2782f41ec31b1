// The account list and its buttons.
#include "ui/MainDlg.h"

#include "accounts/AccountDlg.h"
#include "accounts/Store.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "res/Ids.h"
#include "res/Resources.h"

#include <string>

void CMainDlg::FillAccountList() {
    m_listAccounts.ResetContent();
    accounts::RefreshStore();
    const int n = accounts::AccountCount();
    for (const std::string& name : accounts::ListAccountNames(n))
        m_listAccounts.AddString(name);
    if (n > 0)
        m_listAccounts.SetCurSel(0);
}

void CMainDlg::ClearAccountList() {
    m_listAccounts.ResetContent();
    accounts::ReleaseStore();
}

void CMainDlg::OnNewAccount() {
    CAccountDlg dlg;
    dlg.m_bReadOnly = FALSE;
    if (dlg.DoModal() != IDOK)
        return;
    accounts::AccountFields a;
    a.name = dlg.m_strName;
    a.userId = dlg.m_strUserID;
    a.noSavePassword = dlg.m_bNoSavePassword;
    a.password = dlg.m_strPassword;
    a.server = dlg.m_strServer;
    a.passive = dlg.m_bPassive;
    a.proxyName = dlg.m_strProxyName;
    if (!accounts::WriteAccount(a))
        AfxMessageBox(IDS_STORE_WRITE_FAILED, MB_OK | MB_ICONEXCLAMATION);
    FillAccountList();
}

// A view: whatever the dialog ends with, nothing is written back.
void CMainDlg::OnAccountDetails() {
    if (!accounts::LoadAccount(m_listAccounts.GetCurSel()))
        return;
    const accounts::AccountFields a = accounts::ReadLoadedAccount();
    CAccountDlg dlg;
    dlg.m_strName = a.name;
    dlg.m_strUserID = a.userId;
    dlg.m_strServer = a.server;
    dlg.m_bNoSavePassword = a.noSavePassword;
    dlg.m_bPassive = a.passive;
    dlg.m_strProxyName = a.proxyName;
    dlg.m_bUseProxy = a.proxyName.empty() ? FALSE : TRUE;
    dlg.m_bReadOnly = TRUE;
    dlg.DoModal();
}

void CMainDlg::OnDeleteAccount() {
    if (!accounts::LoadAccount(m_listAccounts.GetCurSel()))
        return;
    const std::string name = accounts::LoadedAccountName();
    const std::string prompt =
        platform::FormatString(res::LoadString(IDS_CONFIRM_DELETE_RECORD), name);
    if (AfxMessageBox(prompt, MB_OKCANCEL | MB_ICONQUESTION, IDS_CONFIRM_DELETE_RECORD) != IDOK)
        return;
    if (!accounts::DeleteLoadedAccount())
        AfxMessageBox(IDS_DELETE_RECORD_FAILED, MB_OK | MB_ICONEXCLAMATION);
    FillAccountList();
}
