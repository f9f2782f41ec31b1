#include "ui/ConnectingDlg.h"

#include "res/Ids.h"
#include "res/Resources.h"
#include "ui/MainDlg.h"

CConnectingDlg::CConnectingDlg(CWnd* pParent) : CDialog(IDD_CONNECTING, pParent) {}

CConnectingDlg::~CConnectingDlg() = default;

void CConnectingDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Text(pDX, IDC_STATUS, m_strStatus);
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
    m_strStatus = std::string(res::LoadString(IDS_STATUS_STOPPING));
    UpdateData(FALSE);
}

void CConnectingDlg::OnCancel() {}
