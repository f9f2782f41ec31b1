// The account list and its buttons.
#include "ui/MainDlg.h"

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

// Needs the account dialog, which is not written yet.
void CMainDlg::OnNewAccount() {}

// Needs the account dialog, which is not written yet.
void CMainDlg::OnAccountDetails() {}

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
