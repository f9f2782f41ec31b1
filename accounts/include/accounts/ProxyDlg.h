// The proxy dialog (template IDD_PROXY, "PROXY追加"): collects a new proxy (entry mode) or shows
// a stored one (details mode, m_bReadOnly TRUE: name and user ID read-only). It never
// touches the store; its opener writes or reads the record (accounts/Store.h).
#pragma once

#include "platform/Dialog.h"

#include <string>

class CProxyDlg : public CDialog {
public:
    explicit CProxyDlg(CWnd* pParent = nullptr);
    ~CProxyDlg() override;

    BOOL m_bReadOnly = FALSE;
    CButton m_chkNoSavePassword;
    CEdit m_editServer;
    CEdit m_editPort;
    CEdit m_editPassword;
    CEdit m_editName;
    CEdit m_editUserID;
    std::string m_strUserID;
    std::string m_strName;
    std::string m_strPassword;
    unsigned int m_nPort = 0; // IDC_PORT; validated, but no record has a place for it
    std::string m_strServer;
    BOOL m_bNoSavePassword = FALSE;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void UpdatePasswordEdit();
    void OnNoSavePassword();
};
