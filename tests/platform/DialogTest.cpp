// The dialog base: template geometry, control IDs and kinds, keys, the message
// map, data exchange and its failures, and the control handles.
#include "gui_support/GuiTest.h"

#include "platform/Framework.h"
#include "res/Resources.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace modal = platform::modal;

namespace {

// A dialog on the main window's template with its own exchange and handlers.
class ProbeDlg : public CDialog {
public:
    explicit ProbeDlg(UINT id = 102) : CDialog(id) {
        MapCommand(1011, &ProbeDlg::OnAdd);
        MapNotify(1021, NM_DBLCLK, &ProbeDlg::OnDblclk);
    }
    int ok = 0, cancel = 0, add = 0, lastItem = -99;
    std::vector<std::pair<int, int>> keys; // key, control
    std::string name, title;
    unsigned port = 7;
    int check = 0;
    bool withPort = false;
    CEdit m_editName;
    CListCtrl m_list;
    CListBox m_box;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, 1000, m_editName);
        DDX_Control(pDX, 1021, m_list);
        DDX_Control(pDX, 1007, m_box);
        DDX_Text(pDX, 1000, name);
        DDX_Check(pDX, 1027, check);
        DDX_Text(pDX, 1002, title);
        DDV_MaxChars(pDX, title, 10);
        if (withPort)
            DDX_Text(pDX, 1047, port);
    }
    void OnOK() override {
        ++ok;
        CDialog::OnOK();
    }
    void OnCancel() override { ++cancel; }
    BOOL PreTranslateMessage(int key, int ctrlId) override {
        keys.emplace_back(key, ctrlId);
        return ctrlId == 1013 && key == Qt::Key_Return;
    }
    void OnAdd() { ++add; }
    void OnDblclk(NMHDR* pNMHDR, LRESULT* pResult) {
        lastItem = reinterpret_cast<NMITEMACTIVATE*>(pNMHDR)->iItem;
        *pResult = 0;
    }
};

class DialogTest : public gui::GuiTest {
protected:
    bool NeedsLibrary() const override { return false; }
    void SetUp() override {
        gui::GuiTest::SetUp();
        ASSERT_TRUE(dlg.Create(102));
        ProcessEvents();
    }
    void TearDown() override {
        dlg.DestroyWindow();
        gui::GuiTest::TearDown();
    }
    ProbeDlg dlg;
};

TEST_F(DialogTest, ControlsHaveTheirTemplateRectanglesKindsAndStyles) {
    const res::Dialog* tpl = res::FindDialog(102);
    ASSERT_NE(tpl, nullptr);
    int bx = 0, by = 0;
    CDialog::GetBaseUnits(*tpl, bx, by);
    auto px = [&](int v) { return static_cast<int>(std::lround(v * bx / 4.0)); };
    auto py = [&](int v) { return static_cast<int>(std::lround(v * by / 8.0)); };
    EXPECT_EQ(dlg.GetDialogWidget()->size(), QSize(px(335), py(305)));
    const res::Control& c = *std::find_if(tpl->controls.begin(), tpl->controls.end(),
                                          [](const res::Control& k) { return k.id == 1000; });
    EXPECT_EQ(Control(dlg, c.id)->geometry(), QRect(px(c.x), py(c.y), px(c.cx), py(c.cy)));

    EXPECT_NE(qobject_cast<QTreeView*>(Control(dlg, 1010)), nullptr);
    auto* wizard = qobject_cast<QPlainTextEdit*>(Control(dlg, 1032));
    ASSERT_NE(wizard, nullptr);
    EXPECT_TRUE(wizard->isReadOnly() && wizard->isHidden());
    // A group box never takes the clicks of the controls inside it.
    EXPECT_TRUE(Control(dlg, 1030)->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(qobject_cast<QPushButton*>(Control(dlg, IDOK))->isDefault());
    EXPECT_EQ(dlg.GetDlgItem(4242), nullptr);

    // A handle bound to a control of another kind is a programming error.
    EXPECT_THROW(CEdit{Control(dlg, IDOK)}, std::logic_error);
    CDataExchange dx(&dlg, FALSE);
    CListCtrl notAListView;
    EXPECT_THROW(DDX_Control(&dx, 1007, notAListView), std::logic_error);
}

TEST_F(DialogTest, EnterPressesTheFocusedOrTheDefaultButton) {
    PressKey(dlg, 1000, Qt::Key_Enter);
    EXPECT_EQ(dlg.ok, 1) << "Enter in an edit presses the default button";
    EXPECT_EQ(dlg.keys.back(), std::make_pair(int(Qt::Key_Return), 1000));

    ASSERT_TRUE(dlg.Create(102));
    PressKey(dlg, 1011, Qt::Key_Return);
    EXPECT_EQ(dlg.add, 1) << "Enter on a push button presses that button";
    EXPECT_EQ(dlg.ok, 1);

    PressKey(dlg, 1013, Qt::Key_Return);
    EXPECT_EQ(dlg.ok, 1) << "a key consumed before translation goes nowhere";
}

TEST_F(DialogTest, EscapeTheCloseBoxAndTheMenusCloseItemReachOnCancel) {
    PressKey(dlg, 1000, Qt::Key_Escape);
    EXPECT_EQ(dlg.cancel, 1);
    dlg.GetDialogWidget()->close();
    ProcessEvents();
    EXPECT_EQ(dlg.cancel, 2);
    EXPECT_FALSE(dlg.GetDialogWidget()->isHidden()) << "OnCancel decides; this one stays";
    QAction* close = dlg.GetContextMenu()->actions().value(0);
    EXPECT_EQ(close->text().toStdString(), "閉じる(&C)");
    close->trigger();
    EXPECT_EQ(dlg.cancel, 3);
}

TEST_F(DialogTest, DoubleClickNotifiesTheRowOrMinusOneBesideTheRows) {
    dlg.GetDlgItem(1021)->ShowWindow(SW_SHOW);
    dlg.m_list.InsertColumn(0, "name");
    dlg.m_list.InsertItem(0, "a");
    dlg.m_list.InsertItem(1, "b");
    auto* tree = qobject_cast<QTreeView*>(Control(dlg, 1021));
    const QRect second = tree->visualRect(tree->model()->index(1, 0));
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    EXPECT_EQ(dlg.lastItem, 1);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                       QPoint(5, tree->viewport()->height() - 3));
    EXPECT_EQ(dlg.lastItem, -1);
}

