#include "ui/AboutDlg.h"

#include "library/Globals.h"
#include "platform/Text.h"
#include "res/Ids.h"
#include "res/Resources.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_VERSION, m_staticVersion);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_staticVersion.SetWindowText(
        platform::FormatString(res::LoadString(IDS_VERSION_FORMAT), g_strVersion));
    return TRUE;
}
