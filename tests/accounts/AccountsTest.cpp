// The account list of the main window with its buttons, and the account, proxy and password
// dialogs, through the real widgets and the real library; what they store is read back
// from the store.
#include "gui_support/GuiTest.h"

#include "accounts/AccountDlg.h"
#include "accounts/PasswordDlg.h"
#include "accounts/Store.h"
#include "library/App.h"
#include "library/Globals.h"
#include "platform/Win.h"
#include "res/Ids.h"

#include <QLineEdit>

#include <functional>

namespace modal = platform::modal;

namespace {

using Names = std::vector<std::string>;

class AccountsTest : public gui::GuiTest {
protected:
    static bool IsOpen(CDialog& d) {
        return d.GetDialogWidget() && d.GetDialogWidget()->isVisible();
    }
    static bool ReadOnly(CDialog& d, int id) {
        auto* e = qobject_cast<QLineEdit*>(Control(d, id));
        return e && e->isReadOnly();
    }
    static bool IsPasswordEdit(CDialog& d, int id) {
        auto* e = qobject_cast<QLineEdit*>(Control(d, id));
        return e && e->echoMode() == QLineEdit::Password;
    }
    // Answers the next dialog `templateId` by running `script`; DoModal then returns what
    // the dialog ended with. `boxes` message boxes that follow are answered with OK.
    static void Expect(UINT templateId, std::function<void(CDialog&)> script, int boxes = 0) {
        modal::QueueDialog(templateId, [script](CDialog& d) {
            script(d);
            return modal::kAsEnded;
        });
        for (int i = 0; i < boxes; ++i)
            modal::QueueMessageBox(IDOK);
    }
    // Stored account `i` as "name|user|password|server|proxy|noSave passive", with the
    // password as stored, which no dialog shows.
    static std::string StoredAccount(int i) {
        if (!accounts::LoadAccount(i))
            return "<none>";
        const accounts::AccountFields a = accounts::ReadLoadedAccount();
        return a.name + "|" + a.userId + "|" +
               accounts::ReadTextOrEmpty(theApp.m_items.record, KORVEX_FIELD_PASSWORD) + "|" +
               a.server + "|" + a.proxyName + "|" + std::to_string(a.noSavePassword) + " " +
               std::to_string(a.passive);
    }
    // Stored proxy `i` as "name|user|password|server|noSave".
    static std::string StoredProxy(int i) {
        if (!accounts::LoadProxy(i))
            return "<none>";
        const accounts::ProxyFields p = accounts::ReadLoadedProxy();
        return p.name + "|" + p.userId + "|" + p.password + "|" + p.server + "|" +
               std::to_string(accounts::ReadNumber(theApp.m_items.proxy, KORVEX_FIELD_NO_PASSWORD));
    }
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

// Names are not unique; a record that cannot be named ends the list, the rows before it
// stay, and row 0 is selected.
TEST_F(AccountsTest, ListsStoreInOrderUpToAnUnnamedRecord) {
    for (const char* name : {"A", "B", "A"})
        AddAccount({.name = name, .userId = "u"});
    KorvexApi& api = theApp.m_api;
    const int record = theApp.m_items.record;
    api.KorvexGetDataNum(theApp.m_hInterface, record, KORVEX_FIELD_NEW_RECORD, nullptr);
    api.KorvexSetDataValue(theApp.m_hInterface, record, KORVEX_FIELD_HOST, "nameless.example");
    api.KorvexSetDataNum(theApp.m_hInterface, theApp.m_items.store, KORVEX_FIELD_STORE_APPEND,
                         record);
    AddAccount({.name = "C", .userId = "uc"});
    CMainDlg& w = OpenMainWindow();
    EXPECT_EQ(ListBoxRows(w, IDC_ACCOUNTS), (Names{"A", "B", "A"}));
    EXPECT_EQ(ListBoxSelection(w, IDC_ACCOUNTS), 0);
}

// Without a selected row Details and Delete do nothing. Delete names the account; OK removes
// it and selects row 0, Cancel keeps all as it was. When another interface deleted it
// first, the delete says so and the list is refilled.
TEST_F(AccountsTest, DeleteAsksWithNameAndRemovesOnOk) {
    for (const char* name : {"A", "B", "C", "D"})
        AddAccount({.name = name, .userId = "u"});
    CMainDlg& w = OpenMainWindow();
    SelectListBoxRow(w, IDC_ACCOUNTS, -1);
    Click(w, IDC_ACCOUNT_DETAILS);
    Click(w, IDC_DELETE_ACCOUNT);
    EXPECT_TRUE(Shown().empty());
    SelectListBoxRow(w, IDC_ACCOUNTS, 1);
    modal::QueueMessageBox(IDCANCEL);
    Click(w, IDC_DELETE_ACCOUNT);
    EXPECT_EQ(ListBoxSelection(w, IDC_ACCOUNTS), 1);
    SelectListBoxRow(w, IDC_ACCOUNTS, 2);
    modal::QueueMessageBox(IDOK);
    Click(w, IDC_DELETE_ACCOUNT);
    ASSERT_EQ(ShownBoxIds(), std::vector<UINT>(2, IDS_CONFIRM_DELETE_RECORD));
    EXPECT_EQ(Shown()[0].text, "B というアカウントを削除してもよろしいですか？");
    EXPECT_EQ(Shown()[1].text, "C というアカウントを削除してもよろしいですか？");
    EXPECT_EQ(accounts::ListAccountNames(accounts::AccountCount()), (Names{"A", "B", "D"}));
    EXPECT_EQ(ListBoxRows(w, IDC_ACCOUNTS), (Names{"A", "B", "D"}));
    EXPECT_EQ(ListBoxSelection(w, IDC_ACCOUNTS), 0);

    modal::BeginScript();
    SelectListBoxRow(w, IDC_ACCOUNTS, 2);
    KorvexApi& api = theApp.m_api;
    KorvexHandle other = api.KorvexNewInterface();
    ASSERT_NE(api.KorvexInitialize(other), 0);
    const int store = api.KorvexNewItem(other, KORVEX_KIND_STORE);
    const int record = api.KorvexNewItem(other, KORVEX_KIND_ACCOUNT);
    ASSERT_NE(api.KorvexTestData(other, store, KORVEX_FIELD_ACCOUNT, 2, record), 0);
    EXPECT_NE(api.KorvexSetDataNum(other, store, KORVEX_FIELD_STORE_DELETE, record), 0);
    api.KorvexDeleteInterface(other);
    modal::QueueMessageBox(IDOK);
    modal::QueueMessageBox(IDOK);
    Click(w, IDC_DELETE_ACCOUNT);
    ASSERT_EQ(ShownBoxIds(),
              (std::vector<UINT>{IDS_CONFIRM_DELETE_RECORD, IDS_DELETE_RECORD_FAILED}));
    EXPECT_EQ(Shown()[1].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(ListBoxRows(w, IDC_ACCOUNTS), (Names{"A", "B"}));
    EXPECT_EQ(ListBoxSelection(w, IDC_ACCOUNTS), 0);
}

// Names need not be unique. "Do not record" greys the password edit and keeps its text,
// which is then not stored; the proxy is stored only while "use proxy" is ticked; Cancel
// adds nothing. The list shows the new rows with the first selected.
TEST_F(AccountsTest, NewAccountsAreStoredAsTypedAndListed) {
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
TEST_F(AccountsTest, OkNeedsNameAndUserIdAndEditsTakeAt255Bytes) {
    const std::string ascii(300, 'x');
    CAccountDlg dlg;
    Expect(
        IDD_ACCOUNT,
        [&](CDialog& d) {
            Fill(d, "n", "", "s");
            Click(d, IDOK);
            EXPECT_TRUE(IsOpen(d));
            EXPECT_EQ(Text(d, IDC_SERVER), "s");
            for (int id : {IDC_RECORD_NAME, IDC_USER_ID, IDC_PASSWORD}) {
                Type(d, id, ascii);
                EXPECT_EQ(Text(d, id).size(), 255u) << id;
            }
            Type(d, IDC_SERVER, ascii);
            Click(d, IDOK);
        },
        1);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(ShownBoxIds(), std::vector<UINT>{IDS_ACCOUNT_INCOMPLETE});
    EXPECT_EQ(Shown()[0].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(dlg.m_strUserID, std::string(255, 'x'));
    EXPECT_EQ(dlg.m_strServer, "s" + ascii);
}

// "New proxy" stores the proxy at once, even when the account dialog is then cancelled; a
// login is recorded only with a user ID, its password only when asked ("Do not record"
// greys the edit). A proxy needs a name and a server, and a port that reads as a number: a
// refusal says so once and keeps the dialog open with what was typed.
TEST_F(AccountsTest, NewProxiesAreStoredAtOnce) {
    CMainDlg& w = OpenMainWindow();
    Expect(IDD_ACCOUNT, [](CDialog& d) {
        Click(d, IDC_USE_PROXY);
        for (int i = 0; i < 4; ++i) // the last is cancelled
            Click(d, IDC_NEW_PROXY);
        EXPECT_EQ(ComboRows(d, IDC_PROXIES), (Names{"bare", "nopw", "full"}));
        Click(d, IDCANCEL);
    });
    for (const auto& [name, user, noSave] :
         {std::tuple{"bare", "", false}, {"nopw", "pu", true}, {"full", "fu", false}}) {
        Expect(IDD_PROXY,
               [name = std::string(name), user = std::string(user), noSave = noSave](CDialog& p) {
                   Type(p, IDC_RECORD_NAME, name);
                   Type(p, IDC_SERVER, name + ".example");
                   Type(p, IDC_USER_ID, user);
                   Type(p, IDC_PASSWORD, name == "full" ? "fpw" : "dropped");
                   if (noSave)
                       Click(p, IDC_PROXY_NO_PASSWORD);
                   EXPECT_EQ(Enabled(p, IDC_PASSWORD), !noSave);
                   Click(p, IDOK);
               });
    }
    Expect(
        IDD_PROXY,
        [](CDialog& p) {
            Type(p, IDC_RECORD_NAME, "never");
            Click(p, IDOK);
            SetText(p, IDC_SERVER, "never.example");
            SetText(p, IDC_PORT, "12a");
            Click(p, IDOK);
            EXPECT_EQ(FocusId(p), IDC_PORT);
            EXPECT_EQ(Text(p, IDC_RECORD_NAME) + "|" + Text(p, IDC_SERVER), "never|never.example");
            Click(p, IDCANCEL);
        },
        2);
    Click(w, IDC_NEW_ACCOUNT);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_NAME_AND_SERVER_REQUIRED, AFX_IDP_PARSE_UINT}));
    EXPECT_EQ(modal::ShownOf(modal::Kind::MessageBox)[0].style,
              static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(accounts::AccountCount(), 0);
    EXPECT_EQ(StoredProxy(0), "bare|||bare.example|0");
    EXPECT_EQ(StoredProxy(1), "nopw|pu||nopw.example|1");
    EXPECT_EQ(StoredProxy(2), "full|fu|fpw|full.example|0");
    EXPECT_EQ(StoredProxy(3), "<none>");
}

// Proxy details show the stored proxy read-only and write nothing back; delete asks with
// the proxy's name.
TEST_F(AccountsTest, ProxyDetailsAreAViewAndDeleteAsksWithTheName) {
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
TEST_F(AccountsTest, AccountDetailsAreAView) {
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
        for (int id : {IDC_RECORD_NAME, IDC_USER_ID, IDC_PASSWORD, IDC_SERVER}) {
            EXPECT_TRUE(!Enabled(d, id) || ReadOnly(d, id)) << id;
            const QPalette look = Control(d, id)->palette();
            EXPECT_TRUE(!ReadOnly(d, id) ||
                        look.color(QPalette::Base) == look.color(QPalette::Window))
                << "a read-only edit must not look editable: " << id;
        }
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
}

// The password prompt shows the account read-only, with the focus in the hidden password
// edit; Enter there is OK and hands back what was typed.
TEST_F(AccountsTest, PasswordPromptShowsTheAccountAndTakesWhatWasTyped) {
    CPasswordDlg dlg;
    dlg.m_strProtocol = "FTP";
    dlg.m_strServer = "ftp.example.jp";
    dlg.m_strUserID = "山田";
    Expect(IDD_PASSWORD, [](CDialog& d) {
        EXPECT_EQ(FocusId(d), IDC_PASSWORD);
        EXPECT_EQ(Text(d, IDC_SERVER) + "|" + Text(d, IDC_USER_ID) + "|" + Text(d, IDC_PROTOCOL),
                  "ftp.example.jp|山田|FTP");
        EXPECT_TRUE(ReadOnly(d, IDC_SERVER) && ReadOnly(d, IDC_USER_ID) &&
                    ReadOnly(d, IDC_PROTOCOL) && !ReadOnly(d, IDC_PASSWORD));
        EXPECT_TRUE(IsPasswordEdit(d, IDC_PASSWORD));
        Type(d, IDC_PASSWORD, "パス word");
        PressKey(d, IDC_PASSWORD, Qt::Key_Return);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_strPassword, "パス word");
    EXPECT_EQ(dlg.GetDialogWidget(), nullptr) << "the window is gone after DoModal";
}

} // namespace
