#include "document/SaveNameDlg.h"

#include "document/BackupFileEntry.h"

CSaveNameDlg::CSaveNameDlg(CWnd* pParent) : CDialog(158, pParent) {}

CSaveNameDlg::~CSaveNameDlg() = default;

void CSaveNameDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1044, m_cbMode);
    DDX_Control(pDX, 1045, m_cbMethod);
    DDX_Text(pDX, 1015, m_strSaveName);
    DDX_CBIndex(pDX, 1045, m_nMethod);
    DDX_CBIndex(pDX, 1044, m_nMode);
    DDX_Text(pDX, 1027, m_strFileName);
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
