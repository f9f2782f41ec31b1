// Parent folder, show, double-click and adding remote files, through the real window.
#include "BrowseFixture.h"

#include <QTest>
#include <QTreeWidget>

#include <filesystem>

namespace browse_test {
namespace {

const std::vector<int> kComplete = {10, 20, 30, 40, 100};

class NavigationTest : public BrowseFixture {
protected:
    // The window connected to the shared server, listing `folder`.
    RecordingMainDlg& Connected(const std::string& folder = "/pub") {
        AddAccount(Account("srv"));
        RecordingMainDlg& w = Open();
        SetText(w, 1019, folder);
        Connect(w);
        EXPECT_EQ(w.progress, kComplete);
        w.progress.clear();
        return w;
    }
    static int RowOf(CMainDlg& w, const std::string& name) {
        for (std::size_t i = 0; i < w.m_arrRemote.size(); ++i) {
            if (w.m_arrRemote[i]->m_strEntryName == name)
                return static_cast<int>(i);
        }
        ADD_FAILURE() << "no row " << name;
        return -1;
    }
    static void DoubleClickRow(CMainDlg& w, int row) {
        auto* tree = qobject_cast<QTreeWidget*>(Control(w, 1021));
        ASSERT_NE(tree, nullptr);
        QTreeWidgetItem* item = tree->topLevelItem(row);
        ASSERT_NE(item, nullptr);
        tree->scrollToItem(item);
        const QRect r = tree->visualItemRect(item);
        ASSERT_TRUE(r.isValid());
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    }
};

TEST_F(NavigationTest, ParentFolderAppendsDotsAndServerResolvesThem) {
    struct Case {
        std::string text;     // typed into 1019
        std::string sent;     // 1019 when the run starts
        std::string resolved; // 1019 after the run
    };
    const Case cases[] = {
        {"/pub/sub dir", "/pub/sub dir/..", "/pub"},
        {"/pub/sub dir/", "/pub/sub dir/..", "/pub"},
        {"/pub   ", "/pub/..", "/"},
        {"/pub/b \t ", "/pub/b/..", "/pub"},
        {"", "", "/"}, // the login folder
    };
    RecordingMainDlg& w = Connected();
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        w.progress.clear();
        SetText(w, 1019, c.text);
        ASSERT_EQ(w.m_dlgConnecting.m_progress.GetPos(), 100);
        w.SendCommand(1028);
        ASSERT_TRUE(w.m_bBrowsing);
        EXPECT_EQ(Text(w, 1019), c.sent);
        EXPECT_EQ(w.m_dlgConnecting.m_progress.GetPos(), 0) << "the starters reset the bar";
        ASSERT_TRUE(WaitForRun(w));
        ExpectIdle(w);
        EXPECT_EQ(Text(w, 1019), c.resolved);
        EXPECT_EQ(w.progress, kComplete);
        for (const Row& r : RemoteRows(w))
            EXPECT_EQ(r.path, (c.resolved == "/" ? "/" : c.resolved + "/") + r.name);
    }
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133}));
    ExpectNoUnexpectedModals();
}

TEST_F(NavigationTest, ParentAtRootStaysInsideTheServer) {
    RecordingMainDlg& w = Connected("/");
    ASSERT_EQ(Text(w, 1019), "/");
    // The server may refuse "/.." (then 135 and the login folder) or stay at the root.
    platform::modal::QueueMessageBox(IDOK);
    w.SendCommand(1028);
    EXPECT_EQ(Text(w, 1019), "/..");
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(Text(w, 1019), "/");
    Strings folders, files;
    Split(RemoteRows(w), folders, files);
    EXPECT_EQ(Sorted(folders), (Strings{"empty", "pub"}));
    EXPECT_EQ(files, (Strings{"root.txt"}));
}

TEST_F(NavigationTest, ShowListsAgainWithTheMaskAsItStands) {
    RecordingMainDlg& w = Connected();
    SetText(w, 1047, "*.log");
    w.SendCommand(1024);
    EXPECT_EQ(w.m_dlgConnecting.m_progress.GetPos(), 0);
    ASSERT_TRUE(WaitForRun(w));
    Strings folders, files;
    Split(RemoteRows(w), folders, files);
    EXPECT_EQ(Sorted(folders), Sorted({"b", "sub dir", "日本語フォルダ"}));
    EXPECT_EQ(files, (Strings{"b.log"}));
    EXPECT_EQ(w.progress, kComplete);

    SetText(w, 1019, "");
    SetText(w, 1047, "");
    Click(w, 1024);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(Text(w, 1019), "/");
    Split(RemoteRows(w), folders, files);
    EXPECT_EQ(files, (Strings{"root.txt"}));
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133}));
}

