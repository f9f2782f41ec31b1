// The six-page setup wizard in the FTP panel.
#include "gui_support/GuiTest.h"

#include "res/Resources.h"

namespace {

std::string Str(int id) {
    return std::string(res::LoadString(id));
}

class WizardTest : public gui::GuiTest {
protected:
    void ExpectPage(CMainDlg& w, int page) {
        static const int kText[] = {106, 113, 116, 117, 118, 119};
        SCOPED_TRACE("page " + std::to_string(page));
        EXPECT_TRUE(w.m_bWizard);
        EXPECT_EQ(w.m_nWizardPage, page);
        EXPECT_EQ(Text(w, 1032), Str(kText[page]));
        EXPECT_TRUE(Visible(w, 1032));
        for (int id : {1024, 1019, 1021, 1023})
            EXPECT_FALSE(Visible(w, id)) << id;
        EXPECT_EQ(Text(w, 1030), "Tovalo・ウィザード");
        EXPECT_EQ(Text(w, 1033), "戻る");
        EXPECT_EQ(Text(w, 1028), "次へ");
        EXPECT_EQ(Text(w, 1029), "ウィザード中止");
    }
    void ExpectOff(CMainDlg& w) {
        EXPECT_FALSE(w.m_bWizard);
        EXPECT_FALSE(Visible(w, 1032));
        for (int id : {1024, 1019, 1021, 1023})
            EXPECT_TRUE(Visible(w, id)) << id;
        EXPECT_EQ(Text(w, 1030), "FTP サーバー");
        EXPECT_EQ(Text(w, 1033), "接続");
        EXPECT_EQ(Text(w, 1028), "親フォルダ");
        EXPECT_EQ(Text(w, 1029), "ウィザード");
    }
};

TEST_F(WizardTest, NextWalksThePagesMovingTheFocusAndEndsAfterTheLast) {
    CMainDlg& w = OpenMainWindow("yamada");
    SetText(w, 1002, "bbs");
    const int focus[] = {1000, 1002, 1027, 1007, 1013};
    ExpectPage(w, 0);
    for (int page = 1; page <= 5; ++page) {
        Click(w, 1028);
        ExpectPage(w, page);
        if (page < 5) {
            EXPECT_EQ(FocusId(w), focus[page]) << "page " << page;
        }
    }
    EXPECT_EQ(SelectedText(w, 1002), "") << "only pages 0 and 1 select their edit";
    for (int i = 0; i < 4; ++i)
        Click(w, 1033);
    ExpectPage(w, 1); // page 1 selects the whole title
    EXPECT_EQ(SelectedText(w, 1002), "bbs");
    for (int i = 0; i < 4; ++i)
        Click(w, 1028);
    ExpectPage(w, 5);
    const int focusBefore = FocusId(w);
    EXPECT_EQ(focusBefore, 1028) << "page 5 leaves the focus where it was";

    Click(w, 1028);
    ExpectOff(w);
    EXPECT_EQ(w.m_nWizardPage, 0);
    EXPECT_TRUE(ShownBoxIds().empty()) << "the wizard checks nothing";
    ExpectNoUnexpectedModals();
}

TEST_F(WizardTest, BackStepsDownAndStaysOnTheFirstPageSelectingTheName) {
    CMainDlg& w = OpenMainWindow("yamada");
    for (int i = 0; i < 3; ++i)
        Click(w, 1028);
    ExpectPage(w, 3);
    for (int page = 2; page >= 0; --page) {
        Click(w, 1033);
        ExpectPage(w, page);
    }
    w.m_editName.SetSel(-1, 0);
    ASSERT_EQ(SelectedText(w, 1000), "");
    Click(w, 1033);
    ExpectPage(w, 0);
    EXPECT_EQ(FocusId(w), 1000);
    EXPECT_EQ(SelectedText(w, 1000), "yamada");
}

TEST_F(WizardTest, StoppingAndRestartingBeginsAtPageZero) {
    CMainDlg& w = OpenMainWindow();
    for (int i = 0; i < 3; ++i)
        Click(w, 1028);
    Click(w, 1029);
    ExpectOff(w);
    EXPECT_EQ(w.m_nWizardPage, 3) << "stopping keeps the page number";
    Click(w, 1029);
    ExpectPage(w, 0);
    EXPECT_EQ(FocusId(w), 1000);
}

TEST_F(WizardTest, WhatTheUserTypedSurvivesEveryWizardStep) {
    CMainDlg& w = OpenMainWindow("");
    Type(w, 1000, "佐藤");
    Click(w, 1028);
    Type(w, 1002, "掲示板データ");
    Click(w, 1028);
    Click(w, 1027);
    Type(w, 1004, "arc");
    Type(w, 1013, "/pub/a.txt");
    Type(w, 1047, "*.log");
    Click(w, 1033);
    Click(w, 1029);
    SetText(w, 1019, "/pub");
    Click(w, 1029);
    Click(w, 1028);
    EXPECT_EQ(Text(w, 1000), "佐藤");
    EXPECT_EQ(Text(w, 1002), "掲示板データ");
    EXPECT_TRUE(Checked(w, 1027));
    EXPECT_EQ(Text(w, 1004), "arc");
    EXPECT_EQ(Text(w, 1013), "/pub/a.txt");
    EXPECT_EQ(Text(w, 1047), "*.log");
    EXPECT_EQ(Text(w, 1019), "/pub");
}

TEST_F(WizardTest, EmptyNameDoesNotHoldNextBack) {
    CMainDlg& w = OpenMainWindow("");
    SetText(w, 1000, "");
    Click(w, 1028);
    ExpectPage(w, 1);
    EXPECT_TRUE(Shown().empty());
}

} // namespace
