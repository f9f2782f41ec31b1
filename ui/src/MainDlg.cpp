// The main window: controls, data exchange, initialisation, archive controls, help, the
// version box, the progress of browse runs and the setup wizard.
#include "ui/MainDlg.h"

#include "library/App.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "res/Resources.h"
#include "ui/AboutDlg.h"

namespace {

std::string Str(int id) {
    return std::string(res::LoadString(id));
}

struct WizardPage {
    int textId;
    int focusId; // 0: the focus stays where it is
    bool selectAll;
};

constexpr WizardPage kPages[] = {
    {106, 1000, true},  {113, 1002, true},  {116, 1027, false},
    {117, 1007, false}, {118, 1013, false}, {119, 0, false},
};
constexpr int kLastPage = 5;

} // namespace

CMainDlg::CMainDlg(CWnd* pParent) : CDialog(102, pParent) {
    g_strFileFilter = Str(153);
    m_hIcon = LoadAppIcon();
    m_dlgConnecting.m_pOwner = this;

    MapCommand(1029, &CMainDlg::OnWizardButton);
    MapCommand(1027, &CMainDlg::OnCompressCheck);
    MapCommand(1033, &CMainDlg::OnBackOrConnect);
    MapCommand(1028, &CMainDlg::OnNextOrParent);
    MapCommand(1011, &CMainDlg::OnAddFile);
    MapCommand(1008, &CMainDlg::OnNewAccount);
    MapCommand(1026, &CMainDlg::OnAccountDetails);
    MapCommand(1041, &CMainDlg::OnDeleteAccount);
    MapCommand(1015, &CMainDlg::OnEditFile);
    MapCommand(1016, &CMainDlg::OnDeleteFile);
    MapCommand(1018, &CMainDlg::OnDeleteAllFiles);
    MapNotify(1021, NM_DBLCLK, &CMainDlg::OnDblclkRemoteList);
    MapCommand(1024, &CMainDlg::OnShowFolder);
    MapCommand(1023, &CMainDlg::OnAddRemote);
    MapCommand(1050, &CMainDlg::OnLoad);
    MapCommand(1051, &CMainDlg::OnNew);
    MapMessage(WM_BROWSEPROGRESS, &CMainDlg::OnBrowseProgress);
    MapCommand(ID_HELP, &CMainDlg::OnHelp);
}

void CMainDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1008, m_btnNewAccount);
    DDX_Control(pDX, IDOK, m_btnSave);
    DDX_Control(pDX, 1024, m_btnShow);
    DDX_Control(pDX, 1047, m_editMask);
    DDX_Control(pDX, 1013, m_editAddPath);
    DDX_Control(pDX, 1033, m_btnConnect);
    DDX_Control(pDX, 1028, m_btnParent);
    DDX_Control(pDX, 1034, m_grpArchive);
    DDX_Control(pDX, 1035, m_lblArchiveName);
    DDX_Control(pDX, 1004, m_editArchiveName);
    DDX_Control(pDX, 1009, m_chkZip);
    DDX_Control(pDX, 1002, m_editTitle);
    DDX_Control(pDX, 1000, m_editName);
    DDX_Control(pDX, 1029, m_btnWizard);
    DDX_Control(pDX, 1032, m_editWizardText);
    DDX_Control(pDX, 1030, m_grpServer);
    DDX_Control(pDX, 1019, m_editFolder);
    DDX_Control(pDX, 1023, m_btnAddRemote);
    DDX_Control(pDX, 1021, m_listRemote);
    DDX_Control(pDX, 1010, m_listFiles);
    DDX_Control(pDX, 1007, m_listAccounts);
    DDX_Text(pDX, 1019, m_strFolder);
    DDX_Text(pDX, 1000, m_strName);
    DDX_Text(pDX, 1002, m_strTitle);
    DDV_MaxChars(pDX, m_strTitle, 260);
    DDX_Text(pDX, 1013, m_strAddPath);
    DDX_Check(pDX, 1009, m_bZip);
    DDX_Text(pDX, 1032, m_strWizardText);
    DDX_Text(pDX, 1004, m_strArchiveName);
    DDX_Check(pDX, 1027, m_bCompress);
    DDX_Text(pDX, 1047, m_strMask);
}

BOOL CMainDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    // The version item goes at the end of the system menu.
    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        const std::string about = Str(101);
        if (!about.empty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    InitControls();
    return TRUE;
}

void CMainDlg::InitControls() {
    m_listFiles.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    for (int col = 0; col < 4; ++col)
        m_listFiles.InsertColumn(col, Str(102 + col), LVCFMT_LEFT);
    const int widths[] = {100, 50, 50, 200};
    for (int col = 0; col < 4; ++col)
        m_listFiles.SetColumnWidth(col, widths[col]);

    m_imlRemote.Create(res::kBitmapRemote, 16, 8, RGB(255, 255, 255));
    m_listRemote.SetImageList(&m_imlRemote, LVSIL_SMALL);
    m_listRemote.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    m_listRemote.InsertColumn(0, Str(136), LVCFMT_LEFT);
    m_listRemote.SetColumnWidth(0, LVSCW_AUTOSIZE_USEHEADER);

    FillAccountList();

    // ZIP is the only archive format: always ticked, never changeable.
    m_bZip = 1;
    m_chkZip.EnableWindow(FALSE);

    m_bWizard = TRUE;
    m_nWizardPage = 0;
    UpdateArchiveControls();
    ShowWizardPage();

    m_dlgConnecting.Create(129, this);
    UpdateData(FALSE);
}

