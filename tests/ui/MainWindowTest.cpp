// The main window as it opens, its archive controls, the title limit, the version box, the
// help button, the progress dialog of browse runs (status texts, stop, Esc and close), and
// the six-page setup wizard in the FTP panel.
#include "gui_support/GuiTest.h"

#include "res/Ids.h"
#include "res/Resources.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWindow>

#include <set>

namespace modal = platform::modal;

namespace {

class MainWindowTest : public gui::GuiTest {
protected:
    // On a page the wizard's text shows and the browser's controls hide; the buttons and
    // the panel are named after the wizard's steps.
    static void ExpectWizard(CMainDlg& w, bool on) {
        EXPECT_EQ(w.m_bWizard, on);
        EXPECT_EQ(Visible(w, IDC_WIZARD_TEXT), on);
        for (int id : {IDC_SHOW, IDC_FOLDER, IDC_REMOTE, IDC_ADD_REMOTE})
            EXPECT_EQ(Visible(w, id), !on) << id;
        const int texts[2][4] = {{IDS_CONNECT, IDS_PARENT_FOLDER, IDS_SERVER_PANEL, IDS_WIZARD},
                                 {IDS_BACK, IDS_NEXT, IDS_WIZARD_CAPTION, IDS_STOP_WIZARD}};
        int i = 0;
        for (int id : {IDC_BACK_OR_CONNECT, IDC_NEXT_OR_PARENT, IDC_SERVER_PANEL, IDC_WIZARD})
            EXPECT_EQ(Text(w, id), res::LoadString(texts[on][i++])) << id;
    }
};

// The window opens on the first wizard page (see the wizard tests) with the stored name
// selected; the file list takes one row at a time, the remote list several; the title
// takes at most 260 bytes.
TEST_F(MainWindowTest, OpensWithTheStoredNameSelected) {
    CMainDlg& w = OpenMainWindow("yamada");
    EXPECT_EQ(Text(w, IDC_NAME), "yamada");
    EXPECT_EQ(FocusId(w), IDC_NAME);
    EXPECT_EQ(SelectedText(w, IDC_NAME), "yamada");
    // Every size of the icon, decoded once: the window shows the picture the program has.
    const QIcon icon = w.GetDialogWidget()->windowIcon();
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
    EXPECT_EQ(icon.cacheKey(), res::LoadIcon(IDI_APP).cacheKey());
    EXPECT_EQ(qobject_cast<QTreeView*>(Control(w, IDC_FILES))->selectionMode(),
              QAbstractItemView::SingleSelection);
    EXPECT_EQ(qobject_cast<QTreeView*>(Control(w, IDC_REMOTE))->selectionMode(),
              QAbstractItemView::ExtendedSelection);
    // The progress dialog: hidden until a run, without a native window until then, and owned
    // by the window once shown (its stop button stays usable while the window is disabled:
    // the progress tests).
    QDialog* conn = w.m_dlgConnecting.GetDialogWidget();
    EXPECT_TRUE(conn->isHidden());
    EXPECT_EQ(conn->windowHandle(), nullptr);
    w.m_dlgConnecting.ShowWindow(SW_SHOW);
    ASSERT_NE(conn->windowHandle(), nullptr);
    EXPECT_EQ(conn->windowHandle()->transientParent(), w.GetDialogWidget()->windowHandle());
    w.m_dlgConnecting.ShowWindow(SW_HIDE);
    Type(w, IDC_TITLE, std::string(261, 't'));
    EXPECT_EQ(Text(w, IDC_TITLE), std::string(260, 't'));
}

// The pack box greys the archive controls and keeps the name; the zip box stays ticked and
// greyed whatever is clicked.
TEST_F(MainWindowTest, ArchiveControlsFollowThePackBoxAndKeepTheName) {
    CMainDlg& w = OpenMainWindow();
    for (bool ticked : {false, true, false}) {
        if (ticked != Checked(w, IDC_COMPRESS))
            Click(w, IDC_COMPRESS);
        EXPECT_EQ(w.m_bCompress, ticked ? 1 : 0);
        for (int id : {IDC_ARCHIVE_GROUP, IDC_ARCHIVE_NAME_LABEL, IDC_ARCHIVE_NAME})
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

// Right-click on an empty spot of the window: a menu ending in the version item, whose
// access key Alt+A opens the version box from anywhere in the window too.
TEST_F(MainWindowTest, ContextMenuEndsWithTheVersionItemShowingTheVersion) {
    CMainDlg& w = OpenMainWindow();
    modal::QueueDialog(IDD_ABOUTBOX, [](CDialog&) { return IDOK; });
    QTest::keyClick(Control(w, IDC_TITLE), Qt::Key_A, Qt::AltModifier);
    ASSERT_EQ(modal::ShownOf(modal::Kind::Dialog).size(), 1u);
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
    EXPECT_EQ(modal::ShownOf(modal::Kind::Dialog).size(), 2u);
}

// The help page opens through the shell (by the button or F1); a missing page, a folder, or
// a page nothing on the desktop opened says 163.
TEST_F(MainWindowTest, HelpOpensThePageOrSays163) {
    CMainDlg& w = OpenMainWindow();
    QTemporaryDir dir;
    const std::string page = dir.path().toStdString() + "/index.htm";
    ASSERT_TRUE(QFile(QString::fromStdString(page)).open(QIODevice::WriteOnly));
    theApp.m_pszHelpFilePath = page;
    PressKey(w, IDC_NAME, Qt::Key_F1);
    for (const std::string& path : {page + ".missing", dir.path().toStdString(), page}) {
        theApp.m_pszHelpFilePath = path;
        if (path == page)
            modal::QueueShellFailure();
        modal::QueueMessageBox(IDOK);
        Click(w, ID_HELP);
    }
    EXPECT_EQ(ShownBoxIds(), std::vector<UINT>(3, IDS_HELP_FAILED));
    EXPECT_EQ(Shown().back().style, static_cast<UINT>(MB_OK));
    const auto shell = modal::ShownOf(modal::Kind::Shell);
    ASSERT_EQ(shell.size(), 2u) << "only existing files go out";
    EXPECT_EQ(shell[0].text, page);
}

TEST_F(MainWindowTest, ProgressStepsShowTheirTextAndOtherValuesKeepTheLast) {
    CMainDlg& w = OpenMainWindow();
    CConnectingDlg& c = w.m_dlgConnecting;
    for (auto [percent, text] : {std::pair{10, IDS_STATUS_CONNECTING},
                                 {20, IDS_STATUS_CONNECTED},
                                 {30, IDS_STATUS_FOLDERS},
                                 {40, IDS_STATUS_FILES},
                                 {100, IDS_STATUS_DONE},
                                 {55, IDS_STATUS_DONE}}) {
        w.OnBrowseProgress(percent);
        EXPECT_EQ(Text(c, IDC_STATUS), Str(text)) << percent;
        EXPECT_EQ(c.m_progress.GetPos(), percent);
    }
}

// Stop (clicked, or Enter) asks the run to stop and says so each time; Escape and the close
// box do nothing. The dialog stays until the run ends.
TEST_F(MainWindowTest, ProgressStopRequestsTheStopAndEscapeAndCloseDoNothing) {
    CMainDlg& w = OpenMainWindow();
    CConnectingDlg& c = w.m_dlgConnecting;
    c.ShowWindow(SW_SHOW);
    w.EnableWindow(FALSE); // as during a run
    w.m_bCancel = 0;
    PressKey(c, IDC_STATUS, Qt::Key_Escape);
    c.GetDialogWidget()->close();
    ProcessEvents();
    EXPECT_TRUE(c.IsWindowVisible());
    EXPECT_EQ(w.m_bCancel.load(), 0);
    for (int i = 0; i < 2; ++i) {
        w.m_bCancel = 0;
        SetText(c, IDC_STATUS, "");
        if (i == 0)
            Click(c, IDOK);
        else
            PressKey(c, IDC_STATUS, Qt::Key_Return);
        EXPECT_EQ(w.m_bCancel.load(), 1);
        EXPECT_EQ(Text(c, IDC_STATUS), Str(IDS_STATUS_STOPPING));
        EXPECT_TRUE(c.IsWindowVisible() && Enabled(c, IDOK));
    }
    // A progress message of the same run replaces the stop text.
    w.OnBrowseProgress(40);
    EXPECT_EQ(Text(c, IDC_STATUS), Str(IDS_STATUS_FILES));
}

// Every page has its own text; pages 0 and 1 select their edit, the last page leaves the
// focus where it was, and Next on it ends the wizard. Back stops at the first page. The
// focused control shows it has the focus.
TEST_F(MainWindowTest, NextAndBackWalkThePagesMovingTheFocus) {
    CMainDlg& w = OpenMainWindow("yamada");
    SetText(w, IDC_TITLE, "bbs");
    const int focus[] = {IDC_NAME, IDC_TITLE, IDC_COMPRESS, IDC_ACCOUNTS, IDC_ADD_PATH};
    std::set<std::string> texts;
    for (int page = 0; page <= 5; ++page) {
        if (page > 0)
            Click(w, IDC_NEXT_OR_PARENT);
        ExpectWizard(w, true);
        EXPECT_EQ(w.m_nWizardPage, page);
        texts.insert(Text(w, IDC_WIZARD_TEXT));
        EXPECT_EQ(FocusId(w), page < 5 ? focus[page] : IDC_NEXT_OR_PARENT) << page;
        if (page == 2 || page == 3) {
            QWidget* c = Control(w, focus[page]);
            const QImage focused = c->grab().toImage();
            c->clearFocus();
            EXPECT_NE(c->grab().toImage(), focused) << "no focus indicator on " << focus[page];
            c->setFocus();
        }
    }
    EXPECT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts.count(""), 0u);
    EXPECT_EQ(SelectedText(w, IDC_TITLE), "") << "only pages 0 and 1 select their edit";
    for (int i = 0; i < 4; ++i)
        Click(w, IDC_BACK_OR_CONNECT);
    EXPECT_EQ(w.m_nWizardPage, 1);
    EXPECT_EQ(SelectedText(w, IDC_TITLE), "bbs");
    Click(w, IDC_BACK_OR_CONNECT);
    w.m_editName.SetSel(-1, 0);
    Click(w, IDC_BACK_OR_CONNECT);
    EXPECT_EQ(w.m_nWizardPage, 0);
    EXPECT_EQ(SelectedText(w, IDC_NAME), "yamada");
    for (int i = 0; i < 6; ++i)
        Click(w, IDC_NEXT_OR_PARENT);
    ExpectWizard(w, false);
    EXPECT_EQ(w.m_nWizardPage, 0);
}

// An empty name does not hold Next back; stopping keeps the page, restarting begins at 0.
// What the user typed survives every step.
TEST_F(MainWindowTest, StoppingAndRestartingKeepsWhatWasTyped) {
    CMainDlg& w = OpenMainWindow("");
    Click(w, IDC_NEXT_OR_PARENT);
    Type(w, IDC_TITLE, "掲示板データ");
    Click(w, IDC_NEXT_OR_PARENT);
    Click(w, IDC_NEXT_OR_PARENT);
    Type(w, IDC_MASK, "*.log");
    Click(w, IDC_WIZARD);
    ExpectWizard(w, false);
    EXPECT_EQ(w.m_nWizardPage, 3) << "stopping keeps the page number";
    SetText(w, IDC_FOLDER, "/pub");
    Click(w, IDC_WIZARD);
    ExpectWizard(w, true);
    EXPECT_EQ(w.m_nWizardPage, 0);
    EXPECT_EQ(FocusId(w), IDC_NAME);
    Click(w, IDC_NEXT_OR_PARENT);
    EXPECT_EQ(Text(w, IDC_TITLE), "掲示板データ");
    EXPECT_EQ(Text(w, IDC_MASK), "*.log");
    EXPECT_EQ(Text(w, IDC_FOLDER), "/pub");
}

} // namespace
