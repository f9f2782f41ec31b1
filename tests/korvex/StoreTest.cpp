// The account store and the user name: records, snapshots, persistence across interfaces
// and processes, and the database on disk.
#include "KorvexTest.hpp"

#include <csignal>
#include <cstring>
#include <fstream>
#include <optional>
#include <poll.h>
#include <set>
#include <sys/stat.h>

namespace {

using Names = std::vector<std::string>;

class StoreTest : public KorvexTest {
protected:
    struct Handles {
        KorvexHandle h;
        int store, account, proxy;
    };
    Handles openStore() {
        KorvexHandle i = open();
        return {i, KorvexNewItem(i, KORVEX_KIND_STORE), KorvexNewItem(i, KORVEX_KIND_ACCOUNT),
                KorvexNewItem(i, KORVEX_KIND_PROXY)};
    }

    // Writes a whole record into handle `record` and appends it; false when refused.
    static bool append(const Handles& s, int record, const std::string& name,
                       bool withPassword = true) {
        KorvexGetDataNum(s.h, record, KORVEX_FIELD_NEW_RECORD, nullptr);
        KorvexSetDataValue(s.h, record, KORVEX_FIELD_NAME, name.c_str());
        KorvexSetDataValue(s.h, record, KORVEX_FIELD_USER_ID, "user");
        KorvexSetDataNum(s.h, record, KORVEX_FIELD_NO_PASSWORD, withPassword ? 0 : 1);
        if (withPassword)
            KorvexSetDataValue(s.h, record, KORVEX_FIELD_PASSWORD, "secret");
        KorvexSetDataValue(s.h, record, KORVEX_FIELD_HOST, ("ftp." + name + ".example").c_str());
        KorvexSetDataNum(s.h, record, KORVEX_FIELD_SERVER_TYPE, KORVEX_SERVER_TYPE_FTP);
        return KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_APPEND, record) != 0;
    }
    void append(const Handles& s, const Names& names) {
        for (const auto& n : names)
            ASSERT_TRUE(append(s, s.account, n)) << n;
    }
    // Another process appends `count` accounts PREFIX0, PREFIX1, ...; its exit status.
    int appendElsewhere(const std::string& prefix, int count) {
        return inChild([&] {
            Handles s = openStore();
            for (int i = 0; i < count; ++i)
                if (!append(s, s.account, prefix + std::to_string(i)))
                    return 2;
            return 0;
        });
    }
    // Another process deletes the first account named `name`; its exit status.
    int deleteElsewhere(const std::string& name) {
        return inChild([&] {
            Handles s = openStore();
            KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_REFRESH, 0);
            for (int i = 0; i < KorvexGetItemNum(s.h, s.store, KORVEX_KIND_ACCOUNT); ++i)
                if (KorvexTestData(s.h, s.store, KORVEX_FIELD_ACCOUNT, i, s.account) &&
                    text(s.h, s.account, KORVEX_FIELD_NAME) == name)
                    return KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_DELETE, s.account) ? 0
                                                                                                : 2;
            return 3;
        });
    }

    // The names of list `listField` after a refresh, in store order, as the lists show them.
    static Names names(const Handles& s, int listField = KORVEX_FIELD_ACCOUNT) {
        KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_RELEASE, 0);
        KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_REFRESH, 0);
        const bool accounts = listField == KORVEX_FIELD_ACCOUNT;
        const int record = accounts ? s.account : s.proxy;
        Names out;
        const int n =
            KorvexGetItemNum(s.h, s.store, accounts ? KORVEX_KIND_ACCOUNT : KORVEX_KIND_PROXY);
        for (int i = 0; i < n && KorvexTestData(s.h, s.store, listField, i, record); ++i)
            out.push_back(text(s.h, record, KORVEX_FIELD_NAME));
        return out;
    }
    int count(const Handles& s) { return KorvexGetItemNum(s.h, s.store, KORVEX_KIND_ACCOUNT); }
    bool load(const Handles& s, int i) {
        return KorvexTestData(s.h, s.store, KORVEX_FIELD_ACCOUNT, i, s.account) != 0;
    }
    bool remove(const Handles& s) {
        return KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_DELETE, s.account) != 0;
    }
    std::filesystem::path dbPath() const { return home / "korvex.db"; }
};

