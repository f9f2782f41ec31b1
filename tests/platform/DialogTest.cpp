// The dialog base: template geometry, control IDs and kinds, keys, the message
// map, data exchange and its failures, and the control handles; the calls that pass the
// modal seam: boxes show their string, an OK-only box answers OK, and file dialogs add the
// filter's extension (the help button's test covers the shell).
#include "gui_support/GuiTest.h"

#include "platform/FileDialog.h"
#include "platform/Framework.h"
#include "platform/MessageBox.h"
#include "platform/Qt.h"
#include "res/Resources.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeView>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <tuple>

namespace modal = platform::modal;

namespace {

// A dialog on the main window's template with its own exchange and handlers.
class ProbeDlg : public CDialog {
public:
    ProbeDlg() : CDialog(102) {
        MapCommand(1011, &ProbeDlg::OnAdd);
        MapNotify(1021, NM_DBLCLK, &ProbeDlg::OnDblclk);
    }
    int ok = 0, cancel = 0, add = 0, lastItem = -99;
    std::string title;
    unsigned port = 7;
    bool withPort = false;
    CListCtrl m_list;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, 1021, m_list);
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

// Dialogs are drawn in the template's face where the system has it, else in the face the
// templates were laid out with, never in the default sans font.
TEST_F(DialogTest, AMissingFaceGivesWayToTheLayoutFace) {
    EXPECT_EQ(CDialog::DialogFamilies("No Such Face"), QStringList{"IPAPGothic"});
    EXPECT_EQ(CDialog::DialogFamilies("IPAPGothic"), QStringList{"IPAPGothic"});
    EXPECT_EQ(CDialog::DialogFamilies("IPAGothic"), (QStringList{"IPAGothic", "IPAPGothic"}));
    const res::Dialog* tpl = res::FindDialog(102);
    ASSERT_NE(tpl, nullptr);
    if (QFontDatabase::hasFamily(
            QString::fromUtf8(tpl->font.data(), static_cast<int>(tpl->font.size()))))
        GTEST_SKIP() << "the template's own face is installed";
    EXPECT_EQ(QFontInfo(dlg.GetDialogWidget()->font()).family(), "IPAPGothic");
    EXPECT_EQ(QFontInfo(Control(dlg, IDOK)->font()).family(), "IPAPGothic");
}

// A window built ahead stays hidden and is the one the modal run opens; once destroyed, the
// next run builds its own.
TEST_F(DialogTest, AWindowBuiltAheadIsTheOneTheModalRunOpens) {
    CDialog ahead(102);
    ASSERT_TRUE(ahead.BuildAhead());
    const QPointer<QDialog> built = ahead.GetDialogWidget();
    ASSERT_FALSE(built.isNull());
    EXPECT_TRUE(built->isHidden());
    ASSERT_TRUE(ahead.OpenModal());
    ASSERT_FALSE(built.isNull());
    EXPECT_EQ(ahead.GetDialogWidget(), built.data());
    ahead.DestroyWindow();
    ASSERT_TRUE(ahead.OpenModal());
    EXPECT_NE(ahead.GetDialogWidget(), nullptr);
    ahead.DestroyWindow();
}

TEST_F(DialogTest, EnterPressesTheFocusedOrTheDefaultButton) {
    PressKey(dlg, 1000, Qt::Key_Enter);
    EXPECT_EQ(dlg.ok, 1) << "Enter in an edit presses the default button";

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

// Unsigned fields: shown, read with blanks around them, and refused with a message and the
// focus when they do not read. (Texts and check boxes: the window's and the account tests.)
TEST_F(DialogTest, UnsignedFieldsRoundTripOrAreRefused) {
    dlg.withPort = true;
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_EQ(Text(dlg, 1047), "7");
    for (const auto& [typed, value] : {std::pair{" 21 ", 21u}, {"4294967295", 4294967295u}}) {
        SetText(dlg, 1047, typed);
        ASSERT_TRUE(dlg.UpdateData(TRUE));
        EXPECT_EQ(dlg.port, value);
    }
    for (const char* bad : {"", "-1", "4294967296"}) {
        SCOPED_TRACE(bad);
        SetText(dlg, 1047, bad);
        modal::QueueMessageBox(IDOK);
        EXPECT_FALSE(dlg.UpdateData(TRUE));
        EXPECT_EQ(FocusId(dlg), 1047);
        EXPECT_EQ(dlg.port, 4294967295u) << "unchanged";
    }
    EXPECT_EQ(ShownBoxIds(), std::vector<UINT>(3, AFX_IDP_PARSE_UINT));
    EXPECT_EQ(Shown()[0].text, "正の整数を入力してください。");
}

TEST_F(DialogTest, ByteLimitCutsInputAndFailsTheExchange) {
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    Type(dlg, 1002, "あいうえ"); // 12 bytes, the limit is 10
    EXPECT_EQ(Text(dlg, 1002), "あいう");
    // A paste keeps what fits, cut at a whole character, where the cursor is.
    auto* edit = qobject_cast<QLineEdit*>(Control(dlg, 1002));
    for (const auto& [before, cursor, pasted, after] : {std::tuple{"", 0, "かきくけこ", "かきく"},
                                                        {"ab", 1, "かきくけ", "aかきb"},
                                                        {"12345678", 8, "e\u0301x", "12345678"}}) {
        SetText(dlg, 1002, before);
        edit->setCursorPosition(cursor);
        QGuiApplication::clipboard()->setText(QString::fromUtf8(pasted));
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(Text(dlg, 1002), after) << pasted;
    }
    EXPECT_EQ(edit->cursorPosition(), 8);
    SetText(dlg, 1002, "0123456789X");
    QTest::keyClick(Control(dlg, 1002), Qt::Key_Backspace);
    EXPECT_EQ(Text(dlg, 1002), "0123456789") << "a text over the limit can still shrink";
    SetText(dlg, 1002, "0123456789X");
    modal::QueueMessageBox(IDOK);
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{AFX_IDP_PARSE_STRING_SIZE}));
    EXPECT_EQ(FocusId(dlg), 1002);
}

