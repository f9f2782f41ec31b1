#include "ui/ConnectingDlg.h"

#include "res/Resources.h"
#include "ui/MainDlg.h"

CConnectingDlg::CConnectingDlg(CWnd* pParent) : CDialog(129, pParent) {}

CConnectingDlg::~CConnectingDlg() = default;

void CConnectingDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1048, m_progress);
    DDX_Text(pDX, 1049, m_strStatus);
}

BOOL CConnectingDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_progress.SetRange(0, 100);
    m_progress.SetPos(0);
    return TRUE;
}

void CConnectingDlg::OnOK() {
    if (m_pOwner)
        m_pOwner->m_bCancel = 1;
    m_strStatus = std::string(res::LoadString(142));
    UpdateData(FALSE);
}

void CConnectingDlg::OnCancel() {}
