// The progress dialog of browse runs: status texts, the stop button, Esc and close.
#include "gui_support/GuiTest.h"

#include "res/Ids.h"
#include "res/Resources.h"

#include <QDialog>

namespace {

std::string Str(int id) {
    return std::string(res::LoadString(id));
}

class ProgressTest : public gui::GuiTest {};

TEST_F(ProgressTest, EachStepShowsItsTextAndOtherValuesKeepTheLast) {
    CMainDlg& w = OpenMainWindow();
    CConnectingDlg& c = w.m_dlgConnecting;
    const std::pair<int, int> steps[] = {{10, IDS_STATUS_CONNECTING},
                                         {20, IDS_STATUS_CONNECTED},
                                         {30, IDS_STATUS_FOLDERS},
                                         {40, IDS_STATUS_FILES},
                                         {100, IDS_STATUS_DONE}};
    for (auto [percent, text] : steps) {
        w.OnBrowseProgress(percent);
        EXPECT_EQ(Text(c, IDC_STATUS), Str(text)) << percent;
        EXPECT_EQ(c.m_progress.GetPos(), percent);
    }
    w.OnBrowseProgress(55);
    EXPECT_EQ(Text(c, IDC_STATUS), Str(IDS_STATUS_DONE));
    EXPECT_EQ(c.m_progress.GetPos(), 55);
}

TEST_F(ProgressTest, StopPressedTwiceRequestsTheStopAndSaysSoEachTime) {
    CMainDlg& w = OpenMainWindow();
    CConnectingDlg& c = w.m_dlgConnecting;
    // As during a run: the progress dialog shown, the main window disabled.
    c.ShowWindow(SW_SHOW);
    w.EnableWindow(FALSE);
    w.m_bCancel = 0;
    Click(c, IDOK);
    EXPECT_EQ(w.m_bCancel.load(), 1);
    EXPECT_EQ(Text(c, IDC_STATUS), Str(IDS_STATUS_STOPPING));
    EXPECT_TRUE(c.IsWindowVisible());
    EXPECT_TRUE(Enabled(c, IDOK));

    SetText(c, IDC_STATUS, "");
    Click(c, IDOK);
    EXPECT_EQ(w.m_bCancel.load(), 1);
    EXPECT_EQ(Text(c, IDC_STATUS), Str(IDS_STATUS_STOPPING));
    EXPECT_TRUE(c.IsWindowVisible());

    // A progress message of the same run replaces the stop text.
    w.OnBrowseProgress(40);
    EXPECT_EQ(Text(c, IDC_STATUS), Str(IDS_STATUS_FILES));
}

TEST_F(ProgressTest, EscapeAndTheCloseBoxDoNothing) {
    CMainDlg& w = OpenMainWindow();
    CConnectingDlg& c = w.m_dlgConnecting;
    c.ShowWindow(SW_SHOW);
    w.m_bCancel = 0;
    PressKey(c, IDC_STATUS, Qt::Key_Escape);
    EXPECT_TRUE(c.IsWindowVisible());
    c.GetDialogWidget()->close();
    ProcessEvents();
    EXPECT_TRUE(c.IsWindowVisible());
    EXPECT_EQ(w.m_bCancel.load(), 0);
    // Enter is the stop button.
    PressKey(c, IDC_STATUS, Qt::Key_Return);
    EXPECT_EQ(w.m_bCancel.load(), 1);
    EXPECT_TRUE(c.IsWindowVisible());
}

} // namespace
