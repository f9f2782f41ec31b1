// Fixture for GUI tests of every area: a private KORVEX_HOME, the real libKORVEX bound
// through BindLibrary, the interface and the account item handles made as start-up makes
// them, and the modal seam scripted (see gui_support/ScriptedModal.h).
//
//     class AccountListTest : public gui::GuiTest {};
//     TEST_F(AccountListTest, ShowsStoredAccounts) {
//         AddAccount({.name = "A", .userId = "u"});
//         CMainDlg& w = OpenMainWindow();               // modeless, initialised, shown
//         EXPECT_EQ(ListBoxRows(w, 1007), (std::vector<std::string>{"A"}));
//         platform::modal::QueueMessageBox(IDOK);
//         Click(w, 1041);
//         EXPECT_EQ(Shown().back().id, 125u);
//     }
//
// Built with tovalo_gui_test(name SOURCES ... LABELS ...), which supplies main() (a
// QApplication on the offscreen platform with Qt's Japanese translation).
#pragma once

#include "gui_support/ScriptedModal.h"
#include "library/App.h"
#include "platform/Dialog.h"
#include "res/Resources.h"
#include "ui/MainDlg.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

namespace gui {

// The captions of a window's buttons, check boxes, group boxes and one-line labels each fit
// their control (nothing is cut off).
void ExpectTextsFit(QWidget* window);

// Every member has a default, so designated initializers may leave any out.
struct AccountValues {
    std::string name{};
    std::string userId{};
    int noSavePassword = 0;
    std::string password{};
    std::string server{};
    int passive = 0;
    std::string proxyName{};
};

struct ProxyValues {
    std::string name{};
    std::string server{};
    std::string userId{};
    int noSavePassword = 0;
    std::string password{};
};

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Tests that never reach the library return false: they run even where libKORVEX.so
    // is missing (the others are skipped there).
    virtual bool NeedsLibrary() const { return true; }
    // Fails the test for every modal interaction that was not scripted (see
    // ExpectNoUnexpectedModals), then closes the window and the interface.
    void TearDown() override;

    // --- library ---
    // Folder that KORVEX_HOME names for this test.
    std::string KorvexHome() const { return m_home ? m_home->path().toStdString() : ""; }
    // Writes an account / proxy record and appends it to the store, as the dialogs'
    // openers do.
    void AddAccount(const AccountValues& a);
    void AddProxy(const ProxyValues& p);

    // --- main window ---
    // Creates the main window modeless (OnInitDialog has run, the window is shown); Dlg may
    // be a subclass that records what the window is told.
    template <class Dlg = CMainDlg> Dlg& OpenMainWindow(const std::string& userName = {}) {
        CloseMainWindow();
        m_main = std::make_unique<Dlg>();
        ShowMainWindow(userName);
        return static_cast<Dlg&>(*m_main);
    }
    void CloseMainWindow();

    // --- controls (any dialog) ---
    static QWidget* Control(CDialog& dlg, int id) {
        CWnd* w = dlg.GetDlgItem(id);
        return w ? w->widget() : nullptr;
    }
    static void Click(CDialog& dlg, int id); // a real mouse click on the control
    static void Type(CDialog& dlg, int id, const std::string& text); // keystrokes
    static void SetText(CDialog& dlg, int id, const std::string& text);
    static std::string Text(CDialog& dlg, int id) {
        CWnd* w = dlg.GetDlgItem(id);
        return w ? w->GetWindowText() : std::string();
    }
    static std::string SelectedText(CDialog& dlg, int id); // edits
    static bool Enabled(CDialog& dlg, int id) {
        QWidget* w = Control(dlg, id);
        return w && w->isEnabled();
    }
    // The control's own visibility flag.
    static bool Visible(CDialog& dlg, int id) {
        QWidget* w = Control(dlg, id);
        return w && !w->isHidden();
    }
    static bool Checked(CDialog& dlg, int id);
    static void PressKey(CDialog& dlg, int id, int qtKey); // focus the control, press the key
    static int FocusId(CDialog& dlg);                      // 0: none
    static std::vector<std::vector<std::string>> Rows(CDialog& dlg, int listViewId);
    static void SelectRows(CDialog& dlg, int listViewId, const std::vector<int>& rows);
    static std::vector<std::string> ListBoxRows(CDialog& dlg, int listBoxId);
    static int ListBoxSelection(CDialog& dlg, int id) {
        return CListBox(Control(dlg, id)).GetCurSel();
    }
    static void SelectListBoxRow(CDialog& dlg, int id, int row) {
        CListBox(Control(dlg, id)).SetCurSel(row);
    }
    static std::vector<std::string> ComboRows(CDialog& dlg, int comboId);
    static int ComboSelection(CDialog& dlg, int comboId) {
        return CComboBox(Control(dlg, comboId)).GetCurSel();
    }
    static void ProcessEvents() { QCoreApplication::processEvents(); }

    static std::string Str(int id) { return std::string(res::LoadString(id)); } // string table

    // --- modal seam shortcuts ---
    static const std::vector<platform::modal::Record>& Shown() { return platform::modal::Shown(); }
    static std::vector<UINT> ShownBoxIds() { return platform::modal::ShownBoxIds(); }
    static void ExpectNoUnexpectedModals() {
        for (const std::string& e : platform::modal::Errors())
            ADD_FAILURE() << e;
    }

private:
    void ShowMainWindow(const std::string& userName);

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<CMainDlg> m_main;
    bool m_interfaceOpen = false;
};

} // namespace gui
