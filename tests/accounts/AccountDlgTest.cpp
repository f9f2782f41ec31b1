// The account dialog opened from the main window's buttons, through the real widgets and
// the real library; what it stores is read back from the store.
#include "accounts/AccountDlg.h"
#include "AccountsTest.h"

namespace {

using accounts_test::Names;

class AccountDlgTest : public accounts_test::Test {
protected:
    static void Fill(CDialog& d, const std::string& name, const std::string& id,
                     const std::string& server = {}) {
        Type(d, IDC_RECORD_NAME, name);
        Type(d, IDC_USER_ID, id);
        Type(d, IDC_SERVER, server);
    }
    static void SelectProxy(CDialog& d, int row) {
        CComboBox(Control(d, IDC_PROXIES)).SetCurSel(row);
    }
};

// Names need not be unique. "Do not record" greys the password edit and keeps its text,
// which is then not stored; the proxy is stored only while "use proxy" is ticked; Cancel
// adds nothing. The list shows the new rows with the first selected.
TEST_F(AccountDlgTest, NewAccountsAreStoredAsTypedAndListed) {
    AddAccount({.name = "A", .userId = "ua"});
    AddProxy({.name = "P1", .server = "p1.example"});
    AddProxy({.name = "P2", .server = "p2.example"});
    CMainDlg& w = OpenMainWindow();
    Expect(IDD_ACCOUNT, [](CDialog& d) {
        EXPECT_EQ(ComboRows(d, IDC_PROTOCOL), (Names{"FTP"}));
        EXPECT_FALSE(Enabled(d, IDC_PROXIES) || Enabled(d, IDC_PROTOCOL) || Enabled(d, IDC_PORT));
        Fill(d, "新しい", "山田", "ftp.example.jp");
        Type(d, IDC_PASSWORD, "pw");
        Click(d, IDC_PASSIVE);
        Click(d, IDC_USE_PROXY);
        SelectProxy(d, 1);
        Click(d, IDOK);
    });
    Expect(IDD_ACCOUNT, [](CDialog& d) {
        Fill(d, "A", "ua2");
        Type(d, IDC_PASSWORD, "typed");
        for (bool ticked : {true, false, true}) {
            Click(d, IDC_NO_PASSWORD);
            EXPECT_EQ(Enabled(d, IDC_PASSWORD), !ticked);
            EXPECT_EQ(Text(d, IDC_PASSWORD), "typed");
        }
        SelectProxy(d, 1);
        Click(d, IDOK);
    });
    Expect(IDD_ACCOUNT, [](CDialog& d) {
        Fill(d, "B", "ub");
        Click(d, IDCANCEL);
    });
    for (int i = 0; i < 3; ++i)
        Click(w, IDC_NEW_ACCOUNT);
    EXPECT_EQ(ListBoxRows(w, IDC_ACCOUNTS), (Names{"A", "新しい", "A"}));
    EXPECT_EQ(ListBoxSelection(w, IDC_ACCOUNTS), 0);
    EXPECT_EQ(StoredAccount(1), "新しい|山田|pw|ftp.example.jp|P2|0 1");
    EXPECT_EQ(StoredAccount(2), "A|ua2||||1 0");
    EXPECT_EQ(StoredAccount(3), "<none>");
}

// Name and user ID are required, the server is not; a refusal keeps what was typed. Name,
// ID and password take at most 255 bytes of UTF-8, the server has no limit.
TEST_F(AccountDlgTest, OkNeedsNameAndUserIdAndEditsTakeAt255Bytes) {
    CAccountDlg refused;
    Expect(
        IDD_ACCOUNT,
        [&](CDialog& d) {
            Fill(d, "n", "", "s");
            Click(d, IDOK);
            EXPECT_TRUE(IsOpen(d));
            EXPECT_EQ(Text(d, IDC_SERVER), "s");
            Click(d, IDCANCEL);
        },
        1);
    EXPECT_EQ(refused.DoModal(), IDCANCEL);
    EXPECT_EQ(ShownBoxIds(), std::vector<UINT>{IDS_ACCOUNT_INCOMPLETE});
    EXPECT_EQ(Shown()[0].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));