TEST_F(NavigationTest, ConnectKeepsTheBarWhereTheLastRunLeftIt) {
    RecordingMainDlg& w = Connected();
    ASSERT_EQ(w.m_dlgConnecting.m_progress.GetPos(), 100);
    QueueConnect();
    w.SendCommand(1033);
    ASSERT_TRUE(w.m_bBrowsing);
    EXPECT_EQ(w.m_dlgConnecting.m_progress.GetPos(), 100);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(w.progress, kComplete);
}

TEST_F(NavigationTest, DoubleClickOpensFolderRowsOnly) {
    RecordingMainDlg& w = Connected();
    const auto before = RemoteRows(w);

    // A file row and a click beside the rows do nothing.
    DoubleClickRow(w, RowOf(w, "a.txt"));
    NMITEMACTIVATE beside{};
    beside.hdr.idFrom = 1021;
    beside.hdr.code = NM_DBLCLK;
    beside.iItem = -1;
    w.SendNotify(1021, NM_DBLCLK, &beside.hdr);
    ProcessEvents();
    EXPECT_FALSE(w.m_bBrowsing);
    EXPECT_EQ(Text(w, 1019), "/pub");
    EXPECT_EQ(RemoteRows(w), before);
    EXPECT_TRUE(w.progress.empty());

    DoubleClickRow(w, RowOf(w, "sub dir"));
    EXPECT_EQ(Text(w, 1019), "/pub/sub dir");
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(Text(w, 1019), "/pub/sub dir");
    EXPECT_EQ(RemoteRows(w), (std::vector<Row>{{"inner.txt", "/pub/sub dir/inner.txt", 0}}));
    EXPECT_EQ(w.progress, kComplete);

    // Japanese folder names travel both ways.
    Click(w, 1028);
    ASSERT_TRUE(WaitForRun(w));
    DoubleClickRow(w, RowOf(w, "日本語フォルダ"));
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(Text(w, 1019), "/pub/日本語フォルダ");
    EXPECT_TRUE(RemoteRows(w).empty());
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133}));
    ExpectNoUnexpectedModals();
}

TEST_F(NavigationTest, DoubleClickNeedsNoPassword) {
    RecordingMainDlg& w = Connected();
    platform::modal::QueueMessageBox(IDOK);
    platform::modal::QueueDialog(150, [](CDialog& dlg) {
        dlg.SendCommand(IDCANCEL);
        return platform::modal::kAsEnded;
    });
    Click(w, 1033);
    ASSERT_TRUE(w.m_strPassword.empty());
    platform::modal::QueueMessageBox(IDOK); // 134: the server wants a password
    DoubleClickRow(w, RowOf(w, "b"));
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(w.progress, (std::vector<int>{10}));
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133, 133, 134}));
    EXPECT_TRUE(RemoteRows(w).empty());
}

TEST_F(NavigationTest, AddPassesSelectedFilesInRowOrderAndSkipsFolders) {
    RecordingMainDlg& w = Connected();
    const int a = RowOf(w, "a.txt"), b = RowOf(w, "b.log"), dir = RowOf(w, "sub dir");
    SelectRows(w, 1021, {b, dir, a});
    Click(w, 1023);
    ASSERT_EQ(w.m_arrFiles.size(), 2u);
    const std::string first = a < b ? "a.txt" : "b.log";
    const std::string second = a < b ? "b.log" : "a.txt";
    EXPECT_EQ(w.m_arrFiles[0]->m_strPath, "/pub/" + first);
    EXPECT_EQ(w.m_arrFiles[0]->m_strSaveName, first);
    EXPECT_EQ(w.m_arrFiles[1]->m_strPath, "/pub/" + second);
    EXPECT_EQ(Rows(w, 1010).size(), 2u);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133}));

    // Both again: each duplicate asks for a save name, one after the other, in row order.
    std::vector<std::string> asked;
    for (const std::string& name : {first, second}) {
        platform::modal::QueueMessageBox(IDOK); // 127
        platform::modal::QueueDialog(158, [&asked, name](CDialog& d) {
            asked.push_back(Text(d, 1027));
            SetText(d, 1015, "copy of " + name);
            d.SendCommand(IDOK);
            return platform::modal::kAsEnded;
        });
    }
    Click(w, 1023);
    EXPECT_EQ(asked, (Strings{"/pub/" + first, "/pub/" + second}));
    ASSERT_EQ(w.m_arrFiles.size(), 4u);
    EXPECT_EQ(w.m_arrFiles[2]->m_strSaveName, "copy of " + first);
    EXPECT_EQ(w.m_arrFiles[3]->m_strSaveName, "copy of " + second);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133, 127, 127}));

    // Only a folder, or nothing, selected: nothing happens.
    SelectRows(w, 1021, {dir});
    Click(w, 1023);
    SelectRows(w, 1021, {});
    Click(w, 1023);
    EXPECT_EQ(w.m_arrFiles.size(), 4u);
    ExpectNoUnexpectedModals();
}

