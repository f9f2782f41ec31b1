// The account dialog opened from the main window's buttons, through the real widgets and
// the real library; what it stores is read back through the library.
#include "accounts/AccountDlg.h"
#include "RecordFields.h"
#include "gui_support/GuiTest.h"

#include "library/App.h"
#include "library/Globals.h"
#include "platform/Modal.h"
#include "platform/Win.h"

#include <QDialog>
#include <QLineEdit>

#include <functional>
#include <string>
#include <vector>

namespace {

using accounts_test::Fields;
using accounts_test::Number;
using accounts_test::PresentFields;
using platform::modal::kAsEnded;
using Names = std::vector<std::string>;
using Script = std::function<void(CDialog&)>;

// Record values with every field given, for AddAccount / AddProxy.
gui::AccountValues Acc(const std::string& name, const std::string& user, int noSave = 0,
                       const std::string& password = {}, const std::string& server = {},
                       int passive = 0, const std::string& proxy = {}) {
    gui::AccountValues a;
    a.name = name;
    a.userId = user;
    a.noSavePassword = noSave;
    a.password = password;
    a.server = server;
    a.passive = passive;
    a.proxyName = proxy;
    return a;
}

gui::ProxyValues Proxy(const std::string& name, const std::string& server,
                       const std::string& user = {}, const std::string& password = {}) {
    gui::ProxyValues p;
    p.name = name;
    p.server = server;
    p.userId = user;
    p.password = password;
    return p;
}

class AccountDlgTest : public gui::GuiTest {
protected:
    static bool IsOpen(CDialog& d) {
        return d.GetDialogWidget() && d.GetDialogWidget()->isVisible();
    }
    static bool ReadOnly(CDialog& d, int id) {
        auto* e = qobject_cast<QLineEdit*>(Control(d, id));
        return e && e->isReadOnly();
    }
    // Queues a dialog answer that runs `script` and then lets DoModal return what the
    // dialog ended with.
    static void Expect(UINT templateId, Script script) {
        platform::modal::QueueDialog(templateId, [script](CDialog& d) {
            script(d);
            return kAsEnded;
        });
    }
    static void Fill(CDialog& d, const std::string& name, const std::string& id,
                     const std::string& server = {}) {
        Type(d, 1000, name);
        Type(d, 1031, id);
        Type(d, 1020, server);
    }
    // Proxy names as the store lists them.
    std::vector<std::string> ProxyNames() const {
        std::vector<std::string> out;
        const int n =
            theApp.m_api.KorvexGetItemNum(theApp.m_hInterface, g_hAccountStore, KORVEX_KIND_PROXY);
        for (int i = 0; i < n; ++i) {
            if (!LoadProxy(i))
                break;
            out.push_back(FieldText(g_hProxyRecord, 1011));
        }
        return out;
    }
    static bool LoadProxy(int i) {
        return theApp.m_api.KorvexTestData(theApp.m_hInterface, g_hAccountStore, 2004, i,
                                           g_hProxyRecord) != 0;
    }
    static bool LoadAccount(int i) {
        return theApp.m_api.KorvexTestData(theApp.m_hInterface, g_hAccountStore, 1304, i,
                                           g_hAccountRecord) != 0;
    }
};

TEST_F(AccountDlgTest, NewAccountIsStoredAndListedWithFirstRowSelected) {
    AddAccount(Acc("A", "ua"));
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
    ASSERT_TRUE(LoadAccount(1));
    EXPECT_EQ(PresentFields(g_hAccountRecord),
              (Fields{1011, 2001, 2002, 1016, 1302, 1301, 2003, 2004}));
    EXPECT_EQ(FieldText(g_hAccountRecord, 1011), "新しい");
    EXPECT_EQ(FieldText(g_hAccountRecord, 2001), "山田");
    EXPECT_EQ(FieldText(g_hAccountRecord, 1016), "pw");
    EXPECT_EQ(FieldText(g_hAccountRecord, 1302), "ftp.example.jp");
    EXPECT_EQ(FieldText(g_hAccountRecord, 2004), "");
    EXPECT_EQ(Number(g_hAccountRecord, 2002), 0);
    EXPECT_EQ(Number(g_hAccountRecord, 1301), 131);
    EXPECT_EQ(Number(g_hAccountRecord, 2003), 1);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text, "アカウント情報");
    ExpectNoUnexpectedModals();
}

