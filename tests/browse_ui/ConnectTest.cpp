// Connect and the browse run through the real main window against a local server.
#include "BrowseFixture.h"

#include "res/Resources.h"
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
const Strings kPubFolders = {"b", "sub dir", "日本語フォルダ"};

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
    bool StartConnect(CMainDlg& w, const std::string& password = "secret") {
        QueueConnect(password);
        Click(w, IDC_BACK_OR_CONNECT);
        return w.m_bBrowsing;
    }
    // Connect answered with OK and the password, then the one message that follows with OK;
    // true when no run is living afterwards.
    bool ConnectAnsweringBox(CMainDlg& w, const std::string& password = "secret") {
        QueueConnect(password);
        platform::modal::QueueMessageBox(IDOK);
        Click(w, IDC_BACK_OR_CONNECT);
        return WaitForRun(w);
    }
};

// The prompt shows the account; the typed password, not the recorded one, is used. The mask
// filters files only; matching no file ends the run silently, without 100.
TEST_F(ConnectTest, MaskFiltersFilesOnly) {
    struct Case {
        std::string mask;
        Strings files;
        std::vector<int> progress;
    };
    const Case cases[] = {
        {"*.txt", {"a.txt", "試験 ファイル.txt"}, kComplete}, // case-sensitive
        {"zzz*", {}, {10, 20, 30, 40}},
    };
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    for (const Case& c : cases) {
        SCOPED_TRACE("mask " + c.mask);
        w.progress.clear();
        SetText(w, IDC_FOLDER, "/pub");
        SetText(w, IDC_MASK, c.mask);
        Connect(w);
        ExpectIdle(w);
        EXPECT_EQ(prompt, (Strings{"FTP", "127.0.0.1", "tester"}));
        EXPECT_EQ(w.m_strPassword, "secret");
        EXPECT_EQ(w.m_strMask, c.mask);
        EXPECT_EQ(Listed(w), std::pair(kPubFolders, c.files));
        EXPECT_EQ(w.progress, c.progress);
    }
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_CONFIRM_CONNECT}))
        << "no message for a mask that matches nothing";
    ExpectNoUnexpectedModals();
}

TEST_F(ConnectTest, MissingFolderSaysSoAndListsLoginFolder) {
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    SetText(w, IDC_FOLDER, "/no/such/folder");
    ASSERT_TRUE(ConnectAnsweringBox(w));
    ExpectIdle(w);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_BAD_FOLDER}));
    EXPECT_EQ(Shown().back().style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(Text(w, IDC_FOLDER), "/");
    EXPECT_EQ(Listed(w), std::pair(Strings{"empty", "pub"}, Strings{"root.txt"}));
    EXPECT_EQ(w.progress, kComplete);
    ExpectNoUnexpectedModals();
}

TEST_F(ConnectTest, RefusedLoginSaysSoEmptiesPasswordAndList) {
    AddAccount(Account("good"));
    AddAccount(Account("other"));
    RecordingMainDlg& w = Open();
    Connect(w); // fills the list
    ASSERT_FALSE(RemoteRows(w).empty());
    platform::modal::BeginScript();
    w.progress.clear();
    SelectListBoxRow(w, IDC_ACCOUNTS, 1);
    ASSERT_TRUE(ConnectAnsweringBox(w, "wrong"));
    ExpectIdle(w);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_CONNECT_FAILED}));
    EXPECT_TRUE(w.m_strPassword.empty());
    EXPECT_TRUE(RemoteRows(w).empty());
    EXPECT_EQ(w.progress, (std::vector<int>{10}));
    ExpectNoUnexpectedModals();
}

TEST_F(ConnectTest, CancelledOrUnselectedConnectDoesNothing) {
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    platform::modal::QueueMessageBox(IDCANCEL);
    Click(w, IDC_BACK_OR_CONNECT);
    EXPECT_FALSE(w.m_bBrowsing);
    EXPECT_TRUE(w.m_strServer.empty());
    SelectListBoxRow(w, IDC_ACCOUNTS, -1);
    platform::modal::QueueMessageBox(IDOK);
    Click(w, IDC_BACK_OR_CONNECT);
    EXPECT_FALSE(w.m_bBrowsing);
    EXPECT_TRUE(w.m_strServer.empty());
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_CONFIRM_CONNECT}));
    EXPECT_EQ(Shown()[0].style, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
    ExpectNoUnexpectedModals();
}

TEST_F(ConnectTest, ProxyNamedButMissingSetsAccountWithoutRun) {
    gui::AccountValues a = Account("srv");
    a.proxyName = "nowhere";
    AddAccount(a);
    AddProxy({.name = "px", .server = "proxy.example:8080"});
    RecordingMainDlg& w = Open();
    EXPECT_FALSE(StartConnect(w));
    EXPECT_TRUE(w.progress.empty());
    EXPECT_EQ(w.m_strServer, "127.0.0.1");
    EXPECT_EQ(w.m_strUserID, "tester");
    EXPECT_EQ(w.m_strPassword, "secret");
    EXPECT_TRUE(w.m_strProxyServer.empty());
    // Show then browses with what Connect recorded.
    Click(w, IDC_SHOW);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(w.progress, kComplete);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT}));
}

