// The file entry dialog on its own: what it shows for the values it is given, and what it
// hands back on OK.
#include "document/SaveNameDlg.h"
#include "gui_support/GuiTest.h"
#include "res/Ids.h"

#include <QComboBox>

namespace modal = platform::modal;

namespace {

class SaveNameDlgTest : public gui::GuiTest {
protected:
    bool NeedsLibrary() const override { return false; }
};

// Values out of range select the first items.
TEST_F(SaveNameDlgTest, ShowsTheGivenValuesAndHandsBackWhatWasTypedAndChosen) {
    CSaveNameDlg dlg;
    dlg.m_strSaveName = "報告書.txt";
    dlg.m_strFileName = "/公開/報告書.txt";
    dlg.m_nMode = 2;
    dlg.m_nMethod = 1;
    modal::QueueDialog(IDD_SAVENAME, [](CDialog& d) {
        EXPECT_EQ(Text(d, IDC_SAVE_NAME), "報告書.txt");
        EXPECT_EQ(Text(d, IDC_FILE_PATH), "/公開/報告書.txt");
        EXPECT_EQ(ComboRows(d, IDC_MODE), (std::vector<std::string>{"Auto", "Binary", "Text"}));
        EXPECT_EQ(ComboRows(d, IDC_METHOD), (std::vector<std::string>{"Get", "Mget"}));
        EXPECT_EQ(std::pair(ComboSelection(d, IDC_MODE), ComboSelection(d, IDC_METHOD)),
                  std::pair(2, 1));
        EXPECT_EQ(FocusId(d), IDC_SAVE_NAME);
        SetText(d, IDC_SAVE_NAME, "");
        Type(d, IDC_SAVE_NAME, "ログ.txt");
        SetText(d, IDC_FILE_PATH, "/var/ログ.txt");
        qobject_cast<QComboBox*>(Control(d, IDC_MODE))->setCurrentIndex(1);
        qobject_cast<QComboBox*>(Control(d, IDC_METHOD))->setCurrentIndex(0);
        Click(d, IDOK);
        return modal::kAsEnded;
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_strSaveName, "ログ.txt");
    EXPECT_EQ(dlg.m_strFileName, "/var/ログ.txt");
    EXPECT_EQ(std::pair(dlg.m_nMode, dlg.m_nMethod), std::pair(1, 0));
    dlg.m_nMode = 3;
    dlg.m_nMethod = 2;
    modal::QueueDialog(IDD_SAVENAME, [](CDialog& d) {
        EXPECT_EQ(std::pair(ComboSelection(d, IDC_MODE), ComboSelection(d, IDC_METHOD)),
                  std::pair(0, 0));
        return static_cast<INT_PTR>(IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    ExpectNoUnexpectedModals();
}

} // namespace
