// The store layer where no dialog reaches it: a proxy record without a name.
#include "accounts/Store.h"
#include "AccountsTest.h"

#include <tuple>

namespace {

using StoreTest = accounts_test::Test;

// A proxy that cannot be named ends the listing; the names before it stay, and loading it
// shows the lack as an empty text.
TEST_F(StoreTest, ProxyListingStopsAtUnnamedRecord) {
    accounts::WriteProxy({"p0", "s", "", FALSE, ""});
    KorvexApi& api = theApp.m_api;
    const int proxy = theApp.m_items.proxy;
    api.KorvexGetDataNum(theApp.m_hInterface, proxy, KORVEX_FIELD_NEW_RECORD, nullptr);
    api.KorvexSetDataValue(theApp.m_hInterface, proxy, KORVEX_FIELD_HOST, "nameless.example");
    api.KorvexSetDataNum(theApp.m_hInterface, theApp.m_items.store, KORVEX_FIELD_STORE_APPEND,
                         proxy);
    accounts::WriteProxy({"p2", "s", "", FALSE, ""});
    ASSERT_EQ(accounts::ProxyCount(), 3);
    EXPECT_EQ(accounts::ListProxyNames(), (accounts_test::Names{"p0"}));
    ASSERT_TRUE(accounts::LoadProxy(1));
    const accounts::ProxyFields p = accounts::ReadLoadedProxy();
    EXPECT_EQ(std::tie(p.name, p.server, p.userId, p.password),
              std::tie("", "nameless.example", "", ""));
}

} // namespace
