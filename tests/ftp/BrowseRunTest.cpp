// The browse run through a recording sink, against pyftpdlib and the scripted server.
#include "ftp/BrowseRun.h"
#include "RecordingSink.h"
#include "inet/FtpListParser.h"
#include "res/Ids.h"
#include "support/RealServers.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <thread>

namespace {

using namespace std::chrono_literals;
using test::RecordingSink;
using Script = test::ScriptedFtpServer::Script;
using Names = std::vector<std::string>;

// What every run must keep to, whatever its end.
void ExpectWellFormed(const RecordingSink& s, unsigned returned) {
    ASSERT_GE(s.calls.size(), 3u);
    EXPECT_EQ(s.calls[0], "clear");
    EXPECT_EQ(s.calls[1], "read");
    EXPECT_EQ(std::count(s.calls.begin(), s.calls.end(), "end"), 1);
    EXPECT_EQ(s.calls.back(), "end");
    EXPECT_EQ(s.result, returned);
    const std::vector<int> order = {10, 20, 30, 40, 100};
    ASSERT_LE(s.progress.size(), order.size());
    EXPECT_TRUE(std::equal(s.progress.begin(), s.progress.end(), order.begin()));
    EXPECT_EQ(returned == 1, s.progress.size() == 5u);
    bool seenFile = false;
    for (const auto& r : s.rows) {
        EXPECT_FALSE(inet::IsDots(r.m_strEntryName));
        EXPECT_TRUE(r.m_bFolder == 0 || !seenFile)
            << "folder " << r.m_strEntryName << " after a file";
        seenFile = seenFile || r.m_bFolder == 0;
    }
    // The password is forgotten, right before the end, exactly when the login failed.
    const bool loginFailed = s.messages == std::vector<int>{IDS_CONNECT_FAILED};
    EXPECT_EQ(std::count(s.calls.begin(), s.calls.end(), "forget"), loginFailed ? 1 : 0);
    EXPECT_TRUE(!loginFailed || s.calls.end()[-2] == "forget");
}

TEST(RealServerBrowse, ListsFoldersThenMatchingFilesOrSaysWhyNot) {
    test::PyFtpServer server;
    for (const char* dir :
         {"pub/sub dir", "pub/日本語フォルダ", "pub/b", "empty", "only_dirs/d1", "only_dirs/d2"})
        server.MakeDir(dir);
    for (const char* file :
         {"pub/a.txt", "pub/c.TXT", "pub/b.log", "pub/試験 ファイル.txt", "top.txt"})
        server.MakeFile(file, "1");
    ASSERT_TRUE(server.Start()) << server.Error();
    using Set = std::set<std::string>;
    const Set pub = {"sub dir", "日本語フォルダ", "b"}, root = {"pub", "empty", "only_dirs"};
    struct Case {
        std::string folder, mask, password;
        unsigned result;
        std::vector<int> messages;
        Names folderTexts; // what SetFolderText was given
        Set folders, files;
    };
    // clang-format off
    const Case cases[] = {
        // Case-sensitive: c.TXT does not match; the folder is the server's.
        {"/pub/sub dir/..", "*.txt", "secret", 1, {}, {"/pub"}, pub, {"a.txt", "試験 ファイル.txt"}},
        // No folder: the login folder, written back.
        {"", "", "secret", 1, {}, {"/"}, root, {"top.txt"}},
        {"/no such folder", "", "secret", 1, {IDS_BAD_FOLDER}, {"/"}, root, {"top.txt"}},
        {"/pub", "", "wrong", 0, {IDS_CONNECT_FAILED}, {}, {}, {}},
        // Nothing listed, or no file matching: silently, without 100.
        {"/empty", "", "secret", 0, {}, {"/empty"}, {}, {}},
        {"/pub", "*.zip", "secret", 0, {}, {"/pub"}, pub, {}},
        // Folders matching the mask complete the run.
        {"/only_dirs", "d?", "secret", 1, {}, {"/only_dirs"}, {"d1", "d2"}, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder + " | " + c.mask + " | " + c.password);
        RecordingSink sink;
        sink.folderIn = c.folder;
        sink.maskIn = c.mask;
        auto req = test::Request(server.Port());
        req.password = c.password;
        std::atomic<int> cancel{0};
        const unsigned r = ftp::RunBrowse(req, sink, cancel);
        ExpectWellFormed(sink, r);
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(sink.messages, c.messages);
        EXPECT_EQ(sink.folderTexts, c.folderTexts);
        const Names folders = sink.Names(1), files = sink.Names(0);
        EXPECT_EQ(Set(folders.begin(), folders.end()), c.folders);
        EXPECT_EQ(Set(files.begin(), files.end()), c.files);
        for (const auto& row : sink.rows)
            EXPECT_EQ(row.m_strPath,
                      (c.folderTexts[0] == "/" ? "" : c.folderTexts[0]) + "/" + row.m_strEntryName);
    }
}

// Dots, a symbolic link and names no client can ask for (NUL, CR) among the rows.
Script UnixScript() {
    Script s;
    s.folders = {"/home/tester", "/data"};
    s.listing = "total 5\r\n"
                "drwxr-xr-x 2 u g 512 Jan  1  2020 .\r\n"
                "drwxr-xr-x 2 u g 512 Jan  1  2020 ..\r\n"
                "drwxr-xr-x 2 u g 512 Jan  1  2020 folder one\r\n"
                "-rw-r--r-- 1 u g  12 Jan  1 10:00 file1.txt\r\n"
                "drwxr-xr-x 2 u g 512 Jan  1  2020 folder two\r\n"
                "lrwxrwxrwx 1 u g   7 Jan  1 10:00 link.txt -> file1.txt\r\n"
                "-rw-r--r-- 1 u g  12 Jan  1 10:00 cr\rname.txt\r\n" +
                std::string("-rw-r--r-- 1 u g  12 Jan  1 10:00 nul\0.txt\r\n", 44) +
                "-rw-r--r-- 1 u g  12 Jan  1 10:00 file2.log\r\n"
                "-rw-r--r-- 1 u g  12 Jan  1 10:00 file3.txt\r\n";
    return s;
}

struct ScriptedRun {
    RecordingSink sink;
    std::atomic<int> cancel{0};
    std::unique_ptr<test::ScriptedFtpServer> server;
    std::function<void(ftp::BrowseRequest&)> tune; // changes to the request, if any

