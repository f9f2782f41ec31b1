// The main window's account list and its delete button against a real store.
#include "gui_support/GuiTest.h"

#include "library/App.h"
#include "library/Globals.h"
#include "platform/Modal.h"
#include "platform/Win.h"

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

gui::AccountValues Account(const std::string& name, const std::string& user,
                           const std::string& server = {}) {
    gui::AccountValues a;
    a.name = name;
    a.userId = user;
    a.server = server;
    return a;
}

class AccountListTest : public gui::GuiTest {
protected:
    void AddThree() {
        AddAccount(Account("A", "ua", "a.example"));
        AddAccount(Account("B", "ub", "b.example"));
        AddAccount(Account("C", "uc", "c.example"));
    }
};

TEST_F(AccountListTest, EmptyStoreGivesEmptyListAndButtonsDoNothing) {
    CMainDlg& w = OpenMainWindow();
    EXPECT_TRUE(ListBoxRows(w, 1007).empty());
    EXPECT_EQ(ListBoxSelection(w, 1007), -1);
    Click(w, 1041);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(AccountCount(), 0);
}

TEST_F(AccountListTest, ListsStoreInOrderWithFirstSelected) {
    AddThree();
    AddAccount(Account("A", "again")); // names are not unique
    CMainDlg& w = OpenMainWindow();
    EXPECT_EQ(ListBoxRows(w, 1007), (Names{"A", "B", "C", "A"}));
    EXPECT_EQ(ListBoxSelection(w, 1007), 0);
}

// An account that cannot be named ends the list; the rows before it stay, row 0 selected.
TEST_F(AccountListTest, ListStopsAtUnnamedAccount) {
    AddAccount(Account("A", "ua"));
    KorvexApi& api = theApp.m_api;
    api.KorvexGetDataNum(theApp.m_hInterface, g_hAccountRecord, 0, nullptr);
    api.KorvexSetDataValue(theApp.m_hInterface, g_hAccountRecord, 2001, "nameless");
    api.KorvexSetDataNum(theApp.m_hInterface, g_hAccountStore, 1014, g_hAccountRecord);
    AddAccount(Account("C", "uc"));
    ASSERT_EQ(AccountCount(), 3);
    CMainDlg& w = OpenMainWindow();
    EXPECT_EQ(ListBoxRows(w, 1007), (Names{"A"}));
    EXPECT_EQ(ListBoxSelection(w, 1007), 0);
}

TEST_F(AccountListTest, DeleteAsksWithNameAndRemovesRecord) {
    AddThree();
    CMainDlg& w = OpenMainWindow();
    SelectListBoxRow(w, 1007, 2);
    platform::modal::QueueMessageBox(IDOK);
    Click(w, 1041);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].id, 125u);
    EXPECT_EQ(Shown()[0].text, "C というアカウントを削除してもよろしいですか？");
    EXPECT_EQ(Shown()[0].style, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(AccountNames(), (Names{"A", "B"}));
    EXPECT_EQ(ListBoxRows(w, 1007), (Names{"A", "B"}));
    EXPECT_EQ(ListBoxSelection(w, 1007), 0);
}

TEST_F(AccountListTest, CancelKeepsStoreListAndSelection) {
    AddThree();
    CMainDlg& w = OpenMainWindow();
    SelectListBoxRow(w, 1007, 1);
    platform::modal::QueueMessageBox(IDCANCEL);
    Click(w, 1041);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text, "B というアカウントを削除してもよろしいですか？");
    EXPECT_EQ(AccountNames(), (Names{"A", "B", "C"}));
    EXPECT_EQ(ListBoxRows(w, 1007), (Names{"A", "B", "C"}));
    EXPECT_EQ(ListBoxSelection(w, 1007), 1);
}

} // namespace
