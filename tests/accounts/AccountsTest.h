// Fixture of the account tests: dialog helpers, and stored records read back through the
// library without the code under test.
#pragma once

#include "gui_support/GuiTest.h"

#include "gui_support/ScriptedModal.h"
#include "library/App.h"
#include "library/Globals.h"
#include "platform/Win.h"

#include <QLineEdit>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace accounts_test {

using Fields = std::set<int>;
using Names = std::vector<std::string>;

inline Fields PresentFields(int item) {
    Fields out;
    for (int field : {1011, 1016, 1301, 1302, 2001, 2002, 2003, 2004}) {
        char buf[260] = {};
        int num = 0;
        if (theApp.m_api.KorvexGetDataValue(theApp.m_hInterface, item, field, buf, sizeof buf) ||
            theApp.m_api.KorvexGetDataNum(theApp.m_hInterface, item, field, &num))
            out.insert(field);
    }
    return out;
}

inline int Number(int item, int field) {
    int v = -1;
    theApp.m_api.KorvexGetDataNum(theApp.m_hInterface, item, field, &v);
    return v;
}

// Loads entry `i` of store list 1304 (accounts) or 2004 (proxies) into its record handle.
inline bool LoadAccountAt(int i) {
    return theApp.m_api.KorvexTestData(theApp.m_hInterface, theApp.m_items.store, 1304, i,
                                       theApp.m_items.record) != 0;
}
inline bool LoadProxyAt(int i) {
    return theApp.m_api.KorvexTestData(theApp.m_hInterface, theApp.m_items.store, 2004, i,
                                       theApp.m_items.proxy) != 0;
}

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
    // the dialog ended with.
    static void Expect(UINT templateId, std::function<void(CDialog&)> script) {
        platform::modal::QueueDialog(templateId, [script](CDialog& d) {
            script(d);
            return platform::modal::kAsEnded;
        });
    }
    static void ExpectBox(std::size_t i, UINT id, const std::string& text, UINT style) {
        ASSERT_LT(i, Shown().size());
        EXPECT_EQ(Shown()[i].kind, platform::modal::Kind::MessageBox);
        EXPECT_EQ(Shown()[i].id, id);
        EXPECT_EQ(Shown()[i].text, text);
        EXPECT_EQ(Shown()[i].style, style);
    }
    // The loaded record holds exactly `fields`, with these texts and numbers among them.
    void ExpectRecord(int item, const Fields& fields, const std::map<int, std::string>& texts,
                      const std::map<int, int>& numbers = {}) const {
        EXPECT_EQ(PresentFields(item), fields);
        for (const auto& [field, text] : texts)
            EXPECT_EQ(FieldText(item, field), text) << "field " << field;
        for (const auto& [field, number] : numbers)
            EXPECT_EQ(Number(item, field), number) << "field " << field;
    }
    Names ProxyNames() const {
        Names out;
        const int n = theApp.m_api.KorvexGetItemNum(theApp.m_hInterface, theApp.m_items.store,
                                                    KORVEX_KIND_PROXY);
        for (int i = 0; i < n && LoadProxyAt(i); ++i)
            out.push_back(FieldText(theApp.m_items.proxy, 1011));
        return out;
    }
};

} // namespace accounts_test
