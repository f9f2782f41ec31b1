#include "document/SaveNameDlg.h"

#include "document/BackupFileEntry.h"
#include "res/Ids.h"

CSaveNameDlg::CSaveNameDlg(CWnd* pParent) : CDialog(IDD_SAVENAME, pParent) {}

CSaveNameDlg::~CSaveNameDlg() = default;

void CSaveNameDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MODE, m_cbMode);
    DDX_Control(pDX, IDC_METHOD, m_cbMethod);
    DDX_Text(pDX, IDC_SAVE_NAME, m_strSaveName);
    DDX_CBIndex(pDX, IDC_METHOD, m_nMethod);
    DDX_CBIndex(pDX, IDC_MODE, m_nMode);
    DDX_Text(pDX, IDC_FILE_PATH, m_strFileName);
}

BOOL CSaveNameDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    for (std::string_view text : document::kModeComboTexts)
        m_cbMode.AddString(std::string(text));
    for (std::string_view text : document::kMethodTexts)
        m_cbMethod.AddString(std::string(text));
    // The combos were still empty when the members went in: select now.
    m_cbMode.SetCurSel(m_nMode >= 0 && m_nMode <= 2 ? m_nMode : 0);
    m_cbMethod.SetCurSel(m_nMethod == 0 || m_nMethod == 1 ? m_nMethod : 0);
    return TRUE;
}
