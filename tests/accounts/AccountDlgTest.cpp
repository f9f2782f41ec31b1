// The account dialog opened from the main window's buttons, through the real widgets and
// the real library; what it stores is read back through the library.
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

// Names need not be unique; ticking "do not record" greys the password edit, keeps its
// text, and the password is then not stored; Cancel adds nothing.
TEST_F(AccountDlgTest, NewAccountsAreStoredAsTypedAndListedWithFirstRowSelected) {
    AddAccount({.name = "A", .userId = "ua"});
    CMainDlg& w = OpenMainWindow();
    Expect(IDD_ACCOUNT, [](CDialog& d) {
        EXPECT_EQ(Text(d, IDC_RECORD_NAME), "");
        Fill(d, "新しい", "山田", "ftp.example.jp");
        Type(d, IDC_PASSWORD, "pw");
        Click(d, IDC_PASSIVE);
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
        Click(d, IDOK);
    });
    Expect(IDD_ACCOUNT, [](CDialog& d) {
        Fill(d, "B", "ub");
        Click(d, IDCANCEL);
    });
    for (int i = 0; i < 3; ++i)
        Click(w, IDC_NEW_ACCOUNT);
    EXPECT_EQ(AccountNames(), (Names{"A", "新しい", "A"}));
    EXPECT_EQ(ListBoxRows(w, IDC_ACCOUNTS), (Names{"A", "新しい", "A"}));
    EXPECT_EQ(ListBoxSelection(w, IDC_ACCOUNTS), 0);
    ASSERT_TRUE(LoadAccountAt(1));
    ExpectRecord(theApp.m_items.record,
                 {{KORVEX_FIELD_NAME, "新しい"},
                  {KORVEX_FIELD_USER_ID, "山田"},
                  {KORVEX_FIELD_PASSWORD, "pw"},
                  {KORVEX_FIELD_HOST, "ftp.example.jp"},
                  {KORVEX_FIELD_PROXY, ""}},
                 {{KORVEX_FIELD_NO_PASSWORD, 0},
                  {KORVEX_FIELD_SERVER_TYPE, KORVEX_SERVER_TYPE_FTP},
                  {KORVEX_FIELD_PASSIVE, 1}});
    ASSERT_TRUE(LoadAccountAt(2));
    ExpectRecord(theApp.m_items.record,
                 {{KORVEX_FIELD_NAME, "A"},
                  {KORVEX_FIELD_USER_ID, "ua2"},
                  {KORVEX_FIELD_HOST, ""},
                  {KORVEX_FIELD_PROXY, ""}},
                 {{KORVEX_FIELD_NO_PASSWORD, 1},
                  {KORVEX_FIELD_SERVER_TYPE, KORVEX_SERVER_TYPE_FTP},
                  {KORVEX_FIELD_PASSIVE, 0}});
}

// Name and user ID are required; the server is not. A refusal keeps what was typed.
TEST_F(AccountDlgTest, OkNeedsNameAndUserId) {
    struct Case {
        const char *name, *id, *server;
        bool accepted;
    };
    for (const Case& c : {Case{"n", "", "s", false}, Case{"", "u", "s", false},
                          Case{"", "", "", false}, Case{"n", "u", "", true}}) {
        SCOPED_TRACE(std::string(c.name) + "/" + c.id + "/" + c.server);
        platform::modal::BeginScript();
        CAccountDlg dlg;
        Expect(
            IDD_ACCOUNT,
            [&](CDialog& d) {
                Fill(d, c.name, c.id, c.server);
                Click(d, IDOK);
                EXPECT_EQ(IsOpen(d), !c.accepted);
                if (!c.accepted) {
                    EXPECT_EQ(Text(d, IDC_RECORD_NAME), c.name);
                    EXPECT_EQ(Text(d, IDC_SERVER), c.server);
                    Click(d, IDCANCEL);
                }
            },
            c.accepted ? 0 : 1);
        EXPECT_EQ(dlg.DoModal(), c.accepted ? IDOK : IDCANCEL);
        EXPECT_EQ(ShownBoxIds(),
                  c.accepted ? std::vector<UINT>{} : std::vector<UINT>{IDS_ACCOUNT_INCOMPLETE});
        if (!c.accepted) {
            ExpectBox(0, IDS_ACCOUNT_INCOMPLETE, MB_OK | MB_ICONEXCLAMATION);
        }
        ExpectNoUnexpectedModals();
    }
}

