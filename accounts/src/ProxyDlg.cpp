#include "accounts/ProxyDlg.h"

#include "platform/MessageBox.h"

CProxyDlg::CProxyDlg(CWnd* pParent) : CDialog(156, pParent) {
    MapCommand(1116, &CProxyDlg::OnNoSavePassword);
}

CProxyDlg::~CProxyDlg() = default;

void CProxyDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1116, m_chkNoSavePassword);
    DDX_Control(pDX, 1020, m_editServer);
    DDX_Control(pDX, 1025, m_editPort);
    DDX_Control(pDX, 1012, m_editPassword);
    DDX_Control(pDX, 1000, m_editName);
    DDX_Control(pDX, 1031, m_editUserID);
    DDX_Text(pDX, 1031, m_strUserID);
    DDX_Text(pDX, 1000, m_strName);
    DDX_Text(pDX, 1012, m_strPassword);
    DDX_Text(pDX, 1025, m_nPort);
    DDX_Text(pDX, 1020, m_strServer);
    DDX_Check(pDX, 1116, m_bNoSavePassword);
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
        AfxMessageBox(162, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CDialog::OnOK();
}
