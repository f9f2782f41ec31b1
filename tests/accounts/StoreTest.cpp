// Account and proxy records written, read and deleted through the real library; records
// are checked by reading them back through a second load.
#include "accounts/Store.h"
#include "AccountsTest.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

using accounts_test::Names;

auto Tie(const accounts::AccountFields& a) {
    return std::tie(a.name, a.userId, a.noSavePassword, a.password, a.server, a.passive,
                    a.proxyName);
}
auto Tie(const accounts::ProxyFields& p) {
    return std::tie(p.name, p.server, p.userId, p.noSavePassword, p.password);
}

using StoreTest = accounts_test::Test;

TEST_F(StoreTest, ProxyRecordHoldsLoginOnlyWithUserId) {
    struct Case {
        accounts::ProxyFields in;
        accounts_test::Fields fields;
        std::string passwordBack; // read back only when recorded
    };
    const Case cases[] = {
        {{"p0", "s0", "", FALSE, "typed"}, {1011, 1302}, ""},
        {{"p1", "s1", "", TRUE, "typed"}, {1011, 1302}, ""},
        {{"p2", "s2", "u2", TRUE, "typed"}, {1011, 1302, 2001, 2002}, ""},
        {{"p3", "s3", "u3", FALSE, "pw3"}, {1011, 1302, 2001, 2002, 1016}, "pw3"},
    };
    for (const Case& c : cases)
        accounts::WriteProxy(c.in);
    ASSERT_EQ(accounts::ProxyCount(), 4);
    EXPECT_EQ(accounts::ListProxyNames(), (Names{"p0", "p1", "p2", "p3"}));
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const Case& c = cases[i];
        ASSERT_TRUE(accounts::LoadProxy(i));
        ExpectRecord(theApp.m_items.proxy, c.fields, {{1011, c.in.name}, {1302, c.in.server}});
        if (c.fields.count(2002)) {
            EXPECT_EQ(accounts::ReadNumber(theApp.m_items.proxy, 2002), c.in.noSavePassword);
        }
        const accounts::ProxyFields back = accounts::ReadLoadedProxy();
        EXPECT_EQ(std::tie(back.name, back.server, back.userId, back.password),
                  std::tie(c.in.name, c.in.server, c.in.userId, c.passwordBack));
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
    api.KorvexGetDataNum(theApp.m_hInterface, theApp.m_items.proxy, 0, nullptr);
    api.KorvexSetDataValue(theApp.m_hInterface, theApp.m_items.proxy, 1302, "nameless.example");
    api.KorvexSetDataNum(theApp.m_hInterface, theApp.m_items.store, 1014, theApp.m_items.proxy);
    accounts::WriteProxy({"p2", "s", "", FALSE, ""});
    ASSERT_EQ(accounts::ProxyCount(), 3);
    EXPECT_EQ(accounts::ListProxyNames(), (Names{"p0"}));
    ASSERT_TRUE(accounts::LoadProxy(1));
    const accounts::ProxyFields shown = accounts::ReadLoadedProxy(); // the lack shows empty
    const accounts::ProxyFields want{"", "nameless.example", "", FALSE, ""};
    EXPECT_EQ(Tie(shown), Tie(want));
}

// The password is recorded only when asked, and never read back for the details view.
TEST_F(StoreTest, AccountPasswordRecordedOnlyWhenAsked) {
    const accounts::AccountFields kept{"A", "ua", FALSE, "pwA", "a.example", TRUE, "P1"};
    const accounts::AccountFields dropped{"B", "ub", TRUE, "typed", "", FALSE, ""};
    accounts::WriteAccount(kept);
    accounts::WriteAccount(dropped);
    ASSERT_EQ(AccountNames(), (Names{"A", "B"}));

    ASSERT_TRUE(accounts::LoadAccount(0));
    ExpectRecord(theApp.m_items.record, {1011, 2001, 2002, 1016, 1302, 1301, 2003, 2004},
                 {{1016, "pwA"}}, {{1301, 131}});
    accounts::AccountFields want = kept;
    want.password.clear();
    accounts::AccountFields back = accounts::ReadLoadedAccount();
    EXPECT_EQ(Tie(back), Tie(want));

    ASSERT_TRUE(accounts::LoadAccount(1));
    ExpectRecord(theApp.m_items.record, {1011, 2001, 2002, 1302, 1301, 2003, 2004}, {},
                 {{2002, 1}});
    want = dropped;
    want.password.clear();
    back = accounts::ReadLoadedAccount();
    EXPECT_EQ(Tie(back), Tie(want));
    EXPECT_FALSE(accounts::LoadAccount(2));
}

} // namespace