TEST_F(StoreTest, AccountsAndProxiesAreSeparateListsOfWholeRecords) {
    Handles s = openStore();
    EXPECT_EQ(count(s), 0);
    EXPECT_FALSE(load(s, 0));
    append(s, {"A"});
    ASSERT_TRUE(append(s, s.account, "B", false));
    ASSERT_TRUE(append(s, s.proxy, "px"));
    EXPECT_EQ(count(s), 2);
    EXPECT_EQ(KorvexGetItemNum(s.h, s.store, KORVEX_KIND_PROXY), 1);
    EXPECT_EQ(names(s), (Names{"A", "B"}));
    EXPECT_EQ(names(s, KORVEX_FIELD_PROXY), (Names{"px"}));

    ASSERT_TRUE(load(s, 0));
    EXPECT_EQ(text(s.h, s.account, KORVEX_FIELD_USER_ID), "user");
    EXPECT_EQ(text(s.h, s.account, KORVEX_FIELD_PASSWORD), "secret");
    EXPECT_EQ(text(s.h, s.account, KORVEX_FIELD_HOST), "ftp.A.example");
    EXPECT_EQ(num(s.h, s.account, KORVEX_FIELD_SERVER_TYPE), KORVEX_SERVER_TYPE_FTP);
    EXPECT_EQ(num(s.h, s.account, KORVEX_FIELD_NO_PASSWORD), 0);
    // The second account was written without a password: the field is absent, not left
    // over from the record loaded before it.
    ASSERT_TRUE(load(s, 1));
    EXPECT_EQ(num(s.h, s.account, KORVEX_FIELD_NO_PASSWORD), 1);
    EXPECT_EQ(text(s.h, s.account, KORVEX_FIELD_PASSWORD), "<absent>");
    ASSERT_NE(KorvexTestData(s.h, s.store, KORVEX_FIELD_PROXY, 0, s.proxy), 0);
    EXPECT_EQ(text(s.h, s.proxy, KORVEX_FIELD_HOST), "ftp.px.example");

    // Wrong list for the handle's kind, out of range, negative index, not the store.
    EXPECT_EQ(KorvexTestData(s.h, s.store, KORVEX_FIELD_PROXY, 0, s.account), 0);
    EXPECT_FALSE(load(s, 2));
    EXPECT_FALSE(load(s, -1));
    EXPECT_EQ(KorvexTestData(s.h, s.account, KORVEX_FIELD_ACCOUNT, 0, s.account), 0);
    // Only record handles can be appended, and only records restart.
    const int file = KorvexNewItem(s.h, KORVEX_KIND_FILE);
    EXPECT_EQ(KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_APPEND, file), 0);
    EXPECT_EQ(count(s), 2);
    EXPECT_EQ(KorvexGetDataNum(s.h, s.store, KORVEX_FIELD_NEW_RECORD, nullptr), 0);
    // Editing the handle after an append changes nothing stored.
    KorvexGetDataNum(s.h, s.account, KORVEX_FIELD_NEW_RECORD, nullptr);
    EXPECT_EQ(text(s.h, s.account, KORVEX_FIELD_NAME), "<absent>");
    KorvexSetDataValue(s.h, s.account, KORVEX_FIELD_NAME, "edited");
    EXPECT_EQ(names(s), (Names{"A", "B"}));
}

