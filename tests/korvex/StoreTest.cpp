// The account store and the user name: records, snapshots, persistence
// across interfaces and processes, and the database on disk.
#include "KorvexLib.hpp"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

class StoreTest : public KorvexTest {
protected:
    // Starts the helper with the given arguments; stdout goes to `outFd` when
    // asked for.
    pid_t spawnHelper(const std::vector<std::string>& args, int* outFd = nullptr) {
        std::vector<char*> argv;
        std::string path = KORVEX_HELPER_PATH;
        argv.push_back(path.data());
        std::vector<std::string> copy = args;
        for (auto& a : copy)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        int pipeFds[2] = {-1, -1};
        if (outFd != nullptr) {
            EXPECT_EQ(pipe(pipeFds), 0);
            posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
            posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        }
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        if (outFd != nullptr) {
            close(pipeFds[1]);
            *outFd = pipeFds[0];
        }
        return pid;
    }

    int waitExit(pid_t pid) {
        int status = 0;
        if (waitpid(pid, &status, 0) != pid)
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    int runHelper(const std::vector<std::string>& args) { return waitExit(spawnHelper(args)); }

    struct Handles {
        KorvexHandle h;
        int store, account, proxy;
    };

    Handles openStore() {
        KorvexHandle h = open();
        return {h, k.KorvexNewItem(h, 9), k.KorvexNewItem(h, 10), k.KorvexNewItem(h, 11)};
    }

    void appendAccount(const Handles& s, const std::string& name, bool withPassword = true) {
        k.KorvexGetDataNum(s.h, s.account, 0, nullptr);
        k.KorvexSetDataValue(s.h, s.account, 1011, name.c_str());
        k.KorvexSetDataValue(s.h, s.account, 2001, "user");
        k.KorvexSetDataNum(s.h, s.account, 2002, withPassword ? 0 : 1);
        if (withPassword)
            k.KorvexSetDataValue(s.h, s.account, 1016, "secret");
        k.KorvexSetDataValue(s.h, s.account, 1302, ("ftp." + name + ".example").c_str());
        k.KorvexSetDataNum(s.h, s.account, 1301, 131);
        k.KorvexSetDataNum(s.h, s.account, 2003, 1);
        k.KorvexSetDataValue(s.h, s.account, 2004, "");
        ASSERT_NE(k.KorvexSetDataNum(s.h, s.store, 1014, s.account), 0) << name;
    }

    // The account names in store order, as the account list shows them.
    std::vector<std::string> accountNames(const Handles& s, int kind = 10) {
        k.KorvexSetDataNum(s.h, s.store, 1902, 0);
        k.KorvexSetDataNum(s.h, s.store, 1901, 0);
        std::vector<std::string> names;
        const int record = kind == 10 ? s.account : s.proxy;
        const int n = k.KorvexGetItemNum(s.h, s.store, kind);
        for (int i = 0; i < n; ++i) {
            if (k.KorvexTestData(s.h, s.store, kind == 10 ? 1304 : 2004, i, record) == 0)
                break;
            names.push_back(text(s.h, record, 1011));
        }
        return names;
    }

    std::filesystem::path dbPath() const { return home / "korvex.db"; }
};

using Names = std::vector<std::string>;

TEST_F(StoreTest, AccountsAndProxiesAreSeparateListsOfWholeRecords) {
    Handles s = openStore();
    EXPECT_EQ(k.KorvexGetItemNum(s.h, s.store, 10), 0);
    EXPECT_EQ(k.KorvexTestData(s.h, s.store, 1304, 0, s.account), 0);
    appendAccount(s, "A");
    appendAccount(s, "B", false);
    k.KorvexGetDataNum(s.h, s.proxy, 0, nullptr);
    k.KorvexSetDataValue(s.h, s.proxy, 1011, "px");
    k.KorvexSetDataValue(s.h, s.proxy, 1302, "proxy.example");
    ASSERT_NE(k.KorvexSetDataNum(s.h, s.store, 1014, s.proxy), 0);

    EXPECT_EQ(k.KorvexGetItemNum(s.h, s.store, 10), 2);
    EXPECT_EQ(k.KorvexGetItemNum(s.h, s.store, 11), 1);
    EXPECT_EQ(accountNames(s), (Names{"A", "B"}));
    EXPECT_EQ(accountNames(s, 11), (Names{"px"}));

    ASSERT_NE(k.KorvexTestData(s.h, s.store, 1304, 0, s.account), 0);
    EXPECT_EQ(text(s.h, s.account, 2001), "user");
    EXPECT_EQ(text(s.h, s.account, 1016), "secret");
    EXPECT_EQ(text(s.h, s.account, 1302), "ftp.A.example");
    EXPECT_EQ(num(s.h, s.account, 1301), 131);
    EXPECT_EQ(num(s.h, s.account, 2002), 0);
    // The second account was written without a password: the field is absent,
    // not left over from the record built before it.
    ASSERT_NE(k.KorvexTestData(s.h, s.store, 1304, 1, s.account), 0);
    EXPECT_EQ(num(s.h, s.account, 2002), 1);
    EXPECT_EQ(text(s.h, s.account, 1016), "<absent>");
    ASSERT_NE(k.KorvexTestData(s.h, s.store, 2004, 0, s.proxy), 0);
    EXPECT_EQ(text(s.h, s.proxy, 1302), "proxy.example");

    // Wrong list for the handle's kind, out of range, negative index.
    EXPECT_EQ(k.KorvexTestData(s.h, s.store, 2004, 0, s.account), 0);
    EXPECT_EQ(k.KorvexTestData(s.h, s.store, 1304, 2, s.account), 0);
    EXPECT_EQ(k.KorvexTestData(s.h, s.store, 1304, -1, s.account), 0);
    EXPECT_EQ(k.KorvexTestData(s.h, s.account, 1304, 0, s.account), 0);
    // Only record handles can be appended.
    const int file = k.KorvexNewItem(s.h, 5);
    EXPECT_EQ(k.KorvexSetDataNum(s.h, s.store, 1014, file), 0);
    EXPECT_EQ(k.KorvexGetItemNum(s.h, s.store, 10), 2);
    EXPECT_EQ(k.KorvexGetDataNum(s.h, s.store, 0, nullptr), 0) << "only records restart";
    // Editing the handle after an append changes nothing stored.
    k.KorvexGetDataNum(s.h, s.account, 0, nullptr);
    EXPECT_EQ(text(s.h, s.account, 1011), "<absent>");
    k.KorvexSetDataValue(s.h, s.account, 1011, "edited");
    EXPECT_EQ(accountNames(s), (Names{"A", "B"}));
}

TEST_F(StoreTest, DeleteRemovesExactlyTheLoadedRecord) {
    Handles s = openStore();
    for (const char* n : {"A", "B", "C", "B"})
        appendAccount(s, n);
    ASSERT_EQ(accountNames(s), (Names{"A", "B", "C", "B"}));
    // Nothing loaded yet in a fresh handle: nothing to delete.
    const int fresh = k.KorvexNewItem(s.h, 10);
    EXPECT_EQ(k.KorvexSetDataNum(s.h, s.store, 1015, fresh), 0);
    // The second "B" goes, the first stays (same name, other record).
    ASSERT_NE(k.KorvexTestData(s.h, s.store, 1304, 3, s.account), 0);
    EXPECT_NE(k.KorvexSetDataNum(s.h, s.store, 1015, s.account), 0);
    EXPECT_EQ(accountNames(s), (Names{"A", "B", "C"}));
    // A second delete of the same record reports that nothing was there.
    ASSERT_NE(k.KorvexTestData(s.h, s.store, 1304, 2, s.account), 0);
    EXPECT_NE(k.KorvexSetDataNum(s.h, s.store, 1015, s.account), 0);
    EXPECT_EQ(k.KorvexSetDataNum(s.h, s.store, 1015, s.account), 0);
    // Starting a new record forgets the loaded one.
    ASSERT_NE(k.KorvexTestData(s.h, s.store, 1304, 0, s.account), 0);
    k.KorvexGetDataNum(s.h, s.account, 0, nullptr);
    EXPECT_EQ(k.KorvexSetDataNum(s.h, s.store, 1015, s.account), 0);
    EXPECT_EQ(accountNames(s), (Names{"A", "B"}));
}

TEST_F(StoreTest, SnapshotFollowsTheDiskOnlyWhenRefreshed) {
    Handles a = openStore();
    Handles b = openStore();
    appendAccount(a, "A");
    // b's indices still describe the list it last filled.
    EXPECT_EQ(k.KorvexGetItemNum(b.h, b.store, 10), 0);
    EXPECT_EQ(k.KorvexTestData(b.h, b.store, 1304, 0, b.account), 0);
    EXPECT_NE(k.KorvexSetDataNum(b.h, b.store, 1902, 0), 0);
    EXPECT_EQ(k.KorvexGetItemNum(b.h, b.store, 10), 1);
    appendAccount(a, "B");
    EXPECT_EQ(k.KorvexGetItemNum(b.h, b.store, 10), 1);
    // A nonzero value is stored as a number and does not refresh.
    k.KorvexSetDataNum(b.h, b.store, 1901, 5);
    EXPECT_EQ(k.KorvexGetItemNum(b.h, b.store, 10), 1);
    k.KorvexSetDataNum(b.h, b.store, 1901, 0);
    EXPECT_EQ(k.KorvexGetItemNum(b.h, b.store, 10), 2);
}

TEST_F(StoreTest, StoreSurvivesClearAndRenewedHandlesSeeTheSameOrder) {
    Handles s = openStore();
    for (const char* n : {"A", "B", "C"})
        appendAccount(s, n);
    ASSERT_NE(k.KorvexClear(s.h), 0);
    Handles renewed{s.h, k.KorvexNewItem(s.h, 9), k.KorvexNewItem(s.h, 10), s.proxy};
    EXPECT_EQ(k.KorvexGetItemNum(s.h, renewed.store, 10), 3);
    ASSERT_NE(k.KorvexTestData(s.h, renewed.store, 1304, 2, renewed.account), 0);
    EXPECT_EQ(text(s.h, renewed.account, 1011), "C");
    // The old handles and the never-renewed proxy handle still work.
    ASSERT_NE(k.KorvexTestData(s.h, s.store, 1304, 1, s.account), 0);
    EXPECT_EQ(text(s.h, s.account, 1011), "B");
    k.KorvexGetDataNum(s.h, s.proxy, 0, nullptr);
    k.KorvexSetDataValue(s.h, s.proxy, 1011, "px");
    EXPECT_NE(k.KorvexSetDataNum(s.h, renewed.store, 1014, s.proxy), 0);
    EXPECT_EQ(accountNames(renewed, 11), (Names{"px"}));
}

TEST_F(StoreTest, NameAndRecordsPersistAcrossInterfacesAndProcesses) {
    char buf[260] = "x";
    {
        Handles s = openStore();
        EXPECT_EQ(k.KorvexGetName(s.h, buf, sizeof buf), 0) << "no name stored yet";
        EXPECT_STREQ(buf, "");
        ASSERT_NE(k.KorvexSetName(s.h, "山田 太郎"), 0);
        appendAccount(s, "mine");
        k.KorvexDeleteInterface(s.h);
    }
    Handles s = openStore();
    ASSERT_NE(k.KorvexGetName(s.h, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "山田 太郎");
    // Another process sees them, and its changes come back here.
    ASSERT_EQ(runHelper({"append", "10", "theirs", "2"}), 0);
    ASSERT_EQ(runHelper({"name", "suzuki"}), 0);
    EXPECT_EQ(accountNames(s), (Names{"mine", "theirs0", "theirs1"}));
    ASSERT_NE(k.KorvexGetName(s.h, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "suzuki");
}

TEST_F(StoreTest, NameIsCutToWholeCharactersWithinTheLimit) {
    KorvexHandle h = open();
    // 258 ASCII bytes then a 3-byte character: it does not fit in 259.
    const std::string name = std::string(258, 'n') + "名前";
    ASSERT_NE(k.KorvexSetName(h, name.c_str()), 0);
    char buf[400];
    ASSERT_NE(k.KorvexGetName(h, buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf), std::string(258, 'n'));
    const std::string fits = std::string(256, 'n') + "名";
    ASSERT_NE(k.KorvexSetName(h, fits.c_str()), 0);
    ASSERT_NE(k.KorvexGetName(h, buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf), fits);
    // A small buffer cuts the read the same way.
    char small[4];
    std::memset(small, '#', sizeof small);
    ASSERT_NE(k.KorvexGetName(h, small, 3), 0);
    EXPECT_STREQ(small, "nn");
    EXPECT_EQ(small[3], '#');
}

TEST_F(StoreTest, StoreCallsFailWithoutInitializeAndAfterFinalize) {
    KorvexHandle h = k.KorvexNewInterface();
    const int store = k.KorvexNewItem(h, 9);
    const int account = k.KorvexNewItem(h, 10);
    k.KorvexSetDataValue(h, account, 1011, "x");
    EXPECT_EQ(k.KorvexSetDataNum(h, store, 1014, account), 0);
    EXPECT_EQ(k.KorvexSetName(h, "x"), 0);
    EXPECT_FALSE(std::filesystem::exists(home)) << "nothing is created before Initialize";
    ASSERT_NE(k.KorvexInitialize(h), 0);
    EXPECT_NE(k.KorvexSetDataNum(h, store, 1014, account), 0);
    EXPECT_EQ(k.KorvexGetItemNum(h, store, 10), 1);
    ASSERT_NE(k.KorvexFinalize(h), 0);
    EXPECT_EQ(k.KorvexGetItemNum(h, store, 10), 0);
    EXPECT_EQ(k.KorvexSetDataNum(h, store, 1014, account), 0);
    ASSERT_NE(k.KorvexInitialize(h), 0);
    EXPECT_EQ(k.KorvexGetItemNum(h, store, 10), 1);
    k.KorvexDeleteInterface(h);
}

TEST_F(StoreTest, StoreFolderAndDatabaseArePrivate) {
    KorvexHandle h = open();
    ASSERT_NE(k.KorvexSetName(h, "x"), 0);
    struct stat st {};
    for (const auto& [p, mode] :
         {std::pair{home, 0700u}, {root / "home", 0700u}, {dbPath(), 0600u}}) {
        ASSERT_EQ(stat(p.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, mode) << p;
    }
}

TEST_F(StoreTest, FolderFollowsXdgConfigHomeThenHomeWhenKorvexHomeIsUnset) {
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome != nullptr ? oldHome : "";
    const std::filesystem::path fallback = root / "user" / ".config" / "orvane" / "korvex";
    // XDG_CONFIG_HOME as set (nothing: unset); a relative one does not count.
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
        KorvexHandle h = open();
        EXPECT_NE(k.KorvexSetName(h, "x"), 0);
        EXPECT_TRUE(std::filesystem::exists(expected / "korvex.db"));
        k.KorvexDeleteInterface(h);
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
    k.KorvexSetName(first, "mine");
    k.KorvexDeleteInterface(first);
    std::string truncated = contents();
    truncated.resize(truncated.size() / 2);
    std::string junk = "SQLite format 3";
    junk.push_back('\0');
    junk += std::string(4000, '\x5a');
    for (const std::string& damaged : {truncated, junk}) {
        std::filesystem::remove(home / "korvex.db-wal");
        std::ofstream(dbPath(), std::ios::binary | std::ios::trunc) << damaged;
        KorvexHandle h = k.KorvexNewInterface();
        EXPECT_EQ(k.KorvexInitialize(h), 0);
        const int store = k.KorvexNewItem(h, 9);
        EXPECT_EQ(k.KorvexSetDataNum(h, store, 1014, k.KorvexNewItem(h, 10)), 0);
        EXPECT_EQ(k.KorvexSetName(h, "x"), 0);
        k.KorvexDeleteInterface(h);
        EXPECT_EQ(contents(), damaged);
        EXPECT_FALSE(std::filesystem::exists(home / "korvex.db-wal"));
    }
}

TEST_F(StoreTest, TwoProcessesAppendingAtOnceKeepEveryRecord) {
    k.KorvexDeleteInterface(open()); // creates the database up front
    const std::string go = (root / "go").string();
    constexpr int kEach = 40;
    const pid_t p1 = spawnHelper({"append", "10", "p", std::to_string(kEach), go});
    const pid_t p2 = spawnHelper({"append", "10", "q", std::to_string(kEach), go});
    std::ofstream(go).put('1');
    EXPECT_EQ(waitExit(p1), 0);
    EXPECT_EQ(waitExit(p2), 0);
    Handles s = openStore();
    const Names names = accountNames(s);
    EXPECT_EQ(names.size(), 2u * kEach);
    const std::set<std::string> unique(names.begin(), names.end());
    for (int i = 0; i < kEach; ++i) {
        EXPECT_EQ(unique.count("p" + std::to_string(i)), 1u) << i;
        EXPECT_EQ(unique.count("q" + std::to_string(i)), 1u) << i;
    }
}

TEST_F(StoreTest, DeleteHitsTheLoadedRecordAfterAnotherProcessChangedTheStore) {
    Handles s = openStore();
    for (const char* n : {"A", "B", "C"})
        appendAccount(s, n);
    ASSERT_EQ(accountNames(s), (Names{"A", "B", "C"}));
    // The user picks row 1 (B) while another process removes A and adds D.
    ASSERT_NE(k.KorvexTestData(s.h, s.store, 1304, 1, s.account), 0);
    ASSERT_EQ(runHelper({"delete", "A"}), 0);
    ASSERT_EQ(runHelper({"append", "10", "D", "1"}), 0);
    EXPECT_NE(k.KorvexSetDataNum(s.h, s.store, 1015, s.account), 0);
    EXPECT_EQ(accountNames(s), (Names{"C", "D0"}));

    // A record that vanished meanwhile cannot be deleted again.
    ASSERT_NE(k.KorvexTestData(s.h, s.store, 1304, 0, s.account), 0);
    ASSERT_EQ(runHelper({"delete", "C"}), 0);
    EXPECT_EQ(k.KorvexSetDataNum(s.h, s.store, 1015, s.account), 0);
    EXPECT_EQ(accountNames(s), (Names{"D0"}));
}

TEST_F(StoreTest, KilledProcessLosesNoReportedAppend) {
    int out = -1;
    const pid_t pid = spawnHelper({"append-then-hang", "survivor"}, &out);
    ASSERT_GE(out, 0);
    std::string line;
    char c[64];
    for (int tries = 0; tries < 60 && line.find('\n') == std::string::npos; ++tries) {
        pollfd p{out, POLLIN, 0};
        const ssize_t n = poll(&p, 1, 1000) > 0 ? read(out, c, sizeof c) : 0;
        line.append(c, n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    close(out);
    kill(pid, SIGKILL);
    EXPECT_EQ(waitExit(pid), 128 + SIGKILL);
    ASSERT_EQ(line, "appended\n");
    Handles s = openStore();
    EXPECT_EQ(accountNames(s), (Names{"survivor"}));
}

} // namespace