// Every string and every template text has its English, where and only where the Japanese
// has one, with no Japanese (kana, kanji, full- and half-width forms) left in it and the
// "%s" the program fills in; in both languages every template's captions fit their
// controls.
TEST_F(DialogTest, EveryTextHasEnglishThatFitsItsControl) {
    const QRegularExpression japanese("[\\x{3000}-\\x{9FFF}\\x{FF00}-\\x{FFEF}]");
    const auto expectEnglish = [&japanese](const res::Text& t, int id) {
        const QString ja = platform::ToQ(t.ja), en = platform::ToQ(t.en);
        if (ja.isEmpty() && en.isEmpty())
            return;
        EXPECT_EQ(en.isEmpty(), ja.isEmpty()) << id << ": " << t.ja;
        EXPECT_FALSE(en.contains(japanese)) << id << ": " << t.en;
        EXPECT_EQ(en.count("%s"), ja.count("%s")) << id << ": " << t.en;
    };
    for (int id = 0; id <= 0xFFFF; ++id) {
        res::SetLanguage(res::Language::English);
        const std::string_view en = res::LoadString(id);
        if (const res::Dialog* tpl = res::FindDialog(id)) {
            expectEnglish(tpl->caption, id);
            for (const res::Control& c : tpl->controls)
                expectEnglish(c.text, c.id);
            CDialog d(static_cast<UINT>(id));
            EXPECT_TRUE(d.Create(static_cast<UINT>(id)));
            gui::ExpectTextsFit(d.GetDialogWidget());
        }
        res::SetLanguage(res::Language::Japanese);
        expectEnglish({res::LoadString(id), en}, id);
        if (res::FindDialog(id)) {
            CDialog d(static_cast<UINT>(id));
            EXPECT_TRUE(d.Create(static_cast<UINT>(id)));
            gui::ExpectTextsFit(d.GetDialogWidget());
        }
    }
}

constexpr UINT kQuestion = MB_OKCANCEL | MB_ICONQUESTION;
constexpr const char* kFilter = "Sendera (*.sd)|*.sd||";

TEST_F(DialogTest, BoxesShowTheirStringAndOkOnlyBoxesAnswerOk) {
    for (int answer : {IDOK, IDCANCEL, IDCANCEL, IDOK})
        modal::QueueMessageBox(answer);
    EXPECT_EQ(AfxMessageBox(161, kQuestion), IDOK);
    EXPECT_EQ(AfxMessageBox(144, kQuestion), IDCANCEL);
    EXPECT_EQ(AfxMessageBox(147, MB_ICONEXCLAMATION), IDOK) << "however it was closed";
    EXPECT_EQ(AfxFormatMessageBox(125, kQuestion, "C"), IDOK);
    ASSERT_EQ(ShownBoxIds(), (std::vector<UINT>{161, 144, 147, 125}));
    EXPECT_EQ(Shown()[0].text, "現在のデータを削除してもよろしいですか？");
    EXPECT_EQ(Shown()[3].text, "C というアカウントを削除してもよろしいですか？");
}

TEST_F(DialogTest, FileDialogAddsTheFilterExtensionToANameWithout) {
    for (const auto& [chosen, path] : {std::pair{"/tmp/yamada - bbs", "/tmp/yamada - bbs.sd"},
                                       {"/tmp/kept.txt", "/tmp/kept.txt"}}) {
        modal::QueueFile(chosen);
        CFileDialog dlg(FALSE, "", nullptr, OFN_HIDEREADONLY, kFilter);
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.GetPathName(), path);
    }
    EXPECT_EQ(CFileDialog::ToQtFilter(kFilter), "Sendera (*.sd)");
}

} // namespace