TEST_F(ConnectTest, ProxyFoundIsRecordedAndRunGoesDirect) {
    AddProxy({.name = "px1", .server = "one.example"});
    AddProxy({.name = "px2", .server = "two.example:3128"});
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
        SelectListBoxRow(w, IDC_ACCOUNTS, passive);
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

TEST_F(ConnectTest, BrokenListingSaysSoAndKeepsThePassword) {
    test::ScriptedFtpServer::Script s;
    s.listing = "drwxr-xr-x 2 u g 512 Jan  1 2020 sub\r\n";
    s.dataFault = test::ScriptedFtpServer::DataFault::Refuse;
    test::ScriptedFtpServer server(s);
    ASSERT_TRUE(server.Start());
    RecordingMainDlg& w = OpenAt(server.Port());
    ASSERT_TRUE(ConnectAnsweringBox(w));
    ExpectIdle(w);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_LIST_FAILED}));
    EXPECT_FALSE(w.m_strPassword.empty()) << "the login was accepted";
}

// While a run lives the window is disabled and cannot close; the stop button works.
TEST_F(ConnectTest, StopWhileConnectingSaysCancelledAndWindowStaysUntilEnd) {
    test::HangingPort hang;
    ASSERT_TRUE(hang.Ready());
    RecordingMainDlg& w = OpenAt(hang.Port());
    ASSERT_TRUE(StartConnect(w));
    EXPECT_FALSE(w.IsWindowEnabled());
    EXPECT_TRUE(w.m_dlgConnecting.IsWindowVisible());

    w.GetDialogWidget()->close(); // the close box
    ProcessEvents();
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT})) << "no exit question";
    EXPECT_TRUE(w.m_bBrowsing);

    platform::modal::QueueMessageBox(IDOK);
    QWidget* stop = Control(w.m_dlgConnecting, IDOK);
    ASSERT_NE(stop, nullptr);
    EXPECT_TRUE(stop->isEnabled());
    QTest::mouseClick(stop, Qt::LeftButton);
    EXPECT_EQ(w.m_bCancel.load(), 1);
    ASSERT_TRUE(WaitForRun(w));
    ExpectIdle(w);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_CANCELLED}));
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
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT}));
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
    ASSERT_NE(w.m_pBrowseThread.get(), nullptr);
    EXPECT_TRUE(w.m_pBrowseThread->isRunning());
    CloseWindow(); // the destructor stops the run and waits; nothing is left running
}

TEST_F(ConnectTest, ManyRowsArriveInOrder) {
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
    for (int i = 0; i < 5300; ++i) {
        const std::string name =
            i < 300 ? "d" + std::to_string(i) : "f" + std::to_string(i - 300) + ".txt";
        ASSERT_EQ(rows[static_cast<std::size_t>(i)], (Row{name, "/home/tester/" + name, i < 300}));
    }
    EXPECT_EQ(w.progress, kComplete);
}

TEST_F(ConnectTest, EmptyPasswordSaysSoAndStartsNothing) {
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    ASSERT_TRUE(ConnectAnsweringBox(w, ""));
    EXPECT_FALSE(w.m_bBrowsing);
    EXPECT_TRUE(w.progress.empty());
    EXPECT_TRUE(w.m_strPassword.empty());
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_PASSWORD_NEEDED}));
    EXPECT_EQ(Shown().back().style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    ExpectNoUnexpectedModals();
}

// A cancelled prompt keeps the rows but forgets the password: until the next Connect, Show
// and Parent folder only ask for one and touch nothing.
TEST_F(ConnectTest, CancelledPromptKeepsRowsButForgetsPassword) {
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    SetText(w, IDC_FOLDER, "/pub");
    Connect(w);
    const auto before = RemoteRows(w);
    ASSERT_FALSE(before.empty());
    w.progress.clear();
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

    platform::modal::QueueMessageBox(IDOK);
    platform::modal::QueueMessageBox(IDOK);
    Click(w, IDC_SHOW);
    Click(w, IDC_NEXT_OR_PARENT);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_CONFIRM_CONNECT,
                                                IDS_CONNECT_FIRST, IDS_CONNECT_FIRST}));
    EXPECT_EQ(Shown().back().style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(Text(w, IDC_FOLDER), "/pub") << "nothing appended without a password";
    EXPECT_FALSE(w.m_bBrowsing);
    EXPECT_TRUE(w.progress.empty());
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
        Click(w, IDC_BACK_OR_CONNECT);
        ASSERT_TRUE(w.m_bBrowsing || !stop);
        platform::modal::EndScript(); // from here on boxes are real
        poll.start();
        if (stop)
            Click(w.m_dlgConnecting, IDOK);
        ASSERT_TRUE(WaitForRun(w));
        poll.stop();
        EXPECT_TRUE(seen);
        EXPECT_TRUE(enabled) << "the box must not inherit the disabled main window";
        EXPECT_EQ(text, res::LoadString(stop ? IDS_CANCELLED : IDS_CONNECT_FAILED));
        ExpectIdle(w);
        CloseWindow();
    }
}

} // namespace
} // namespace browse_test
