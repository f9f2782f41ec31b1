// The account dialog opened from the main window's buttons, through the real widgets and
// the real library; what it stores is read back through the library.
#include "accounts/AccountDlg.h"
#include "AccountsTest.h"

#include <string>
#include <vector>

namespace {

using accounts_test::LoadAccountAt;
using accounts_test::LoadProxyAt;
using accounts_test::Names;

class AccountDlgTest : public accounts_test::Test {
protected:
    static void Fill(CDialog& d, const std::string& name, const std::string& id,
                     const std::string& server = {}) {
        Type(d, 1000, name);
        Type(d, 1031, id);
        Type(d, 1020, server);
    }
    static void SelectProxy(CDialog& d, int row) { CComboBox(Control(d, 1014)).SetCurSel(row); }
};

TEST_F(AccountDlgTest, NewAccountIsStoredAndListedWithFirstRowSelected) {
    AddAccount({.name = "A", .userId = "ua"});
    CMainDlg& w = OpenMainWindow();
    Expect(132, [](CDialog& d) {
        EXPECT_EQ(Text(d, 1000), "");
        Fill(d, "新しい", "山田", "ftp.example.jp");
        Type(d, 1012, "pw");
        Click(d, 1039);
        Click(d, IDOK);
    });
    Click(w, 1008);
    EXPECT_EQ(ListBoxRows(w, 1007), (Names{"A", "新しい"}));
    EXPECT_EQ(ListBoxSelection(w, 1007), 0);
    ASSERT_TRUE(LoadAccountAt(1));
    ExpectRecord(
        theApp.m_items.record, {1011, 2001, 2002, 1016, 1302, 1301, 2003, 2004},
        {{1011, "新しい"}, {2001, "山田"}, {1016, "pw"}, {1302, "ftp.example.jp"}, {2004, ""}},
        {{2002, 0}, {1301, 131}, {2003, 1}});
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text, "アカウント情報");
}

// The box disables the password edit and keeps its text; the password is then not stored.
TEST_F(AccountDlgTest, NotRecordingPasswordDropsTypedPassword) {
    CMainDlg& w = OpenMainWindow();
    Expect(132, [](CDialog& d) {
        Fill(d, "A", "ua");
        Type(d, 1012, "typed");
        for (bool ticked : {true, false, true}) {
            Click(d, 1037);
            EXPECT_EQ(Enabled(d, 1012), !ticked);
            EXPECT_EQ(Text(d, 1012), "typed");
        }
        Click(d, IDOK);
    });
    Click(w, 1008);
    ASSERT_EQ(AccountNames(), (Names{"A"}));
    ASSERT_TRUE(LoadAccountAt(0));
    EXPECT_EQ(accounts_test::Number(theApp.m_items.record, 2002), 1);
    EXPECT_EQ(accounts_test::PresentFields(theApp.m_items.record).count(1016), 0u);
}

TEST_F(AccountDlgTest, DuplicateNameAddsSecondRowAndCancelAddsNothing) {
    AddAccount({.name = "A", .userId = "ua"});
    CMainDlg& w = OpenMainWindow();
    for (int button : {IDOK, IDCANCEL}) {
        Expect(132, [button](CDialog& d) {
            Fill(d, button == IDOK ? "A" : "B", "other");
            Click(d, button);
        });
        Click(w, 1008);
    }
    EXPECT_EQ(AccountNames(), (Names{"A", "A"}));
    EXPECT_EQ(ListBoxRows(w, 1007), (Names{"A", "A"}));
}

