// The password prompt (template IDD_PASSWORD, "パスワード"): shows the account's server, user ID
// and protocol read-only and returns the typed password. The opener sets m_strProtocol ("FTP"),
// m_strServer and m_strUserID, calls DoModal and, after IDOK, takes m_strPassword - which
// may be empty: refusing an empty password is the opener's business.
//
// A test answers the prompt through the scripted modal handler (gui_support/ScriptedModal.h)
// with the real widgets; the script runs after the dialog's initialisation, so the fields
// are filled:
//
//     platform::modal::QueueDialog(IDD_PASSWORD, [](CDialog& dlg) {
//         EXPECT_EQ(dlg.GetDlgItem(IDC_SERVER)->GetWindowText(), "ftp.example"); // what was shown
//         dlg.GetDlgItem(IDC_PASSWORD)->SetWindowText("secret");                  // the answer
//         dlg.SendCommand(IDOK);                                          // or IDCANCEL
//         return platform::modal::kAsEnded;
//     });
//
// The Shown() record of the prompt (kind Dialog, id IDD_PASSWORD) carries DoModal's result.
#pragma once

#include "platform/Dialog.h"

#include <string>

class CPasswordDlg : public CDialog {
public:
    explicit CPasswordDlg(CWnd* pParent = nullptr);
    ~CPasswordDlg() override;

    std::string m_strProtocol;
    std::string m_strServer;
    std::string m_strUserID;
    std::string m_strPassword;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