TEST_F(DialogTest, TextCheckAndUnsignedFieldsRoundTrip) {
    dlg.name = "佐藤 花子";
    dlg.check = 1;
    dlg.withPort = true;
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_EQ(Text(dlg, 1000), "佐藤 花子");
    EXPECT_TRUE(Checked(dlg, 1027));
    EXPECT_EQ(Text(dlg, 1047), "7");
    SetText(dlg, 1000, "鈴木");
    Click(dlg, 1027);
    for (const auto& [typed, value] : {std::pair{" 21 ", 21u}, {"4294967295", 4294967295u}}) {
        SetText(dlg, 1047, typed);
        ASSERT_TRUE(dlg.UpdateData(TRUE));
        EXPECT_EQ(dlg.port, value);
    }
    EXPECT_EQ(dlg.name, "鈴木");
    EXPECT_EQ(dlg.check, 0);

    for (const char* bad : {"", "-1", "4294967296"}) {
        SCOPED_TRACE(bad);
        modal::BeginScript();
        dlg.port = 99;
        SetText(dlg, 1047, bad);
        modal::QueueMessageBox(IDOK);
        EXPECT_FALSE(dlg.UpdateData(TRUE));
        ASSERT_EQ(ShownBoxIds(), (std::vector<UINT>{AFX_IDP_PARSE_UINT}));
        EXPECT_EQ(Shown()[0].text, "正の整数を入力してください。");
        EXPECT_EQ(FocusId(dlg), 1047);
        EXPECT_EQ(dlg.port, 99u);
        ExpectNoUnexpectedModals();
    }
}

TEST_F(DialogTest, ByteLimitRefusesTypingAndFailsTheExchange) {
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    Type(dlg, 1002, "あいうえ"); // 12 bytes, the limit is 10
    EXPECT_EQ(Text(dlg, 1002), "あいう");
    SetText(dlg, 1002, "0123456789X");
    QTest::keyClick(Control(dlg, 1002), Qt::Key_Backspace);
    EXPECT_EQ(Text(dlg, 1002), "0123456789") << "a text over the limit can still shrink";
    SetText(dlg, 1002, "0123456789X");
    modal::QueueMessageBox(IDOK);
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{AFX_IDP_PARSE_STRING_SIZE}));
    EXPECT_EQ(FocusId(dlg), 1002);
    ExpectNoUnexpectedModals();
}

TEST_F(DialogTest, ScriptedModalRunReturnsWhatTheDialogEndedWith) {
    ProbeDlg modalDlg;
    modal::QueueDialog(102, [](CDialog& d) {
        SetText(d, 1000, "typed");
        d.SendCommand(IDOK);
        return modal::kAsEnded;
    });
    EXPECT_EQ(modalDlg.DoModal(), IDOK);
    EXPECT_EQ(modalDlg.name, "typed") << "OnOK took the fields in";
    EXPECT_EQ(modalDlg.GetDialogWidget(), nullptr) << "the window is gone after DoModal";

    // Run again: a fresh window with the members as they were left.
    modal::QueueDialog(0, [](CDialog& d) {
        EXPECT_EQ(Text(d, 1000), "typed");
        return static_cast<INT_PTR>(IDCANCEL);
    });
    EXPECT_EQ(modalDlg.DoModal(), IDCANCEL);
    ExpectNoUnexpectedModals();
}

TEST_F(DialogTest, ListBoxSelectsByCaseInsensitivePrefix) {
    EXPECT_EQ(dlg.m_box.GetCurSel(), LB_ERR);
    for (const char* s : {"ABCD", "abc x", "Zed", "Ärger"})
        dlg.m_box.AddString(s);
    EXPECT_EQ(dlg.m_box.SelectString(-1, "abc"), 0);
    EXPECT_EQ(dlg.m_box.GetCurSel(), 0);
    EXPECT_EQ(dlg.m_box.SelectString(0, "ABC"), 1) << "the search starts after the given row";
    EXPECT_EQ(dlg.m_box.SelectString(1, "abc"), 0) << "and wraps round to the top";
    EXPECT_EQ(dlg.m_box.SelectString(-1, "ärg"), 3);
    EXPECT_EQ(dlg.m_box.SelectString(-1, "nothing"), LB_ERR);
    EXPECT_EQ(dlg.m_box.GetCurSel(), 3) << "no match leaves the selection";
    dlg.m_box.ResetContent();
    EXPECT_EQ(dlg.m_box.GetCurSel(), LB_ERR);
}

} // namespace
