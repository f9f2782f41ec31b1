// Connect and the browse run through the real main window against a local server.
#include "BrowseFixture.h"

#include "support/HangingPort.h"
#include "support/ScriptedFtpServer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace browse_test {
namespace {

const std::vector<int> kComplete = {10, 20, 30, 40, 100};

gui::ProxyValues Proxy(const std::string& name, const std::string& server) {
    gui::ProxyValues p;
    p.name = name;
    p.server = server;
    return p;
}

// A port that was free a moment ago, so a connect to it is refused at once; 0 if none.
std::uint16_t RefusedPort() {
    test::ScriptedFtpServer probe(test::ScriptedFtpServer::Script{});
    return probe.Start() ? probe.Port() : 0;
}

// `count` listing lines for folders d0, d1, ...
std::string FolderLines(int count) {
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += "drwxr-xr-x 2 u g 512 Jan  1 2020 d" + std::to_string(i) + "\r\n";
    return lines;
}

class ConnectTest : public BrowseFixture {
protected:
    // The window's runs go to `port`; account "srv" is the one selected.
    RecordingMainDlg& OpenAt(std::uint16_t port) {
        ftp::SetBrowsePortForTesting(port);
        AddAccount(Account("srv"));
        return Open();
    }
    // Connect answered with OK and the password; true when a run is living afterwards.
    static bool StartConnect(CMainDlg& w, const std::string& password = "secret") {
        QueueConnect(password);
        Click(w, 1033);
        return w.m_bBrowsing;
    }
    // Connect answered with OK and the password, then the one message that follows with OK;
    // true when no run is living afterwards.
    static bool ConnectAnsweringBox(CMainDlg& w, const std::string& password = "secret") {
        QueueConnect(password);
        platform::modal::QueueMessageBox(IDOK);
        Click(w, 1033);
        return WaitForRun(w);
    }
};

// Both data-connection modes must give the same listing.
class ConnectModeTest : public BrowseFixture, public ::testing::WithParamInterface<int> {};

TEST_P(ConnectModeTest, LoginFolderFoldersFirstThenFilesWithRootPaths) {
    AddAccount(Account("srv", GetParam()));
    RecordingMainDlg& w = Open();
    Connect(w);
    ExpectIdle(w);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133}));
    EXPECT_EQ(w.m_bPassive, GetParam() ? TRUE : FALSE);
    EXPECT_EQ(Text(w, 1019), "/");
    EXPECT_EQ(w.m_strFolder, "/");
    EXPECT_EQ(w.progress, kComplete);
    EXPECT_EQ(w.m_dlgConnecting.m_progress.GetPos(), 100);

    const auto rows = RemoteRows(w);
    Strings folders, files;
    Split(rows, folders, files);
    EXPECT_EQ(Sorted(folders), (Strings{"empty", "pub"}));
    EXPECT_EQ(files, (Strings{"root.txt"}));
    for (const Row& r : rows)
        EXPECT_EQ(r.path, "/" + r.name) << "no doubled separator at the root";
    ExpectNoUnexpectedModals();
}

TEST_P(ConnectModeTest, FolderWithSpacesAndJapaneseNames) {
    AddAccount(Account("srv", GetParam()));
    RecordingMainDlg& w = Open();
    SetText(w, 1019, "/pub");
    Connect(w);
    ExpectIdle(w);
    EXPECT_EQ(Text(w, 1019), "/pub");
    const auto rows = RemoteRows(w);
    Strings folders, files;
    Split(rows, folders, files);
    EXPECT_EQ(Sorted(folders), Sorted({"b", "sub dir", "日本語フォルダ"}));
    EXPECT_EQ(Sorted(files), Sorted({"a.txt", "b.log", "c.TXT", "試験 ファイル.txt"}));
    for (const Row& r : rows)
        EXPECT_EQ(r.path, "/pub/" + r.name);
    EXPECT_EQ(w.progress, kComplete);
    ExpectNoUnexpectedModals();
}

INSTANTIATE_TEST_SUITE_P(Modes, ConnectModeTest, ::testing::Values(0, 1),
                         [](const auto& p) { return p.param ? "Passive" : "Active"; });

