// The file entry dialog (template 158, "保存名の変更"): save name, remote path, transfer
// mode and method of one backup file entry. It only holds values; the opener reads them
// after IDOK and normalises mode and method (document::NormaliseMode / NormaliseMethod).
#pragma once

#include "platform/Dialog.h"

#include <string>

class CSaveNameDlg : public CDialog {
public:
    explicit CSaveNameDlg(CWnd* pParent = nullptr);
    ~CSaveNameDlg() override;

    CComboBox m_cbMode;        // 1044
    CComboBox m_cbMethod;      // 1045
    std::string m_strSaveName; // 1015
    int m_nMethod = -1;        // 1045: 0 Get, 1 Mget
    int m_nMode = -1;          // 1044: 0 Auto, 1 Binary, 2 Text
    std::string m_strFileName; // 1027: the remote path

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};
