// The main window: controls, data exchange, initialisation, archive controls, help, the
// version box, the progress of browse runs and the setup wizard.
#include "ui/MainDlg.h"

#include "RemoteListModel.h"
#include "library/App.h"
#include "platform/MessageBox.h"
#include "platform/Qt.h"
#include "platform/Shell.h"
#include "res/Ids.h"
#include "res/Resources.h"
#include "ui/AboutDlg.h"

#include <QAction>
#include <QDialog>
#include <QMenu>

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
    {IDS_WIZARD_PAGE_NAME, IDC_NAME, true},         {IDS_WIZARD_PAGE_TITLE, IDC_TITLE, true},
    {IDS_WIZARD_PAGE_ARCHIVE, IDC_COMPRESS, false}, {IDS_WIZARD_PAGE_ACCOUNT, IDC_ACCOUNTS, false},
    {IDS_WIZARD_PAGE_FILES, IDC_ADD_PATH, false},   {IDS_WIZARD_PAGE_SERVER, 0, false},
};
constexpr int kLastPage = 5;
// The title names a folder: at most a path's worth of bytes.
constexpr int kMaxTitleBytes = 260;

} // namespace

CMainDlg::CMainDlg(CWnd* pParent) : CDialog(IDD_MAIN, pParent) {
    g_strFileFilter = Str(IDS_FILE_FILTER);
    m_hIcon = res::LoadIcon(IDI_APP);
    m_dlgConnecting.m_pOwner = this;

    MapCommand(IDC_WIZARD, &CMainDlg::OnWizardButton);
    MapCommand(IDC_COMPRESS, &CMainDlg::OnCompressCheck);
    MapCommand(IDC_BACK_OR_CONNECT, &CMainDlg::OnBackOrConnect);
    MapCommand(IDC_NEXT_OR_PARENT, &CMainDlg::OnNextOrParent);
    MapCommand(IDC_ADD_FILE, &CMainDlg::OnAddFile);
    MapCommand(IDC_NEW_ACCOUNT, &CMainDlg::OnNewAccount);
    MapCommand(IDC_ACCOUNT_DETAILS, &CMainDlg::OnAccountDetails);
    MapCommand(IDC_DELETE_ACCOUNT, &CMainDlg::OnDeleteAccount);
    MapCommand(IDC_EDIT_FILE, &CMainDlg::OnEditFile);
    MapCommand(IDC_DELETE_FILE, &CMainDlg::OnDeleteFile);
    MapCommand(IDC_DELETE_ALL_FILES, &CMainDlg::OnDeleteAllFiles);
    MapNotify(IDC_REMOTE, NM_DBLCLK, &CMainDlg::OnDblclkRemoteList);
    MapCommand(IDC_SHOW, &CMainDlg::OnShowFolder);
    MapCommand(IDC_ADD_REMOTE, &CMainDlg::OnAddRemote);
    MapCommand(IDC_LOAD, &CMainDlg::OnLoad);
    MapCommand(IDC_NEW, &CMainDlg::OnNew);
    MapCommand(ID_HELP, &CMainDlg::OnHelp);
}

void CMainDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_NEW_ACCOUNT, m_btnNewAccount);
    DDX_Control(pDX, IDOK, m_btnSave);
    DDX_Control(pDX, IDC_SHOW, m_btnShow);
    DDX_Control(pDX, IDC_MASK, m_editMask);
    DDX_Control(pDX, IDC_ADD_PATH, m_editAddPath);
    DDX_Control(pDX, IDC_BACK_OR_CONNECT, m_btnConnect);
    DDX_Control(pDX, IDC_NEXT_OR_PARENT, m_btnParent);
    DDX_Control(pDX, IDC_ARCHIVE_GROUP, m_grpArchive);
    DDX_Control(pDX, IDC_ARCHIVE_NAME_LABEL, m_lblArchiveName);
    DDX_Control(pDX, IDC_ARCHIVE_NAME, m_editArchiveName);
    DDX_Control(pDX, IDC_ZIP, m_chkZip);
    DDX_Control(pDX, IDC_TITLE, m_editTitle);
    DDX_Control(pDX, IDC_NAME, m_editName);
    DDX_Control(pDX, IDC_WIZARD, m_btnWizard);
    DDX_Control(pDX, IDC_WIZARD_TEXT, m_editWizardText);
    DDX_Control(pDX, IDC_SERVER_PANEL, m_grpServer);
    DDX_Control(pDX, IDC_FOLDER, m_editFolder);
    DDX_Control(pDX, IDC_ADD_REMOTE, m_btnAddRemote);
    DDX_Control(pDX, IDC_REMOTE, m_listRemote);
    DDX_Control(pDX, IDC_FILES, m_listFiles);
    DDX_Control(pDX, IDC_ACCOUNTS, m_listAccounts);
    DDX_Text(pDX, IDC_FOLDER, m_strFolder);
    DDX_Text(pDX, IDC_NAME, m_strName);
    DDX_Text(pDX, IDC_TITLE, m_strTitle);
    DDV_MaxChars(pDX, m_strTitle, kMaxTitleBytes);
    DDX_Text(pDX, IDC_ADD_PATH, m_strAddPath);
    DDX_Check(pDX, IDC_ZIP, m_bZip);
    DDX_Text(pDX, IDC_WIZARD_TEXT, m_strWizardText);
    DDX_Text(pDX, IDC_ARCHIVE_NAME, m_strArchiveName);
    DDX_Check(pDX, IDC_COMPRESS, m_bCompress);
    DDX_Text(pDX, IDC_MASK, m_strMask);
}

