// Parent folder, show, double-click and adding remote files, through the real window.
#include "BrowseFixture.h"

#include <QTest>
#include <QTreeWidget>

#include <filesystem>

namespace browse_test {
namespace {

const std::vector<int> kComplete = {10, 20, 30, 40, 100};
const std::vector<UINT> kConnectOnly = {IDS_CONFIRM_CONNECT};

class NavigationTest : public BrowseFixture {
protected:
    // The window connected to the shared server, listing `folder`.
    RecordingMainDlg& Connected(const std::string& folder = "/pub") {
        AddAccount(Account("srv"));
        RecordingMainDlg& w = Open();
        SetText(w, IDC_FOLDER, folder);
        Connect(w);
        EXPECT_EQ(w.progress, kComplete);
        w.progress.clear();
        return w;
    }
    static int RowOf(CMainDlg& w, const std::string& name) {
        for (std::size_t i = 0; i < w.m_arrRemote.size(); ++i)
            if (w.m_arrRemote[i]->m_strEntryName == name)
                return static_cast<int>(i);
        ADD_FAILURE() << "no row " << name;
        return -1;
    }
    static void DoubleClickRow(CMainDlg& w, int row) {
        auto* tree = qobject_cast<QTreeWidget*>(Control(w, IDC_REMOTE));
        QTreeWidgetItem* item = tree->topLevelItem(row);
        ASSERT_NE(item, nullptr);
        tree->scrollToItem(item);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                           tree->visualItemRect(item).center());
    }
};

TEST_F(NavigationTest, ParentFolderAppendsDotsAndServerResolvesThem) {
    struct Case {
        std::string text;     // typed into the folder edit
        std::string sent;     // the folder edit when the run starts
        std::string resolved; // the folder edit after the run
    };
    const Case cases[] = {
        {"/pub/sub dir", "/pub/sub dir/..", "/pub"},
        {"/pub/sub dir/", "/pub/sub dir/..", "/pub"},
        {"/pub/b \t ", "/pub/b/..", "/pub"},
        {"", "", "/"}, // the login folder
    };
    RecordingMainDlg& w = Connected();
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        w.progress.clear();
        SetText(w, IDC_FOLDER, c.text);
        ASSERT_EQ(w.m_dlgConnecting.m_progress.GetPos(), 100);
        w.SendCommand(IDC_NEXT_OR_PARENT);
        ASSERT_TRUE(w.m_bBrowsing);
        EXPECT_EQ(Text(w, IDC_FOLDER), c.sent);
        EXPECT_EQ(w.m_dlgConnecting.m_progress.GetPos(), 0) << "the starters reset the bar";
        ASSERT_TRUE(WaitForRun(w));
        ExpectIdle(w);
        EXPECT_EQ(Text(w, IDC_FOLDER), c.resolved);
        EXPECT_EQ(w.progress, kComplete);
        for (const Row& r : RemoteRows(w))
            EXPECT_EQ(r.path, (c.resolved == "/" ? "/" : c.resolved + "/") + r.name);
    }
    EXPECT_EQ(ShownBoxIds(), kConnectOnly);
    ExpectNoUnexpectedModals();
}

TEST_F(NavigationTest, ParentAtRootStaysInsideTheServer) {
    RecordingMainDlg& w = Connected("/");
    // The server may refuse "/.." (then a message and the login folder) or stay at the root.
    platform::modal::QueueMessageBox(IDOK);
    w.SendCommand(IDC_NEXT_OR_PARENT);
    EXPECT_EQ(Text(w, IDC_FOLDER), "/..");
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(Text(w, IDC_FOLDER), "/");
    EXPECT_EQ(Listed(w), std::pair(Strings{"empty", "pub"}, Strings{"root.txt"}));
}

