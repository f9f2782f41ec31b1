// The main window (template IDD_MAIN): every field of the task document, the account list, the
// FTP server panel and the setup wizard that borrows the panel.
//
// The window's code is split by area; each file is edited only by its area:
//   MainDlg.cpp           window, data exchange, initialisation, archive controls, help,
//                         version box, close box, progress, wizard, the routing of
//                         IDC_BACK_OR_CONNECT/IDC_NEXT_OR_PARENT
//   MainDlgAccounts.cpp   FillAccountList, ClearAccountList, OnNewAccount,
//                         OnAccountDetails, OnDeleteAccount
//   MainDlgFiles.cpp      AddBackupFile, OnAddFile, OnEditFile, OnDeleteFile,
//                         OnDeleteAllFiles, PreTranslateMessage
//   MainDlgDocument.cpp   OnOK (SaveDocument), OnLoad (LoadDocument), OnNew, OnCancel,
//                         ClearDocument
//   MainDlgBrowse.cpp     OnConnect, OnParentFolder, OnShowFolder, OnDblclkRemoteList,
//                         OnAddRemote, ClearRemoteList, StartBrowseRun, the destructor
//                         (which waits for a running worker)
//
// Buttons IDC_BACK_OR_CONNECT and IDC_NEXT_OR_PARENT are routed to OnBackOrConnect and
// OnNextOrParent, which take the wizard's Back and Next while the wizard is active and call
// OnConnect / OnParentFolder otherwise; those two therefore hold only the browser's behaviour.
#pragma once

#include "document/BackupFileEntry.h"
#include "ftp/BrowseWorker.h"
#include "ftp/RemoteEntry.h"
#include "platform/Dialog.h"
#include "platform/Win.h"
#include "ui/ConnectingDlg.h"

#include <QIcon>
#include <QPointer>

#include <atomic>
#include <memory>

class CFileDialog;
#include <string>
#include <vector>

class RemoteListModel;

class CMainDlg : public CDialog {
public:
    explicit CMainDlg(CWnd* pParent = nullptr);
    ~CMainDlg() override; // MainDlgBrowse.cpp

    // --- state, in the window's declaration order ---
    BOOL m_bWizard = FALSE;                                    // wizard active
    int m_nWizardPage = 0;                                     // 0..5
    std::vector<std::unique_ptr<CBackupFileEntry>> m_arrFiles; // row i of IDC_FILES is entry i
    std::vector<std::unique_ptr<CRemoteEntry>> m_arrRemote;    // row i of IDC_REMOTE is entry i
    QPointer<RemoteListModel> m_remoteRows;             // IDC_REMOTE's rows; the view owns it
    CImageList m_imlRemote;                             // bitmap IDB_REMOTE: folder, file
    std::unique_ptr<ftp::BrowseWorker> m_pBrowseThread; // latest browse worker
    CConnectingDlg m_dlgConnecting;                     // progress of a browse run
    std::atomic<int> m_bCancel{0};                      // stop request of a run
    std::string m_strUserID; // connection data of the account being browsed
    std::string m_strServer;
    std::string m_strProxyName;     // empty: the account connects directly
    std::string m_strProxyServer;   // of the proxy Connect found; empty: none
    std::string m_strProxyUserID;   // empty: no login at the proxy
    std::string m_strProxyPassword; // stored or typed at Connect
    std::string m_strPassword;      // typed at the last Connect; empty: not connected
    std::string m_strTrustedOnce;   // fingerprint trusted "this time" since the last Connect
    bool m_bPlainAccepted = false;  // going on without TLS accepted since the last Connect
    int m_nConnectedStatus = 0;     // the status string of the run's connected stage
    BOOL m_bPassive = FALSE;        // the account's passive-mode flag, read at Connect
    BOOL m_bBrowsing = FALSE;       // a run lives: from its start until the worker's end

    CButton m_btnNewAccount;
    CButton m_btnSave; // IDOK
    CButton m_btnShow;
    CEdit m_editMask;
    CEdit m_editAddPath;
    CButton m_btnConnect;
    CButton m_btnParent;
    CButton m_grpArchive;
    CStatic m_lblArchiveName;
    CEdit m_editArchiveName;
    CButton m_chkZip;
    CEdit m_editTitle;
    CEdit m_editName;
    CButton m_btnWizard;
    CEdit m_editWizardText;
    CButton m_grpServer;
    CEdit m_editFolder;
    CButton m_btnAddRemote;
    CListCtrl m_listRemote;
    CListCtrl m_listFiles;
    CListBox m_listAccounts;