// Name and user ID are required; the server is not. A refusal keeps what was typed.
TEST_F(AccountDlgTest, OkNeedsNameAndUserId) {
    struct Case {
        const char* name;
        const char* id;
        const char* server;
        bool accepted;
    };
    const Case cases[] = {
        {"n", "", "s", false},
        {"", "u", "s", false},
        {"", "", "", false},
        {"n", "u", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "/" + c.id + "/" + c.server);
        platform::modal::BeginScript();
        CAccountDlg dlg;
        Expect(132, [&](CDialog& d) {
            Fill(d, c.name, c.id, c.server);
            Click(d, IDOK);
            EXPECT_EQ(IsOpen(d), !c.accepted);
            if (!c.accepted) {
                EXPECT_EQ(Text(d, 1000), c.name);
                EXPECT_EQ(Text(d, 1020), c.server);
                Click(d, IDCANCEL);
            }
        });
        if (!c.accepted)
            platform::modal::QueueMessageBox(IDOK);
        EXPECT_EQ(dlg.DoModal(), c.accepted ? IDOK : IDCANCEL);
        if (c.accepted) {
            EXPECT_TRUE(ShownBoxIds().empty());
        } else {
            ASSERT_EQ(ShownBoxIds(), (std::vector<UINT>{124u}));
            ExpectBox(0, 124, "アカウント作成のための項目が正しく指定されていません。",
                      MB_OK | MB_ICONEXCLAMATION);
        }
        ExpectNoUnexpectedModals();
    }
}