    const std::string ascii(300, 'x');
    std::string kana;
    for (int i = 0; i < 100; ++i)
        kana += "あ"; // 3 bytes each
    CAccountDlg dlg;
    Expect(IDD_ACCOUNT, [&](CDialog& d) {
        for (int id : {IDC_RECORD_NAME, IDC_USER_ID, IDC_PASSWORD}) {
            Type(d, id, ascii);
            EXPECT_EQ(Text(d, id), std::string(255, 'x')) << id;
        }
        SetText(d, IDC_USER_ID, "");
        Type(d, IDC_USER_ID, kana);
        Type(d, IDC_SERVER, ascii);
        Click(d, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_strUserID, kana.substr(0, 255));
    EXPECT_EQ(dlg.m_strServer, ascii);
}

// "New proxy" stores the proxy at once, even when the account dialog is then cancelled; a
// login is recorded only with a user ID, its password only when asked.
TEST_F(AccountDlgTest, NewProxiesAreStoredAtOnce) {
    CMainDlg& w = OpenMainWindow();
    Expect(IDD_ACCOUNT, [](CDialog& d) {
        Click(d, IDC_USE_PROXY);
        for (int i = 0; i < 4; ++i) // the last is cancelled
            Click(d, IDC_NEW_PROXY);
        EXPECT_EQ(ComboRows(d, IDC_PROXIES), (Names{"bare", "nopw", "full"}));
        Click(d, IDCANCEL);
    });
    struct Typed {
        std::string name, user;
        bool noSave;
        int button;
    };
    for (const Typed& t : {Typed{"bare", "", false, IDOK}, Typed{"nopw", "pu", true, IDOK},
                           Typed{"full", "fu", false, IDOK}, Typed{"never", "", false, IDCANCEL}}) {
        Expect(IDD_PROXY, [t](CDialog& p) {
            Type(p, IDC_RECORD_NAME, t.name);
            Type(p, IDC_SERVER, t.name + ".example");
            Type(p, IDC_USER_ID, t.user);
            Type(p, IDC_PASSWORD, t.name == "full" ? "fpw" : "dropped");
            if (t.noSave)
                Click(p, IDC_PROXY_NO_PASSWORD);
            Click(p, t.button);
        });
    }
    Click(w, IDC_NEW_ACCOUNT);
    EXPECT_EQ(AccountCount(), 0);
    EXPECT_EQ(StoredProxy(0), "bare|||bare.example|0");
    EXPECT_EQ(StoredProxy(1), "nopw|pu||nopw.example|1");
    EXPECT_EQ(StoredProxy(2), "full|fu|fpw|full.example|0");
    EXPECT_EQ(StoredProxy(3), "<none>");
}

// Proxy details show the stored proxy read-only and write nothing back; delete asks with
// the proxy's name.
TEST_F(AccountDlgTest, ProxyDetailsAreAViewAndDeleteAsksWithTheName) {
    AddProxy({.name = "P1", .server = "p1.example"});
    AddProxy({.name = "P2", .server = "p2.example", .userId = "pu", .password = "ppw"});
    AddProxy({.name = "P3", .server = "p3.example"});
    CAccountDlg dlg;
    Expect(IDD_ACCOUNT, [](CDialog& d) {
        Click(d, IDC_USE_PROXY);
        SelectProxy(d, 1);
        Click(d, IDC_PROXY_DETAILS);
        SelectProxy(d, 2);
        Click(d, IDC_DELETE_PROXY); // cancelled
        Click(d, IDC_DELETE_PROXY);
        EXPECT_EQ(ComboRows(d, IDC_PROXIES), (Names{"P1", "P2"}));
        Click(d, IDCANCEL);
    });
    Expect(IDD_PROXY, [](CDialog& p) {
        EXPECT_EQ(Text(p, IDC_PASSWORD), "ppw");
        EXPECT_TRUE(IsPasswordEdit(p, IDC_PASSWORD));
        EXPECT_TRUE(ReadOnly(p, IDC_RECORD_NAME) && ReadOnly(p, IDC_USER_ID));
        EXPECT_FALSE(ReadOnly(p, IDC_SERVER));
        SetText(p, IDC_SERVER, "changed.example");
        Click(p, IDOK);
    });
    modal::QueueMessageBox(IDCANCEL);
    modal::QueueMessageBox(IDOK);
    dlg.DoModal();
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>(2, IDS_CONFIRM_DELETE_RECORD)));
    EXPECT_EQ(modal::ShownOf(modal::Kind::MessageBox).back().text,
              "P3 というアカウントを削除してもよろしいですか？");
    EXPECT_EQ(accounts::ListProxyNames(), (Names{"P1", "P2"}));
    EXPECT_EQ(StoredProxy(1), "P2|pu|ppw|p2.example|0");
}

// Account details show the stored account with only passive mode, OK and Cancel usable,
// never show the password and write nothing back.
TEST_F(AccountDlgTest, AccountDetailsAreAView) {
    AddProxy({.name = "P1", .server = "p1.example"});
    AddProxy({.name = "P2", .server = "p2.example"});
    AddAccount({.name = "A",
                .userId = "ua",
                .password = "pwA",
                .server = "a.example",
                .passive = 1,
                .proxyName = "P2"});
    CMainDlg& w = OpenMainWindow();
    Expect(IDD_ACCOUNT, [](CDialog& d) {
        EXPECT_EQ(Text(d, IDC_RECORD_NAME) + "|" + Text(d, IDC_USER_ID) + "|" +
                      Text(d, IDC_PASSWORD) + "|" + Text(d, IDC_SERVER),
                  "A|ua||a.example");
        EXPECT_TRUE(Checked(d, IDC_PASSIVE) && Checked(d, IDC_USE_PROXY));
        EXPECT_EQ(ComboSelection(d, IDC_PROXIES), 1); // the account's own proxy
        for (int id : {IDC_RECORD_NAME, IDC_USER_ID, IDC_PASSWORD, IDC_SERVER})
            EXPECT_TRUE(!Enabled(d, id) || ReadOnly(d, id)) << id;
        for (int id : {IDC_NO_PASSWORD, IDC_USE_PROXY, IDC_NEW_PROXY, IDC_PROXY_DETAILS,
                       IDC_DELETE_PROXY, IDC_PROXIES})
            EXPECT_FALSE(Enabled(d, id)) << id;
        EXPECT_TRUE(Enabled(d, IDC_PASSIVE) && Enabled(d, IDOK) && Enabled(d, IDCANCEL));
        Click(d, IDC_PASSIVE);
        Click(d, IDOK);
        EXPECT_FALSE(IsOpen(d));
    });
    Click(w, IDC_ACCOUNT_DETAILS);
    EXPECT_EQ(StoredAccount(0), "A|ua|pwA|a.example|P2|0 1");
    EXPECT_EQ(StoredAccount(1), "<none>");
    EXPECT_TRUE(ShownBoxIds().empty());
}

} // namespace
