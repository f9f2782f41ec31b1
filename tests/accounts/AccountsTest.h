// Fixture of the account tests: dialog helpers, and stored records read back whole.
#pragma once

#include "gui_support/GuiTest.h"

#include "accounts/Store.h"
#include "library/App.h"
#include "library/Globals.h"
#include "platform/Win.h"
#include "res/Ids.h"

#include <QLineEdit>

#include <functional>

namespace modal = platform::modal;

namespace accounts_test {

using Names = std::vector<std::string>;

class Test : public gui::GuiTest {
protected:
    void TearDown() override {
        ExpectNoUnexpectedModals();
        gui::GuiTest::TearDown();
    }
    static bool IsOpen(CDialog& d) {
        return d.GetDialogWidget() && d.GetDialogWidget()->isVisible();
    }
    static bool ReadOnly(CDialog& d, int id) {
        auto* e = qobject_cast<QLineEdit*>(Control(d, id));
        return e && e->isReadOnly();
    }
    static bool IsPasswordEdit(CDialog& d, int id) {
        auto* e = qobject_cast<QLineEdit*>(Control(d, id));
        return e && e->echoMode() == QLineEdit::Password;
    }
    // Answers the next dialog `templateId` by running `script`; DoModal then returns what
    // the dialog ended with. `boxes` message boxes that follow are answered with OK.
    static void Expect(UINT templateId, std::function<void(CDialog&)> script, int boxes = 0) {
        modal::QueueDialog(templateId, [script](CDialog& d) {
            script(d);
            return modal::kAsEnded;
        });
        for (int i = 0; i < boxes; ++i)
            modal::QueueMessageBox(IDOK);
    }
    // Stored account `i` as "name|user|password|server|proxy|noSave passive", with the
    // password as stored, which no dialog shows.
    static std::string StoredAccount(int i) {
        if (!accounts::LoadAccount(i))
            return "<none>";
        const accounts::AccountFields a = accounts::ReadLoadedAccount();
        return a.name + "|" + a.userId + "|" +
               accounts::ReadTextOrEmpty(theApp.m_items.record, KORVEX_FIELD_PASSWORD) + "|" +
               a.server + "|" + a.proxyName + "|" + std::to_string(a.noSavePassword) + " " +
               std::to_string(a.passive);
    }
    // Stored proxy `i` as "name|user|password|server|noSave".
    static std::string StoredProxy(int i) {
        if (!accounts::LoadProxy(i))
            return "<none>";
        const accounts::ProxyFields p = accounts::ReadLoadedProxy();
        return p.name + "|" + p.userId + "|" + p.password + "|" + p.server + "|" +
               std::to_string(accounts::ReadNumber(theApp.m_items.proxy, KORVEX_FIELD_NO_PASSWORD));
    }
};

} // namespace accounts_test
