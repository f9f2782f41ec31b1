// The six-page setup wizard in the FTP panel.
#include "gui_support/GuiTest.h"

#include "res/Ids.h"
#include "res/Resources.h"

#include <set>

namespace {

class WizardTest : public gui::GuiTest {
protected:
    // On a page the wizard's text shows and the browser's controls hide; the buttons and
    // the panel are named after the wizard's steps.
    static void ExpectWizard(CMainDlg& w, bool on) {
        EXPECT_EQ(w.m_bWizard, on);
        EXPECT_EQ(Visible(w, IDC_WIZARD_TEXT), on);
        for (int id : {IDC_SHOW, IDC_FOLDER, IDC_REMOTE, IDC_ADD_REMOTE})
            EXPECT_EQ(Visible(w, id), !on) << id;
        const std::vector<int> names = {IDC_BACK_OR_CONNECT, IDC_NEXT_OR_PARENT, IDC_SERVER_PANEL,
                                        IDC_WIZARD};
        const std::vector<int> texts =
            on ? std::vector<int>{IDS_BACK, IDS_NEXT, IDS_WIZARD_CAPTION, IDS_STOP_WIZARD}
               : std::vector<int>{IDS_CONNECT, IDS_PARENT_FOLDER, IDS_SERVER_PANEL, IDS_WIZARD};
        for (std::size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(Text(w, names[i]), res::LoadString(texts[i])) << names[i];
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
        ExpectWizard(w, true);
        EXPECT_EQ(w.m_nWizardPage, page);
        texts.insert(Text(w, IDC_WIZARD_TEXT));
        EXPECT_EQ(FocusId(w), page < 5 ? focus[page] : IDC_NEXT_OR_PARENT) << page;
    }
    EXPECT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts.count(""), 0u);
    EXPECT_EQ(SelectedText(w, IDC_TITLE), "") << "only pages 0 and 1 select their edit";
    for (int i = 0; i < 4; ++i)
        Click(w, IDC_BACK_OR_CONNECT);
    EXPECT_EQ(w.m_nWizardPage, 1);
    EXPECT_EQ(SelectedText(w, IDC_TITLE), "bbs");
    Click(w, IDC_BACK_OR_CONNECT);
    w.m_editName.SetSel(-1, 0);
    Click(w, IDC_BACK_OR_CONNECT);
    EXPECT_EQ(w.m_nWizardPage, 0);
    EXPECT_EQ(SelectedText(w, IDC_NAME), "yamada");
    for (int i = 0; i < 6; ++i)
        Click(w, IDC_NEXT_OR_PARENT);
    ExpectWizard(w, false);
    EXPECT_EQ(w.m_nWizardPage, 0);
    EXPECT_TRUE(Shown().empty()) << "the wizard checks nothing";
}

// An empty name does not hold Next back; stopping keeps the page, restarting begins at 0.
// What the user typed survives every step.
TEST_F(WizardTest, StoppingAndRestartingKeepsWhatWasTyped) {
    CMainDlg& w = OpenMainWindow("");
    Click(w, IDC_NEXT_OR_PARENT);
    Type(w, IDC_TITLE, "掲示板データ");
    Click(w, IDC_NEXT_OR_PARENT);
    Click(w, IDC_COMPRESS);
    Type(w, IDC_ARCHIVE_NAME, "arc");
    Click(w, IDC_NEXT_OR_PARENT);
    Type(w, IDC_MASK, "*.log");
    Click(w, IDC_WIZARD);
    ExpectWizard(w, false);
    EXPECT_EQ(w.m_nWizardPage, 3) << "stopping keeps the page number";
    SetText(w, IDC_FOLDER, "/pub");
    Click(w, IDC_WIZARD);
    ExpectWizard(w, true);
    EXPECT_EQ(w.m_nWizardPage, 0);
    EXPECT_EQ(FocusId(w), IDC_NAME);
    Click(w, IDC_NEXT_OR_PARENT);
    EXPECT_EQ(Text(w, IDC_TITLE), "掲示板データ");
    EXPECT_TRUE(Checked(w, IDC_COMPRESS));
    EXPECT_EQ(Text(w, IDC_ARCHIVE_NAME), "arc");
    EXPECT_EQ(Text(w, IDC_MASK), "*.log");
    EXPECT_EQ(Text(w, IDC_FOLDER), "/pub");
    EXPECT_TRUE(Shown().empty());
}

} // namespace
