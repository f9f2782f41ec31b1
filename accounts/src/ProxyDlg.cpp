#include "accounts/ProxyDlg.h"

#include "platform/MessageBox.h"
#include "res/Ids.h"

CProxyDlg::CProxyDlg(CWnd* pParent) : CDialog(IDD_PROXY, pParent) {
    MapCommand(IDC_PROXY_NO_PASSWORD, &CProxyDlg::OnNoSavePassword);
}

CProxyDlg::~CProxyDlg() = default;

void CProxyDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROXY_NO_PASSWORD, m_chkNoSavePassword);
    DDX_Control(pDX, IDC_SERVER, m_editServer);
    DDX_Control(pDX, IDC_PORT, m_editPort);
    DDX_Control(pDX, IDC_PASSWORD, m_editPassword);
    DDX_Control(pDX, IDC_RECORD_NAME, m_editName);
    DDX_Control(pDX, IDC_USER_ID, m_editUserID);
    DDX_Text(pDX, IDC_USER_ID, m_strUserID);
    DDX_Text(pDX, IDC_RECORD_NAME, m_strName);
    DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
    DDX_Text(pDX, IDC_PORT, m_nPort);
    DDX_Text(pDX, IDC_SERVER, m_strServer);
    DDX_Check(pDX, IDC_PROXY_NO_PASSWORD, m_bNoSavePassword);
}

BOOL CProxyDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_bReadOnly) {
        m_editName.SetReadOnly(TRUE);
        m_editUserID.SetReadOnly(TRUE);
    }
    UpdatePasswordEdit();
    return TRUE;
}

void CProxyDlg::UpdatePasswordEdit() {
    m_editPassword.EnableWindow(m_bNoSavePassword ? FALSE : TRUE);
}

void CProxyDlg::OnNoSavePassword() {
    // A port that does not read stops the exchange before the check box; the enabling
    // must follow the box all the same.
    if (!UpdateData(TRUE))
        m_bNoSavePassword = m_chkNoSavePassword.GetCheck() ? TRUE : FALSE;
    UpdatePasswordEdit();
}

void CProxyDlg::OnOK() {
    // A port that does not read has been reported by the exchange already; one message
    // is enough.
    if (!UpdateData(TRUE))
        return;
    if (m_strName.empty() || m_strServer.empty()) {
        AfxMessageBox(IDS_NAME_AND_SERVER_REQUIRED, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CDialog::OnOK();
}
