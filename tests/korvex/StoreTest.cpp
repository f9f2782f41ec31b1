// The account store and the user name: records, snapshots, persistence across interfaces
// and processes, and the database on disk.
#include "KorvexTest.hpp"
#include "support/Process.h"

#include <sqlite3.h>

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
    Handles openStore(KorvexHandle i = nullptr) {
        i = i ? i : open();
        return {i, KorvexNewItem(i, KORVEX_KIND_STORE), KorvexNewItem(i, KORVEX_KIND_ACCOUNT),
                KorvexNewItem(i, KORVEX_KIND_PROXY)};
    }

    // Writes a whole record into handle `record` and appends it; false when refused.
    static bool append(const Handles& s, int record, const std::string& name,
                       const char* password = "secret") {
        KorvexGetDataNum(s.h, record, KORVEX_FIELD_NEW_RECORD, nullptr);
        KorvexSetDataValue(s.h, record, KORVEX_FIELD_NAME, name.c_str());
        KorvexSetDataNum(s.h, record, KORVEX_FIELD_NO_PASSWORD, password ? 0 : 1);
        if (password)
            KorvexSetDataValue(s.h, record, KORVEX_FIELD_PASSWORD, password);
        KorvexSetDataValue(s.h, record, KORVEX_FIELD_HOST, ("ftp." + name + ".example").c_str());
        return KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_APPEND, record) != 0;
    }
    void append(const Handles& s, const Names& names) {
        for (const auto& n : names)
            ASSERT_TRUE(append(s, s.account, n)) << n;
    }
    // Another process appends `names`, or deletes the first account named `del`.
    int elsewhere(const Names& names, const std::string& del = {}) {
        return inChild([&] {
            Handles s = openStore();
            for (const auto& n : names)
                if (!append(s, s.account, n))
                    return 2;
            for (int i = 0; !del.empty() && load(s, i); ++i)
                if (text(s.h, s.account, KORVEX_FIELD_NAME) == del)
                    return remove(s) ? 0 : 2;
            return del.empty() ? 0 : 3;
        });
    }

    // The names of list `listField` after a refresh, in store order, as the lists show them.
    static Names names(const Handles& s, int listField = KORVEX_FIELD_ACCOUNT) {
        KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_RELEASE, 0);
        KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_REFRESH, 0);
        const int record = listField == KORVEX_FIELD_ACCOUNT ? s.account : s.proxy;
        Names out;
        for (int i = 0; KorvexTestData(s.h, s.store, listField, i, record); ++i)
            out.push_back(text(s.h, record, KORVEX_FIELD_NAME));
        return out;
    }
    static int count(const Handles& s) {
        return KorvexGetItemNum(s.h, s.store, KORVEX_KIND_ACCOUNT);
    }
    static bool load(const Handles& s, int i) {
        return KorvexTestData(s.h, s.store, KORVEX_FIELD_ACCOUNT, i, s.account) != 0;
    }
    static bool remove(const Handles& s) {
        return KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_DELETE, s.account) != 0;
    }
    std::filesystem::path dbPath() const { return home / "korvex.db"; }
    // A store holding accounts A and B and a name, closed.
    void makeStore() {
        Handles s = openStore();
        append(s, {"A", "B"});
        ASSERT_NE(KorvexSetName(s.h, "name"), 0);
        KorvexDeleteInterface(s.h);
    }
    // In a child process: 0 when a new interface reads what makeStore wrote and can
    // write nothing.
    int readsButCannotWrite() {
        const Handles s = openStore(KorvexNewInterface());
        char name[16] = {};
        if (!KorvexInitialize(s.h))
            return 2;
        if (names(s) != Names{"A", "B"} || !KorvexGetName(s.h, name, sizeof name) ||
            std::string(name) != "name")
            return 3;
        return append(s, s.account, "C") || KorvexSetName(s.h, "x") ? 4 : 0;
    }
    static std::string storePath(KorvexHandle i) {
        char buf[4096];
        return KorvexGetStorePath(i, buf, sizeof buf) ? buf : "<none>";
    }
    static constexpr int kNoMounts = 77;
    // Another program's database, in WAL mode as the store is.
    static void foreignDatabase(const std::filesystem::path& p) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(p.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db,
                               "PRAGMA journal_mode = WAL; CREATE TABLE notes(text);"
                               "INSERT INTO notes VALUES('theirs')",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
};

