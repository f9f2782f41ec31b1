#include "accounts/AccountDlg.h"

#include "accounts/ProxyDlg.h"
#include "accounts/Store.h"
#include "library/Globals.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "res/Ids.h"
#include "res/Resources.h"

namespace {

constexpr int kMaxBytes = 255;

} // namespace

CAccountDlg::CAccountDlg(CWnd* pParent) : CDialog(IDD_ACCOUNT, pParent) {
    MapCommand(IDC_USE_PROXY, &CAccountDlg::OnUseProxy);
    MapCommand(IDC_NO_PASSWORD, &CAccountDlg::OnNoSavePassword);
    MapCommand(IDC_PROXY_DETAILS, &CAccountDlg::OnProxyDetails);
    MapCommand(IDC_DELETE_PROXY, &CAccountDlg::OnDeleteProxy);
    MapCommand(IDC_NEW_PROXY, &CAccountDlg::OnNewProxy);
}

CAccountDlg::~CAccountDlg() = default;

void CAccountDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_USE_PROXY, m_chkUseProxy);
    DDX_Control(pDX, IDC_SERVER, m_editServer);
    DDX_Control(pDX, IDC_PASSIVE, m_chkPassive);
    DDX_Control(pDX, IDC_NEW_PROXY, m_btnNewProxy);
    DDX_Control(pDX, IDC_RECORD_NAME, m_editName);
    DDX_Control(pDX, IDC_NO_PASSWORD, m_chkNoSavePassword);
    DDX_Control(pDX, IDC_USER_ID, m_editUserID);
    DDX_Control(pDX, IDC_PROXY_DETAILS, m_btnProxyDetails);
    DDX_Control(pDX, IDC_DELETE_PROXY, m_btnDeleteProxy);
    DDX_Control(pDX, IDC_PORT, m_editPort);
    DDX_Control(pDX, IDC_PROXIES, m_cbProxy);
    DDX_Control(pDX, IDC_PROTOCOL, m_cbProtocol);
    DDX_Control(pDX, IDC_PASSWORD, m_editPassword);
    DDX_Control(pDX, IDC_PASSWORD_LABEL, m_lblPassword);
    DDX_Text(pDX, IDC_USER_ID, m_strUserID);
    DDV_MaxChars(pDX, m_strUserID, kMaxBytes);
    DDX_Check(pDX, IDC_NO_PASSWORD, m_bNoSavePassword);
    DDX_Text(pDX, IDC_RECORD_NAME, m_strName);
    DDV_MaxChars(pDX, m_strName, kMaxBytes);
    DDX_Check(pDX, IDC_PASSIVE, m_bPassive);
    DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
    DDV_MaxChars(pDX, m_strPassword, kMaxBytes);
    DDX_Text(pDX, IDC_PORT, m_strPort);
    DDX_Text(pDX, IDC_SERVER, m_strServer);
    DDX_Check(pDX, IDC_USE_PROXY, m_bUseProxy);
}

BOOL CAccountDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_cbProtocol.AddString("FTP");
    m_cbProtocol.SetCurSel(0);
    m_cbProtocol.EnableWindow(FALSE);
    m_editPassword.EnableWindow(m_bNoSavePassword ? FALSE : TRUE);
    m_editPort.EnableWindow(FALSE);
    FillProxyList();
    UpdateProxyControls();
    if (m_bReadOnly) {
        // Show the account's own proxy where the list has it.
        for (std::size_t i = 0; i < m_arrProxyNames.size(); ++i) {
            if (!m_strProxyName.empty() && m_arrProxyNames[i] == m_strProxyName) {
                m_cbProxy.SetCurSel(static_cast<int>(i));
                break;
            }
        }
        m_editName.SetReadOnly(TRUE);
        m_editUserID.SetReadOnly(TRUE);
        m_editPassword.SetReadOnly(TRUE);
        m_chkNoSavePassword.EnableWindow(FALSE);
        m_editServer.SetReadOnly(TRUE);
        m_editPort.EnableWindow(FALSE);
        m_chkUseProxy.EnableWindow(FALSE);
        m_btnNewProxy.EnableWindow(FALSE);
        m_btnDeleteProxy.EnableWindow(FALSE);
        m_btnProxyDetails.EnableWindow(FALSE);
        m_cbProxy.EnableWindow(FALSE);
    }
    return TRUE;
}