void CMainDlg::UpdateArchiveControls() {
    const BOOL enable = m_bCompress != 0 ? TRUE : FALSE;
    m_grpArchive.EnableWindow(enable);
    m_lblArchiveName.EnableWindow(enable);
    m_editArchiveName.EnableWindow(enable);
}

void CMainDlg::OnCompressCheck() {
    // The box ticks itself; the member follows it without reading it back.
    m_bCompress = m_bCompress ? 0 : 1;
    UpdateArchiveControls();
}

void CMainDlg::OnHelp() {
    const INT_PTR r = ShellExecuteOpen(this, theApp.m_pszHelpFilePath);
    if (r <= 32)
        AfxMessageBox(163, MB_OK);
}

void CMainDlg::OnPaint() {
    // A minimised window on Linux shows the window icon set in OnInitDialog; the window
    // manager paints it, so there is nothing to draw here.
}

void CMainDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
        return;
    }
    // Nothing the worker uses may go while a run lives.
    if ((nID & 0xFFF0) == SC_CLOSE && m_bBrowsing)
        return;
    CDialog::OnSysCommand(nID, lParam);
}

LRESULT CMainDlg::OnBrowseProgress(WPARAM wParam, LPARAM) {
    const int p = static_cast<int>(wParam);
    m_dlgConnecting.m_progress.SetPos(p);
    int textId = 0;
    switch (p) {
    case 10:
        textId = 138;
        break;
    case 20:
        textId = 139;
        break;
    case 30:
        textId = 140;
        break;
    case 40:
        textId = 141;
        break;
    case 100:
        textId = 143;
        break;
    default:
        break;
    }
    if (textId != 0)
        m_dlgConnecting.m_strStatus = Str(textId);
    m_dlgConnecting.UpdateData(FALSE);
    return 0;
}

void CMainDlg::ShowWizardPage() {
    if (m_bWizard) {
        m_btnShow.ShowWindow(SW_HIDE);
        m_editFolder.ShowWindow(SW_HIDE);
        m_listRemote.ShowWindow(SW_HIDE);
        m_btnAddRemote.ShowWindow(SW_HIDE);
        m_grpServer.SetWindowText(Str(107));
        const int page = (m_nWizardPage >= 0 && m_nWizardPage <= kLastPage) ? m_nWizardPage : 0;
        const WizardPage& wp = kPages[page];
        m_strWizardText = Str(wp.textId);
        if (wp.focusId != 0) {
            if (CWnd* focus = GetDlgItem(wp.focusId)) {
                focus->SetFocus();
                if (wp.selectAll) {
                    CEdit edit(focus->widget());
                    edit.SetSel(0, -1);
                    edit.ScrollCaret();
                }
            }
        }
        m_editWizardText.ShowWindow(SW_SHOW);
        m_btnConnect.SetWindowText(Str(114));
        m_btnParent.SetWindowText(Str(109));
        m_btnWizard.SetWindowText(Str(110));
    } else {
        m_btnShow.ShowWindow(SW_SHOW);
        m_editFolder.ShowWindow(SW_SHOW);
        m_listRemote.ShowWindow(SW_SHOW);
        m_btnAddRemote.ShowWindow(SW_SHOW);
        m_grpServer.SetWindowText(Str(108));
        m_editWizardText.ShowWindow(SW_HIDE);
        m_btnConnect.SetWindowText(Str(111));
        m_btnParent.SetWindowText(Str(112));
        m_btnWizard.SetWindowText(Str(115));
    }
    // Only the page text is written: whatever the user typed elsewhere stays.
    m_editWizardText.SetWindowText(m_strWizardText);
}

void CMainDlg::OnWizardButton() {
    if (m_bWizard) {
        m_bWizard = FALSE;
    } else {
        m_bWizard = TRUE;
        m_nWizardPage = 0;
    }
    ShowWizardPage();
}

void CMainDlg::WizardNext() {
    if (m_nWizardPage < kLastPage) {
        ++m_nWizardPage;
    } else {
        m_nWizardPage = 0;
        m_bWizard = FALSE;
    }
    ShowWizardPage();
}

void CMainDlg::WizardBack() {
    if (m_nWizardPage > 0)
        --m_nWizardPage;
    ShowWizardPage();
}

void CMainDlg::OnBackOrConnect() {
    if (m_bWizard) {
        WizardBack();
        return;
    }
    OnConnect();
}

void CMainDlg::OnNextOrParent() {
    if (m_bWizard) {
        WizardNext();
        return;
    }
    OnParentFolder();
}
