// The modeless progress dialog of a server listing (template IDD_CONNECTING).
#pragma once

#include "platform/Dialog.h"

#include <string>

class CMainDlg;

class CConnectingDlg : public CDialog {
public:
    explicit CConnectingDlg(CWnd* pParent = nullptr);
    ~CConnectingDlg() override;

    CMainDlg* m_pOwner = nullptr; // whose m_bCancel the stop button sets
    CProgressCtrl m_progress;
    std::string m_strStatus; // text of IDC_STATUS

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // The stop button "中止" (and Enter): requests the stop, says so, stays open.
    void OnOK() override;
    // Esc and the close box do nothing: only the listing itself hides the dialog.
    void OnCancel() override;
};