TEST_F(AccountDlgTest, NotRecordingPasswordDropsTypedPassword) {
    CMainDlg& w = OpenMainWindow();
    Expect(132, [](CDialog& d) {
        Fill(d, "A", "ua");
        Type(d, 1012, "typed");
        Click(d, 1037);
        EXPECT_FALSE(Enabled(d, 1012));
        EXPECT_EQ(Text(d, 1012), "typed");
        Click(d, 1037);
        EXPECT_TRUE(Enabled(d, 1012));
        EXPECT_EQ(Text(d, 1012), "typed");
        Click(d, 1037);
        Click(d, IDOK);
    });
    Click(w, 1008);
    ASSERT_EQ(AccountNames(), (Names{"A"}));
    ASSERT_TRUE(LoadAccount(0));
    EXPECT_EQ(Number(g_hAccountRecord, 2002), 1);
    EXPECT_EQ(PresentFields(g_hAccountRecord).count(1016), 0u);
    ExpectNoUnexpectedModals();
}

TEST_F(AccountDlgTest, DuplicateNameAddsSecondRowAndCancelAddsNothing) {
    AddAccount(Acc("A", "ua"));
    CMainDlg& w = OpenMainWindow();
    Expect(132, [](CDialog& d) {
        Fill(d, "A", "other");
        Click(d, IDOK);
    });
    Click(w, 1008);
    Expect(132, [](CDialog& d) {
        Fill(d, "B", "ub");
        Click(d, IDCANCEL);
    });
    Click(w, 1008);
    EXPECT_EQ(AccountNames(), (Names{"A", "A"}));
    EXPECT_EQ(ListBoxRows(w, 1007), (Names{"A", "A"}));
    ExpectNoUnexpectedModals();
}

// Name and user ID are required; the server is not.
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
            EXPECT_EQ(Shown()[0].text, "アカウント作成のための項目が正しく指定されていません。");
            EXPECT_EQ(Shown()[0].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
        }
        ExpectNoUnexpectedModals();
    }
}

TEST_F(AccountDlgTest, EntryModeEnabling) {
    CAccountDlg dlg;
    Expect(132, [](CDialog& d) {
        EXPECT_EQ(ComboRows(d, 1036), (Names{"FTP"}));
        EXPECT_EQ(ComboSelection(d, 1036), 0);
        EXPECT_FALSE(Enabled(d, 1036));
        EXPECT_EQ(Text(d, 1025), "");
        EXPECT_FALSE(Enabled(d, 1025));
        for (int id : {1000, 1031, 1037, 1012, 1020, 1039, 1022, IDOK, IDCANCEL})
            EXPECT_TRUE(Enabled(d, id)) << id;
        for (int id : {1014, 1017, 1042, 1043})
            EXPECT_FALSE(Enabled(d, id)) << id;
        Click(d, 1022);
        for (int id : {1014, 1017, 1042, 1043})
            EXPECT_TRUE(Enabled(d, id)) << id;
        EXPECT_TRUE(ComboRows(d, 1014).empty());
        EXPECT_EQ(ComboSelection(d, 1014), -1);
        // Without proxies, details and delete do nothing.
        Click(d, 1042);
        Click(d, 1043);
        Click(d, 1022);
        for (int id : {1014, 1017, 1042, 1043})
            EXPECT_FALSE(Enabled(d, id)) << id;
        EXPECT_FALSE(Enabled(d, 1036));
        EXPECT_FALSE(Enabled(d, 1025));
    });
    dlg.DoModal();
    EXPECT_EQ(Shown().size(), 1u);
    ExpectNoUnexpectedModals();
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
        // Server has no limit.
        Type(d, 1020, ascii);
        EXPECT_EQ(Text(d, 1020), ascii);
        Click(d, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_strName, kana.substr(0, 255));
    EXPECT_EQ(dlg.m_strUserID, kana.substr(0, 255));
    EXPECT_EQ(dlg.m_strPassword, kana.substr(0, 255));
    ExpectNoUnexpectedModals();
}

// The account's proxy is the selected row only while "PROXYを使う" is ticked.
TEST_F(AccountDlgTest, ProxyNameOnlyWhenUseProxyTicked) {
    AddProxy(Proxy("P1", "p1.example"));
    AddProxy(Proxy("P2", "p2.example"));
    CMainDlg& w = OpenMainWindow();
    Expect(132, [](CDialog& d) {
        EXPECT_EQ(ComboRows(d, 1014), (Names{"P1", "P2"}));
        EXPECT_EQ(ComboSelection(d, 1014), 0);
        Fill(d, "with", "u");
        Click(d, 1022);
        CComboBox(Control(d, 1014)).SetCurSel(1);
        Click(d, IDOK);
    });
    Click(w, 1008);
    Expect(132, [](CDialog& d) {
        Fill(d, "without", "u");
        CComboBox(Control(d, 1014)).SetCurSel(1); // shown, but the box is unticked
        Click(d, IDOK);
    });
    Click(w, 1008);
    ASSERT_EQ(AccountNames(), (Names{"with", "without"}));
    ASSERT_TRUE(LoadAccount(0));
    EXPECT_EQ(FieldText(g_hAccountRecord, 2004), "P2");
    ASSERT_TRUE(LoadAccount(1));
    EXPECT_EQ(FieldText(g_hAccountRecord, 2004), "");
    EXPECT_EQ(PresentFields(g_hAccountRecord).count(2004), 1u); // written, empty
    ExpectNoUnexpectedModals();
}

