// The main window's account list and its details and delete buttons against a real store,
// and the store layer where no dialog reaches it.
#include "AccountsTest.h"

namespace {

using accounts_test::Names;
using AccountListTest = accounts_test::Test;

// Names are not unique; a record that cannot be named ends the list, the rows before it
// stay, and row 0 is selected.
TEST_F(AccountListTest, ListsStoreInOrderUpToAnUnnamedRecord) {
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

// Without a selected row both buttons do nothing.
TEST_F(AccountListTest, DetailsAndDeleteNeedASelectedRow) {
    AddAccount({.name = "A", .userId = "ua"});
    CMainDlg& w = OpenMainWindow();
    SelectListBoxRow(w, IDC_ACCOUNTS, -1);
    Click(w, IDC_ACCOUNT_DETAILS);
    Click(w, IDC_DELETE_ACCOUNT);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(AccountCount(), 1);
}

// Delete names the account; OK removes it and selects row 0, Cancel keeps all as it was.
// When another interface deleted it first, the delete says so and the list is refilled.
TEST_F(AccountListTest, DeleteAsksWithNameAndRemovesOnOk) {
    for (const char* name : {"A", "B", "C", "D"})
        AddAccount({.name = name, .userId = "u"});
    CMainDlg& w = OpenMainWindow();
    struct Step {
        int row, answer;
        const char* asked;
        Names left;
        int selected;
    };
    for (const Step& s : {Step{1, IDCANCEL, "B", {"A", "B", "C", "D"}, 1},
                          Step{2, IDOK, "C", {"A", "B", "D"}, 0}}) {
        SCOPED_TRACE(s.asked);
        modal::BeginScript();
        SelectListBoxRow(w, IDC_ACCOUNTS, s.row);
        modal::QueueMessageBox(s.answer);
        Click(w, IDC_DELETE_ACCOUNT);
        ASSERT_EQ(ShownBoxIds(), std::vector<UINT>{IDS_CONFIRM_DELETE_RECORD});
        EXPECT_EQ(Shown()[0].text,
                  std::string(s.asked) + " というアカウントを削除してもよろしいですか？");
        EXPECT_EQ(AccountNames(), s.left);
        EXPECT_EQ(ListBoxRows(w, IDC_ACCOUNTS), s.left);
        EXPECT_EQ(ListBoxSelection(w, IDC_ACCOUNTS), s.selected);
    }

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

} // namespace
