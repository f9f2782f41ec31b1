// The six-page setup wizard in the FTP panel.
#include "gui_support/GuiTest.h"

#include "res/Ids.h"
#include "res/Resources.h"

#include <set>

namespace {

std::string Str(int id) {
    return std::string(res::LoadString(id));
}

class WizardTest : public gui::GuiTest {
protected:
    // The wizard on `page`: its text shown, the browser's controls hidden.
    static void ExpectPage(CMainDlg& w, int page) {
        SCOPED_TRACE("page " + std::to_string(page));
        EXPECT_TRUE(w.m_bWizard);
        EXPECT_EQ(w.m_nWizardPage, page);
        EXPECT_TRUE(Visible(w, IDC_WIZARD_TEXT));
        for (int id : {IDC_SHOW, IDC_FOLDER, IDC_REMOTE, IDC_ADD_REMOTE})
            EXPECT_FALSE(Visible(w, id)) << id;
        EXPECT_EQ(Text(w, IDC_BACK_OR_CONNECT), Str(IDS_BACK));
        EXPECT_EQ(Text(w, IDC_NEXT_OR_PARENT), Str(IDS_NEXT));
        EXPECT_EQ(Text(w, IDC_SERVER_PANEL), Str(IDS_WIZARD_CAPTION));
        EXPECT_EQ(Text(w, IDC_WIZARD), Str(IDS_STOP_WIZARD));
    }
    static void ExpectOff(CMainDlg& w) {
        EXPECT_FALSE(w.m_bWizard);
        EXPECT_FALSE(Visible(w, IDC_WIZARD_TEXT));
        for (int id : {IDC_SHOW, IDC_FOLDER, IDC_REMOTE, IDC_ADD_REMOTE})
            EXPECT_TRUE(Visible(w, id)) << id;
        EXPECT_EQ(Text(w, IDC_BACK_OR_CONNECT), Str(IDS_CONNECT));
        EXPECT_EQ(Text(w, IDC_NEXT_OR_PARENT), Str(IDS_PARENT_FOLDER));
        EXPECT_EQ(Text(w, IDC_SERVER_PANEL), Str(IDS_SERVER_PANEL));
        EXPECT_EQ(Text(w, IDC_WIZARD), Str(IDS_WIZARD));
    }
};

// Every page has its own text; pages 0 and 1 select their edit, the last page leaves the
// focus where it was, and Next on it ends the wizard. Back stops at the first page.
TEST_F(WizardTest, NextAndBackWalkThePagesMovingTheFocus) {
    CMainDlg& w = OpenMainWindow("yamada");
    SetText(w, IDC_TITLE, "bbs");
    const int focus[] = {IDC_NAME, IDC_TITLE, IDC_COMPRESS, IDC_ACCOUNTS, IDC_ADD_PATH};
    std::set<std::string> texts;
    for (int page = 0; page <= 5; ++page) {
        if (page > 0)
            Click(w, IDC_NEXT_OR_PARENT);
        ExpectPage(w, page);
        texts.insert(Text(w, IDC_WIZARD_TEXT));
        EXPECT_EQ(FocusId(w), page < 5 ? focus[page] : IDC_NEXT_OR_PARENT) << page;
    }
    EXPECT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts.count(""), 0u);
    EXPECT_EQ(SelectedText(w, IDC_TITLE), "") << "only pages 0 and 1 select their edit";
    for (int i = 0; i < 4; ++i)
        Click(w, IDC_BACK_OR_CONNECT);
    ExpectPage(w, 1);
    EXPECT_EQ(SelectedText(w, IDC_TITLE), "bbs");
    Click(w, IDC_BACK_OR_CONNECT);
    w.m_editName.SetSel(-1, 0);
    Click(w, IDC_BACK_OR_CONNECT);
    ExpectPage(w, 0);
    EXPECT_EQ(FocusId(w), IDC_NAME);
    EXPECT_EQ(SelectedText(w, IDC_NAME), "yamada");
    for (int i = 0; i < 6; ++i)
        Click(w, IDC_NEXT_OR_PARENT);
    ExpectOff(w);
    EXPECT_EQ(w.m_nWizardPage, 0);
    EXPECT_TRUE(ShownBoxIds().empty()) << "the wizard checks nothing";
    ExpectNoUnexpectedModals();
}

// An empty name does not hold Next back; stopping keeps the page, restarting begins at 0.
TEST_F(WizardTest, StoppingAndRestartingBeginsAtPageZero) {
    CMainDlg& w = OpenMainWindow("");
    for (int i = 0; i < 3; ++i)
        Click(w, IDC_NEXT_OR_PARENT);
    Click(w, IDC_WIZARD);
    ExpectOff(w);
    EXPECT_EQ(w.m_nWizardPage, 3) << "stopping keeps the page number";
    Click(w, IDC_WIZARD);
    ExpectPage(w, 0);
    EXPECT_EQ(FocusId(w), IDC_NAME);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(WizardTest, WhatTheUserTypedSurvivesEveryWizardStep) {
    CMainDlg& w = OpenMainWindow("");
    Type(w, IDC_NAME, "佐藤");
    Click(w, IDC_NEXT_OR_PARENT);
    Type(w, IDC_TITLE, "掲示板データ");
    Click(w, IDC_NEXT_OR_PARENT);
    Click(w, IDC_COMPRESS);
    Type(w, IDC_ARCHIVE_NAME, "arc");
    Type(w, IDC_ADD_PATH, "/pub/a.txt");
    Type(w, IDC_MASK, "*.log");
    Click(w, IDC_BACK_OR_CONNECT);
    Click(w, IDC_WIZARD);
    SetText(w, IDC_FOLDER, "/pub");
    Click(w, IDC_WIZARD);
    Click(w, IDC_NEXT_OR_PARENT);
    EXPECT_EQ(Text(w, IDC_NAME), "佐藤");
    EXPECT_EQ(Text(w, IDC_TITLE), "掲示板データ");
    EXPECT_TRUE(Checked(w, IDC_COMPRESS));
    EXPECT_EQ(Text(w, IDC_ARCHIVE_NAME), "arc");
    EXPECT_EQ(Text(w, IDC_ADD_PATH), "/pub/a.txt");
    EXPECT_EQ(Text(w, IDC_MASK), "*.log");
    EXPECT_EQ(Text(w, IDC_FOLDER), "/pub");
}

} // namespace
