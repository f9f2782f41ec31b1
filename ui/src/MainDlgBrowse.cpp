// The FTP server browser: Connect, navigation, the browse worker.
#include "ui/MainDlg.h"

#include "RemoteListModel.h"
#include "accounts/PasswordDlg.h"
#include "accounts/Store.h"
#include "ftp/RemoteName.h"
#include "inet/FtpAddress.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "res/Ids.h"
#include "ui/CertificateDlg.h"

#include <utility>

CMainDlg::~CMainDlg() {
    // The window never goes while a worker still uses it: stop the run, release the
    // worker's waits for this thread, and wait until it has ended.
    if (m_pBrowseThread) {
        m_bCancel = 1;
        m_pBrowseThread->Shutdown();
    }
    // The view may outlive the entries and icons its rows read.
    ClearRemoteList();
    if (m_remoteRows)
        m_remoteRows->SetImages(nullptr);
}

bool CMainDlg::AskPassword(const std::string& server, const std::string& userId,
                           std::string& password) {
    CPasswordDlg dlg(this);
    dlg.m_strProtocol = "FTP";
    dlg.m_strServer = server;
    dlg.m_strUserID = userId;
    if (dlg.DoModal() != IDOK)
        return false;
    password = dlg.m_strPassword;
    return true;
}