void CAccountDlg::FillProxyList() {
    m_cbProxy.ResetContent();
    m_arrProxyNames.clear();
    if (accounts::ProxyCount() <= 0)
        return;
    m_arrProxyNames = accounts::ListProxyNames();
    for (const std::string& name : m_arrProxyNames)
        m_cbProxy.AddString(name);
    m_cbProxy.SetCurSel(0);
}

void CAccountDlg::UpdateProxyControls() {
    const BOOL enable = m_bUseProxy ? TRUE : FALSE;
    m_cbProxy.EnableWindow(enable);
    m_btnNewProxy.EnableWindow(enable);
    m_btnProxyDetails.EnableWindow(enable);
    m_btnDeleteProxy.EnableWindow(enable);
}

void CAccountDlg::OnUseProxy() {
    // A refused exchange stops before the check boxes; the enabling follows the box.
    if (!UpdateData(TRUE))
        m_bUseProxy = m_chkUseProxy.GetCheck() ? TRUE : FALSE;
    UpdateProxyControls();
}

void CAccountDlg::OnNoSavePassword() {
    if (!UpdateData(TRUE))
        m_bNoSavePassword = m_chkNoSavePassword.GetCheck() ? TRUE : FALSE;
    m_editPassword.EnableWindow(m_bNoSavePassword ? FALSE : TRUE);
}

void CAccountDlg::OnProxyDetails() {
    if (!accounts::LoadProxy(m_cbProxy.GetCurSel()))
        return;
    const accounts::ProxyFields p = accounts::ReadLoadedProxy();
    CProxyDlg dlg;
    dlg.m_strName = p.name;
    dlg.m_strServer = p.server;
    dlg.m_strUserID = p.userId;
    dlg.m_strPassword = p.password;
    dlg.m_bReadOnly = TRUE;
    dlg.DoModal();
}

void CAccountDlg::OnDeleteProxy() {
    if (!accounts::LoadProxy(m_cbProxy.GetCurSel()))
        return;
    const std::string name = accounts::LoadedProxyName();
    const std::string prompt =
        platform::FormatString(res::LoadString(IDS_CONFIRM_DELETE_RECORD), name);
    if (AfxMessageBox(prompt, MB_OKCANCEL | MB_ICONQUESTION, IDS_CONFIRM_DELETE_RECORD) != IDOK)
        return;
    if (accounts::DeleteLoadedProxy() == 0)
        AfxMessageBox(IDS_STORE_WRITE_FAILED, MB_OK | MB_ICONEXCLAMATION);
    FillProxyList();
}

void CAccountDlg::OnNewProxy() {
    CProxyDlg dlg;
    if (dlg.DoModal() != IDOK)
        return;
    accounts::ProxyFields p;
    p.name = dlg.m_strName;
    p.server = dlg.m_strServer;
    p.userId = dlg.m_strUserID;
    p.noSavePassword = dlg.m_bNoSavePassword;
    p.password = dlg.m_strPassword;
    if (!accounts::WriteProxy(p))
        AfxMessageBox(IDS_STORE_WRITE_FAILED, MB_OK | MB_ICONEXCLAMATION);
    FillProxyList();
}

void CAccountDlg::OnOK() {
    // A view writes nothing back, so there is nothing to check: a stored record that this
    // dialog could not have made must not keep the view open.
    if (m_bReadOnly) {
        EndDialog(IDOK);
        return;
    }
    if (!UpdateData(TRUE))
        return;
    if (m_strName.empty() || m_strUserID.empty()) {
        AfxMessageBox(IDS_ACCOUNT_INCOMPLETE, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_strProxyName.clear();
    const int row = m_cbProxy.GetCurSel();
    if (m_bUseProxy && row >= 0 && row < static_cast<int>(m_arrProxyNames.size()))
        m_strProxyName = m_arrProxyNames[static_cast<std::size_t>(row)];
    CDialog::OnOK();
}