// "新規 PROXY" stores the proxy at once, even when the account dialog is then cancelled.
TEST_F(AccountDlgTest, NewProxiesAreStoredAtOnce) {
    AddProxy(Proxy("P0", "p0.example"));
    CMainDlg& w = OpenMainWindow();
    Expect(132, [](CDialog& d) {
        Click(d, 1022);
        Click(d, 1017);
        EXPECT_EQ(ComboRows(d, 1014), (Names{"P0", "bare"}));
        EXPECT_EQ(ComboSelection(d, 1014), 0);
        Click(d, 1017);
        Click(d, 1017);
        Click(d, 1017); // cancelled
        EXPECT_EQ(ComboRows(d, 1014), (Names{"P0", "bare", "nopw", "full"}));
        Click(d, IDCANCEL);
    });
    Expect(156, [](CDialog& p) {
        Type(p, 1000, "bare");
        Type(p, 1020, "bare.example");
        Type(p, 1012, "dropped"); // no user ID: no login recorded
        Click(p, IDOK);
    });
    Expect(156, [](CDialog& p) {
        Type(p, 1000, "nopw");
        Type(p, 1020, "nopw.example");
        Type(p, 1031, "pu");
        Type(p, 1012, "dropped");
        Click(p, 1116);
        Click(p, IDOK);
    });
    Expect(156, [](CDialog& p) {
        Type(p, 1000, "full");
        Type(p, 1020, "full.example");
        Type(p, 1031, "fu");
        Type(p, 1012, "fpw");
        Click(p, IDOK);
    });
    Expect(156, [](CDialog& p) {
        Type(p, 1000, "never");
        Type(p, 1020, "never.example");
        Click(p, IDCANCEL);
    });
    Click(w, 1008);
    EXPECT_EQ(AccountCount(), 0);
    ASSERT_EQ(ProxyNames(), (Names{"P0", "bare", "nopw", "full"}));
    ASSERT_TRUE(LoadProxy(1));
    EXPECT_EQ(PresentFields(g_hProxyRecord), (Fields{1011, 1302}));
    EXPECT_EQ(FieldText(g_hProxyRecord, 1302), "bare.example");
    ASSERT_TRUE(LoadProxy(2));
    EXPECT_EQ(PresentFields(g_hProxyRecord), (Fields{1011, 1302, 2001, 2002}));
    EXPECT_EQ(Number(g_hProxyRecord, 2002), 1);
    ASSERT_TRUE(LoadProxy(3));
    EXPECT_EQ(PresentFields(g_hProxyRecord), (Fields{1011, 1302, 2001, 2002, 1016}));
    EXPECT_EQ(FieldText(g_hProxyRecord, 2001), "fu");
    EXPECT_EQ(FieldText(g_hProxyRecord, 1016), "fpw");
    EXPECT_EQ(Number(g_hProxyRecord, 2002), 0);
    ExpectNoUnexpectedModals();
}