TEST_F(StoreTest, AccountsAndProxiesAreSeparateListsOfWholeRecords) {
    Handles s = openStore();
    append(s, {"A"});
    ASSERT_TRUE(append(s, s.account, "B", nullptr));
    ASSERT_TRUE(append(s, s.proxy, "px"));
    EXPECT_EQ(names(s), (Names{"A", "B"}));
    EXPECT_EQ(names(s, KORVEX_FIELD_PROXY), (Names{"px"}));
    ASSERT_TRUE(load(s, 0));
    EXPECT_EQ(text(s.h, s.account, KORVEX_FIELD_PASSWORD), "secret");
    // Written without a password: absent, not left over from the record loaded before.
    ASSERT_TRUE(load(s, 1));
    EXPECT_EQ(text(s.h, s.account, KORVEX_FIELD_PASSWORD), "<absent>");

    EXPECT_EQ(KorvexTestData(s.h, s.store, KORVEX_FIELD_PROXY, 0, s.account), 0);
    EXPECT_FALSE(load(s, 2));
    const int file = KorvexNewItem(s.h, KORVEX_KIND_FILE);
    EXPECT_EQ(KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_APPEND, file), 0);
    // Editing the handle after an append changes nothing stored.
    KorvexSetDataValue(s.h, s.account, KORVEX_FIELD_NAME, "edited");
    EXPECT_EQ(names(s), (Names{"A", "B"}));
}

// Certificate and TLS-host records are lists of their own and persist like accounts.
TEST_F(StoreTest, TrustRecordsAreListedApartAndPersist) {
    const std::string fp(95, 'A');
    {
        const Handles s = openStore();
        const int cert = KorvexNewItem(s.h, KORVEX_KIND_CERTIFICATE);
        const int tls = KorvexNewItem(s.h, KORVEX_KIND_TLS_HOST);
        for (const char* server : {"a.example:21", "[::1]:990"}) {
            KorvexGetDataNum(s.h, cert, KORVEX_FIELD_NEW_RECORD, nullptr);
            KorvexSetDataValue(s.h, cert, KORVEX_FIELD_HOST, server);
            KorvexSetDataValue(s.h, cert, KORVEX_FIELD_FINGERPRINT, fp.c_str());
            ASSERT_NE(KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_APPEND, cert), 0);
        }
        KorvexSetDataValue(s.h, tls, KORVEX_FIELD_HOST, "a.example:21");
        ASSERT_NE(KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_APPEND, tls), 0);
        EXPECT_EQ(count(s), 0);
        EXPECT_EQ(KorvexTestData(s.h, s.store, KORVEX_FIELD_FINGERPRINT, 0, s.account), 0);
        EXPECT_EQ(KorvexTestData(s.h, s.store, KORVEX_FIELD_TLS_HOSTS, 0, cert), 0);
        ASSERT_NE(KorvexTestData(s.h, s.store, KORVEX_FIELD_FINGERPRINT, 0, cert), 0);
        ASSERT_NE(KorvexSetDataNum(s.h, s.store, KORVEX_FIELD_STORE_DELETE, cert), 0);
    }
    const Handles again = openStore();
    const int cert = KorvexNewItem(again.h, KORVEX_KIND_CERTIFICATE);
    const int tls = KorvexNewItem(again.h, KORVEX_KIND_TLS_HOST);
    ASSERT_EQ(KorvexGetItemNum(again.h, again.store, KORVEX_KIND_CERTIFICATE), 1);
    ASSERT_NE(KorvexTestData(again.h, again.store, KORVEX_FIELD_FINGERPRINT, 0, cert), 0);
    EXPECT_EQ(text(again.h, cert, KORVEX_FIELD_HOST) +
                  text(again.h, cert, KORVEX_FIELD_FINGERPRINT),
              "[::1]:990" + fp);
    ASSERT_NE(KorvexTestData(again.h, again.store, KORVEX_FIELD_TLS_HOSTS, 0, tls), 0);
    EXPECT_EQ(text(again.h, tls, KORVEX_FIELD_HOST), "a.example:21");
}

// Also after another process changed the store: the loaded record is the one deleted.
TEST_F(StoreTest, DeleteRemovesExactlyTheLoadedRecord) {
    Handles s = openStore();
    append(s, {"A", "B", "C", "B", "E"});
    ASSERT_TRUE(load(s, 3)); // the second "B": same name, other record
    EXPECT_TRUE(remove(s));
    EXPECT_FALSE(remove(s));
    EXPECT_EQ(names(s), (Names{"A", "B", "C", "E"}));

    ASSERT_TRUE(load(s, 1));
    ASSERT_EQ(elsewhere({"D"}, "A"), 0);
    EXPECT_TRUE(remove(s));
    EXPECT_EQ(names(s), (Names{"C", "E", "D"}));
    ASSERT_TRUE(load(s, 0));
    ASSERT_EQ(elsewhere({}, "C"), 0);
    EXPECT_FALSE(remove(s)) << "a record that vanished meanwhile";
}