// Show lists again with the mask as it stands; Connect keeps the bar where the last run
// left it, the other starters reset it.
TEST_F(NavigationTest, ShowListsAgainWithTheMaskAsItStands) {
    RecordingMainDlg& w = Connected();
    SetText(w, IDC_MASK, "*.log");
    w.SendCommand(IDC_SHOW);
    EXPECT_EQ(w.m_dlgConnecting.m_progress.GetPos(), 0);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(Listed(w), std::pair(Strings{"b", "sub dir", "日本語フォルダ"}, Strings{"b.log"}));
    EXPECT_EQ(w.progress, kComplete);

    SetText(w, IDC_FOLDER, "");
    SetText(w, IDC_MASK, "");
    Click(w, IDC_SHOW);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(Text(w, IDC_FOLDER), "/");
    EXPECT_EQ(Listed(w).second, Strings{"root.txt"});

    ASSERT_EQ(w.m_dlgConnecting.m_progress.GetPos(), 100);
    QueueConnect();
    w.SendCommand(IDC_BACK_OR_CONNECT);
    ASSERT_TRUE(w.m_bBrowsing);
    EXPECT_EQ(w.m_dlgConnecting.m_progress.GetPos(), 100);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_CONFIRM_CONNECT}));
}

TEST_F(NavigationTest, DoubleClickOpensFolderRowsOnly) {
    RecordingMainDlg& w = Connected();
    const auto before = RemoteRows(w);
    // A file row and a click beside the rows do nothing.
    DoubleClickRow(w, RowOf(w, "a.txt"));
    NMITEMACTIVATE beside{};
    beside.hdr.idFrom = IDC_REMOTE;
    beside.hdr.code = NM_DBLCLK;
    beside.iItem = -1;
    w.SendNotify(IDC_REMOTE, NM_DBLCLK, &beside.hdr);
    ProcessEvents();
    EXPECT_FALSE(w.m_bBrowsing);
    EXPECT_EQ(Text(w, IDC_FOLDER), "/pub");
    EXPECT_EQ(RemoteRows(w), before);
    EXPECT_TRUE(w.progress.empty());

    DoubleClickRow(w, RowOf(w, "sub dir"));
    EXPECT_EQ(Text(w, IDC_FOLDER), "/pub/sub dir");
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(RemoteRows(w), (std::vector<Row>{{"inner.txt", "/pub/sub dir/inner.txt", 0}}));
    EXPECT_EQ(w.progress, kComplete);

    // Japanese folder names travel both ways.
    Click(w, IDC_NEXT_OR_PARENT);
    ASSERT_TRUE(WaitForRun(w));
    DoubleClickRow(w, RowOf(w, "日本語フォルダ"));
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(Text(w, IDC_FOLDER), "/pub/日本語フォルダ");
    EXPECT_TRUE(RemoteRows(w).empty());
    EXPECT_EQ(ShownBoxIds(), kConnectOnly);
    ExpectNoUnexpectedModals();
}

TEST_F(NavigationTest, DoubleClickNeedsNoPassword) {
    RecordingMainDlg& w = Connected();
    platform::modal::QueueMessageBox(IDOK);
    platform::modal::QueueDialog(IDD_PASSWORD, [](CDialog& dlg) {
        dlg.SendCommand(IDCANCEL);
        return platform::modal::kAsEnded;
    });
    Click(w, IDC_BACK_OR_CONNECT);
    ASSERT_TRUE(w.m_strPassword.empty());
    platform::modal::QueueMessageBox(IDOK); // the server wants a password
    DoubleClickRow(w, RowOf(w, "b"));
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(w.progress, (std::vector<int>{10}));
    EXPECT_EQ(ShownBoxIds(),
              (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_CONFIRM_CONNECT, IDS_CONNECT_FAILED}));
    EXPECT_TRUE(RemoteRows(w).empty());
}