// "PROXYを使う" enables the proxy controls; without proxies, details and delete do nothing.
// Protocol and port stay disabled throughout.
TEST_F(AccountDlgTest, UseProxyEnablesTheProxyControls) {
    CAccountDlg dlg;
    Expect(IDD_ACCOUNT, [](CDialog& d) {
        EXPECT_EQ(ComboRows(d, IDC_PROTOCOL), (Names{"FTP"}));
        EXPECT_EQ(ComboSelection(d, IDC_PROTOCOL), 0);
        for (bool ticked : {false, true, false}) {
            if (ticked != Checked(d, IDC_USE_PROXY))
                Click(d, IDC_USE_PROXY);
            if (ticked) {
                EXPECT_TRUE(ComboRows(d, IDC_PROXIES).empty());
                Click(d, IDC_PROXY_DETAILS);
                Click(d, IDC_DELETE_PROXY);
            }
            for (int id : {IDC_PROXIES, IDC_NEW_PROXY, IDC_PROXY_DETAILS, IDC_DELETE_PROXY})
                EXPECT_EQ(Enabled(d, id), ticked) << id;
            for (int id : {IDC_RECORD_NAME, IDC_USER_ID, IDC_NO_PASSWORD, IDC_PASSWORD, IDC_SERVER,
                           IDC_PASSIVE, IDC_USE_PROXY})
                EXPECT_TRUE(Enabled(d, id)) << id;
            EXPECT_FALSE(Enabled(d, IDC_PROTOCOL));
            EXPECT_FALSE(Enabled(d, IDC_PORT));
        }
    });
    dlg.DoModal();
    EXPECT_EQ(Shown().size(), 1u);
}