void CMainDlg::OnConnect() {
    if (AfxMessageBox(IDS_CONFIRM_CONNECT, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    const int row = m_listAccounts.GetCurSel();
    if (row == LB_ERR)
        return;
    if (!accounts::LoadAccount(row))
        return;
    const accounts::AccountFields account = accounts::ReadLoadedAccount();
    m_strUserID = account.userId;
    m_strServer = account.server;
    m_strProxyName = account.proxyName;
    // Nothing of an earlier account's proxy or certificate carries over.
    m_strProxyServer.clear();
    m_strProxyUserID.clear();
    m_strProxyPassword.clear();
    m_strTrustedOnce.clear();
    m_bPlainAccepted = false;
    // Without the account's passive flag a user behind NAT would get nothing listed.
    m_bPassive = account.passive;

    std::string password;
    if (!AskPassword(m_strServer, m_strUserID, password)) {
        m_strPassword.clear();
        return;
    }
    m_strPassword = std::move(password);
    if (m_strPassword.empty()) {
        AfxMessageBox(IDS_PASSWORD_NEEDED, MB_OK | MB_ICONEXCLAMATION);
        return;
    }

    if (!ReadProxy())
        return;
    StartBrowseRun(FALSE);
}

bool CMainDlg::ReadProxy() {
    if (m_strProxyName.empty())
        return true;
    if (!accounts::FindProxy(m_strProxyName))
        return false;
    const accounts::ProxyFields proxy = accounts::ReadLoadedProxy();
    m_strProxyServer = proxy.server;
    m_strProxyUserID = proxy.userId;
    m_strProxyPassword = proxy.password;
    if (m_strProxyUserID.empty() || !m_strProxyPassword.empty())
        return true;
    if (!AskPassword(m_strProxyServer, m_strProxyUserID, m_strProxyPassword)) {
        m_strPassword.clear();
        return false;
    }
    if (m_strProxyPassword.empty()) {
        m_strPassword.clear();
        AfxMessageBox(IDS_PASSWORD_NEEDED, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool CMainDlg::AskCertificate(const std::string& server, const inet::FtpCertificate& certificate) {
    if (!m_strTrustedOnce.empty() && m_strTrustedOnce == certificate.sha256)
        return true;
    CCertificateDlg dlg(server, certificate, !accounts::TrustedFingerprints(server).empty(), this);
    switch (dlg.DoModal()) {
    case IDC_TRUST_ONCE:
        m_strTrustedOnce = certificate.sha256;
        return true;
    case IDC_TRUST_ALWAYS:
        accounts::TrustCertificate(server, certificate.sha256);
        return true;
    default:
        return false;
    }
}

bool CMainDlg::AskPlain() {
    // Asked once per Connect, not again for every folder of the same session.
    if (m_bPlainAccepted)
        return true;
    // Going on in clear is the exception: Enter keeps the password safe.
    m_bPlainAccepted =
        AfxMessageBox(IDS_CONFIRM_PLAIN, MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDOK;
    return m_bPlainAccepted;
}

void CMainDlg::OnConnected(const std::string& server, const ftp::BrowseSecurity& security) {
    if (security.viaProxy) {
        m_nConnectedStatus = IDS_STATUS_CONNECTED_PROXY;
    } else if (security.tls) {
        m_nConnectedStatus = IDS_STATUS_CONNECTED_TLS;
        accounts::RememberTls(server);
    }
}

void CMainDlg::OnParentFolder() {
    if (m_strPassword.empty()) {
        AfxMessageBox(IDS_CONNECT_FIRST, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    std::string folder = FolderBytes(platform::TrimRight(m_editFolder.GetWindowText()));
    if (!folder.empty()) {
        if (folder.back() != '/')
            folder += '/';
        folder += "..";
        ShowFolder(folder);
    }
    StartBrowseRun(TRUE);
}

void CMainDlg::OnShowFolder() {
    if (m_strPassword.empty()) {
        AfxMessageBox(IDS_CONNECT_FIRST, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    StartBrowseRun(TRUE);
}

void CMainDlg::OnDblclkRemoteList(NMHDR* pNMHDR, LRESULT* pResult) {
    const auto* nm = reinterpret_cast<const NMITEMACTIVATE*>(pNMHDR);
    if (!nm || nm->iItem < 0)
        return;
    if (!UpdateData(TRUE))
        return;
    const auto index = static_cast<std::size_t>(nm->iItem);
    if (index >= m_arrRemote.size() || m_arrRemote[index]->m_bFolder != 1)
        return;
    ShowFolder(m_arrRemote[index]->m_strPath);
    StartBrowseRun(TRUE);
    if (pResult)
        *pResult = 0;
}

void CMainDlg::OnAddRemote() {
    if (!UpdateData(TRUE))
        return;
    int row = m_listRemote.GetNextItem(-1, LVNI_SELECTED);
    while (row != -1) {
        const int next = m_listRemote.GetNextItem(row, LVNI_SELECTED);
        const auto index = static_cast<std::size_t>(row);
        if (index < m_arrRemote.size() && m_arrRemote[index]->m_bFolder == 0)
            AddBackupFile(m_arrRemote[index]->m_strPath);
        row = next;
    }
}

void CMainDlg::ShowFolder(const std::string& bytes) {
    m_strFolderBytes = bytes;
    m_strFolder = ftp::DisplayName(bytes);
    m_editFolder.SetWindowText(m_strFolder);
}

std::string CMainDlg::FolderBytes(const std::string& text) const {
    return text == ftp::DisplayName(m_strFolderBytes) ? m_strFolderBytes : text;
}

void CMainDlg::ClearRemoteList() {
    if (m_remoteRows)
        m_remoteRows->Reset([this] { m_arrRemote.clear(); });
    else
        m_arrRemote.clear();
}

void CMainDlg::StartBrowseRun(BOOL bResetProgress) {
    // The previous worker has ended its run (the window is enabled again) but may still
    // be returning.
    if (m_pBrowseThread)
        m_pBrowseThread->Wait();
    m_bCancel = 0;

    ftp::BrowseRequest request;
    request.server = m_strServer;
    request.userId = m_strUserID;
    request.password = m_strPassword;
    if (!m_strProxyServer.empty())
        request.proxy = ftp::BrowseProxy{m_strProxyServer, m_strProxyUserID, m_strProxyPassword};
    request.passive = m_bPassive != 0;
    // Trust and TLS history are kept per "host:port", however the account writes it.
    const auto address = inet::ParseServerAddress(m_strServer);
    const std::string server =
        address ? inet::FormatServerAddress(*address, true) : std::string(m_strServer);
    request.trustedFingerprints = accounts::TrustedFingerprints(server);
    request.tlsSeenBefore = !request.proxy && accounts::SeenWithTls(server);
    m_nConnectedStatus = IDS_STATUS_CONNECTED;

    ftp::BrowseWindowCalls calls;
    calls.clearList = [this] { ClearRemoteList(); };
    calls.readFolderAndMask = [this](std::string& folder, std::string& mask) {
        m_strFolder = m_editFolder.GetWindowText();
        m_strMask = m_editMask.GetWindowText();
        folder = FolderBytes(m_strFolder);
        mask = m_strMask;
    };
    calls.setFolderText = [this](const std::string& folder) { ShowFolder(folder); };
    calls.addRows = [this](std::vector<std::unique_ptr<CRemoteEntry>>&& rows) {
        m_arrRemote.insert(m_arrRemote.end(), std::make_move_iterator(rows.begin()),
                           std::make_move_iterator(rows.end()));
        if (m_remoteRows)
            m_remoteRows->EntriesAppended();
    };
    calls.progress = [this](int percent) { OnBrowseProgress(percent); };
    calls.showMessage = [](int id) {
        AfxMessageBox(static_cast<UINT>(id), MB_OK | MB_ICONEXCLAMATION);
    };
    calls.forgetPassword = [this] { m_strPassword.clear(); };
    calls.verifyCertificate = [this, server](std::string_view, std::uint16_t,
                                             const inet::FtpCertificate& certificate) {
        return AskCertificate(server, certificate);
    };
    calls.confirmPlain = [this](std::string_view, std::uint16_t) { return AskPlain(); };
    calls.connected = [this, server](const ftp::BrowseSecurity& security) {
        OnConnected(server, security);
    };
    calls.end = [this](unsigned) {
        m_bBrowsing = FALSE;
        EnableWindow(TRUE);
        m_dlgConnecting.ShowWindow(SW_HIDE);
    };

    m_pBrowseThread =
        std::make_unique<ftp::BrowseWorker>(std::move(request), std::move(calls), m_bCancel);
    m_bBrowsing = TRUE;
    // Every call of the worker reaches this thread as a queued call, so its final enabling
    // always comes after the disabling below, however quickly the run ends.
    m_pBrowseThread->start();
    if (bResetProgress)
        m_dlgConnecting.m_progress.SetPos(0);
    m_dlgConnecting.ShowWindow(SW_SHOW);
    EnableWindow(FALSE);
}