TEST_F(ConnectTest, MaskFiltersFilesOnly) {
    struct Case {
        std::string mask;
        Strings files;
        std::vector<int> progress;
    };
    const Case cases[] = {
        {"*.txt", {"a.txt", "試験 ファイル.txt"}, kComplete}, // case-sensitive
        {"?.log", {"b.log"}, kComplete},
        {"*", {"a.txt", "b.log", "c.TXT", "試験 ファイル.txt"}, kComplete},
        // Folders match "b*": the run completes with no file rows.
        {"b*", {"b.log"}, kComplete},
        {"sub*", {}, kComplete},
        // Nothing matches: folder rows only, silently, without 100.
        {"zzz*", {}, {10, 20, 30, 40}},
    };
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    for (const Case& c : cases) {
        SCOPED_TRACE("mask " + c.mask);
        w.progress.clear();
        SetText(w, 1019, "/pub");
        SetText(w, 1047, c.mask);
        Connect(w);
        ExpectIdle(w);
        EXPECT_EQ(w.m_strMask, c.mask);
        Strings folders, files;
        Split(RemoteRows(w), folders, files);
        EXPECT_EQ(Sorted(folders), Sorted({"b", "sub dir", "日本語フォルダ"}));
        EXPECT_EQ(Sorted(files), Sorted(c.files));
        EXPECT_EQ(w.progress, c.progress);
    }
    for (UINT id : ShownBoxIds())
        EXPECT_EQ(id, 133u) << "no message for a mask that matches nothing";
    ExpectNoUnexpectedModals();
}

TEST_F(ConnectTest, EmptyFolderEndsSilentlyWithoutRows) {
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    SetText(w, 1019, "/empty");
    Connect(w);
    ExpectIdle(w);
    EXPECT_EQ(Text(w, 1019), "/empty");
    EXPECT_TRUE(RemoteRows(w).empty());
    EXPECT_EQ(w.progress, (std::vector<int>{10, 20, 30, 40}));
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133}));
    EXPECT_FALSE(w.m_strPassword.empty());
}

TEST_F(ConnectTest, MissingFolderSays135AndListsLoginFolder) {
    const char* bad[] = {"/no/such/folder", "pub\r\nDELE root.txt"};
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    for (const char* folder : bad) {
        SCOPED_TRACE(folder);
        platform::modal::BeginScript();
        w.progress.clear();
        SetText(w, 1019, folder);
        ASSERT_TRUE(ConnectAnsweringBox(w)); // 135
        ExpectIdle(w);
        EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133, 135}));
        EXPECT_EQ(Shown().back().style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
        EXPECT_EQ(Text(w, 1019), "/");
        Strings folders, files;
        Split(RemoteRows(w), folders, files);
        EXPECT_EQ(Sorted(folders), (Strings{"empty", "pub"}));
        EXPECT_EQ(w.progress, kComplete);
        ExpectNoUnexpectedModals();
    }
    EXPECT_TRUE(std::filesystem::exists(s_server->Root() / "root.txt"));
}

TEST_F(ConnectTest, RefusedLoginSays134EmptiesPasswordAndList) {
    AddAccount(Account("good"));
    AddAccount(Account("other"));
    RecordingMainDlg& w = Open();
    Connect(w); // fills the list
    ASSERT_FALSE(RemoteRows(w).empty());

    platform::modal::BeginScript();
    w.progress.clear();
    SelectListBoxRow(w, 1007, 1);
    ASSERT_TRUE(ConnectAnsweringBox(w, "wrong")); // 134
    ExpectIdle(w);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133, 134}));
    EXPECT_TRUE(w.m_strPassword.empty());
    EXPECT_TRUE(RemoteRows(w).empty());
    EXPECT_TRUE(w.m_arrRemote.empty());
    EXPECT_EQ(w.progress, (std::vector<int>{10}));
    ExpectNoUnexpectedModals();
}

TEST_F(ConnectTest, NothingListeningEndsAtOnceAndLeavesWindowIdle) {
    const std::uint16_t port = RefusedPort();
    ASSERT_NE(port, 0);
    RecordingMainDlg& w = OpenAt(port);
    ASSERT_TRUE(ConnectAnsweringBox(w)); // 134
    ExpectIdle(w);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133, 134}));
    EXPECT_TRUE(w.m_strPassword.empty());
}