// Name, ID and password take at most 255 bytes of UTF-8; longer typing is refused.
TEST_F(AccountDlgTest, TextEditsRefuseMoreThan255Bytes) {
    const std::string ascii(300, 'x');
    std::string kana;
    for (int i = 0; i < 100; ++i)
        kana += "あ"; // 3 bytes each
    CAccountDlg dlg;
    Expect(IDD_ACCOUNT, [&](CDialog& d) {
        for (int id : {IDC_RECORD_NAME, IDC_USER_ID, IDC_PASSWORD}) {
            SCOPED_TRACE(id);
            Type(d, id, ascii);
            EXPECT_EQ(Text(d, id), std::string(255, 'x'));
            SetText(d, id, "");
            Type(d, id, kana);
            EXPECT_EQ(Text(d, id), kana.substr(0, 255));
        }
        Type(d, IDC_SERVER, ascii); // the server has no limit
        EXPECT_EQ(Text(d, IDC_SERVER), ascii);
        Click(d, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_strName, kana.substr(0, 255));
    EXPECT_EQ(dlg.m_strUserID, kana.substr(0, 255));
    EXPECT_EQ(dlg.m_strPassword, kana.substr(0, 255));
}

// The account's proxy is the selected row only while "PROXYを使う" is ticked; unticked, the
// field is written empty.
TEST_F(AccountDlgTest, ProxyNameOnlyWhenUseProxyTicked) {
    AddProxy({.name = "P1", .server = "p1.example"});
    AddProxy({.name = "P2", .server = "p2.example"});
    CMainDlg& w = OpenMainWindow();
    for (bool ticked : {true, false}) {
        Expect(IDD_ACCOUNT, [ticked](CDialog& d) {
            EXPECT_EQ(ComboRows(d, IDC_PROXIES), (Names{"P1", "P2"}));
            EXPECT_EQ(ComboSelection(d, IDC_PROXIES), 0);
            Fill(d, ticked ? "with" : "without", "u");
            if (ticked)
                Click(d, IDC_USE_PROXY);
            SelectProxy(d, 1);
            Click(d, IDOK);
        });
        Click(w, IDC_NEW_ACCOUNT);
    }
    ASSERT_EQ(AccountNames(), (Names{"with", "without"}));
    ASSERT_TRUE(LoadAccountAt(0));
    EXPECT_EQ(FieldText(theApp.m_items.record, KORVEX_FIELD_PROXY), "P2");
    ASSERT_TRUE(LoadAccountAt(1));
    EXPECT_EQ(FieldText(theApp.m_items.record, KORVEX_FIELD_PROXY), "");
}

// "新規 PROXY" stores the proxy at once, even when the account dialog is then cancelled;
// a login is recorded only with a user ID, its password only when asked.
TEST_F(AccountDlgTest, NewProxiesAreStoredAtOnce) {
    AddProxy({.name = "P0", .server = "p0.example"});
    CMainDlg& w = OpenMainWindow();
    Expect(IDD_ACCOUNT, [](CDialog& d) {
        Click(d, IDC_USE_PROXY);
        Click(d, IDC_NEW_PROXY);
        EXPECT_EQ(ComboRows(d, IDC_PROXIES), (Names{"P0", "bare"}));
        EXPECT_EQ(ComboSelection(d, IDC_PROXIES), 0);
        for (int i = 0; i < 3; ++i) // the last is cancelled
            Click(d, IDC_NEW_PROXY);
        EXPECT_EQ(ComboRows(d, IDC_PROXIES), (Names{"P0", "bare", "nopw", "full"}));
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
    ASSERT_EQ(ProxyNames(), (Names{"P0", "bare", "nopw", "full"}));
    const int proxy = theApp.m_items.proxy;
    ASSERT_TRUE(LoadProxyAt(1));
    ExpectRecord(proxy, {{KORVEX_FIELD_NAME, "bare"}, {KORVEX_FIELD_HOST, "bare.example"}}, {});
    ASSERT_TRUE(LoadProxyAt(2));
    ExpectRecord(proxy,
                 {{KORVEX_FIELD_NAME, "nopw"},
                  {KORVEX_FIELD_HOST, "nopw.example"},
                  {KORVEX_FIELD_USER_ID, "pu"}},
                 {{KORVEX_FIELD_NO_PASSWORD, 1}});
    ASSERT_TRUE(LoadProxyAt(3));
    ExpectRecord(proxy,
                 {{KORVEX_FIELD_NAME, "full"},
                  {KORVEX_FIELD_HOST, "full.example"},
                  {KORVEX_FIELD_USER_ID, "fu"},
                  {KORVEX_FIELD_PASSWORD, "fpw"}},
                 {{KORVEX_FIELD_NO_PASSWORD, 0}});
}

// Details show the stored proxy read-only and write nothing back; delete asks with the
// proxy's name.
TEST_F(AccountDlgTest, ProxyDetailsAreAViewAndDeleteAsksWithTheName) {
    AddProxy({.name = "P1", .server = "p1.example"});
    AddProxy({.name = "P2", .server = "p2.example", .userId = "pu", .password = "ppw"});
    AddProxy({.name = "P3", .server = "p3.example"});
    CAccountDlg dlg;
    Expect(IDD_ACCOUNT, [](CDialog& d) {
        Click(d, IDC_USE_PROXY);
        for (int row : {1, 0}) {
            SelectProxy(d, row);
            Click(d, IDC_PROXY_DETAILS);
        }
        SelectProxy(d, 2);
        Click(d, IDC_DELETE_PROXY); // cancelled
        EXPECT_EQ(ComboRows(d, IDC_PROXIES), (Names{"P1", "P2", "P3"}));
        EXPECT_EQ(ComboSelection(d, IDC_PROXIES), 2);
        Click(d, IDC_DELETE_PROXY);
        EXPECT_EQ(ComboRows(d, IDC_PROXIES), (Names{"P1", "P2"}));
        EXPECT_EQ(ComboSelection(d, IDC_PROXIES), 0);
        Click(d, IDCANCEL);
    });
    Expect(IDD_PROXY, [](CDialog& p) {
        EXPECT_EQ(Text(p, IDC_RECORD_NAME), "P2");
        EXPECT_EQ(Text(p, IDC_SERVER), "p2.example");
        EXPECT_EQ(Text(p, IDC_USER_ID), "pu");
        EXPECT_EQ(Text(p, IDC_PASSWORD), "ppw");
        EXPECT_TRUE(ReadOnly(p, IDC_RECORD_NAME)); // opened in details mode
        SetText(p, IDC_SERVER, "changed.example");
        Click(p, IDOK);
    });
    Expect(IDD_PROXY, [](CDialog& p) {
        EXPECT_EQ(Text(p, IDC_RECORD_NAME), "P1");
        EXPECT_EQ(Text(p, IDC_USER_ID), "");
        EXPECT_EQ(Text(p, IDC_PASSWORD), "");
        Click(p, IDOK);
    });
    platform::modal::QueueMessageBox(IDCANCEL);
    platform::modal::QueueMessageBox(IDOK);
    dlg.DoModal();
    EXPECT_EQ(ShownBoxIds(),
              (std::vector<UINT>{IDS_CONFIRM_DELETE_RECORD, IDS_CONFIRM_DELETE_RECORD}));
    for (const auto& r : Shown())
        if (r.kind == platform::modal::Kind::MessageBox) {
            EXPECT_EQ(r.text, "P3 というアカウントを削除してもよろしいですか？");
        }
    ASSERT_EQ(ProxyNames(), (Names{"P1", "P2"}));
    ASSERT_TRUE(LoadProxyAt(1));
    EXPECT_EQ(FieldText(theApp.m_items.proxy, KORVEX_FIELD_HOST), "p2.example");
}

// Details show the stored account with only passive mode, OK and Cancel usable, never show
// the password, and write nothing back.
TEST_F(AccountDlgTest, AccountDetailsAreAView) {
    AddProxy({.name = "P1", .server = "p1.example"});
    AddProxy({.name = "P2", .server = "p2.example"});
    AddAccount({.name = "A",
                .userId = "ua",
                .password = "pwA",
                .server = "a.example",
                .passive = 1,
                .proxyName = "P2"});
    AddAccount({.name = "B", .userId = "ub", .noSavePassword = 1, .server = "b.example"});
    CMainDlg& w = OpenMainWindow();
    Expect(IDD_ACCOUNT, [](CDialog& d) {
        EXPECT_EQ(Text(d, IDC_RECORD_NAME), "A");
        EXPECT_EQ(Text(d, IDC_USER_ID), "ua");
        EXPECT_EQ(Text(d, IDC_PASSWORD), "");
        EXPECT_EQ(Text(d, IDC_SERVER), "a.example");
        EXPECT_TRUE(Checked(d, IDC_PASSIVE));
        EXPECT_TRUE(Checked(d, IDC_USE_PROXY));
        EXPECT_FALSE(Checked(d, IDC_NO_PASSWORD));
        EXPECT_EQ(ComboSelection(d, IDC_PROXIES), 1); // the account's own proxy
        for (int id : {IDC_RECORD_NAME, IDC_USER_ID, IDC_PASSWORD, IDC_SERVER})
            EXPECT_TRUE(!Enabled(d, id) || ReadOnly(d, id)) << id;
        for (int id : {IDC_NO_PASSWORD, IDC_PROTOCOL, IDC_PORT, IDC_USE_PROXY, IDC_NEW_PROXY,
                       IDC_PROXY_DETAILS, IDC_DELETE_PROXY, IDC_PROXIES})
            EXPECT_FALSE(Enabled(d, id)) << id;
        for (int id : {IDC_PASSIVE, IDOK, IDCANCEL})
            EXPECT_TRUE(Enabled(d, id)) << id;
        Click(d, IDC_PASSIVE);
        Click(d, IDOK);
        EXPECT_FALSE(IsOpen(d));
    });
    Click(w, IDC_ACCOUNT_DETAILS);
    SelectListBoxRow(w, IDC_ACCOUNTS, 1);
    Expect(IDD_ACCOUNT, [](CDialog& d) {
        EXPECT_EQ(Text(d, IDC_RECORD_NAME), "B");
        EXPECT_TRUE(Checked(d, IDC_NO_PASSWORD));
        EXPECT_FALSE(Checked(d, IDC_USE_PROXY));
        EXPECT_FALSE(Checked(d, IDC_PASSIVE));
        Click(d, IDCANCEL);
    });
    Click(w, IDC_ACCOUNT_DETAILS);
    EXPECT_EQ(AccountNames(), (Names{"A", "B"}));
    ASSERT_TRUE(LoadAccountAt(0));
    EXPECT_EQ(FieldText(theApp.m_items.record, KORVEX_FIELD_PASSWORD), "pwA");
    EXPECT_TRUE(ShownBoxIds().empty());
}

// Records this dialog could not have made (a name longer than its edit takes, no user ID)
// still close with OK: a view checks nothing.
TEST_F(AccountDlgTest, DetailsOfForeignRecordsCloseWithOk) {
    AddAccount({.name = std::string(300, 'n'), .userId = "u"});
    AddAccount({.name = "noid"});
    CMainDlg& w = OpenMainWindow();
    for (int row : {0, 1}) {
        SCOPED_TRACE(row);
        SelectListBoxRow(w, IDC_ACCOUNTS, row);
        Expect(IDD_ACCOUNT, [](CDialog& d) {
            Click(d, IDOK);
            EXPECT_FALSE(IsOpen(d));
            if (IsOpen(d))
                Click(d, IDCANCEL);
        });
        Click(w, IDC_ACCOUNT_DETAILS);
    }
    EXPECT_TRUE(ShownBoxIds().empty());
    EXPECT_EQ(AccountCount(), 2);
}

} // namespace