// Details show the stored proxy read-only; what is edited there is not written back.
TEST_F(AccountDlgTest, ProxyDetailsAreAView) {
    AddProxy(Proxy("P1", "p1.example"));
    AddProxy(Proxy("P2", "p2.example", "pu", "ppw"));
    CAccountDlg dlg;
    Expect(132, [](CDialog& d) {
        Click(d, 1022);
        CComboBox(Control(d, 1014)).SetCurSel(1);
        Click(d, 1042);
        CComboBox(Control(d, 1014)).SetCurSel(0);
        Click(d, 1042);
        Click(d, IDCANCEL);
    });
    Expect(156, [](CDialog& p) {
        EXPECT_EQ(Text(p, 1000), "P2");
        EXPECT_EQ(Text(p, 1020), "p2.example");
        EXPECT_EQ(Text(p, 1031), "pu");
        EXPECT_EQ(Text(p, 1012), "ppw");
        EXPECT_TRUE(ReadOnly(p, 1000));
        EXPECT_TRUE(ReadOnly(p, 1031));
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
    ASSERT_TRUE(LoadProxy(1));
    EXPECT_EQ(FieldText(g_hProxyRecord, 1302), "p2.example");
    ExpectNoUnexpectedModals();
}

TEST_F(AccountDlgTest, DeletingProxyAsksWithItsName) {
    AddProxy(Proxy("P1", "p1.example"));
    AddProxy(Proxy("P2", "p2.example"));
    CAccountDlg dlg;
    Expect(132, [](CDialog& d) {
        Click(d, 1022);
        CComboBox(Control(d, 1014)).SetCurSel(1);
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
    EXPECT_EQ(Shown()[0].text, "P2 というアカウントを削除してもよろしいですか？");
    EXPECT_EQ(Shown()[0].style, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(ProxyNames(), (Names{"P1"}));
    ExpectNoUnexpectedModals();
}

// Details show the stored account with only passive mode, OK and Cancel usable, and
// write nothing back.
TEST_F(AccountDlgTest, AccountDetailsAreAView) {
    AddProxy(Proxy("P1", "p1.example"));
    AddProxy(Proxy("P2", "p2.example"));
    AddAccount(Acc("A", "ua", 0, "pwA", "a.example", 1, "P2"));
    AddAccount(Acc("B", "ub", 1, "", "b.example"));
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
    ASSERT_TRUE(LoadAccount(0));
    EXPECT_EQ(Number(g_hAccountRecord, 2003), 1);
    EXPECT_EQ(FieldText(g_hAccountRecord, 1016), "pwA");
    EXPECT_EQ(ShownBoxIds().size(), 0u);
    ExpectNoUnexpectedModals();
}

// Records this dialog could not have made (a name longer than its edit takes, no user ID)
// still close with OK: a view checks nothing.
TEST_F(AccountDlgTest, DetailsOfForeignRecordsCloseWithOk) {
    AddAccount(Acc(std::string(300, 'n'), "u"));
    AddAccount(Acc("noid", ""));
    CMainDlg& w = OpenMainWindow();
    for (int row : {0, 1}) {
        SCOPED_TRACE(row);
        platform::modal::BeginScript();
        SelectListBoxRow(w, 1007, row);
        INT_PTR ended = 0;
        platform::modal::QueueDialog(132, [&ended](CDialog& d) {
            Click(d, IDOK);
            ended = IsOpen(d) ? IDCANCEL : IDOK;
            if (IsOpen(d))
                Click(d, IDCANCEL);
            return kAsEnded;
        });
        Click(w, 1026);
        EXPECT_EQ(ended, IDOK);
        EXPECT_TRUE(ShownBoxIds().empty());
        ExpectNoUnexpectedModals();
    }
    EXPECT_EQ(AccountCount(), 2);
}

TEST_F(AccountDlgTest, DetailsWithoutSelectionDoNothing) {
    AddAccount(Acc("A", "ua"));
    CMainDlg& w = OpenMainWindow();
    SelectListBoxRow(w, 1007, -1);
    Click(w, 1026);
    Click(w, 1041);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(AccountNames(), (Names{"A"}));
    ExpectNoUnexpectedModals();
}

// Another interface deletes the account first: the delete here fails for real and says so,
// and the list is refilled from the store.
TEST_F(AccountDlgTest, FailedDeleteShowsMessageAndRefills) {
    for (const char* name : {"A", "B", "C"})
        AddAccount(Acc(name, "u"));
    CMainDlg& w = OpenMainWindow();
    SelectListBoxRow(w, 1007, 2);

    KorvexApi& api = theApp.m_api;
    KorvexHandle other = api.KorvexNewInterface();
    ASSERT_NE(other, nullptr);
    ASSERT_NE(api.KorvexInitialize(other), 0);
    const int store = api.KorvexNewItem(other, KORVEX_KIND_STORE);
    const int record = api.KorvexNewItem(other, KORVEX_KIND_ACCOUNT);
    ASSERT_NE(api.KorvexTestData(other, store, 1304, 2, record), 0);
    EXPECT_NE(api.KorvexSetDataNum(other, store, 1015, record), 0);
    api.KorvexDeleteInterface(other);

    platform::modal::QueueMessageBox(IDOK);
    platform::modal::QueueMessageBox(IDOK);
    Click(w, 1041);
    ASSERT_EQ(ShownBoxIds(), (std::vector<UINT>{125u, 126u}));
    EXPECT_EQ(Shown()[0].text, "C というアカウントを削除してもよろしいですか？");
    EXPECT_EQ(Shown()[1].text, "アカウントを削除するときにエラーが生じました。");
    EXPECT_EQ(Shown()[1].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(ListBoxRows(w, 1007), (Names{"A", "B"}));
    EXPECT_EQ(ListBoxSelection(w, 1007), 0);
    ExpectNoUnexpectedModals();
}

} // namespace