TEST_F(StoreTest, DeleteRemovesExactlyTheLoadedRecord) {
    Handles s = openStore();
    append(s, {"A", "B", "C", "B"});
    // Nothing loaded yet in a fresh handle: nothing to delete.
    const int fresh = KorvexNewItem(s.h, KORVEX_KIND_ACCOUNT);
    EXPECT_EQ(KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_DELETE, fresh), 0);
    // The second "B" goes, the first stays (same name, other record).
    ASSERT_TRUE(load(s, 3));
    EXPECT_TRUE(remove(s));
    EXPECT_EQ(names(s), (Names{"A", "B", "C"}));
    // A second delete of the same record reports that nothing was there.
    ASSERT_TRUE(load(s, 2));
    EXPECT_TRUE(remove(s));
    EXPECT_FALSE(remove(s));
    // Starting a new record forgets the loaded one.
    ASSERT_TRUE(load(s, 0));
    KorvexGetDataNum(s.h, s.account, KORVEX_FIELD_NEW_RECORD, nullptr);
    EXPECT_FALSE(remove(s));
    EXPECT_EQ(names(s), (Names{"A", "B"}));
}

TEST_F(StoreTest, SnapshotFollowsTheDiskOnlyWhenRefreshed) {
    Handles a = openStore();
    Handles b = openStore();
    append(a, {"A"});
    // b's indices still describe the list it last filled.
    EXPECT_EQ(count(b), 0);
    EXPECT_FALSE(load(b, 0));
    EXPECT_NE(KorvexSetDataNum(b.h, b.store, KORVEX_FIELD_STORE_RELEASE, 0), 0);
    EXPECT_EQ(count(b), 1);
    append(a, {"B"});
    EXPECT_EQ(count(b), 1);
    // A nonzero value is stored as a number and does not refresh.
    KorvexSetDataNum(b.h, b.store, KORVEX_FIELD_STORE_REFRESH, 5);
    EXPECT_EQ(count(b), 1);
    KorvexSetDataNum(b.h, b.store, KORVEX_FIELD_STORE_REFRESH, 0);
    EXPECT_EQ(count(b), 2);
}

TEST_F(StoreTest, StoreSurvivesClearAndRenewedHandlesSeeTheSameOrder) {
    Handles s = openStore();
    append(s, {"A", "B", "C"});
    ASSERT_NE(KorvexClear(s.h), 0);
    Handles renewed{s.h, KorvexNewItem(s.h, KORVEX_KIND_STORE),
                    KorvexNewItem(s.h, KORVEX_KIND_ACCOUNT), s.proxy};
    EXPECT_EQ(count(renewed), 3);
    ASSERT_TRUE(load(renewed, 2));
    EXPECT_EQ(text(s.h, renewed.account, KORVEX_FIELD_NAME), "C");
    // The old handles and the never-renewed proxy handle still work.
    ASSERT_TRUE(load(s, 1));
    EXPECT_EQ(text(s.h, s.account, KORVEX_FIELD_NAME), "B");
    ASSERT_TRUE(append(renewed, s.proxy, "px"));
    EXPECT_EQ(names(renewed, KORVEX_FIELD_PROXY), (Names{"px"}));
}