TEST_F(NavigationTest, ParentAndShowSay145UntilConnected) {
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    SetText(w, 1019, "/pub");
    for (int i = 0; i < 2; ++i)
        platform::modal::QueueMessageBox(IDOK);
    Click(w, 1028);
    Click(w, 1024);
    EXPECT_EQ(Text(w, 1019), "/pub") << "nothing appended without a password";
    EXPECT_FALSE(w.m_bBrowsing);

    QueueConnect("wrong");
    platform::modal::QueueMessageBox(IDOK); // 134
    Click(w, 1033);
    ASSERT_TRUE(WaitForRun(w));
    w.progress.clear();
    for (int i = 0; i < 2; ++i)
        platform::modal::QueueMessageBox(IDOK);
    Click(w, 1028);
    Click(w, 1024);
    EXPECT_FALSE(w.m_bBrowsing);
    EXPECT_TRUE(w.progress.empty());
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{145, 145, 133, 134, 145, 145}));
    for (const auto& r : Shown()) {
        if (r.id == 145) {
            EXPECT_EQ(r.style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
        }
    }
    ExpectNoUnexpectedModals();
}

TEST_F(NavigationTest, NewAndLoadEmptyTheRemoteListButKeepTheConnection) {
    RecordingMainDlg& w = Connected();
    ASSERT_FALSE(w.m_arrRemote.empty());
    platform::modal::QueueMessageBox(IDOK); // 161
    Click(w, 1051);
    EXPECT_TRUE(w.m_arrRemote.empty());
    EXPECT_TRUE(Rows(w, 1021).empty());
    EXPECT_EQ(w.m_strPassword, "secret");

    Click(w, 1024); // still connected
    ASSERT_TRUE(WaitForRun(w));
    ASSERT_FALSE(w.m_arrRemote.empty());

    const std::string missing = (std::filesystem::path(KorvexHome()) / "none.sd").string();
    platform::modal::QueueFile(missing);
    platform::modal::QueueMessageBox(IDOK); // the load's own complaint
    Click(w, 1050);
    EXPECT_TRUE(w.m_arrRemote.empty());
    EXPECT_TRUE(Rows(w, 1021).empty());
    EXPECT_EQ(w.m_strPassword, "secret");
}

TEST_F(NavigationTest, AnotherAccountIsBrowsedOnlyAfterANewConnect) {
    AddAccount(Account("first"));
    AddAccount(Account("second", 0, "other"));
    RecordingMainDlg& w = Open();
    Connect(w);
    Strings folders, files;
    Split(RemoteRows(w), folders, files);
    EXPECT_EQ(files, (Strings{"root.txt"}));

    SelectListBoxRow(w, 1007, 1);
    Click(w, 1024);
    ASSERT_TRUE(WaitForRun(w));
    Split(RemoteRows(w), folders, files);
    EXPECT_EQ(files, (Strings{"root.txt"})) << "still the first account";
    EXPECT_EQ(w.m_strUserID, "tester");

    Connect(w, "pw2");
    EXPECT_EQ(w.m_strUserID, "other");
    Split(RemoteRows(w), folders, files);
    EXPECT_EQ(files, (Strings{"only_in_b.txt"}));
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133, 133}));
}

TEST_F(NavigationTest, WizardTakesBothButtonsAndHandsThePanelOverAtTheEnd) {
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open(/*stopWizard=*/false);
    ASSERT_TRUE(w.m_bWizard);
    Click(w, 1028);
    Click(w, 1028);
    EXPECT_EQ(w.m_nWizardPage, 2);
    Click(w, 1033);
    EXPECT_EQ(w.m_nWizardPage, 1);
    for (int i = 0; i < 4; ++i)
        Click(w, 1028);
    EXPECT_EQ(w.m_nWizardPage, 5);
    EXPECT_TRUE(Shown().empty()) << "Back and Next ask nothing";
    EXPECT_FALSE(w.m_bBrowsing);

    Click(w, 1028); // ends the wizard
    EXPECT_FALSE(w.m_bWizard);
    EXPECT_TRUE(Visible(w, 1021));
    EXPECT_TRUE(Visible(w, 1019));
    EXPECT_EQ(Text(w, 1033), "接続");
    EXPECT_EQ(Text(w, 1028), "親フォルダ");

    SetText(w, 1019, "/pub");
    Connect(w);
    EXPECT_EQ(w.progress, kComplete);
    Strings folders, files;
    Split(RemoteRows(w), folders, files);
    EXPECT_EQ(files.size(), 4u);
    Click(w, 1028);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(Text(w, 1019), "/");
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133}));
}

} // namespace
} // namespace browse_test
