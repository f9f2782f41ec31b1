// The proxy dialog (template 156, "PROXY追加"): collects a new proxy (entry mode) or shows
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
    CButton m_chkNoSavePassword;    // 1116
    CEdit m_editServer;             // 1020
    CEdit m_editPort;               // 1025
    CEdit m_editPassword;           // 1012
    CEdit m_editName;               // 1000
    CEdit m_editUserID;             // 1031
    std::string m_strUserID;        // 1031
    std::string m_strName;          // 1000
    std::string m_strPassword;      // 1012
    unsigned int m_nPort = 0;       // 1025; validated, but no record has a place for it
    std::string m_strServer;        // 1020
    BOOL m_bNoSavePassword = FALSE; // 1116

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void UpdatePasswordEdit();
    void OnNoSavePassword();
};
