#include "accounts/PasswordDlg.h"

CPasswordDlg::CPasswordDlg(CWnd* pParent) : CDialog(150, pParent) {}

CPasswordDlg::~CPasswordDlg() = default;

void CPasswordDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, 1036, m_strProtocol);
    DDX_Text(pDX, 1020, m_strServer);
    DDX_Text(pDX, 1031, m_strUserID);
    DDX_Text(pDX, 1012, m_strPassword);
}
