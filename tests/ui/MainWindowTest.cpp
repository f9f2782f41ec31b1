// The main window as it opens, its archive controls, the title limit, the version box and
// the help button.
#include "gui_support/GuiTest.h"

#include "platform/Loader.h"
#include "platform/Text.h"
#include "res/Resources.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

namespace modal = platform::modal;

namespace {

class MainWindowTest : public gui::GuiTest {};

TEST_F(MainWindowTest, OpensOnTheFirstWizardPageWithTheStoredName) {
    CMainDlg& w = OpenMainWindow("yamada");
    EXPECT_EQ(Text(w, 1000), "yamada");
    EXPECT_EQ(FocusId(w), 1000);
    EXPECT_EQ(SelectedText(w, 1000), "yamada");
    EXPECT_EQ(w.GetWindowText(), "Tovalo");
    EXPECT_FALSE(w.GetDialogWidget()->windowIcon().isNull());

    // The wizard page itself is checked by the wizard tests.
    EXPECT_EQ(w.m_nWizardPage, 0);
    for (int shown : {1047, 1000, 1002, 1027, 1007, 1010, 1013, 1033, 1028, 1029})
        EXPECT_TRUE(Visible(w, shown)) << shown;
    ExpectNoUnexpectedModals();
}

TEST_F(MainWindowTest, ListsHaveTheirColumns) {
    CMainDlg& w = OpenMainWindow();
    auto* files = qobject_cast<QTreeWidget*>(Control(w, 1010));
    ASSERT_NE(files, nullptr);
    ASSERT_EQ(files->columnCount(), 4);
    const char* heads[] = {"ファイル名", "A/B/T", "G/M", "リモート"};
    const int widths[] = {100, 50, 50, 200};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(files->headerItem()->text(c).toStdString(), heads[c]);
        EXPECT_EQ(files->columnWidth(c), widths[c]);
    }
    EXPECT_EQ(files->selectionMode(), QAbstractItemView::SingleSelection);

    auto* remote = qobject_cast<QTreeWidget*>(Control(w, 1021));
    ASSERT_NE(remote, nullptr);
    ASSERT_EQ(remote->columnCount(), 1);
    EXPECT_EQ(remote->headerItem()->text(0).toStdString(), "ファイル名");
    EXPECT_EQ(remote->selectionMode(), QAbstractItemView::ExtendedSelection);
    // The remote list's images: folder and file from bitmap 151.
    EXPECT_EQ(w.m_imlRemote.GetImageCount(), 2);
    EXPECT_EQ(w.m_listRemote.InsertItem(0, "pub", 0), 0);
    EXPECT_EQ(w.m_listRemote.GetItemImage(0), 0);
}

TEST_F(MainWindowTest, ProgressDialogIsCreatedHiddenWithTheWindow) {
    CMainDlg& w = OpenMainWindow();
    QDialog* conn = w.m_dlgConnecting.GetDialogWidget();
    ASSERT_NE(conn, nullptr);
    EXPECT_TRUE(conn->isHidden());
    ASSERT_NE(conn->windowHandle(), nullptr);
    EXPECT_EQ(conn->windowHandle()->transientParent(), w.GetDialogWidget()->windowHandle())
        << "owned by the main window";
    // Disabling the main window during a run leaves the stop button usable.
    w.EnableWindow(FALSE);
    EXPECT_TRUE(conn->isEnabled());
    EXPECT_TRUE(Enabled(w.m_dlgConnecting, IDOK));
    w.EnableWindow(TRUE);
    EXPECT_EQ(w.m_dlgConnecting.m_pOwner, &w);
    EXPECT_EQ(conn->windowTitle(), QString::fromUtf8("サーバーに接続中"));
    EXPECT_EQ(w.m_dlgConnecting.m_progress.GetPos(), 0);
}

TEST_F(MainWindowTest, ArchiveControlsFollowThePackBoxAndKeepTheName) {
    CMainDlg& w = OpenMainWindow();
    EXPECT_FALSE(Checked(w, 1027));
    for (int id : {1034, 1035, 1004})
        EXPECT_FALSE(Enabled(w, id)) << id;

    Click(w, 1027);
    EXPECT_TRUE(Checked(w, 1027));
    EXPECT_EQ(w.m_bCompress, 1);
    for (int id : {1034, 1035, 1004})
        EXPECT_TRUE(Enabled(w, id)) << id;
    Type(w, 1004, "backup.zip");

    Click(w, 1027);
    EXPECT_FALSE(Checked(w, 1027));
    EXPECT_EQ(w.m_bCompress, 0);
    for (int id : {1034, 1035, 1004})
        EXPECT_FALSE(Enabled(w, id)) << id;
    EXPECT_EQ(Text(w, 1004), "backup.zip") << "greying keeps what was typed";
    ASSERT_TRUE(w.UpdateData(TRUE));
    EXPECT_EQ(w.m_strArchiveName, "backup.zip");
    EXPECT_EQ(w.m_bCompress, 0);
}