TEST_F(StoreTest, NameAndRecordsPersistAcrossInterfacesAndProcesses) {
    char buf[KORVEX_TEXT_BUFFER] = "x";
    Handles first = openStore();
    EXPECT_EQ(KorvexGetName(first.h, buf, sizeof buf), 0) << "no name stored yet";
    EXPECT_STREQ(buf, "");
    ASSERT_NE(KorvexSetName(first.h, "山田 太郎"), 0);
    append(first, {"mine"});
    KorvexDeleteInterface(first.h);
    Handles s = openStore();
    ASSERT_NE(KorvexGetName(s.h, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "山田 太郎");
    // Another process sees them, and its changes come back here.
    ASSERT_EQ(appendElsewhere("theirs", 2), 0);
    ASSERT_EQ(inChild([this] { return KorvexSetName(open(), "suzuki") ? 0 : 2; }), 0);
    EXPECT_EQ(names(s), (Names{"mine", "theirs0", "theirs1"}));
    ASSERT_NE(KorvexGetName(s.h, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "suzuki");
}

TEST_F(StoreTest, NameIsCutToWholeCharactersWithinTheLimit) {
    KorvexHandle i = open();
    // 258 ASCII bytes then a 3-byte character: it does not fit in 259.
    ASSERT_NE(KorvexSetName(i, (std::string(258, 'n') + "名前").c_str()), 0);
    char buf[400];
    ASSERT_NE(KorvexGetName(i, buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf), std::string(258, 'n'));
    const std::string fits = std::string(256, 'n') + "名";
    ASSERT_NE(KorvexSetName(i, fits.c_str()), 0);
    ASSERT_NE(KorvexGetName(i, buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf), fits);
    // A small buffer cuts the read the same way.
    char small[4];
    std::memset(small, '#', sizeof small);
    ASSERT_NE(KorvexGetName(i, small, 3), 0);
    EXPECT_STREQ(small, "nn");
    EXPECT_EQ(small[3], '#');
}

TEST_F(StoreTest, StoreCallsFailWithoutInitializeAndAfterFinalize) {
    const Handles s{h, KorvexNewItem(h, KORVEX_KIND_STORE), KorvexNewItem(h, KORVEX_KIND_ACCOUNT),
                    -1};
    EXPECT_FALSE(append(s, s.account, "x"));
    EXPECT_EQ(KorvexSetName(h, "x"), 0);
    EXPECT_FALSE(std::filesystem::exists(home)) << "nothing is created before Initialize";
    ASSERT_NE(KorvexInitialize(h), 0);
    EXPECT_TRUE(append(s, s.account, "x"));
    EXPECT_EQ(count(s), 1);
    ASSERT_NE(KorvexFinalize(h), 0);
    EXPECT_EQ(count(s), 0);
    EXPECT_FALSE(append(s, s.account, "x"));
    ASSERT_NE(KorvexInitialize(h), 0);
    EXPECT_EQ(count(s), 1);
}

TEST_F(StoreTest, FolderAndDatabaseArePrivateAndFollowTheEnvironment) {
    ASSERT_NE(KorvexSetName(open(), "x"), 0);
    struct stat st {};
    for (const auto& [p, mode] :
         {std::pair{home, 0700u}, {root / "home", 0700u}, {dbPath(), 0600u}}) {
        ASSERT_EQ(stat(p.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, mode) << p;
    }
    // Without KORVEX_HOME: XDG_CONFIG_HOME as set (nothing: unset), then HOME; a relative
    // XDG_CONFIG_HOME does not count.
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome != nullptr ? oldHome : "";
    const std::filesystem::path fallback = root / "user" / ".config" / "orvane" / "korvex";
    const std::vector<std::pair<std::optional<std::string>, std::filesystem::path>> cases = {
        {(root / "xdg").string(), root / "xdg" / "orvane" / "korvex"},
        {std::nullopt, fallback},
        {"xdg", fallback},
    };
    unsetenv("KORVEX_HOME");
    setenv("HOME", (root / "user").c_str(), 1);
    for (const auto& [xdg, expected] : cases) {
        SCOPED_TRACE(xdg.value_or("<unset>"));
        std::filesystem::remove_all(root / "xdg");
        std::filesystem::remove_all(root / "user");
        if (xdg)
            setenv("XDG_CONFIG_HOME", xdg->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        KorvexHandle i = open();
        EXPECT_NE(KorvexSetName(i, "x"), 0);
        EXPECT_TRUE(std::filesystem::exists(expected / "korvex.db"));
        KorvexDeleteInterface(i);
    }
    unsetenv("XDG_CONFIG_HOME");
    if (oldHome != nullptr)
        setenv("HOME", savedHome.c_str(), 1);
}

TEST_F(StoreTest, DamagedOrTruncatedDatabaseIsRefusedAndLeftUntouched) {
    auto contents = [this] {
        std::ifstream in(dbPath(), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    };
    KorvexHandle first = open();
    KorvexSetName(first, "mine");
    KorvexDeleteInterface(first);
    std::string truncated = contents();
    truncated.resize(truncated.size() / 2);
    std::string junk = "SQLite format 3";
    junk.push_back('\0');
    junk += std::string(4000, '\x5a');
    for (const std::string& damaged : {truncated, junk}) {
        std::filesystem::remove(home / "korvex.db-wal");
        std::ofstream(dbPath(), std::ios::binary | std::ios::trunc) << damaged;
        KorvexHandle i = fresh();
        EXPECT_EQ(KorvexInitialize(i), 0);
        const Handles s{i, KorvexNewItem(i, KORVEX_KIND_STORE),
                        KorvexNewItem(i, KORVEX_KIND_ACCOUNT), -1};
        EXPECT_FALSE(append(s, s.account, "x"));
        EXPECT_EQ(KorvexSetName(i, "x"), 0);
        KorvexDeleteInterface(i);
        EXPECT_EQ(contents(), damaged);
        EXPECT_FALSE(std::filesystem::exists(home / "korvex.db-wal"));
    }
}

TEST_F(StoreTest, TwoProcessesAppendingAtOnceKeepEveryRecord) {
    KorvexDeleteInterface(open()); // creates the database up front
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    constexpr int kEach = 40;
    auto start = [&](const std::string& prefix) {
        return child([&, prefix] {
            Handles s = openStore();
            close(go[1]);
            char c;
            if (read(go[0], &c, 1) != 0) // both start writing when the pipe closes
                return 5;
            for (int i = 0; i < kEach; ++i)
                if (!append(s, s.account, prefix + std::to_string(i)))
                    return 2;
            return 0;
        });
    };
    const pid_t p1 = start("p"), p2 = start("q");
    close(go[0]);
    close(go[1]);
    EXPECT_EQ(waitExit(p1), 0);
    EXPECT_EQ(waitExit(p2), 0);
    const Names all = names(openStore());
    EXPECT_EQ(all.size(), 2u * kEach);
    const std::set<std::string> unique(all.begin(), all.end());
    for (int i = 0; i < kEach; ++i) {
        EXPECT_EQ(unique.count("p" + std::to_string(i)), 1u) << i;
        EXPECT_EQ(unique.count("q" + std::to_string(i)), 1u) << i;
    }
}

TEST_F(StoreTest, DeleteHitsTheLoadedRecordAfterAnotherProcessChangedTheStore) {
    Handles s = openStore();
    append(s, {"A", "B", "C"});
    // The user picks row 1 (B) while another process removes A and adds D.
    ASSERT_TRUE(load(s, 1));
    ASSERT_EQ(deleteElsewhere("A"), 0);
    ASSERT_EQ(appendElsewhere("D", 1), 0);
    EXPECT_TRUE(remove(s));
    EXPECT_EQ(names(s), (Names{"C", "D0"}));
    // A record that vanished meanwhile cannot be deleted again.
    ASSERT_TRUE(load(s, 0));
    ASSERT_EQ(deleteElsewhere("C"), 0);
    EXPECT_FALSE(remove(s));
    EXPECT_EQ(names(s), (Names{"D0"}));
}

TEST_F(StoreTest, KilledProcessLosesNoReportedAppend) {
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t pid = child([&] {
        Handles s = openStore();
        if (!append(s, s.account, "survivor") || write(out[1], "a", 1) != 1)
            return 2;
        sleep(60); // killed meanwhile, without any clean-up
        return 6;
    });
    close(out[1]);
    pollfd p{out[0], POLLIN, 0};
    char c = 0;
    const bool reported = poll(&p, 1, 60000) == 1 && read(out[0], &c, 1) == 1;
    close(out[0]);
    kill(pid, SIGKILL);
    EXPECT_EQ(waitExit(pid), 128 + SIGKILL);
    ASSERT_TRUE(reported);
    EXPECT_EQ(names(openStore()), (Names{"survivor"}));
}

} // namespace