    unsigned Go(const Script& script, const std::string& folder, const std::string& mask = "",
                std::chrono::milliseconds t = 10s, std::size_t batch = 512) {
        server = std::make_unique<test::ScriptedFtpServer>(script);
        EXPECT_TRUE(server->Start());
        // The stop flag is set once the server has reached its stall point, if any.
        std::thread stopper([&] {
            if (!script.stallAt.empty() && t > 10s && server->WaitStalled(20s))
                cancel = 1;
        });
        sink.folderIn = folder;
        sink.maskIn = mask;
        auto req = test::Request(server->Port(), t);
        req.batchRows = batch;
        if (tune)
            tune(req);
        const unsigned result = ftp::RunBrowse(req, sink, cancel);
        stopper.join();
        ExpectWellFormed(sink, result);
        return result;
    }
};

TEST(ScriptedBrowse, FailuresSayWhatFailed) {
    const struct {
        const char* what;
        void (*make)(Script&);
        int message;
    } cases[] = {
        {"no greeting", [](Script& s) { s.stallAt = "GREETING"; }, IDS_CONNECT_FAILED},
        {"no reply to CWD", [](Script& s) { s.stallAt = "CWD"; }, IDS_LIST_FAILED},
        {"no reply to PWD", [](Script& s) { s.stallAt = "PWD"; }, IDS_LIST_FAILED},
        {"broken data connection", [](Script& s) { s.breakData = true; }, IDS_LIST_FAILED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Script s = UnixScript();
        c.make(s);
        ScriptedRun run;
        EXPECT_EQ(run.Go(s, "/data", "", 500ms), 0u);
        EXPECT_EQ(run.sink.messages, std::vector<int>{c.message});
    }
}

TEST(ScriptedBrowse, FolderWithLineBreakIsRefusedAndNeverSent) {
    ScriptedRun run;
    EXPECT_EQ(run.Go(UnixScript(), "/data\r\nDELE x"), 1u);
    EXPECT_EQ(run.sink.messages, std::vector<int>{IDS_BAD_FOLDER});
    EXPECT_EQ(run.sink.folderTexts, Names{"/home/tester"});
    for (const auto& c : run.server->Commands())
        EXPECT_TRUE(c.rfind("CWD", 0) != 0 && c.find("DELE") == std::string::npos) << c;
    // Folders, then files in the server's order; dots and unfetchable names left out.
    EXPECT_EQ(run.sink.Names(1), (Names{"folder one", "folder two"}));
    EXPECT_EQ(run.sink.Names(0), (Names{"file1.txt", "link.txt", "file2.log", "file3.txt"}));
}

TEST(ScriptedBrowse, RowsArriveInBatches) {
    Script s = UnixScript();
    s.listing.clear();
    for (int i = 0; i < 300; ++i)
        s.listing += "drwxr-xr-x 2 u g 512 Jan  1  2020 d" + std::to_string(i) + "\r\n";
    for (int i = 0; i < 300; ++i)
        s.listing += "-rw-r--r-- 1 u g 1 Jan  1  2020 f" + std::to_string(i) + "\r\n";
    ScriptedRun run;
    EXPECT_EQ(run.Go(s, "/data", "", 10s, 64), 1u);
    ASSERT_EQ(run.sink.rows.size(), 600u);
    EXPECT_EQ(run.sink.rows[299].m_strEntryName, "d299");
    EXPECT_EQ(run.sink.rows[300].m_strEntryName, "f0");
    EXPECT_LE(*std::max_element(run.sink.batchSizes.begin(), run.sink.batchSizes.end()), 64u);
    EXPECT_LT(run.sink.batchSizes.size(), 600u / 8);
}

// Past the caps the listing is read no further, the rows kept so far are shown and the
// user is told; the control connection is still in step for QUIT.
TEST(ScriptedBrowse, ListingsPastTheCapsAreCutAndSaySo) {
    struct Case {
        const char* what;
        int repeats; // of the listing; 0: without end
        std::size_t maxRows, maxTextBytes;
        const char* mask;
        unsigned result;
        Names folders, files;
    };
    // clang-format off
    const Case cases[] = {
        {"as many rows as allowed", 1, 6, 1 << 20, "", 1, {"d0", "d1", "d2"}, {"f0.txt", "f1.txt", "f2.txt"}},
        {"one row too many", 1, 5, 1 << 20, "", 0, {"d0", "d1", "d2"}, {"f0.txt", "f1.txt"}},
        // "d0" and "/data/d0" take 10 bytes, "f0.txt" and its path 18.
        {"text up to the byte", 1, 100, 38, "", 0, {"d0", "d1"}, {"f0.txt"}},
        {"files not matching are not kept", 0, 3, 1 << 20, "*.zip", 0, {"d0", "d1", "d2"}, {}},
        {"without end", 0, 4, 1 << 20, "", 0, {"d0", "d1"}, {"f0.txt", "f1.txt"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Script s = UnixScript();
        s.listing.clear();
        for (int i = 0; i < 3; ++i)
            s.listing += "drwxr-xr-x 2 u g 512 Jan  1  2020 d" + std::to_string(i) + "\r\n" +
                         "-rw-r--r-- 1 u g 1 Jan  1  2020 f" + std::to_string(i) + ".txt\r\n";
        s.listingRepeats = c.repeats;
        ScriptedRun run;
        run.tune = [&c](ftp::BrowseRequest& r) {
            r.maxRows = c.maxRows;
            r.maxTextBytes = c.maxTextBytes;
        };
        EXPECT_EQ(run.Go(s, "/data", c.mask), c.result);
        EXPECT_EQ(run.sink.messages,
                  c.result ? std::vector<int>{} : std::vector<int>{IDS_LIST_TOO_LARGE});
        EXPECT_EQ(run.sink.Names(1), c.folders);
        EXPECT_EQ(run.sink.Names(0), c.files);
        EXPECT_EQ(run.server->Commands().back(), "QUIT");
    }
}

// A listing that trickles in for ever ends by the total limit, or sooner by a stop.
TEST(ScriptedBrowse, TricklingListingEndsByTheTotalLimitOrAStop) {
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stop" : "total limit");
        Script s = UnixScript();
        s.listingRepeats = 0;
        s.trickle = 20ms;
        ScriptedRun run;
        run.tune = [stop](ftp::BrowseRequest& r) { r.transferTotalTimeout = stop ? 60s : 1s; };
        std::atomic<bool> ended{false};
        std::thread stopper([&run, &ended, stop] {
            // Without a stop, only a run that failed to end by itself is stopped, late.
            const auto at = std::chrono::steady_clock::now() + (stop ? 1s : 15s);
            while (!ended && std::chrono::steady_clock::now() < at)
                std::this_thread::sleep_for(20ms);
            run.cancel = 1;
        });
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(run.Go(s, "/data"), 0u);
        ended = true;
        stopper.join();
        EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
        // A stop during the folder listing ends silently.
        EXPECT_EQ(run.sink.messages, stop ? std::vector<int>{} : std::vector<int>{IDS_LIST_FAILED});
    }
}

// A stop while connecting, or once files are listed, says so; a stop before or during
// the folder listing ends the run silently. Rows so far are kept.
TEST(ScriptedStop, SaysCancelledOrEndsSilentlyAndKeepsRowsSoFar) {
    struct Case {
        const char* what;
        std::string stallAt;
        int atProgress; // stop when this progress is posted; 0: not
        bool beforeStart, atFirstFile;
        std::vector<int> messages;
        int lastProgress;
        std::size_t folders, files; // folders: SIZE_MAX for any number
    };
    const std::vector<int> cancelled = {IDS_CANCELLED};
    const Case cases[] = {
        {"before the run starts", "", 0, true, false, cancelled, 10, 0, 0},
        {"waiting for the greeting", "GREETING", 0, false, false, cancelled, 10, 0, 0},
        {"at 20", "", 20, false, false, {}, 20, 0, 0},
        {"at 30", "", 30, false, false, {}, 30, 0, 0},
        {"waiting for the folder listing", "DATA", 0, false, false, {}, 30, SIZE_MAX, 0},
        {"at 40", "", 40, false, false, cancelled, 40, 2, 0},
        {"at the first file row", "", 0, false, true, cancelled, 40, 2, 1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Script s = UnixScript();
        s.stallAt = k.stallAt;
        ScriptedRun run;
        run.cancel = k.beforeStart ? 1 : 0;
        run.sink.onProgress = [&run, &k](int p) { run.cancel = run.cancel || p == k.atProgress; };
        run.sink.onRows = [&run, &k](const std::vector<CRemoteEntry>& rows) {
            run.cancel = run.cancel || (k.atFirstFile && rows[0].m_bFolder == 0);
        };
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(run.Go(s, "/data", "", 60s, 1), 0u);
        EXPECT_LT(std::chrono::steady_clock::now() - started, 30s);
        EXPECT_EQ(run.sink.messages, k.messages);
        EXPECT_EQ(run.sink.progress.back(), k.lastProgress);
        EXPECT_TRUE(k.folders == SIZE_MAX || run.sink.Names(1).size() == k.folders);
        EXPECT_EQ(run.sink.Names(0).size(), k.files);
        EXPECT_TRUE(!k.beforeStart || run.server->Commands().empty());
    }
}

} // namespace