TEST_F(NavigationTest, AddPassesSelectedFilesInRowOrderAndSkipsFolders) {
    RecordingMainDlg& w = Connected();
    const int a = RowOf(w, "a.txt"), b = RowOf(w, "b.log"), dir = RowOf(w, "sub dir");
    SelectRows(w, IDC_REMOTE, {b, dir, a});
    Click(w, IDC_ADD_REMOTE);
    const std::string first = a < b ? "a.txt" : "b.log";
    const std::string second = a < b ? "b.log" : "a.txt";
    ASSERT_EQ(w.m_arrFiles.size(), 2u);
    EXPECT_EQ(w.m_arrFiles[0]->m_strPath, "/pub/" + first);
    EXPECT_EQ(w.m_arrFiles[0]->m_strSaveName, first);
    EXPECT_EQ(w.m_arrFiles[1]->m_strPath, "/pub/" + second);
    EXPECT_EQ(Rows(w, IDC_FILES).size(), 2u);

    // Both again: each duplicate asks for a save name, one after the other, in row order.
    Strings asked;
    for (const std::string& name : {first, second}) {
        platform::modal::QueueMessageBox(IDOK);
        platform::modal::QueueDialog(IDD_SAVENAME, [&asked, name](CDialog& d) {
            asked.push_back(Text(d, IDC_FILE_PATH));
            SetText(d, IDC_SAVE_NAME, "copy of " + name);
            d.SendCommand(IDOK);
            return platform::modal::kAsEnded;
        });
    }
    Click(w, IDC_ADD_REMOTE);
    EXPECT_EQ(asked, (Strings{"/pub/" + first, "/pub/" + second}));
    ASSERT_EQ(w.m_arrFiles.size(), 4u);
    EXPECT_EQ(w.m_arrFiles[2]->m_strSaveName, "copy of " + first);
    EXPECT_EQ(w.m_arrFiles[3]->m_strSaveName, "copy of " + second);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_SAVE_NAME_INVALID,
                                                IDS_SAVE_NAME_INVALID}));

    // Only a folder, or nothing, selected: nothing happens.
    SelectRows(w, IDC_REMOTE, {dir});
    Click(w, IDC_ADD_REMOTE);
    SelectRows(w, IDC_REMOTE, {});
    Click(w, IDC_ADD_REMOTE);
    EXPECT_EQ(w.m_arrFiles.size(), 4u);
    ExpectNoUnexpectedModals();
}

TEST_F(NavigationTest, NewAndLoadEmptyTheRemoteListButKeepTheConnection) {
    RecordingMainDlg& w = Connected();
    platform::modal::QueueMessageBox(IDOK); // New asks
    Click(w, IDC_NEW);
    EXPECT_TRUE(w.m_arrRemote.empty());
    EXPECT_TRUE(Rows(w, IDC_REMOTE).empty());
    EXPECT_EQ(w.m_strPassword, "secret");
    Click(w, IDC_SHOW); // still connected
    ASSERT_TRUE(WaitForRun(w));
    ASSERT_FALSE(w.m_arrRemote.empty());

    platform::modal::QueueFile((std::filesystem::path(KorvexHome()) / "none.sd").string());
    platform::modal::QueueMessageBox(IDOK); // the load's own complaint
    Click(w, IDC_LOAD);
    EXPECT_TRUE(w.m_arrRemote.empty());
    EXPECT_TRUE(Rows(w, IDC_REMOTE).empty());
    EXPECT_EQ(w.m_strPassword, "secret");
}

TEST_F(NavigationTest, AnotherAccountIsBrowsedOnlyAfterANewConnect) {
    AddAccount(Account("first"));
    AddAccount(Account("second", 0, "other"));
    RecordingMainDlg& w = Open();
    Connect(w);
    EXPECT_EQ(Listed(w).second, Strings{"root.txt"});
    SelectListBoxRow(w, IDC_ACCOUNTS, 1);
    Click(w, IDC_SHOW);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(Listed(w).second, Strings{"root.txt"}) << "still the first account";
    EXPECT_EQ(w.m_strUserID, "tester");
    Connect(w, "pw2");
    EXPECT_EQ(w.m_strUserID, "other");
    EXPECT_EQ(Listed(w).second, Strings{"only_in_b.txt"});
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_CONFIRM_CONNECT}));
}

// In the wizard Back and Next ask nothing and browse nothing; once Next ends it, they are
// Connect and Parent folder again.
TEST_F(NavigationTest, WizardTakesBothButtonsAndHandsThePanelOverAtTheEnd) {
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open(/*stopWizard=*/false);
    for (int i = 0; i < 5; ++i) {
        Click(w, IDC_NEXT_OR_PARENT);
        Click(w, IDC_BACK_OR_CONNECT);
        Click(w, IDC_NEXT_OR_PARENT);
    }
    EXPECT_EQ(w.m_nWizardPage, 5);
    Click(w, IDC_NEXT_OR_PARENT);
    EXPECT_FALSE(w.m_bWizard);
    EXPECT_TRUE(Shown().empty());
    EXPECT_FALSE(w.m_bBrowsing);
    SetText(w, IDC_FOLDER, "/pub");
    Connect(w);
    EXPECT_EQ(w.progress, kComplete);
    Click(w, IDC_NEXT_OR_PARENT);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(Text(w, IDC_FOLDER), "/");
    EXPECT_EQ(ShownBoxIds(), kConnectOnly);
}

} // namespace
} // namespace browse_test
