// The main window's account list and its details and delete buttons against a real store.
#include "AccountsTest.h"

#include <string>
#include <vector>

namespace {

using accounts_test::Names;
using AccountListTest = accounts_test::Test;

TEST_F(AccountListTest, ListsStoreInOrderWithFirstSelected) {
    for (const char* name : {"A", "B", "C", "A"}) // names are not unique
        AddAccount({.name = name, .userId = "u"});
    CMainDlg& w = OpenMainWindow();
    EXPECT_EQ(ListBoxRows(w, 1007), (Names{"A", "B", "C", "A"}));
    EXPECT_EQ(ListBoxSelection(w, 1007), 0);
}

// An account that cannot be named ends the list; the rows before it stay, row 0 selected.
TEST_F(AccountListTest, ListStopsAtUnnamedAccount) {
    AddAccount({.name = "A", .userId = "ua"});
    KorvexApi& api = theApp.m_api;
    api.KorvexGetDataNum(theApp.m_hInterface, theApp.m_items.record, 0, nullptr);
    api.KorvexSetDataValue(theApp.m_hInterface, theApp.m_items.record, 2001, "nameless");
    api.KorvexSetDataNum(theApp.m_hInterface, theApp.m_items.store, 1014, theApp.m_items.record);
    AddAccount({.name = "C", .userId = "uc"});
    ASSERT_EQ(AccountCount(), 3);
    CMainDlg& w = OpenMainWindow();
    EXPECT_EQ(ListBoxRows(w, 1007), (Names{"A"}));
    EXPECT_EQ(ListBoxSelection(w, 1007), 0);
}

// Without a selected row (empty store, or the selection cleared) both buttons do nothing.
TEST_F(AccountListTest, DetailsAndDeleteNeedASelectedRow) {
    for (bool stored : {false, true}) {
        SCOPED_TRACE(stored);
        if (stored)
            AddAccount({.name = "A", .userId = "ua"});
        CMainDlg& w = OpenMainWindow();
        if (!stored) {
            EXPECT_TRUE(ListBoxRows(w, 1007).empty());
            EXPECT_EQ(ListBoxSelection(w, 1007), -1);
        }
        SelectListBoxRow(w, 1007, -1);
        Click(w, 1026);
        Click(w, 1041);
        EXPECT_TRUE(Shown().empty());
        EXPECT_EQ(AccountCount(), stored ? 1 : 0);
    }
}

// Delete names the account; OK removes it and selects row 0, Cancel keeps all as it was.
TEST_F(AccountListTest, DeleteAsksWithNameAndRemovesOnOk) {
    for (const char* name : {"A", "B", "C"})
        AddAccount({.name = name, .userId = "u"});
    CMainDlg& w = OpenMainWindow();
    struct Step {
        int row;
        int answer;
        const char* asked;
        Names left;
        int selected;
    };
    const Step steps[] = {
        {1, IDCANCEL, "B", {"A", "B", "C"}, 1},
        {2, IDOK, "C", {"A", "B"}, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.asked);
        platform::modal::BeginScript();
        SelectListBoxRow(w, 1007, s.row);
        platform::modal::QueueMessageBox(s.answer);
        Click(w, 1041);
        ASSERT_EQ(Shown().size(), 1u);
        ExpectBox(0, 125, std::string(s.asked) + " というアカウントを削除してもよろしいですか？",
                  MB_OKCANCEL | MB_ICONQUESTION);
        EXPECT_EQ(AccountNames(), s.left);
        EXPECT_EQ(ListBoxRows(w, 1007), s.left);
        EXPECT_EQ(ListBoxSelection(w, 1007), s.selected);
        ExpectNoUnexpectedModals();
    }
}

// Another interface deletes the account first: the delete here fails for real and says so,
// and the list is refilled from the store.
TEST_F(AccountListTest, FailedDeleteShowsMessageAndRefills) {
    for (const char* name : {"A", "B", "C"})
        AddAccount({.name = name, .userId = "u"});
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
    ExpectBox(1, 126, "アカウントを削除するときにエラーが生じました。", MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(ListBoxRows(w, 1007), (Names{"A", "B"}));
    EXPECT_EQ(ListBoxSelection(w, 1007), 0);
}

} // namespace