TEST_F(StoreTest, SnapshotFollowsTheDiskOnlyWhenRefreshed) {
    Handles a = openStore();
    Handles b = openStore();
    append(a, {"A"});
    EXPECT_EQ(count(b), 0);
    EXPECT_NE(KorvexSetDataNum(b.h, b.store, KORVEX_FIELD_STORE_RELEASE, 0), 0);
    EXPECT_EQ(count(b), 1);
    append(a, {"B"});
    KorvexSetDataNum(b.h, b.store, KORVEX_FIELD_STORE_REFRESH, 5); // a number, no refresh
    EXPECT_EQ(count(b), 1);
    KorvexSetDataNum(b.h, b.store, KORVEX_FIELD_STORE_REFRESH, 0);
    EXPECT_EQ(count(b), 2);
}

TEST_F(StoreTest, NameAndRecordsPersistAcrossInterfacesAndProcesses) {
    char buf[KORVEX_TEXT_BUFFER] = "x";
    Handles first = openStore();
    EXPECT_EQ(KorvexGetName(first.h, buf, sizeof buf), 0) << "no name stored yet";
    ASSERT_NE(KorvexSetName(first.h, "山田 太郎"), 0);
    append(first, {"mine"});
    KorvexDeleteInterface(first.h);
    Handles s = openStore();
    ASSERT_NE(KorvexGetName(s.h, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "山田 太郎");
    ASSERT_EQ(elsewhere({"theirs0", "theirs1"}), 0);
    ASSERT_EQ(inChild([this] { return KorvexSetName(open(), "suzuki") ? 0 : 2; }), 0);
    EXPECT_EQ(names(s), (Names{"mine", "theirs0", "theirs1"}));
    ASSERT_NE(KorvexGetName(s.h, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "suzuki");
}

TEST_F(StoreTest, StoreCallsFailWithoutInitializeAndAfterFinalize) {
    const Handles s = openStore(h);
    EXPECT_FALSE(append(s, s.account, "x"));
    EXPECT_FALSE(std::filesystem::exists(home)) << "nothing is created before Initialize";
    ASSERT_NE(KorvexInitialize(h), 0);
    EXPECT_TRUE(append(s, s.account, "x"));
    ASSERT_NE(KorvexFinalize(h), 0);
    EXPECT_FALSE(append(s, s.account, "x"));
}

TEST_F(StoreTest, FolderAndDatabaseArePrivateAndFollowTheEnvironment) {
    ASSERT_NE(KorvexSetName(open(), "x"), 0);
    struct stat st {};
    for (const auto& [p, mode] : {std::pair{root / "home", 0700u}, {dbPath(), 0600u}}) {
        ASSERT_EQ(stat(p.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, mode) << p;
    }
    // Without KORVEX_HOME: an absolute XDG_CONFIG_HOME, else HOME.
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    unsetenv("KORVEX_HOME");
    setenv("HOME", (root / "user").c_str(), 1);
    for (const auto& [xdg, expected] :
         {std::pair{(root / "xdg").string(), root / "xdg"}, {"xdg", root / "user" / ".config"}}) {
        setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
        EXPECT_NE(KorvexSetName(open(), "x"), 0);
        EXPECT_TRUE(std::filesystem::exists(expected / "orvane" / "korvex" / "korvex.db")) << xdg;
    }
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", savedHome.c_str(), 1);
}

// A file that is not a sound store of this layout is refused: nothing is read or written,
// the file is named for the user, and it stays byte for byte, with no file of SQLite's own
// left beside it. So is a folder that cannot be made.
TEST_F(StoreTest, UnsoundStoreIsRefusedNamedAndLeftExactlyAsItWas) {
    makeStore();
    const std::string sound = test::ReadFile(dbPath());
    const std::string header = std::string("SQLite format 3") + '\0';
    struct Case {
        const char* what;
        std::string bytes; // empty: another program's database
    };
    const Case cases[] = {{"garbage", std::string(5000, 'Z')},
                          {"damaged", header + std::string(4000, 'Z')},
                          {"truncated", sound.substr(0, sound.size() / 2)},
                          {"foreign", {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dbPath());
        if (c.bytes.empty())
            foreignDatabase(dbPath());
        else
            writeFile(dbPath(), c.bytes);
        const std::string before = test::ReadFile(dbPath());
        KorvexHandle i = fresh();
        EXPECT_EQ(KorvexInitialize(i), 0);
        EXPECT_EQ(storePath(i), dbPath());
        const Handles s = openStore(i);
        EXPECT_FALSE(append(s, s.account, "x"));
        EXPECT_EQ(KorvexSetName(i, "x"), 0);
        KorvexDeleteInterface(i);
        EXPECT_EQ(test::ReadFile(dbPath()), before);
        for (const char* side : {"-wal", "-shm", "-journal"})
            EXPECT_FALSE(std::filesystem::exists(dbPath().string() + side)) << side;
    }
    writeFile(root / "file", "");
    home = root / "file" / "store";
    setenv("KORVEX_HOME", home.c_str(), 1);
    KorvexHandle i = fresh();
    EXPECT_EQ(KorvexInitialize(i), 0);
    EXPECT_EQ(storePath(i), dbPath());
}

// Where the store can be read but not written (a read-only or a full file system), its
// accounts and name are read all the same; writes are refused and change nothing.
TEST_F(StoreTest, ReadOnlyOrFullStoreIsReadButNotWritten) {
    makeStore();
    const std::string before = test::ReadFile(dbPath());
    // Both need mounts of their own, which a chroot, for one, does not allow.
    const int readOnly = inChild([this] {
        const test::ReadOnlyFolder folder(root / "home");
        return folder.Ok() ? readsButCannotWrite() : kNoMounts;
    });
    if (readOnly != kNoMounts) {
        EXPECT_EQ(readOnly, 0);
    }
    EXPECT_EQ(test::ReadFile(dbPath()), before);

    const int full = inChild([this] {
        const auto small = root / "small";
        std::filesystem::create_directory(small);
        if (!test::MountSmallFileSystem(small, 256 * 1024))
            return kNoMounts;
        std::filesystem::create_directory(small / "store");
        std::filesystem::copy_file(dbPath(), small / "store" / "korvex.db");
        setenv("KORVEX_HOME", (small / "store").c_str(), 1);
        std::ofstream fill(small / "filler", std::ios::binary);
        for (const std::string block(4096, 'f'); fill << block << std::flush;) {
        }
        return readsButCannotWrite();
    });
    if (full == kNoMounts && readOnly == kNoMounts)
        GTEST_SKIP() << "no file system can be mounted here";
    if (full != kNoMounts) {
        EXPECT_EQ(full, 0);
    }
}

// A deleted account's password is gone from the disk at once, not kept in free space.
TEST_F(StoreTest, DeletedPasswordLeavesNoTraceOnDisk) {
    const std::string secret = "pw-5e1f0c-only-here";
    {
        Handles s = openStore();
        ASSERT_TRUE(append(s, s.account, "A", secret.c_str()));
        KorvexDeleteInterface(s.h);
    }
    ASSERT_NE(test::ReadFile(dbPath()).find(secret), std::string::npos) << "where the test looks";
    Handles s = openStore();
    ASSERT_TRUE(load(s, 0));
    ASSERT_TRUE(remove(s));
    for (const char* file : {"", "-wal"})
        EXPECT_EQ(test::ReadFile(dbPath().string() + file).find(secret), std::string::npos) << file;
}

// A store folder others may enter is closed to them before use; one of another user is
// refused as it is.
TEST_F(StoreTest, WideStoreFolderIsTightenedOrRefused) {
    std::filesystem::create_directories(home);
    std::filesystem::permissions(home, std::filesystem::perms(0755));
    ASSERT_NE(KorvexInitialize(fresh()), 0);
    struct stat st {};
    ASSERT_EQ(stat(home.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    if (geteuid() != 0)
        return; // only root can give the folder away
    std::filesystem::permissions(home, std::filesystem::perms(0755));
    ASSERT_EQ(chown(home.c_str(), 65534, 65534), 0);
    EXPECT_EQ(KorvexInitialize(fresh()), 0);
    ASSERT_EQ(stat(home.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
}

// Processes that create the store together and write to it at once all succeed, and
// every record they wrote is kept.
TEST_F(StoreTest, ProcessesCreatingAndWritingTheStoreAtOnceKeepEveryRecord) {
    constexpr int kRounds = 3, kProcesses = 24, kEach = 4;
    for (int round = 0; round < kRounds; ++round) {
        setenv("KORVEX_HOME", (root / std::to_string(round)).c_str(), 1);
        int go[2];
        ASSERT_EQ(pipe(go), 0);
        std::vector<pid_t> children;
        for (int p = 0; p < kProcesses; ++p)
            children.push_back(child([&, p] {
                close(go[1]);
                char c;
                if (read(go[0], &c, 1) != 0) // all start when the pipe closes
                    return 5;
                const Handles s = openStore(KorvexNewInterface());
                if (!KorvexInitialize(s.h))
                    return 2;
                for (int i = 0; i < kEach; ++i)
                    if (!append(s, s.account, std::to_string(p) + "." + std::to_string(i)))
                        return 3;
                return 0;
            }));
        close(go[0]);
        close(go[1]);
        int failed = 0;
        for (pid_t c : children)
            failed += waitExit(c) != 0 ? 1 : 0;
        EXPECT_EQ(failed, 0) << "round " << round;
        const Names all = names(openStore());
        EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(),
                  std::size_t{kProcesses * kEach})
            << "round " << round;
    }
}

} // namespace