TEST_F(ConnectTest, CancelledOrUnselectedConnectDoesNothing) {
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    platform::modal::QueueMessageBox(IDCANCEL);
    Click(w, 1033);
    EXPECT_FALSE(w.m_bBrowsing);
    EXPECT_TRUE(w.m_strServer.empty());

    SelectListBoxRow(w, 1007, -1);
    platform::modal::QueueMessageBox(IDOK);
    Click(w, 1033);
    EXPECT_FALSE(w.m_bBrowsing);
    EXPECT_TRUE(w.m_strServer.empty());
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133, 133}));
    EXPECT_EQ(Shown()[0].style, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
    ExpectNoUnexpectedModals();
}

TEST_F(ConnectTest, ProxyNamedButMissingSetsAccountWithoutRun) {
    gui::AccountValues a = Account("srv");
    a.proxyName = "nowhere";
    AddAccount(a);
    AddProxy(Proxy("px", "proxy.example:8080"));
    RecordingMainDlg& w = Open();
    EXPECT_FALSE(StartConnect(w));
    EXPECT_TRUE(w.progress.empty());
    EXPECT_EQ(w.m_strServer, "127.0.0.1");
    EXPECT_EQ(w.m_strUserID, "tester");
    EXPECT_EQ(w.m_strPassword, "secret");
    EXPECT_TRUE(w.m_strProxyServer.empty());

    // Show then browses with what Connect recorded.
    Click(w, 1024);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(w.progress, kComplete);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133}));
}

TEST_F(ConnectTest, ProxyFoundIsRecordedAndRunGoesDirect) {
    AddProxy(Proxy("px1", "one.example"));
    AddProxy(Proxy("px2", "two.example:3128"));
    gui::AccountValues a = Account("srv");
    a.proxyName = "px2";
    AddAccount(a);
    RecordingMainDlg& w = Open();
    Connect(w);
    EXPECT_EQ(w.m_strProxyName, "px2");
    EXPECT_EQ(w.m_strProxyServer, "two.example:3128");
    EXPECT_EQ(w.progress, kComplete);
}

// The passive flag decides the data connection the run asks for.
TEST_F(ConnectTest, PassiveFlagChoosesDataConnection) {
    for (int passive : {0, 1}) {
        SCOPED_TRACE(passive);
        test::ScriptedFtpServer::Script s;
        s.listing = "drwxr-xr-x 2 u g 512 Jan  1 2020 sub\r\n"
                    "-rw-r--r-- 1 u g 5 Jan  1 2020 f.txt\r\n";
        test::ScriptedFtpServer server(s);
        ASSERT_TRUE(server.Start());
        ftp::SetBrowsePortForTesting(server.Port());
        platform::modal::BeginScript();
        AddAccount(Account("srv" + std::to_string(passive), passive));
        RecordingMainDlg& w = Open();
        SelectListBoxRow(w, 1007, passive);
        Connect(w);
        EXPECT_EQ(RemoteRows(w), (std::vector<Row>{{"sub", "/home/tester/sub", 1},
                                                   {"f.txt", "/home/tester/f.txt", 0}}));
        bool sawPassive = false, sawActive = false;
        for (const std::string& c : server.Commands()) {
            sawPassive = sawPassive || c.rfind("EPSV", 0) == 0 || c.rfind("PASV", 0) == 0;
            sawActive = sawActive || c.rfind("EPRT", 0) == 0 || c.rfind("PORT", 0) == 0;
        }
        EXPECT_EQ(sawPassive, passive == 1);
        EXPECT_EQ(sawActive, passive == 0);
        CloseWindow();
    }
}

TEST_F(ConnectTest, BrokenListingSays165) {
    test::ScriptedFtpServer::Script s;
    s.listing = "drwxr-xr-x 2 u g 512 Jan  1 2020 sub\r\n";
    s.dataFault = test::ScriptedFtpServer::DataFault::Refuse;
    test::ScriptedFtpServer server(s);
    ASSERT_TRUE(server.Start());
    RecordingMainDlg& w = OpenAt(server.Port());
    ASSERT_TRUE(ConnectAnsweringBox(w)); // 165
    ExpectIdle(w);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133, 165}));
    EXPECT_EQ(Shown().back().text, "ファイル一覧を取得できませんでした。");
    EXPECT_FALSE(w.m_strPassword.empty()) << "the login was accepted";
}

