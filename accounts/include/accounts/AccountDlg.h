// The account dialog (template IDD_ACCOUNT, "アカウント情報"): a new account (entry mode) or a
// stored one (details mode, m_bReadOnly TRUE, a view only). It never writes an account:
// its opener does, from the members, after IDOK. The proxy buttons act on the store at once.
#pragma once

#include "platform/Dialog.h"

#include <string>
#include <vector>

class CAccountDlg : public CDialog {
public:
    explicit CAccountDlg(CWnd* pParent = nullptr);
    ~CAccountDlg() override;

    CButton m_chkUseProxy;
    CEdit m_editServer;
    CButton m_chkPassive;
    CButton m_btnNewProxy;
    CEdit m_editName;
    CButton m_chkNoSavePassword;
    CEdit m_editUserID;
    CButton m_btnProxyDetails;
    CButton m_btnDeleteProxy;
    CEdit m_editPort; // IDC_PORT, always disabled
    CComboBox m_cbProxy;
    CComboBox m_cbProtocol; // IDC_PROTOCOL, the single entry "FTP", always disabled
    CEdit m_editPassword;
    CStatic m_lblPassword;
    std::string m_strUserID; // IDC_USER_ID, at most 255 bytes
    BOOL m_bNoSavePassword = FALSE;
    std::string m_strName; // IDC_RECORD_NAME, at most 255 bytes
    BOOL m_bPassive = FALSE;
    std::string m_strPassword; // IDC_PASSWORD, at most 255 bytes
    std::string m_strPort;     // IDC_PORT, never entered
    std::string m_strServer;
    BOOL m_bUseProxy = FALSE;
    BOOL m_bReadOnly = FALSE;
    std::string m_strProxyName;               // the chosen proxy; empty for none
    std::vector<std::string> m_arrProxyNames; // entry i is row i of IDC_PROXIES

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void FillProxyList();
    void UpdateProxyControls();
    void OnUseProxy();
    void OnNoSavePassword();
    void OnProxyDetails();
    void OnDeleteProxy();
    void OnNewProxy();
};
