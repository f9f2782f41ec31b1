#include "gui_support/GuiTest.h"

#include <QDialog>
#include <QPixmap>

namespace {

class MainWindowTest : public gui::GuiTest {
protected:
    bool NeedsLibrary() const override { return false; }
};

TEST_F(MainWindowTest, OpensOnWizardPageZero) {
    CMainDlg& w = OpenMainWindow("yamada");
    EXPECT_EQ(Text(w, 1000), "yamada");
    EXPECT_TRUE(Visible(w, 1032));
    EXPECT_FALSE(Visible(w, 1021));
    w.GetDialogWidget()->grab().save("/tmp/spine_main.png");
}

} // namespace
