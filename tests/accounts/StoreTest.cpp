// Account and proxy records written, read and deleted through the real library; records
// are checked by reading them back through a second load.
#include "accounts/Store.h"
#include "RecordFields.h"
#include "gui_support/GuiTest.h"

#include "library/App.h"
#include "library/Globals.h"

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;
using accounts_test::Fields;
using accounts_test::PresentFields;

class StoreTest : public gui::GuiTest {};

TEST_F(StoreTest, ProxyRecordHoldsLoginOnlyWithUserId) {
    struct Case {
        accounts::ProxyFields in;
        Fields fields;
    };
    const Case cases[] = {
        {{"p0", "s0", "", FALSE, "typed"}, {1011, 1302}},
        {{"p1", "s1", "", TRUE, "typed"}, {1011, 1302}},
        {{"p2", "s2", "u2", TRUE, "typed"}, {1011, 1302, 2001, 2002}},
        {{"p3", "s3", "u3", FALSE, "pw3"}, {1011, 1302, 2001, 2002, 1016}},
    };
    for (const Case& c : cases)
        accounts::WriteProxy(c.in);
    ASSERT_EQ(accounts::ProxyCount(), 4);
    EXPECT_EQ(accounts::ListProxyNames(), (Names{"p0", "p1", "p2", "p3"}));
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const Case& c = cases[i];
        ASSERT_TRUE(accounts::LoadProxy(i));
        EXPECT_EQ(PresentFields(g_hProxyRecord), c.fields);
        EXPECT_EQ(FieldText(g_hProxyRecord, 1011), c.in.name);
        EXPECT_EQ(FieldText(g_hProxyRecord, 1302), c.in.server);
        if (c.fields.count(2002)) {
            EXPECT_EQ(accounts::ReadNumber(g_hProxyRecord, 2002), c.in.noSavePassword);
        }
        const accounts::ProxyFields back = accounts::ReadLoadedProxy();
        EXPECT_EQ(back.name, c.in.name);
        EXPECT_EQ(back.server, c.in.server);
        EXPECT_EQ(back.userId, c.in.userId);
        EXPECT_EQ(back.password, c.fields.count(1016) ? c.in.password : "");
    }
    EXPECT_FALSE(accounts::LoadProxy(4));
    EXPECT_FALSE(accounts::LoadProxy(-1));
}

TEST_F(StoreTest, DeletingLoadedProxyRemovesThatOne) {
    for (const char* name : {"p0", "p1", "p2"})
        accounts::WriteProxy({name, "s", "", FALSE, ""});
    ASSERT_TRUE(accounts::LoadProxy(1));
    EXPECT_NE(accounts::DeleteLoadedProxy(), 0);
    // The handle's record is gone: deleting it again fails and removes nothing else.
    EXPECT_EQ(accounts::DeleteLoadedProxy(), 0);
    EXPECT_EQ(accounts::ListProxyNames(), (Names{"p0", "p2"}));
    EXPECT_EQ(accounts::ProxyCount(), 2);
}

// A proxy that cannot be named ends the listing; the names before it stay.
TEST_F(StoreTest, ProxyListingStopsAtUnnamedRecord) {
    accounts::WriteProxy({"p0", "s", "", FALSE, ""});
    KorvexApi& api = theApp.m_api;
    api.KorvexGetDataNum(theApp.m_hInterface, g_hProxyRecord, 0, nullptr);
    api.KorvexSetDataValue(theApp.m_hInterface, g_hProxyRecord, 1302, "nameless.example");
    api.KorvexSetDataNum(theApp.m_hInterface, g_hAccountStore, 1014, g_hProxyRecord);
    accounts::WriteProxy({"p2", "s", "", FALSE, ""});
    ASSERT_EQ(accounts::ProxyCount(), 3);
    EXPECT_EQ(accounts::ListProxyNames(), (Names{"p0"}));
    ASSERT_TRUE(accounts::LoadProxy(1));
    EXPECT_EQ(accounts::ReadLoadedProxy().name, ""); // a view shows the lack as empty
    EXPECT_EQ(accounts::ReadLoadedProxy().server, "nameless.example");
}

TEST_F(StoreTest, AccountPasswordRecordedOnlyWhenAsked) {
    accounts::AccountFields kept{"A", "ua", FALSE, "pwA", "a.example", TRUE, "P1"};
    accounts::AccountFields dropped{"B", "ub", TRUE, "typed", "", FALSE, ""};
    accounts::WriteAccount(kept);
    accounts::WriteAccount(dropped);
    ASSERT_EQ(AccountNames(), (Names{"A", "B"}));

    ASSERT_TRUE(accounts::LoadAccount(0));
    EXPECT_EQ(PresentFields(g_hAccountRecord),
              (Fields{1011, 2001, 2002, 1016, 1302, 1301, 2003, 2004}));
    EXPECT_EQ(FieldText(g_hAccountRecord, 1016), "pwA");
    EXPECT_EQ(accounts::ReadNumber(g_hAccountRecord, 1301), 131);
    accounts::AccountFields back = accounts::ReadLoadedAccount();
    EXPECT_EQ(back.name, "A");
    EXPECT_EQ(back.userId, "ua");
    EXPECT_EQ(back.server, "a.example");
    EXPECT_EQ(back.noSavePassword, FALSE);
    EXPECT_EQ(back.passive, TRUE);
    EXPECT_EQ(back.proxyName, "P1");
    EXPECT_EQ(back.password, ""); // never read back

    ASSERT_TRUE(accounts::LoadAccount(1));
    EXPECT_EQ(PresentFields(g_hAccountRecord), (Fields{1011, 2001, 2002, 1302, 1301, 2003, 2004}));
    EXPECT_EQ(accounts::ReadNumber(g_hAccountRecord, 2002), 1);
    back = accounts::ReadLoadedAccount();
    EXPECT_EQ(back.noSavePassword, TRUE);
    EXPECT_EQ(back.passive, FALSE);
    EXPECT_EQ(back.proxyName, "");
    EXPECT_FALSE(accounts::LoadAccount(2));
}

} // namespace