BOOL CMainDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (QMenu* menu = GetContextMenu()) {
        menu->addSeparator();
        const QString text = platform::ToQ(Str(IDS_ABOUTBOX));
        QAction* about = menu->addAction(text);
        QObject::connect(about, &QAction::triggered, menu, [this] { OnAboutBox(); });
        // The window manager's menu cannot carry the item, so its access key works on the
        // whole window: the version box is reachable without a mouse.
        about->setShortcut(QKeySequence::mnemonic(text));
        about->setShortcutContext(Qt::WindowShortcut);
        GetDialogWidget()->addAction(about);
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    InitControls();
    if (!m_strStartFile.empty()) {
        // Once the window is open, as if Load had been clicked and the file chosen; gone
        // with the window if it closes first.
        QMetaObject::invokeMethod(
            GetDialogWidget(), [this] { LoadDocument(m_strStartFile); }, Qt::QueuedConnection);
    }
    return TRUE;
}

void CMainDlg::InitControls() {
    for (int col = 0; col < 4; ++col)
        m_listFiles.InsertColumn(col, Str(IDS_COL_FILE_NAME + col), LVCFMT_LEFT);
    const int widths[] = {100, 50, 50, 200};
    for (int col = 0; col < 4; ++col)
        m_listFiles.SetColumnWidth(col, widths[col]);

    m_imlRemote.Create(IDB_REMOTE, 16, 8, RGB(255, 255, 255));
    m_remoteRows = new RemoteListModel(m_arrRemote, nullptr);
    m_listRemote.SetModel(m_remoteRows);
    m_listRemote.SetImageList(&m_imlRemote, LVSIL_SMALL);
    m_listRemote.InsertColumn(0, Str(IDS_COL_REMOTE_NAME), LVCFMT_LEFT);
    m_listRemote.SetColumnWidth(0, LVSCW_AUTOSIZE_USEHEADER);

    FillAccountList();

    // ZIP is the only archive format: always ticked, never changeable.
    m_bZip = 1;
    m_chkZip.EnableWindow(FALSE);

    m_bWizard = TRUE;
    m_nWizardPage = 0;
    UpdateArchiveControls();
    ShowWizardPage();

    m_dlgConnecting.Create(IDD_CONNECTING, this);
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
        AfxMessageBox(IDS_HELP_FAILED, MB_OK);
}

void CMainDlg::OnPaint() {
    // A minimised window on Linux shows the window icon set in OnInitDialog; the window
    // manager paints it, so there is nothing to draw here.
}

void CMainDlg::OnAboutBox() {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
}

void CMainDlg::OnClose() {
    // Nothing the worker uses may go while a run lives.
    if (!m_bBrowsing)
        CDialog::OnClose();
}

void CMainDlg::OnBrowseProgress(int percent) {
    m_dlgConnecting.m_progress.SetPos(percent);
    int textId = 0;
    switch (percent) {
    case ftp::kProgressConnecting:
        textId = IDS_STATUS_CONNECTING;
        break;
    case ftp::kProgressConnected:
        textId = m_nConnectedStatus != 0 ? m_nConnectedStatus : IDS_STATUS_CONNECTED;
        break;
    case ftp::kProgressFolders:
        textId = IDS_STATUS_FOLDERS;
        break;
    case ftp::kProgressFiles:
        textId = IDS_STATUS_FILES;
        break;
    case ftp::kProgressDone:
        textId = IDS_STATUS_DONE;
        break;
    default:
        break;
    }
    if (textId != 0)
        m_dlgConnecting.m_strStatus = Str(textId);
    m_dlgConnecting.UpdateData(FALSE);
}

void CMainDlg::ShowWizardPage() {
    if (m_bWizard) {
        m_btnShow.ShowWindow(SW_HIDE);
        m_editFolder.ShowWindow(SW_HIDE);
        m_listRemote.ShowWindow(SW_HIDE);
        m_btnAddRemote.ShowWindow(SW_HIDE);
        m_grpServer.SetWindowText(Str(IDS_WIZARD_CAPTION));
        const int page = (m_nWizardPage >= 0 && m_nWizardPage <= kLastPage) ? m_nWizardPage : 0;
        const WizardPage& wp = kPages[page];
        m_strWizardText = Str(wp.textId);
        if (wp.focusId != 0) {
            if (CWnd* focus = GetDlgItem(wp.focusId)) {
                focus->SetFocus();
                if (wp.selectAll)
                    CEdit(focus->widget()).SetSel(0, -1);
            }
        }
        m_editWizardText.ShowWindow(SW_SHOW);
        m_btnConnect.SetWindowText(Str(IDS_BACK));
        m_btnParent.SetWindowText(Str(IDS_NEXT));
        m_btnWizard.SetWindowText(Str(IDS_STOP_WIZARD));
    } else {
        m_btnShow.ShowWindow(SW_SHOW);
        m_editFolder.ShowWindow(SW_SHOW);
        m_listRemote.ShowWindow(SW_SHOW);
        m_btnAddRemote.ShowWindow(SW_SHOW);
        m_grpServer.SetWindowText(Str(IDS_SERVER_PANEL));
        m_editWizardText.ShowWindow(SW_HIDE);
        m_btnConnect.SetWindowText(Str(IDS_CONNECT));
        m_btnParent.SetWindowText(Str(IDS_PARENT_FOLDER));
        m_btnWizard.SetWindowText(Str(IDS_WIZARD));
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
