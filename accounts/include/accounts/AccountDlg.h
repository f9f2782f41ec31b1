// The account dialog (template 132, "アカウント情報"): a new account (entry mode) or a
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

    CButton m_chkUseProxy;       // 1022
    CEdit m_editServer;          // 1020
    CButton m_chkPassive;        // 1039
    CButton m_btnNewProxy;       // 1017
    CEdit m_editName;            // 1000
    CButton m_chkNoSavePassword; // 1037
    CEdit m_editUserID;          // 1031
    CButton m_btnProxyDetails;   // 1042
    CButton m_btnDeleteProxy;    // 1043
    CEdit m_editPort;            // 1025, always disabled
    CComboBox m_cbProxy;         // 1014
    CComboBox m_cbProtocol;      // 1036, the single entry "FTP", always disabled
    CEdit m_editPassword;        // 1012
    CStatic m_lblPassword;       // 1038
    std::string m_strUserID;     // 1031, at most 255 bytes
    BOOL m_bNoSavePassword = FALSE;
    std::string m_strName; // 1000, at most 255 bytes
    BOOL m_bPassive = FALSE;
    std::string m_strPassword; // 1012, at most 255 bytes
    std::string m_strPort;     // 1025, never entered
    std::string m_strServer;   // 1020
    BOOL m_bUseProxy = FALSE;
    BOOL m_bReadOnly = FALSE;
    std::string m_strProxyName;               // the chosen proxy; empty for none
    std::vector<std::string> m_arrProxyNames; // entry i is row i of 1014

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
