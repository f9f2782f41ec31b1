// Fixture of the account tests: dialog helpers, and stored records read back through the
// library without the code under test.
#pragma once

#include "gui_support/GuiTest.h"

#include "library/App.h"
#include "library/Globals.h"
#include "platform/Win.h"
#include "res/Ids.h"

#include <QLineEdit>

#include <functional>
#include <map>

namespace modal = platform::modal;

namespace accounts_test {

using Names = std::vector<std::string>;
using Fields = std::map<int, std::string>; // numbers as "#n"

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
    // Every field of entry `i` of the store's account or proxy list.
    Fields StoredAt(int list, int i) const {
        const int item =
            list == KORVEX_FIELD_ACCOUNT ? theApp.m_items.record : theApp.m_items.proxy;
        Fields out;
        if (!theApp.m_api.KorvexTestData(theApp.m_hInterface, theApp.m_items.store, list, i, item))
            return {{0, "<none>"}};
        for (int field : {KORVEX_FIELD_NAME, KORVEX_FIELD_PASSWORD, KORVEX_FIELD_SERVER_TYPE,
                          KORVEX_FIELD_HOST, KORVEX_FIELD_USER_ID, KORVEX_FIELD_NO_PASSWORD,
                          KORVEX_FIELD_PASSIVE, KORVEX_FIELD_PROXY}) {
            char buf[KORVEX_TEXT_BUFFER] = {};
            int num = 0;
            if (theApp.m_api.KorvexGetDataValue(theApp.m_hInterface, item, field, buf, sizeof buf))
                out[field] = buf;
            else if (theApp.m_api.KorvexGetDataNum(theApp.m_hInterface, item, field, &num))
                out[field] = "#" + std::to_string(num);
        }
        return out;
    }
    Names ProxyNames() const {
        Names out;
        for (int i = 0; StoredAt(KORVEX_FIELD_PROXY, i).count(0) == 0; ++i)
            out.push_back(FieldText(theApp.m_items.proxy, KORVEX_FIELD_NAME));
        return out;
    }
};

} // namespace accounts_test
