#include "ui/AboutDlg.h"

#include "library/Globals.h"
#include "platform/Text.h"
#include "res/Resources.h"

CAboutDlg::CAboutDlg() : CDialog(100) {}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1002, m_staticVersion);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_staticVersion.SetWindowText(platform::FormatString(res::LoadString(166), g_strVersion));
    return TRUE;
}
