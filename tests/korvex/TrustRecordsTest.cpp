// Certificate and TLS-host records: lists of their own beside accounts and proxies, kept
// across interfaces like them.
#include "KorvexTest.hpp"

namespace {

class TrustRecordsTest : public KorvexTest {};

TEST_F(TrustRecordsTest, RecordsOfTheNewKindsAreListedApartAndPersist) {
    const std::string fp(95, 'A');
    {
        KorvexHandle i = open();
        const int store = KorvexNewItem(i, KORVEX_KIND_STORE);
        const int cert = KorvexNewItem(i, KORVEX_KIND_CERTIFICATE);
        const int tls = KorvexNewItem(i, KORVEX_KIND_TLS_HOST);
        const int account = KorvexNewItem(i, KORVEX_KIND_ACCOUNT);
        ASSERT_GE(cert, 0);
        ASSERT_GE(tls, 0);
        for (const char* server : {"a.example:21", "[::1]:990"}) {
            KorvexGetDataNum(i, cert, KORVEX_FIELD_NEW_RECORD, nullptr);
            KorvexSetDataValue(i, cert, KORVEX_FIELD_HOST, server);
            KorvexSetDataValue(i, cert, KORVEX_FIELD_FINGERPRINT, fp.c_str());
            ASSERT_NE(KorvexSetDataNum(i, store, KORVEX_FIELD_STORE_APPEND, cert), 0);
        }
        KorvexGetDataNum(i, tls, KORVEX_FIELD_NEW_RECORD, nullptr);
        KorvexSetDataValue(i, tls, KORVEX_FIELD_HOST, "a.example:21");
        ASSERT_NE(KorvexSetDataNum(i, store, KORVEX_FIELD_STORE_APPEND, tls), 0);

        EXPECT_EQ(KorvexGetItemNum(i, store, KORVEX_KIND_CERTIFICATE), 2);
        EXPECT_EQ(KorvexGetItemNum(i, store, KORVEX_KIND_TLS_HOST), 1);
        EXPECT_EQ(KorvexGetItemNum(i, store, KORVEX_KIND_ACCOUNT), 0);
        // A list is read only into a handle of its kind.
        EXPECT_EQ(KorvexTestData(i, store, KORVEX_FIELD_ACCOUNT, 0, cert), 0);
        EXPECT_EQ(KorvexTestData(i, store, KORVEX_FIELD_FINGERPRINT, 0, account), 0);
        EXPECT_EQ(KorvexTestData(i, store, KORVEX_FIELD_TLS_HOSTS, 0, cert), 0);

        // Deleting the loaded record removes that one only.
        ASSERT_NE(KorvexTestData(i, store, KORVEX_FIELD_FINGERPRINT, 0, cert), 0);
        ASSERT_NE(KorvexSetDataNum(i, store, KORVEX_FIELD_STORE_DELETE, cert), 0);
    }
    KorvexHandle again = open(); // as after a restart
    const int store = KorvexNewItem(again, KORVEX_KIND_STORE);
    const int cert = KorvexNewItem(again, KORVEX_KIND_CERTIFICATE);
    const int tls = KorvexNewItem(again, KORVEX_KIND_TLS_HOST);
    ASSERT_EQ(KorvexGetItemNum(again, store, KORVEX_KIND_CERTIFICATE), 1);
    ASSERT_NE(KorvexTestData(again, store, KORVEX_FIELD_FINGERPRINT, 0, cert), 0);
    EXPECT_EQ(text(again, cert, KORVEX_FIELD_HOST), "[::1]:990");
    EXPECT_EQ(text(again, cert, KORVEX_FIELD_FINGERPRINT), fp);
    ASSERT_NE(KorvexTestData(again, store, KORVEX_FIELD_TLS_HOSTS, 0, tls), 0);
    EXPECT_EQ(text(again, tls, KORVEX_FIELD_HOST), "a.example:21");
    EXPECT_NE(KorvexCheckVersion(1, 0, 5), 0);
}

} // namespace
