// Save, Load, New and Exit of the task document.
#include "ui/MainDlg.h"

#include "document/TaskDocument.h"
#include "library/App.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/Qt.h"
#include "res/Ids.h"

#include <QDir>
#include <QFileInfo>

namespace {

document::Library Lib() {
    return document::Library{theApp.m_api, theApp.m_hInterface};
}

} // namespace

bool CMainDlg::ChooseTaskFile(CFileDialog& dlg) {
    dlg.SetFolder(m_strFileFolder.empty() ? platform::FromQ(QDir::homePath()) : m_strFileFolder);
    if (dlg.DoModal() != IDOK)
        return false;
    m_strFileFolder = platform::FromQ(QFileInfo(platform::ToQ(dlg.GetPathName())).absolutePath());
    return true;
}

void CMainDlg::OnOK() {
    SaveDocument(std::string());
}

void CMainDlg::SaveDocument(std::string path) {
    const int row = m_listAccounts.GetCurSel();
    if (row == LB_ERR)
        return;
    // A failed exchange has already said why.
    if (!UpdateData(TRUE))
        return;

    document::DocumentFields f;
    f.name = m_strName;
    f.title = m_strTitle;
    f.compress = m_bCompress != 0;
    f.archiveName = m_strArchiveName;
    f.hasFiles = m_listFiles.GetItemCount() > 0;
    if (const unsigned id = document::ValidateFields(f); id != 0) {
        AfxMessageBox(id, MB_ICONEXCLAMATION);
        return;
    }

    const document::AccountChoice account{row, m_listAccounts.GetText(row)};
    const int doc = document::BuildDocumentTree(Lib(), f, account, m_arrFiles, theApp.m_items.store,
                                                theApp.m_items.record);
    if (doc == document::kRefused) {
        AfxMessageBox(IDS_SAVE_FAILED, MB_ICONEXCLAMATION);
        return;
    }
    if (doc < 0)
        return;

    if (path.empty()) {
        // An empty default extension makes the dialog append .sd to a bare name.
        CFileDialog dlg(FALSE, "", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                        g_strFileFilter.c_str());
        dlg.SetFileName(document::ProposedFileName(f));
        if (!ChooseTaskFile(dlg))
            return;
        path = dlg.GetPathName();
    }
    // A file that was not written must not pass for saved.
    if (!document::WriteTaskFile(Lib(), doc, path))
        AfxMessageBox(IDS_SAVE_FAILED, MB_ICONEXCLAMATION);
}

void CMainDlg::OnLoad() {
    if (!UpdateData(TRUE))
        return;
    CFileDialog dlg(TRUE, "", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    g_strFileFilter.c_str());
    if (!ChooseTaskFile(dlg))
        return;
    LoadDocument(dlg.GetPathName());
}

void CMainDlg::LoadDocument(const std::string& path) {
    ClearDocument();
    FillAccountList();

    // Nothing read is shown until every check has passed.
    document::LoadedHeader header;
    if (const unsigned id = document::ReadDocumentHeader(Lib(), path, header); id != 0) {
        AfxMessageBox(id, MB_ICONEXCLAMATION);
        return;
    }
    if (m_listAccounts.SelectString(-1, header.accountName) == LB_ERR)
        AfxMessageBox(IDS_ACCOUNT_MISSING, MB_ICONEXCLAMATION);

    std::vector<CBackupFileEntry> entries;
    if (const unsigned id = document::ReadFileLists(Lib(), header.serverItem, entries); id != 0) {
        AfxMessageBox(id, MB_ICONEXCLAMATION);
        return;
    }

    m_strName = header.name;
    m_strTitle = header.title;
    if (header.compress) {
        m_bCompress = 1;
        m_strArchiveName = header.archiveName;
        UpdateArchiveControls();
    }
    std::vector<std::unique_ptr<CBackupFileEntry>> rows;
    rows.reserve(entries.size());
    for (CBackupFileEntry& e : entries)
        rows.push_back(std::make_unique<CBackupFileEntry>(std::move(e)));
    AppendBackupFiles(std::move(rows));
    UpdateData(FALSE);
}

void CMainDlg::OnNew() {
    if (AfxMessageBox(IDS_CONFIRM_NEW, MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL)
        return;
    ClearDocument();
    FillAccountList();
}

void CMainDlg::OnCancel() {
    if (AfxMessageBox(IDS_CONFIRM_EXIT, MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL)
        return;
    // The name written back at exit is the one the user sees; the other fields are not
    // taken in.
    m_strName = m_editName.GetWindowText();
    ClearDocument();
    ClearAccountList();
    CDialog::OnCancel();
}

void CMainDlg::ClearDocument() {
    ClearBackupFiles();
    ClearRemoteList();
    m_bCompress = 0;
    m_strTitle.clear();
    m_strArchiveName.clear();
    m_strAddPath.clear();
    UpdateData(FALSE);
    UpdateArchiveControls();
}