// While a run lives the window is disabled and cannot close; the stop button works.
TEST_F(ConnectTest, StopWhileConnectingSays137AndWindowStaysUntilEnd) {
    test::HangingPort hang;
    ASSERT_TRUE(hang.Ready());
    RecordingMainDlg& w = OpenAt(hang.Port());
    ASSERT_TRUE(StartConnect(w));
    EXPECT_FALSE(w.IsWindowEnabled());
    EXPECT_TRUE(w.m_dlgConnecting.IsWindowVisible());

    w.GetDialogWidget()->close(); // the close box
    ProcessEvents();
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133})) << "no exit question while running";
    EXPECT_TRUE(w.m_bBrowsing);

    platform::modal::QueueMessageBox(IDOK); // 137
    QWidget* stop = Control(w.m_dlgConnecting, IDOK);
    ASSERT_NE(stop, nullptr);
    EXPECT_TRUE(stop->isEnabled());
    QTest::mouseClick(stop, Qt::LeftButton);
    EXPECT_EQ(w.m_bCancel.load(), 1);
    ASSERT_TRUE(WaitForRun(w));
    ExpectIdle(w);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133, 137}));
    EXPECT_FALSE(w.m_strPassword.empty()) << "a stop is no failed connection";
    ExpectNoUnexpectedModals();
}

TEST_F(ConnectTest, StopDuringFolderListingEndsSilentlyKeepingRows) {
    test::ScriptedFtpServer::Script s;
    s.listing = FolderLines(2000);
    s.dataFault = test::ScriptedFtpServer::DataFault::StallMidway;
    test::ScriptedFtpServer server(s);
    ASSERT_TRUE(server.Start());
    RecordingMainDlg& w = OpenAt(server.Port());
    ASSERT_TRUE(StartConnect(w));
    // Rows appear while the transfer is still open.
    QElapsedTimer t;
    t.start();
    while (w.m_arrRemote.empty() && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(w.m_arrRemote.empty());
    EXPECT_TRUE(w.m_bBrowsing);
    Click(w.m_dlgConnecting, IDOK);
    ASSERT_TRUE(WaitForRun(w));
    ExpectIdle(w);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133}));
    const auto rows = RemoteRows(w);
    EXPECT_FALSE(rows.empty());
    EXPECT_LT(rows.size(), 2000u);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].name, "d" + std::to_string(i));
    EXPECT_EQ(w.progress, (std::vector<int>{10, 20, 30}));
}

TEST_F(ConnectTest, ClosingWindowDuringRunWaitsForWorker) {
    test::HangingPort hang;
    ASSERT_TRUE(hang.Ready());
    RecordingMainDlg& w = OpenAt(hang.Port());
    ASSERT_TRUE(StartConnect(w));
    ftp::BrowseWorker* worker = w.m_pBrowseThread.get();
    ASSERT_NE(worker, nullptr);
    EXPECT_TRUE(worker->isRunning());
    CloseWindow(); // the destructor stops the run and waits; nothing is left running
    EXPECT_EQ(m_win, nullptr);
}

TEST_F(ConnectTest, ManyRowsArriveInOrderWithBoundedBatches) {
    test::ScriptedFtpServer::Script s;
    s.listing = FolderLines(300);
    for (int i = 0; i < 5000; ++i)
        s.listing += "-rw-r--r-- 1 u g 5 Jan  1 2020 f" + std::to_string(i) + ".txt\r\n";
    test::ScriptedFtpServer server(s);
    ASSERT_TRUE(server.Start());
    RecordingMainDlg& w = OpenAt(server.Port());
    Connect(w);
    ExpectIdle(w);
    const auto rows = RemoteRows(w);
    ASSERT_EQ(rows.size(), 5300u);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(rows[static_cast<std::size_t>(i)],
                  (Row{"d" + std::to_string(i), "/home/tester/d" + std::to_string(i), 1}));
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(rows[static_cast<std::size_t>(300 + i)].name, "f" + std::to_string(i) + ".txt");
    EXPECT_EQ(w.progress, kComplete);
}

