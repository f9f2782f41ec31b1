// The progress dialog of browse runs: status texts, the stop button, Esc and close.
#include "gui_support/GuiTest.h"

#include "res/Ids.h"
#include "res/Resources.h"

#include <QDialog>

namespace {

using ProgressTest = gui::GuiTest;

std::string Str(int id) {
    return std::string(res::LoadString(id));
}

TEST_F(ProgressTest, EachStepShowsItsTextAndOtherValuesKeepTheLast) {
    CMainDlg& w = OpenMainWindow();
    CConnectingDlg& c = w.m_dlgConnecting;
    for (auto [percent, text] : {std::pair{10, IDS_STATUS_CONNECTING},
                                 {20, IDS_STATUS_CONNECTED},
                                 {30, IDS_STATUS_FOLDERS},
                                 {40, IDS_STATUS_FILES},
                                 {100, IDS_STATUS_DONE},
                                 {55, IDS_STATUS_DONE}}) {
        w.OnBrowseProgress(percent);
        EXPECT_EQ(Text(c, IDC_STATUS), Str(text)) << percent;
        EXPECT_EQ(c.m_progress.GetPos(), percent);
    }
}

// Stop (clicked, or Enter) asks the run to stop and says so each time; Escape and the close
// box do nothing. The dialog stays until the run ends.
TEST_F(ProgressTest, StopRequestsTheStopAndEscapeAndCloseDoNothing) {
    CMainDlg& w = OpenMainWindow();
    CConnectingDlg& c = w.m_dlgConnecting;
    c.ShowWindow(SW_SHOW);
    w.EnableWindow(FALSE); // as during a run
    w.m_bCancel = 0;
    PressKey(c, IDC_STATUS, Qt::Key_Escape);
    c.GetDialogWidget()->close();
    ProcessEvents();
    EXPECT_TRUE(c.IsWindowVisible());
    EXPECT_EQ(w.m_bCancel.load(), 0);
    for (int i = 0; i < 2; ++i) {
        w.m_bCancel = 0;
        SetText(c, IDC_STATUS, "");
        if (i == 0)
            Click(c, IDOK);
        else
            PressKey(c, IDC_STATUS, Qt::Key_Return);
        EXPECT_EQ(w.m_bCancel.load(), 1);
        EXPECT_EQ(Text(c, IDC_STATUS), Str(IDS_STATUS_STOPPING));
        EXPECT_TRUE(c.IsWindowVisible() && Enabled(c, IDOK));
    }
    // A progress message of the same run replaces the stop text.
    w.OnBrowseProgress(40);
    EXPECT_EQ(Text(c, IDC_STATUS), Str(IDS_STATUS_FILES));
}

} // namespace
