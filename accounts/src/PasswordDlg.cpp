#include "accounts/PasswordDlg.h"
#include "res/Ids.h"

CPasswordDlg::CPasswordDlg(CWnd* pParent) : CDialog(IDD_PASSWORD, pParent) {}

CPasswordDlg::~CPasswordDlg() = default;

void CPasswordDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PROTOCOL, m_strProtocol);
    DDX_Text(pDX, IDC_SERVER, m_strServer);
    DDX_Text(pDX, IDC_USER_ID, m_strUserID);
    DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
}
