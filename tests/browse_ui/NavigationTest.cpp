// Parent folder, show, double-click and adding remote files, through the real window.
#include "BrowseFixture.h"

#include <filesystem>

namespace browse_test {
namespace {

class NavigationTest : public BrowseFixture {
protected:
    // The window connected to the shared server, listing /pub.
    RecordingMainDlg& Connected() {
        AddAccount(Account("srv"));
        RecordingMainDlg& w = Open();
        SetText(w, IDC_FOLDER, "/pub");
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
};

// Parent folder appends "/.." for the server to resolve; the starters reset the bar.
TEST_F(NavigationTest, ParentFolderAppendsDotsAndServerResolvesThem) {
    const struct {
        std::string text, sent, resolved; // typed, when the run starts, after it
    } cases[] = {
        {"/pub/sub dir", "/pub/sub dir/..", "/pub"},
        {"/pub/b \t ", "/pub/b/..", "/pub"},
        {"", "", "/"}, // the login folder
    };
    RecordingMainDlg& w = Connected();
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        w.progress.clear();
        SetText(w, IDC_FOLDER, c.text);
        w.SendCommand(IDC_NEXT_OR_PARENT);
        ASSERT_TRUE(w.m_bBrowsing);
        EXPECT_EQ(Text(w, IDC_FOLDER), c.sent);
        EXPECT_EQ(w.m_dlgConnecting.m_progress.GetPos(), 0);
        ASSERT_TRUE(WaitForRun(w));
        ExpectIdle(w);
        EXPECT_EQ(Text(w, IDC_FOLDER), c.resolved);
        EXPECT_EQ(w.progress, kComplete);
    }
    EXPECT_EQ(ShownBoxIds(), std::vector<UINT>{IDS_CONFIRM_CONNECT});
}

// Show lists again with the mask as it stands and resets the bar; Connect keeps it where
// the last run left it.
TEST_F(NavigationTest, ShowListsAgainWithTheMaskAsItStands) {
    RecordingMainDlg& w = Connected();
    SetText(w, IDC_MASK, "*.log");
    w.SendCommand(IDC_SHOW);
    EXPECT_EQ(w.m_dlgConnecting.m_progress.GetPos(), 0);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(Listed(w), std::pair(Strings{"b", "sub dir", "日本語フォルダ"}, Strings{"b.log"}));
    EXPECT_EQ(w.progress, kComplete);
    QueueConnect();
    w.SendCommand(IDC_BACK_OR_CONNECT);
    ASSERT_TRUE(w.m_bBrowsing);
    EXPECT_EQ(w.m_dlgConnecting.m_progress.GetPos(), 100);
    ASSERT_TRUE(WaitForRun(w));
}

// A cancelled prompt keeps the rows but forgets the password: Show and Parent folder ask
// for a Connect and touch nothing; a double-click browses and fails the login.
TEST_F(NavigationTest, CancelledPromptKeepsRowsButForgetsPassword) {
    RecordingMainDlg& w = Connected();
    const auto before = RemoteRows(w);
    platform::modal::QueueMessageBox(IDOK);
    platform::modal::QueueDialog(IDD_PASSWORD, [](CDialog& dlg) {
        dlg.GetDlgItem(IDC_PASSWORD)->SetWindowText("typed then cancelled");
        dlg.SendCommand(IDCANCEL);
        return platform::modal::kAsEnded;
    });
    Click(w, IDC_BACK_OR_CONNECT);
    EXPECT_FALSE(w.m_bBrowsing);
    EXPECT_TRUE(w.m_strPassword.empty());
    EXPECT_EQ(RemoteRows(w), before);
    for (int i = 0; i < 3; ++i)
        platform::modal::QueueMessageBox(IDOK);
    Click(w, IDC_SHOW);
    Click(w, IDC_NEXT_OR_PARENT);
    EXPECT_EQ(Text(w, IDC_FOLDER), "/pub") << "nothing appended without a password";
    EXPECT_TRUE(w.progress.empty());
    DoubleClickRow(w, "b");
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(w.progress, (std::vector<int>{10}));
    EXPECT_EQ(ShownBoxIds(),
              (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_CONFIRM_CONNECT, IDS_CONNECT_FIRST,
                                 IDS_CONNECT_FIRST, IDS_CONNECT_FAILED}));
    EXPECT_TRUE(RemoteRows(w).empty());
}

// A double-click on a file row does nothing (folder rows open: the CP932 and the cancelled
// prompt's tests). Add passes the selected files in row order, each through the file
// list's own add (whose tests cover a taken name); folders are skipped.
TEST_F(NavigationTest, DoubleClickOnAFileDoesNothingAndAddSkipsFolders) {
    RecordingMainDlg& w = Connected();
    const auto before = RemoteRows(w);
    DoubleClickRow(w, "a.txt");
    ProcessEvents();
    EXPECT_FALSE(w.m_bBrowsing);
    EXPECT_EQ(RemoteRows(w), before);
    const int a = RowOf(w, "a.txt"), b = RowOf(w, "b.log"), dir = RowOf(w, "sub dir");
    SelectRows(w, IDC_REMOTE, {b, dir, a});
    Click(w, IDC_ADD_REMOTE);
    SelectRows(w, IDC_REMOTE, {dir}); // only a folder: nothing happens
    Click(w, IDC_ADD_REMOTE);
    const Strings names = a < b ? Strings{"a.txt", "b.log"} : Strings{"b.log", "a.txt"};
    ASSERT_EQ(w.m_arrFiles.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(w.m_arrFiles[i]->m_strPath, "/pub/" + names[i]);
        EXPECT_EQ(w.m_arrFiles[i]->m_strSaveName, names[i]);
    }
    EXPECT_EQ(Rows(w, IDC_FILES).size(), 2u);
}

TEST_F(NavigationTest, NewAndLoadEmptyTheRemoteListButKeepTheConnection) {
    RecordingMainDlg& w = Connected();
    platform::modal::QueueMessageBox(IDOK); // New asks
    Click(w, IDC_NEW);
    EXPECT_TRUE(Rows(w, IDC_REMOTE).empty());
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
    SelectListBoxRow(w, IDC_ACCOUNTS, 1);
    Click(w, IDC_SHOW);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(Listed(w).second, Strings{"root.txt"}) << "still the first account";
    Connect(w, "pw2");
    EXPECT_EQ(w.m_strUserID, "other");
    EXPECT_EQ(Listed(w).second, Strings{"only_in_b.txt"});
}

} // namespace
} // namespace browse_test
