// The file entry dialog on its own: what it shows for the values it is given, and what it
// hands back on OK and Cancel.
#include "document/SaveNameDlg.h"
#include "gui_support/GuiTest.h"

#include <QComboBox>
#include <QDialog>
#include <QTest>

namespace modal = platform::modal;

namespace {

class SaveNameDlgTest : public gui::GuiTest {
protected:
    bool NeedsLibrary() const override { return false; }

    struct Seen {
        std::string caption, name, path;
        std::vector<std::string> modes, methods;
        int mode = -9, method = -9, focus = -9;
    };

    static void Preset(CSaveNameDlg& dlg, const std::string& name, const std::string& path,
                       int mode, int method) {
        dlg.m_strSaveName = name;
        dlg.m_strFileName = path;
        dlg.m_nMode = mode;
        dlg.m_nMethod = method;
    }

    // Runs `dlg` with a script that records what it shows and then runs `act`.
    INT_PTR Run(CSaveNameDlg& dlg, Seen& seen, std::function<void(CDialog&)> act) {
        modal::QueueDialog(158, [&seen, act](CDialog& d) {
            seen.caption = d.GetWindowText();
            seen.name = Text(d, 1015);
            seen.path = Text(d, 1027);
            seen.modes = ComboRows(d, 1044);
            seen.methods = ComboRows(d, 1045);
            seen.mode = ComboSelection(d, 1044);
            seen.method = ComboSelection(d, 1045);
            seen.focus = FocusId(d);
            act(d);
            return modal::kAsEnded;
        });
        return dlg.DoModal();
    }
};

TEST_F(SaveNameDlgTest, ShowsTheGivenValuesWithFilledCombos) {
    CSaveNameDlg dlg;
    Preset(dlg, "報告書.txt", "/公開/報告書.txt", 2, 1);
    Seen seen;
    EXPECT_EQ(Run(dlg, seen, [](CDialog& d) { Click(d, IDCANCEL); }), IDCANCEL);
    EXPECT_EQ(seen.caption, "保存名の変更");
    EXPECT_EQ(seen.name, "報告書.txt");
    EXPECT_EQ(seen.path, "/公開/報告書.txt");
    EXPECT_EQ(seen.modes, (std::vector<std::string>{"Auto", "Binary", "Text"}));
    EXPECT_EQ(seen.methods, (std::vector<std::string>{"Get", "Mget"}));
    EXPECT_EQ(seen.mode, 2);
    EXPECT_EQ(seen.method, 1);
    EXPECT_EQ(seen.focus, 1015) << "the save name takes the focus";
    ExpectNoUnexpectedModals();
}

TEST_F(SaveNameDlgTest, ValuesOutOfRangeSelectTheFirstItems) {
    for (const auto& [mode, method] : {std::pair{-1, -1}, std::pair{3, 2}}) {
        CSaveNameDlg dlg;
        Preset(dlg, "", "", mode, method);
        Seen seen;
        Run(dlg, seen, [](CDialog& d) { Click(d, IDCANCEL); });
        EXPECT_EQ(seen.mode, 0) << mode;
        EXPECT_EQ(seen.method, 0) << method;
    }
    ExpectNoUnexpectedModals();
}

TEST_F(SaveNameDlgTest, OkHandsBackWhatTheUserTypedAndChose) {
    CSaveNameDlg dlg;
    Preset(dlg, "a.txt", "/pub/a.txt", 0, 0);
    Seen seen;
    const INT_PTR r = Run(dlg, seen, [](CDialog& d) {
        SetText(d, 1015, "");
        Type(d, 1015, "ログ.txt");
        SetText(d, 1027, "/var/ログ.txt");
        qobject_cast<QComboBox*>(Control(d, 1044))->setCurrentIndex(1);
        qobject_cast<QComboBox*>(Control(d, 1045))->setCurrentIndex(1);
        Click(d, IDOK);
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(dlg.m_strSaveName, "ログ.txt");
    EXPECT_EQ(dlg.m_strFileName, "/var/ログ.txt");
    EXPECT_EQ(dlg.m_nMode, 1);
    EXPECT_EQ(dlg.m_nMethod, 1);
    ExpectNoUnexpectedModals();
}

TEST_F(SaveNameDlgTest, TabOrderFollowsTheTemplateAndSkipsThePath) {
    CSaveNameDlg dlg;
    Seen seen;
    std::vector<int> order;
    Run(dlg, seen, [&order](CDialog& d) {
        for (int i = 0; i < 5; ++i) {
            order.push_back(FocusId(d));
            QWidget* f = d.GetDialogWidget()->focusWidget();
            ASSERT_NE(f, nullptr);
            QTest::keyClick(f, Qt::Key_Tab);
        }
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(order, (std::vector<int>{1015, 1, 2, 1044, 1045}));
}

} // namespace
