#include "accounts/AccountDlg.h"

#include "accounts/ProxyDlg.h"
#include "accounts/Store.h"
#include "library/Globals.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "res/Resources.h"

namespace {

constexpr int kMaxBytes = 255;

} // namespace

CAccountDlg::CAccountDlg(CWnd* pParent) : CDialog(132, pParent) {
    MapCommand(1022, &CAccountDlg::OnUseProxy);
    MapCommand(1037, &CAccountDlg::OnNoSavePassword);
    MapCommand(1042, &CAccountDlg::OnProxyDetails);
    MapCommand(1043, &CAccountDlg::OnDeleteProxy);
    MapCommand(1017, &CAccountDlg::OnNewProxy);
}

CAccountDlg::~CAccountDlg() = default;

void CAccountDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1022, m_chkUseProxy);
    DDX_Control(pDX, 1020, m_editServer);
    DDX_Control(pDX, 1039, m_chkPassive);
    DDX_Control(pDX, 1017, m_btnNewProxy);
    DDX_Control(pDX, 1000, m_editName);
    DDX_Control(pDX, 1037, m_chkNoSavePassword);
    DDX_Control(pDX, 1031, m_editUserID);
    DDX_Control(pDX, 1042, m_btnProxyDetails);
    DDX_Control(pDX, 1043, m_btnDeleteProxy);
    DDX_Control(pDX, 1025, m_editPort);
    DDX_Control(pDX, 1014, m_cbProxy);
    DDX_Control(pDX, 1036, m_cbProtocol);
    DDX_Control(pDX, 1012, m_editPassword);
    DDX_Control(pDX, 1038, m_lblPassword);
    DDX_Text(pDX, 1031, m_strUserID);
    DDV_MaxChars(pDX, m_strUserID, kMaxBytes);
    DDX_Check(pDX, 1037, m_bNoSavePassword);
    DDX_Text(pDX, 1000, m_strName);
    DDV_MaxChars(pDX, m_strName, kMaxBytes);
    DDX_Check(pDX, 1039, m_bPassive);
    DDX_Text(pDX, 1012, m_strPassword);
    DDV_MaxChars(pDX, m_strPassword, kMaxBytes);
    DDX_Text(pDX, 1025, m_strPort);
    DDX_Text(pDX, 1020, m_strServer);
    DDX_Check(pDX, 1022, m_bUseProxy);
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
    const std::string name = accounts::ReadTextOrEmpty(g_hProxyRecord, 1011);
    const std::string prompt = platform::FormatString(res::LoadString(125), name);
    if (AfxMessageBox(prompt, MB_OKCANCEL | MB_ICONQUESTION, 125) != IDOK)
        return;
    accounts::DeleteLoadedProxy();
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
    accounts::WriteProxy(p);
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
        AfxMessageBox(124, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_strProxyName.clear();
    const int row = m_cbProxy.GetCurSel();
    if (m_bUseProxy && row >= 0 && row < static_cast<int>(m_arrProxyNames.size()))
        m_strProxyName = m_arrProxyNames[static_cast<std::size_t>(row)];
    CDialog::OnOK();
}