TEST_F(AccountDlgTest, EntryModeEnabling) {
    CAccountDlg dlg;
    Expect(132, [](CDialog& d) {
        EXPECT_EQ(ComboRows(d, 1036), (Names{"FTP"}));
        EXPECT_EQ(ComboSelection(d, 1036), 0);
        EXPECT_EQ(Text(d, 1025), "");
        for (int id : {1000, 1031, 1037, 1012, 1020, 1039, 1022, IDOK, IDCANCEL})
            EXPECT_TRUE(Enabled(d, id)) << id;
        // "PROXYを使う" enables the proxy controls; without proxies, details and delete
        // do nothing. Protocol and port stay disabled throughout.
        for (bool ticked : {false, true, false}) {
            if (ticked != Checked(d, 1022))
                Click(d, 1022);
            if (ticked) {
                EXPECT_TRUE(ComboRows(d, 1014).empty());
                EXPECT_EQ(ComboSelection(d, 1014), -1);
                Click(d, 1042);
                Click(d, 1043);
            }
            for (int id : {1014, 1017, 1042, 1043})
                EXPECT_EQ(Enabled(d, id), ticked) << id;
            EXPECT_FALSE(Enabled(d, 1036));
            EXPECT_FALSE(Enabled(d, 1025));
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
    Expect(132, [&](CDialog& d) {
        for (int id : {1000, 1031, 1012}) {
            SCOPED_TRACE(id);
            Type(d, id, ascii);
            EXPECT_EQ(Text(d, id), std::string(255, 'x'));
            SetText(d, id, "");
            Type(d, id, kana);
            EXPECT_EQ(Text(d, id), kana.substr(0, 255));
        }
        Type(d, 1020, ascii); // the server has no limit
        EXPECT_EQ(Text(d, 1020), ascii);
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
        Expect(132, [ticked](CDialog& d) {
            EXPECT_EQ(ComboRows(d, 1014), (Names{"P1", "P2"}));
            EXPECT_EQ(ComboSelection(d, 1014), 0);
            Fill(d, ticked ? "with" : "without", "u");
            if (ticked)
                Click(d, 1022);
            SelectProxy(d, 1);
            Click(d, IDOK);
        });
        Click(w, 1008);
    }
    ASSERT_EQ(AccountNames(), (Names{"with", "without"}));
    ASSERT_TRUE(LoadAccountAt(0));
    EXPECT_EQ(FieldText(theApp.m_items.record, 2004), "P2");
    ASSERT_TRUE(LoadAccountAt(1));
    EXPECT_EQ(FieldText(theApp.m_items.record, 2004), "");
    EXPECT_EQ(accounts_test::PresentFields(theApp.m_items.record).count(2004), 1u);
}

// "新規 PROXY" stores the proxy at once, even when the account dialog is then cancelled;
// a login is recorded only with a user ID, its password only when asked.
TEST_F(AccountDlgTest, NewProxiesAreStoredAtOnce) {
    AddProxy({.name = "P0", .server = "p0.example"});
    CMainDlg& w = OpenMainWindow();
    Expect(132, [](CDialog& d) {
        Click(d, 1022);
        Click(d, 1017);
        EXPECT_EQ(ComboRows(d, 1014), (Names{"P0", "bare"}));
        EXPECT_EQ(ComboSelection(d, 1014), 0);
        for (int i = 0; i < 3; ++i) // the last is cancelled
            Click(d, 1017);
        EXPECT_EQ(ComboRows(d, 1014), (Names{"P0", "bare", "nopw", "full"}));
        Click(d, IDCANCEL);
    });
    struct Typed {
        const char* name;
        const char* user;
        bool noSave;
        int button;
    };
    for (const Typed& t : {Typed{"bare", "", false, IDOK}, Typed{"nopw", "pu", true, IDOK},
                           Typed{"full", "fu", false, IDOK}, Typed{"never", "", false, IDCANCEL}}) {
        Expect(156, [t](CDialog& p) {
            Type(p, 1000, t.name);
            Type(p, 1020, std::string(t.name) + ".example");
            Type(p, 1031, t.user);
            Type(p, 1012, std::string(t.name) == "full" ? "fpw" : "dropped");
            if (t.noSave)
                Click(p, 1116);
            Click(p, t.button);
        });
    }
    Click(w, 1008);
    EXPECT_EQ(AccountCount(), 0);
    ASSERT_EQ(ProxyNames(), (Names{"P0", "bare", "nopw", "full"}));
    ASSERT_TRUE(LoadProxyAt(1));
    ExpectRecord(theApp.m_items.proxy, {1011, 1302}, {{1302, "bare.example"}});
    ASSERT_TRUE(LoadProxyAt(2));
    ExpectRecord(theApp.m_items.proxy, {1011, 1302, 2001, 2002}, {}, {{2002, 1}});
    ASSERT_TRUE(LoadProxyAt(3));
    ExpectRecord(theApp.m_items.proxy, {1011, 1302, 2001, 2002, 1016},
                 {{2001, "fu"}, {1016, "fpw"}}, {{2002, 0}});
}

// Details show the stored proxy read-only; what is edited there is not written back.
TEST_F(AccountDlgTest, ProxyDetailsAreAView) {
    AddProxy({.name = "P1", .server = "p1.example"});
    AddProxy({.name = "P2", .server = "p2.example", .userId = "pu", .password = "ppw"});
    CAccountDlg dlg;
    Expect(132, [](CDialog& d) {
        Click(d, 1022);
        for (int row : {1, 0}) {
            SelectProxy(d, row);
            Click(d, 1042);
        }
        Click(d, IDCANCEL);
    });
    Expect(156, [](CDialog& p) {
        EXPECT_EQ(Text(p, 1000), "P2");
        EXPECT_EQ(Text(p, 1020), "p2.example");
        EXPECT_EQ(Text(p, 1031), "pu");
        EXPECT_EQ(Text(p, 1012), "ppw");
        EXPECT_TRUE(ReadOnly(p, 1000)); // opened in details mode
        SetText(p, 1020, "changed.example");
        Click(p, IDOK);
    });
    Expect(156, [](CDialog& p) {
        EXPECT_EQ(Text(p, 1000), "P1");
        EXPECT_EQ(Text(p, 1031), "");
        EXPECT_EQ(Text(p, 1012), "");
        Click(p, IDOK);
    });
    dlg.DoModal();
    ASSERT_EQ(ProxyNames(), (Names{"P1", "P2"}));
    ASSERT_TRUE(LoadProxyAt(1));
    EXPECT_EQ(FieldText(theApp.m_items.proxy, 1302), "p2.example");
}

TEST_F(AccountDlgTest, DeletingProxyAsksWithItsName) {
    AddProxy({.name = "P1", .server = "p1.example"});
    AddProxy({.name = "P2", .server = "p2.example"});
    CAccountDlg dlg;
    Expect(132, [](CDialog& d) {
        Click(d, 1022);
        SelectProxy(d, 1);
        Click(d, 1043); // cancelled
        EXPECT_EQ(ComboRows(d, 1014), (Names{"P1", "P2"}));
        EXPECT_EQ(ComboSelection(d, 1014), 1);
        Click(d, 1043);
        EXPECT_EQ(ComboRows(d, 1014), (Names{"P1"}));
        EXPECT_EQ(ComboSelection(d, 1014), 0);
        Click(d, IDCANCEL);
    });
    platform::modal::QueueMessageBox(IDCANCEL);
    platform::modal::QueueMessageBox(IDOK);
    dlg.DoModal();
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{125u, 125u}));
    ExpectBox(0, 125, "P2 というアカウントを削除してもよろしいですか？",
              MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(ProxyNames(), (Names{"P1"}));
}

// Details show the stored account with only passive mode, OK and Cancel usable, and
// write nothing back.
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
    Expect(132, [](CDialog& d) {
        EXPECT_EQ(Text(d, 1000), "A");
        EXPECT_EQ(Text(d, 1031), "ua");
        EXPECT_EQ(Text(d, 1012), ""); // the password is never read back
        EXPECT_EQ(Text(d, 1020), "a.example");
        EXPECT_EQ(Text(d, 1025), "");
        EXPECT_TRUE(Checked(d, 1039));
        EXPECT_TRUE(Checked(d, 1022));
        EXPECT_FALSE(Checked(d, 1037));
        EXPECT_EQ(ComboRows(d, 1014), (Names{"P1", "P2"}));
        EXPECT_EQ(ComboSelection(d, 1014), 1); // the account's own proxy
        for (int id : {1000, 1031, 1012, 1020})
            EXPECT_TRUE(!Enabled(d, id) || ReadOnly(d, id)) << id;
        for (int id : {1037, 1036, 1025, 1022, 1017, 1042, 1043, 1014})
            EXPECT_FALSE(Enabled(d, id)) << id;
        for (int id : {1039, IDOK, IDCANCEL})
            EXPECT_TRUE(Enabled(d, id)) << id;
        Click(d, 1039);
        Click(d, IDOK);
        EXPECT_FALSE(IsOpen(d));
    });
    Click(w, 1026);
    SelectListBoxRow(w, 1007, 1);
    Expect(132, [](CDialog& d) {
        EXPECT_EQ(Text(d, 1000), "B");
        EXPECT_TRUE(Checked(d, 1037));
        EXPECT_FALSE(Checked(d, 1022));
        EXPECT_FALSE(Checked(d, 1039));
        EXPECT_FALSE(Enabled(d, 1012));
        Click(d, IDCANCEL);
    });
    Click(w, 1026);
    EXPECT_EQ(AccountNames(), (Names{"A", "B"}));
    ASSERT_TRUE(LoadAccountAt(0));
    EXPECT_EQ(accounts_test::Number(theApp.m_items.record, 2003), 1);
    EXPECT_EQ(FieldText(theApp.m_items.record, 1016), "pwA");
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
        platform::modal::BeginScript();
        SelectListBoxRow(w, 1007, row);
        bool closed = false;
        Expect(132, [&closed](CDialog& d) {
            Click(d, IDOK);
            closed = !IsOpen(d);
            if (!closed)
                Click(d, IDCANCEL);
        });
        Click(w, 1026);
        EXPECT_TRUE(closed);
        EXPECT_TRUE(ShownBoxIds().empty());
        ExpectNoUnexpectedModals();
    }
    EXPECT_EQ(AccountCount(), 2);
}

} // namespace
