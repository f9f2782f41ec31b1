// The account list and its buttons.
#include "ui/MainDlg.h"

#include "accounts/AccountDlg.h"
#include "accounts/Store.h"
#include "library/App.h"
#include "library/Globals.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "res/Resources.h"

#include <array>
#include <string>

namespace {

constexpr int kTextBuffer = 260;

// Loads the selected account into the account record handle; -1 when there is none.
int LoadSelectedAccount(const CListBox& list) {
    const int row = list.GetCurSel();
    if (row == -1)
        return -1;
    const int n = theApp.m_api.KorvexGetItemNum(theApp.m_hInterface, g_hAccountStore, 10);
    if (row >= n)
        return -1;
    if (!theApp.m_api.KorvexTestData(theApp.m_hInterface, g_hAccountStore, 1304, row,
                                     g_hAccountRecord))
        return -1;
    return row;
}

} // namespace

void CMainDlg::FillAccountList() {
    m_listAccounts.ResetContent();
    theApp.m_api.KorvexSetDataNum(theApp.m_hInterface, g_hAccountStore, 1902, 0);
    theApp.m_api.KorvexSetDataNum(theApp.m_hInterface, g_hAccountStore, 1901, 0);
    const int n = theApp.m_api.KorvexGetItemNum(theApp.m_hInterface, g_hAccountStore, 10);
    for (int i = 0; i < n; ++i) {
        if (!theApp.m_api.KorvexTestData(theApp.m_hInterface, g_hAccountStore, 1304, i,
                                         g_hAccountRecord))
            break;
        std::array<char, kTextBuffer> name{};
        if (!theApp.m_api.KorvexGetDataValue(theApp.m_hInterface, g_hAccountRecord, 1011,
                                             name.data(), kTextBuffer))
            break;
        name.back() = '\0'; // never trust the library to terminate
        m_listAccounts.AddString(name.data());
    }
    if (n > 0)
        m_listAccounts.SetCurSel(0);
}

void CMainDlg::ClearAccountList() {
    m_listAccounts.ResetContent();
    theApp.m_api.KorvexSetDataNum(theApp.m_hInterface, g_hAccountStore, 1902, 0);
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
    accounts::WriteAccount(a);
    FillAccountList();
}

// A view: whatever the dialog ends with, nothing is written back.
void CMainDlg::OnAccountDetails() {
    if (LoadSelectedAccount(m_listAccounts) == -1)
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
    if (LoadSelectedAccount(m_listAccounts) == -1)
        return;
    std::array<char, kTextBuffer> name{};
    if (!theApp.m_api.KorvexGetDataValue(theApp.m_hInterface, g_hAccountRecord, 1011, name.data(),
                                         kTextBuffer))
        name[0] = '\0';
    name.back() = '\0';
    const std::string prompt = platform::FormatString(res::LoadString(125), name.data());
    if (AfxMessageBox(prompt, MB_OKCANCEL | MB_ICONQUESTION, 125) != IDOK)
        return;
    if (theApp.m_api.KorvexSetDataNum(theApp.m_hInterface, g_hAccountStore, 1015,
                                      g_hAccountRecord) == 0)
        AfxMessageBox(126, MB_OK | MB_ICONEXCLAMATION);
    FillAccountList();
}
