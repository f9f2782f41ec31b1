// Fixture of the account tests: dialog helpers, and stored records read back through the
// library without the code under test.
#pragma once

#include "gui_support/GuiTest.h"

#include "gui_support/ScriptedModal.h"
#include "library/App.h"
#include "library/Globals.h"
#include "platform/Win.h"
#include "res/Ids.h"

#include <QLineEdit>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

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
        platform::modal::QueueDialog(templateId, [script](CDialog& d) {
            script(d);
            return platform::modal::kAsEnded;
        });
        for (int i = 0; i < boxes; ++i)
            platform::modal::QueueMessageBox(IDOK);
    }
    static void ExpectBox(std::size_t i, UINT id, UINT style) {
        ASSERT_LT(i, Shown().size());
        EXPECT_EQ(Shown()[i].kind, platform::modal::Kind::MessageBox);
        EXPECT_EQ(Shown()[i].id, id);
        EXPECT_EQ(Shown()[i].style, style);
    }

    // Loads entry `i` of the store's account or proxy list into its record handle.
    static bool LoadAccountAt(int i) {
        return Load(KORVEX_FIELD_ACCOUNT, i, theApp.m_items.record);
    }
    static bool LoadProxyAt(int i) { return Load(KORVEX_FIELD_PROXY, i, theApp.m_items.proxy); }
    static bool Load(int list, int i, int record) {
        return theApp.m_api.KorvexTestData(theApp.m_hInterface, theApp.m_items.store, list, i,
                                           record) != 0;
    }
    // The loaded record holds exactly the fields of `texts` and `numbers`, with these values.
    void ExpectRecord(int item, const std::map<int, std::string>& texts,
                      const std::map<int, int>& numbers) const {
        std::set<int> present, expected;
        for (int field : {KORVEX_FIELD_NAME, KORVEX_FIELD_PASSWORD, KORVEX_FIELD_SERVER_TYPE,
                          KORVEX_FIELD_HOST, KORVEX_FIELD_USER_ID, KORVEX_FIELD_NO_PASSWORD,
                          KORVEX_FIELD_PASSIVE, KORVEX_FIELD_PROXY}) {
            char buf[KORVEX_TEXT_BUFFER] = {};
            int num = 0;
            if (theApp.m_api.KorvexGetDataValue(theApp.m_hInterface, item, field, buf, sizeof buf))
                present.insert(field);
            else if (theApp.m_api.KorvexGetDataNum(theApp.m_hInterface, item, field, &num)) {
                present.insert(field);
                if (numbers.count(field)) {
                    EXPECT_EQ(num, numbers.at(field)) << "field " << field;
                }
            }
        }
        for (const auto& [field, text] : texts) {
            expected.insert(field);
            EXPECT_EQ(FieldText(item, field), text) << "field " << field;
        }
        for (const auto& entry : numbers)
            expected.insert(entry.first);
        EXPECT_EQ(present, expected);
    }
    Names ProxyNames() const {
        Names out;
        for (int i = 0; LoadProxyAt(i); ++i)
            out.push_back(FieldText(theApp.m_items.proxy, KORVEX_FIELD_NAME));
        return out;
    }
};

} // namespace accounts_test