TEST_F(MainWindowTest, ZipBoxIsAlwaysTickedAndGreyed) {
    CMainDlg& w = OpenMainWindow();
    EXPECT_TRUE(Checked(w, 1009));
    EXPECT_FALSE(Enabled(w, 1009));
    Click(w, 1009);
    Click(w, 1027);
    Click(w, 1028);
    Click(w, 1028); // the archive page
    EXPECT_TRUE(Checked(w, 1009));
    Click(w, 1029); // wizard stopped
    Click(w, 1029); // and started again
    EXPECT_TRUE(Checked(w, 1009));
    EXPECT_FALSE(Enabled(w, 1009));
    ASSERT_TRUE(w.UpdateData(TRUE));
    EXPECT_EQ(w.m_bZip, 1);
}

TEST_F(MainWindowTest, TitleTakesAtMost260Bytes) {
    CMainDlg& w = OpenMainWindow();
    Type(w, 1002, std::string(261, 't'));
    EXPECT_EQ(Text(w, 1002), std::string(260, 't'));

    SetText(w, 1002, "");
    std::string japanese;
    for (int i = 0; i < 87; ++i)
        japanese += "題"; // 3 bytes each: the 87th would make 261
    Type(w, 1002, japanese);
    const std::string kept = Text(w, 1002);
    EXPECT_EQ(kept.size(), 258u);
    EXPECT_TRUE(platform::IsValidUtf8(kept));

    // A longer title put in by the program is refused when the fields are taken in.
    SetText(w, 1002, japanese + "x");
    modal::QueueMessageBox(IDOK);
    EXPECT_FALSE(w.UpdateData(TRUE));
    ASSERT_EQ(ShownBoxIds(), (std::vector<UINT>{AFX_IDP_PARSE_STRING_SIZE}));
    EXPECT_EQ(Shown().back().style, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(FocusId(w), 1002);
    ExpectNoUnexpectedModals();
}

// Right-click on an empty spot of the window: a menu ending in the version item.
TEST_F(MainWindowTest, ContextMenuEndsWithTheVersionItemShowingTheVersion) {
    CMainDlg& w = OpenMainWindow();
    QStringList items;
    QTimer::singleShot(0, [&items] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        menu->setActiveAction(menu->actions().back());
        QTest::keyClick(menu, Qt::Key_Return);
    });
    std::string text, caption;
    modal::QueueDialog(100, [&](CDialog& about) {
        text = Text(about, 1002);
        caption = about.GetWindowText();
        Click(about, IDOK);
        return modal::kAsEnded;
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(2, 2));
    QApplication::sendEvent(w.GetDialogWidget(), &click);
    ASSERT_GE(items.size(), 2);
    EXPECT_EQ(items[items.size() - 2], "-");
    EXPECT_EQ(items.back().toStdString(), "Tovalo のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    EXPECT_EQ(text, "Tovalo バージョン 1.0.3");
    EXPECT_EQ(caption, "Tovaloのﾊﾞｰｼﾞｮﾝ情報");
    const auto dialogs = modal::ShownOf(modal::Kind::Dialog);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].result, IDOK);
    ExpectNoUnexpectedModals();
}

TEST_F(MainWindowTest, HelpOpensThePageOrSays163) {
    CMainDlg& w = OpenMainWindow();
    QTemporaryDir dir;
    const std::string page = dir.path().toStdString() + "/index.htm";
    {
        QFile f(QString::fromStdString(page));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<html></html>");
    }
    theApp.m_pszHelpFilePath = page;
    Click(w, ID_HELP);
    EXPECT_TRUE(ShownBoxIds().empty());
    auto opened = modal::ShownOf(modal::Kind::Shell);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].text, page);

    theApp.m_pszHelpFilePath = dir.path().toStdString() + "/missing.htm";
    modal::QueueMessageBox(IDOK);
    Click(w, ID_HELP);
    ASSERT_EQ(ShownBoxIds(), (std::vector<UINT>{163}));
    EXPECT_EQ(Shown().back().style, static_cast<UINT>(MB_OK));
    ExpectNoUnexpectedModals();
}

TEST_F(MainWindowTest, TheBuildPlacesTheHelpPageBesideTheProgram) {
    QFile page(QString::fromStdString(platform::GetModuleDirectory() + "Help/Tovalo/index.htm"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    // A guide to the window's fields and to the wizard.
    for (const char* word : {"名前", "タイトル", "圧縮ファイルにまとめる", "ウィザード", "接続"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(word))) << word;
}

} // namespace
