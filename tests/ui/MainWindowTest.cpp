// The main window as it opens, its archive controls, the title limit, the version box and
// the help button.
#include "gui_support/GuiTest.h"

#include "res/Ids.h"
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
#include <QTreeView>
#include <QWindow>

namespace modal = platform::modal;

namespace {

class MainWindowTest : public gui::GuiTest {};

// The window opens on the first wizard page (see the wizard tests) with the stored name
// selected; the file list takes one row at a time, the remote list several.
TEST_F(MainWindowTest, OpensWithTheStoredNameSelected) {
    CMainDlg& w = OpenMainWindow("yamada");
    EXPECT_EQ(Text(w, IDC_NAME), "yamada");
    EXPECT_EQ(FocusId(w), IDC_NAME);
    EXPECT_EQ(SelectedText(w, IDC_NAME), "yamada");
    EXPECT_FALSE(w.GetDialogWidget()->windowIcon().isNull());
    EXPECT_EQ(qobject_cast<QTreeView*>(Control(w, IDC_FILES))->selectionMode(),
              QAbstractItemView::SingleSelection);
    EXPECT_EQ(qobject_cast<QTreeView*>(Control(w, IDC_REMOTE))->selectionMode(),
              QAbstractItemView::ExtendedSelection);
    // The progress dialog: hidden until a run, owned by the window, whose disabling leaves
    // the stop button usable.
    QDialog* conn = w.m_dlgConnecting.GetDialogWidget();
    EXPECT_TRUE(conn->isHidden());
    EXPECT_EQ(conn->windowHandle()->transientParent(), w.GetDialogWidget()->windowHandle());
    w.EnableWindow(FALSE);
    EXPECT_TRUE(Enabled(w.m_dlgConnecting, IDOK));
}

// The pack box greys the archive controls and keeps the name; the zip box stays ticked and
// greyed whatever is clicked.
TEST_F(MainWindowTest, ArchiveControlsFollowThePackBoxAndKeepTheName) {
    CMainDlg& w = OpenMainWindow();
    const int archive[] = {IDC_ARCHIVE_GROUP, IDC_ARCHIVE_NAME_LABEL, IDC_ARCHIVE_NAME};
    for (bool ticked : {false, true, false}) {
        if (ticked != Checked(w, IDC_COMPRESS))
            Click(w, IDC_COMPRESS);
        EXPECT_EQ(w.m_bCompress, ticked ? 1 : 0);
        for (int id : archive)
            EXPECT_EQ(Enabled(w, id), ticked) << id;
        if (ticked)
            Type(w, IDC_ARCHIVE_NAME, "backup.zip");
    }
    EXPECT_EQ(Text(w, IDC_ARCHIVE_NAME), "backup.zip") << "greying keeps what was typed";
    Click(w, IDC_ZIP);
    EXPECT_TRUE(Checked(w, IDC_ZIP) && !Enabled(w, IDC_ZIP));
    ASSERT_TRUE(w.UpdateData(TRUE));
    EXPECT_EQ(w.m_strArchiveName, "backup.zip");
    EXPECT_EQ(w.m_bZip, 1);
}

TEST_F(MainWindowTest, TitleTakesAtMost260Bytes) {
    CMainDlg& w = OpenMainWindow();
    Type(w, IDC_TITLE, std::string(261, 't'));
    EXPECT_EQ(Text(w, IDC_TITLE), std::string(260, 't'));
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
    std::string text;
    modal::QueueDialog(IDD_ABOUTBOX, [&](CDialog& about) {
        text = Text(about, IDC_VERSION);
        Click(about, IDOK);
        return modal::kAsEnded;
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(2, 2));
    QApplication::sendEvent(w.GetDialogWidget(), &click);
    ASSERT_GE(items.size(), 2);
    EXPECT_EQ(items[items.size() - 2], "-");
    EXPECT_EQ(items.back().toStdString(), "Tovalo のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    EXPECT_EQ(text, "Tovalo バージョン 1.0.3");
    EXPECT_EQ(modal::ShownOf(modal::Kind::Dialog).size(), 1u);
    ExpectNoUnexpectedModals();
}

TEST_F(MainWindowTest, HelpOpensThePageOrSays163) {
    CMainDlg& w = OpenMainWindow();
    QTemporaryDir dir;
    const std::string page = dir.path().toStdString() + "/index.htm";
    ASSERT_TRUE(QFile(QString::fromStdString(page)).open(QIODevice::WriteOnly));
    theApp.m_pszHelpFilePath = page;
    Click(w, ID_HELP);
    EXPECT_TRUE(ShownBoxIds().empty());
    ASSERT_EQ(modal::ShownOf(modal::Kind::Shell).size(), 1u);
    EXPECT_EQ(modal::ShownOf(modal::Kind::Shell)[0].text, page);

    theApp.m_pszHelpFilePath = dir.path().toStdString() + "/missing.htm";
    modal::QueueMessageBox(IDOK);
    Click(w, ID_HELP);
    ASSERT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_HELP_FAILED}));
    EXPECT_EQ(Shown().back().style, static_cast<UINT>(MB_OK));
    ExpectNoUnexpectedModals();
}

} // namespace