TEST_F(ConnectTest, PromptShowsAccountAndTypedPasswordIsUsed) {
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    platform::modal::QueueMessageBox(IDOK);
    std::string protocol, server, user;
    platform::modal::QueueDialog(150, [&](CDialog& dlg) {
        protocol = dlg.GetDlgItem(1036)->GetWindowText();
        server = dlg.GetDlgItem(1020)->GetWindowText();
        user = dlg.GetDlgItem(1031)->GetWindowText();
        dlg.GetDlgItem(1012)->SetWindowText("secret");
        dlg.SendCommand(IDOK);
        return platform::modal::kAsEnded;
    });
    Click(w, 1033);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(protocol, "FTP");
    EXPECT_EQ(server, "127.0.0.1");
    EXPECT_EQ(user, "tester");
    EXPECT_EQ(w.m_strPassword, "secret");
    EXPECT_EQ(w.progress, kComplete);
    ExpectNoUnexpectedModals();
}

TEST_F(ConnectTest, EmptyPasswordSays146AndStartsNothing) {
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    ASSERT_TRUE(ConnectAnsweringBox(w, "")); // 146
    EXPECT_FALSE(w.m_bBrowsing);
    EXPECT_TRUE(w.progress.empty());
    EXPECT_TRUE(w.m_strPassword.empty());
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133, 146}));
    EXPECT_EQ(Shown().back().style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    ExpectNoUnexpectedModals();
}

TEST_F(ConnectTest, CancelledPromptKeepsRowsButForgetsPassword) {
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    Connect(w);
    const auto before = RemoteRows(w);
    ASSERT_FALSE(before.empty());
    w.progress.clear();

    platform::modal::QueueMessageBox(IDOK);
    platform::modal::QueueDialog(150, [](CDialog& dlg) {
        dlg.GetDlgItem(1012)->SetWindowText("typed then cancelled");
        dlg.SendCommand(IDCANCEL);
        return platform::modal::kAsEnded;
    });
    Click(w, 1033);
    EXPECT_FALSE(w.m_bBrowsing);
    EXPECT_TRUE(w.m_strPassword.empty());
    EXPECT_EQ(RemoteRows(w), before);
    EXPECT_TRUE(w.progress.empty());

    // Not connected any more: show and parent folder ask for Connect first.
    platform::modal::QueueMessageBox(IDOK);
    platform::modal::QueueMessageBox(IDOK);
    Click(w, 1024);
    Click(w, 1028);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{133, 133, 145, 145}));
    EXPECT_FALSE(w.m_bBrowsing);
    ExpectNoUnexpectedModals();
}

// The worker's messages are real boxes the user can answer while the window is disabled:
// after a stop, and with nothing touched since Connect.
TEST_F(ConnectTest, RealMessagesDuringRunCanBeAnswered) {
    AddAccount(Account("srv"));
    for (const bool stop : {true, false}) {
        SCOPED_TRACE(stop ? "stop" : "refused");
        platform::modal::BeginScript();
        test::HangingPort hang;
        ASSERT_TRUE(hang.Ready());
        const std::uint16_t refused = RefusedPort();
        ASSERT_NE(refused, 0);
        ftp::SetBrowsePortForTesting(stop ? hang.Port() : refused);
        RecordingMainDlg& w = Open();
        QueueConnect(); // the confirmation and the prompt are scripted
        bool seen = false, enabled = false;
        std::string text;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || seen)
                return;
            seen = true;
            enabled = box->isEnabled();
            text = box->text().toStdString();
            QAbstractButton* ok = box->button(QMessageBox::Ok);
            if (enabled && ok)
                QTest::mouseClick(ok, Qt::LeftButton);
            else
                box->done(QMessageBox::Ok); // never leave the test hanging
        });
        Click(w, 1033);
        ASSERT_TRUE(w.m_bBrowsing || !stop);
        platform::modal::EndScript(); // from here on boxes are real
        poll.start();
        if (stop)
            Click(w.m_dlgConnecting, IDOK);
        ASSERT_TRUE(WaitForRun(w));
        poll.stop();
        EXPECT_TRUE(seen);
        EXPECT_TRUE(enabled) << "the box must not inherit the disabled main window";
        EXPECT_EQ(text,
                  stop ? "処理が中断されました。"
                       : "サーバーに接続できません。サーバー名かアカウントが正しくありません。");
        ExpectIdle(w);
        CloseWindow();
    }
}

} // namespace
} // namespace browse_test
