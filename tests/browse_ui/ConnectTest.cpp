// Connect and the browse run through the real main window against a local server.
#include "BrowseFixture.h"

#include "res/Resources.h"
#include "support/ScriptedFtpServer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <unistd.h>

namespace browse_test {
namespace {

using Script = test::ScriptedFtpServer::Script;

class ConnectTest : public BrowseFixture {};

// The prompt shows the account; the typed password, not the recorded one, is used; the
// mask filters files only.
TEST_F(ConnectTest, ConnectListsWithTheTypedPasswordAndMask) {
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    SetText(w, IDC_FOLDER, "/pub");
    SetText(w, IDC_MASK, "*.txt");
    Connect(w);
    ExpectIdle(w);
    EXPECT_EQ(prompt, (Strings{"FTP", Server(), "tester"}));
    EXPECT_EQ(w.m_strPassword, "secret");
    EXPECT_EQ(Listed(w), std::pair(Strings{"b", "sub dir", "日本語フォルダ"},
                                   Strings{"a.txt", "試験 ファイル.txt"}));
    EXPECT_EQ(w.progress, kComplete);
    EXPECT_EQ(ShownBoxIds(), std::vector<UINT>{IDS_CONFIRM_CONNECT});
}

// After a first listing: what a failed or partly failed run shows, and what it keeps.
TEST_F(ConnectTest, FailuresSaySoAndKeepWhatTheyShould) {
    Script broken;
    broken.replies["LIST"] = "550 no\r\n";
    test::ScriptedFtpServer scripted(broken);
    ASSERT_TRUE(scripted.Start());
    const struct {
        const char* what;
        std::string folder, password;
        bool scripted;
        UINT box;
        std::string folderAfter;
        bool passwordKept;
        Strings files;
    } cases[] = {
        {"missing folder", "/no/such", "secret", false, IDS_BAD_FOLDER, "/", true, {"root.txt"}},
        {"refused login", "/pub", "wrong", false, IDS_CONNECT_FAILED, "/pub", false, {}},
        {"broken listing", "", "secret", true, IDS_LIST_FAILED, "/home/tester", true, {}},
    };
    AddAccount(Account("srv"));
    AddAccount(Account("scripted", 0, "tester", scripted.Port()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform::modal::BeginScript();
        RecordingMainDlg& w = Open();
        SetText(w, IDC_FOLDER, "/pub");
        Connect(w); // fills the list
        ASSERT_FALSE(RemoteRows(w).empty());
        w.progress.clear();
        SelectListBoxRow(w, IDC_ACCOUNTS, c.scripted ? 1 : 0);
        SetText(w, IDC_FOLDER, c.folder);
        QueueConnect(c.password);
        platform::modal::QueueMessageBox(IDOK);
        Click(w, IDC_BACK_OR_CONNECT);
        ASSERT_TRUE(WaitForRun(w));
        ExpectIdle(w);
        EXPECT_EQ(ShownBoxIds(),
                  (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_CONFIRM_CONNECT, c.box}));
        EXPECT_EQ(Shown().back().style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
        EXPECT_EQ(Text(w, IDC_FOLDER), c.folderAfter);
        EXPECT_EQ(w.m_strPassword.empty(), !c.passwordKept);
        EXPECT_EQ(Listed(w).second, c.files);
        EXPECT_EQ(w.progress.size() == 1, c.box == IDS_CONNECT_FAILED);
        ExpectNoUnexpectedModals();
    }
}

// A cancelled confirmation, no account selected or an empty password start no run.
TEST_F(ConnectTest, ConnectThatStartsNothing) {
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    platform::modal::QueueMessageBox(IDCANCEL);
    Click(w, IDC_BACK_OR_CONNECT);
    QueueConnect("");
    platform::modal::QueueMessageBox(IDOK);
    Click(w, IDC_BACK_OR_CONNECT);
    SelectListBoxRow(w, IDC_ACCOUNTS, -1);
    platform::modal::QueueMessageBox(IDOK);
    Click(w, IDC_BACK_OR_CONNECT);
    EXPECT_FALSE(w.m_bBrowsing);
    EXPECT_TRUE(w.progress.empty());
    EXPECT_TRUE(w.m_strPassword.empty());
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_CONFIRM_CONNECT,
                                                IDS_PASSWORD_NEEDED, IDS_CONFIRM_CONNECT}));
    EXPECT_EQ(Shown()[0].style, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
}

// The proxy the account names: logged in with its stored password or one asked for, as
// FTP proxies expect, and no TLS tried. One named but missing sets the account without a
// run, and Show then browses directly with what Connect recorded.
TEST_F(ConnectTest, ProxyOfTheAccount) {
    Script s;
    s.folders.insert("/"); // where the direct run goes too
    s.listing = "-rw-r--r-- 1 u g 5 Jan  1 2020 f.txt\r\n";
    s.logins = {{"px", "pxpw"}, {"tester@" + Server(), "secret"}};
    test::ScriptedFtpServer proxy(s);
    ASSERT_TRUE(proxy.Start());
    const std::string proxyServer = Server(proxy.Port());
    AddProxy({.name = "stored", .server = proxyServer, .userId = "px", .password = "pxpw"});
    AddProxy({.name = "typed", .server = proxyServer, .userId = "px", .noSavePassword = 1});
    for (const std::string name : {"stored", "typed", "nowhere"}) {
        gui::AccountValues a = Account(name);
        a.proxyName = name;
        AddAccount(a);
    }
    RecordingMainDlg& w = Open();
    SetText(w, IDC_FOLDER, "/");
    for (int row : {0, 1, 2}) {
        SCOPED_TRACE(row);
        SelectListBoxRow(w, IDC_ACCOUNTS, row);
        w.progress.clear();
        QueueConnect();
        Strings proxyPrompt;
        if (row == 1) {
            platform::modal::QueueDialog(IDD_PASSWORD, [&](CDialog& dlg) {
                for (int id : {IDC_SERVER, IDC_USER_ID})
                    proxyPrompt.push_back(dlg.GetDlgItem(id)->GetWindowText());
                dlg.GetDlgItem(IDC_PASSWORD)->SetWindowText("pxpw");
                dlg.SendCommand(IDOK);
                return platform::modal::kAsEnded;
            });
        }
        Click(w, IDC_BACK_OR_CONNECT);
        if (row == 2) {
            EXPECT_FALSE(w.m_bBrowsing);
            EXPECT_EQ(w.m_strPassword, "secret");
            Click(w, IDC_SHOW);
        }
        ASSERT_TRUE(WaitForRun(w));
        EXPECT_EQ(w.progress, kComplete);
        EXPECT_EQ(w.m_nConnectedStatus,
                  row == 2 ? IDS_STATUS_CONNECTED : IDS_STATUS_CONNECTED_PROXY);
        EXPECT_EQ(proxyPrompt, row == 1 ? (Strings{proxyServer, "px"}) : Strings{});
    }
    const Strings login = {"USER px", "PASS pxpw", "USER tester@" + Server(), "PASS secret"};
    Strings both = login;
    both.insert(both.end(), login.begin(), login.end());
    EXPECT_EQ(proxy.Logins(), both);
    EXPECT_EQ(test::CountPrefixed(proxy.Commands(), "AUTH"), 0u);
}

// The passive flag decides the data connection the run asks for.
TEST_F(ConnectTest, PassiveFlagChoosesDataConnection) {
    for (int passive : {0, 1}) {
        SCOPED_TRACE(passive);
        Script s;
        s.listing =
            "drwxr-xr-x 2 u g 512 Jan  1 2020 sub\r\n-rw-r--r-- 1 u g 5 Jan  1 2020 f.txt\r\n";
        test::ScriptedFtpServer server(s);
        ASSERT_TRUE(server.Start());
        AddAccount(Account("srv" + std::to_string(passive), passive, "tester", server.Port()));
        RecordingMainDlg& w = Open();
        SelectListBoxRow(w, IDC_ACCOUNTS, passive);
        Connect(w);
        EXPECT_EQ(RemoteRows(w), (std::vector<Row>{{"sub", "/home/tester/sub", 1},
                                                   {"f.txt", "/home/tester/f.txt", 0}}));
        const auto commands = server.Commands();
        EXPECT_EQ(std::count(commands.begin(), commands.end(), "EPSV"), passive);
    }
}

// While a run lives the window is disabled and cannot close; the stop button works, and
// closing the window stops the run and waits for it.
TEST_F(ConnectTest, StopOrCloseWhileConnecting) {
    test::HangingPort hang;
    ASSERT_TRUE(hang.Ready());
    AddAccount(Account("srv", 0, "tester", hang.Port()));
    RecordingMainDlg& w = Open();
    QueueConnect();
    Click(w, IDC_BACK_OR_CONNECT);
    ASSERT_TRUE(w.m_bBrowsing);
    EXPECT_FALSE(w.IsWindowEnabled());
    EXPECT_TRUE(w.m_dlgConnecting.IsWindowVisible());
    w.GetDialogWidget()->close(); // the close box
    ProcessEvents();
    EXPECT_EQ(ShownBoxIds(), std::vector<UINT>{IDS_CONFIRM_CONNECT}) << "no exit question";
    EXPECT_TRUE(w.m_bBrowsing);

    platform::modal::QueueMessageBox(IDOK);
    QWidget* stop = Control(w.m_dlgConnecting, IDOK);
    ASSERT_TRUE(stop && stop->isEnabled());
    QTest::mouseClick(stop, Qt::LeftButton);
    ASSERT_TRUE(WaitForRun(w));
    ExpectIdle(w);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_CONNECT, IDS_CANCELLED}));
    EXPECT_FALSE(w.m_strPassword.empty()) << "a stop is no failed connection";

    QueueConnect();
    Click(w, IDC_BACK_OR_CONNECT);
    ASSERT_TRUE(w.m_pBrowseThread && w.m_pBrowseThread->isRunning());
    CloseMainWindow(); // the destructor stops the run and waits; nothing is left running
}

// The worker's messages are real boxes the user can answer while the window is disabled:
// after a stop, and with nothing touched since Connect.
TEST_F(ConnectTest, RealMessagesDuringRunCanBeAnswered) {
    test::HangingPort hang;
    ASSERT_TRUE(hang.Ready());
    std::uint16_t refused = 0;
    ::close(test::ListenOnLoopback(refused)); // nobody listens there now
    AddAccount(Account("hanging", 0, "tester", hang.Port()));
    AddAccount(Account("refused", 0, "tester", refused));
    for (const bool stop : {true, false}) {
        SCOPED_TRACE(stop ? "stop" : "refused");
        platform::modal::BeginScript();
        RecordingMainDlg& w = Open();
        SelectListBoxRow(w, IDC_ACCOUNTS, stop ? 0 : 1);
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
        EXPECT_TRUE(seen && enabled) << "the box must not inherit the disabled main window";
        EXPECT_EQ(text, res::LoadString(stop ? IDS_CANCELLED : IDS_CONNECT_FAILED));
        ExpectIdle(w);
        CloseMainWindow();
    }
}

} // namespace
} // namespace browse_test
