// The FTP server browser: Connect, navigation, the browse worker.
#include "ui/MainDlg.h"

CMainDlg::~CMainDlg() {
    // The window never goes while a worker still uses it.
    if (m_pBrowseThread)
        m_pBrowseThread->wait();
}

void CMainDlg::OnConnect() {}

void CMainDlg::OnParentFolder() {}

void CMainDlg::OnShowFolder() {}

void CMainDlg::OnDblclkRemoteList(NMHDR* pNMHDR, LRESULT* pResult) {
    (void)pNMHDR;
    (void)pResult;
}

void CMainDlg::OnAddRemote() {}

void CMainDlg::ClearRemoteList() {}

void CMainDlg::StartBrowseRun(BOOL bResetProgress) {
    (void)bResetProgress;
}