    std::string m_strFolder;      // IDC_FOLDER, as shown
    std::string m_strFolderBytes; // the server's bytes IDC_FOLDER was last given
    std::string m_strName;        // IDC_NAME: the user name
    std::string m_strTitle;       // IDC_TITLE: at most 260 bytes
    std::string m_strAddPath;
    int m_bZip = 0;
    std::string m_strWizardText;
    std::string m_strArchiveName;
    int m_bCompress = 0; // IDC_COMPRESS: pack into one archive
    std::string m_strMask;
    QIcon m_hIcon; // icon IDI_APP
    // The task file named on the command line, loaded as Load would once the window is open;
    // empty: none.
    std::string m_strStartFile;

    // --- window (MainDlg.cpp) ---
    void InitControls();
    void UpdateArchiveControls();
    void OnCompressCheck();
    void OnHelp();
    void OnPaint();
    QIcon OnQueryDragIcon() const { return m_hIcon; }
    // The version item at the end of the window's context menu.
    void OnAboutBox();
    // The browse worker's progress (10, 20, 30, 40, 100), on the user-interface thread.
    virtual void OnBrowseProgress(int percent);

    // --- wizard (MainDlg.cpp) ---
    void ShowWizardPage();
    void OnWizardButton();
    void OnBackOrConnect();
    void OnNextOrParent();
    void WizardNext();
    void WizardBack();

    // --- accounts (MainDlgAccounts.cpp) ---
    void FillAccountList();
    void ClearAccountList();
    void OnNewAccount();
    void OnAccountDetails();
    void OnDeleteAccount();

    // --- backup file list (MainDlgFiles.cpp) ---
    void AddBackupFile(std::string path);
    void OnAddFile();
    void OnEditFile();
    void OnDeleteFile();
    void OnDeleteAllFiles();
    // Appends entries to m_arrFiles and their rows at the end of IDC_FILES (Add and Load);
    // many at once update the list once.
    void AppendBackupFile(std::unique_ptr<CBackupFileEntry> entry);
    void AppendBackupFiles(std::vector<std::unique_ptr<CBackupFileEntry>> entries);
    // Frees every entry and deletes every row of IDC_FILES (ClearDocument and delete-all).
    void ClearBackupFiles();

    // --- task document (MainDlgDocument.cpp) ---
    void SaveDocument(std::string path);
    void OnLoad();
    // What Load does with the file chosen in its dialog; also the start-up's m_strStartFile.
    void LoadDocument(const std::string& path);
    void OnNew();
    void ClearDocument();
    // Runs a Load or Save file dialog in the folder the last one was left in (at first the
    // home folder); false when cancelled.
    bool ChooseTaskFile(CFileDialog& dlg);
    std::string m_strFileFolder;

    // --- server browser (MainDlgBrowse.cpp) ---
    void OnConnect();
    void OnParentFolder();
    void OnShowFolder();
    void OnDblclkRemoteList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnAddRemote();
    void ClearRemoteList();
    void StartBrowseRun(BOOL bResetProgress);
    // Shows a server path in IDC_FOLDER readable and remembers its bytes.
    void ShowFolder(const std::string& bytes);
    // What a run sends for the text of IDC_FOLDER: the remembered bytes while the text is
    // what ShowFolder showed, else the typed text.
    std::string FolderBytes(const std::string& text) const;
    // The password prompt of Connect for `server` and `userId`; false when it was not
    // confirmed.
    bool AskPassword(const std::string& server, const std::string& userId, std::string& password);
    // Reads the proxy the account names; false when Connect must not go on.
    bool ReadProxy();
    // The TLS questions of a run, on this thread while the run waits.
    bool AskCertificate(const std::string& server, const inet::FtpCertificate& certificate);
    bool AskPlain();
    void OnConnected(const std::string& server, const ftp::BrowseSecurity& security);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(int key, int ctrlId) override; // MainDlgFiles.cpp
    void OnOK() override;                                   // Save, MainDlgDocument.cpp
    void OnCancel() override;                               // Exit, MainDlgDocument.cpp
    void OnClose() override;                                // MainDlg.cpp
};
