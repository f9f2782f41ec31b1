// The file entry dialog (template IDD_SAVENAME, "保存名の変更"): save name, remote path, transfer
// mode and method of one backup file entry. It only holds values; the opener reads them
// after IDOK and normalises mode and method (document::NormaliseMode / NormaliseMethod).
#pragma once

#include "platform/Dialog.h"

#include <string>

class CSaveNameDlg : public CDialog {
public:
    explicit CSaveNameDlg(CWnd* pParent = nullptr);
    ~CSaveNameDlg() override;

    CComboBox m_cbMode;
    CComboBox m_cbMethod;
    std::string m_strSaveName;
    int m_nMethod = -1;        // IDC_METHOD: 0 Get, 1 Mget
    int m_nMode = -1;          // IDC_MODE: 0 Auto, 1 Binary, 2 Text
    std::string m_strFileName; // IDC_FILE_PATH: the remote path

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};
