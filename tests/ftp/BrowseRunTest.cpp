// The browse run through a recording sink, against pyftpdlib and the scripted server.
#include "ftp/BrowseRun.h"
#include "RecordingSink.h"
#include "res/Ids.h"
#include "res/Resources.h"
#include "support/HangingPort.h"
#include "support/PyFtpServer.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <set>
#include <thread>

namespace {

using namespace std::chrono_literals;
using test::RecordingSink;
using test::ScriptedFtpServer;

ftp::BrowseRequest Request(std::uint16_t port, bool passive, std::chrono::milliseconds t = 10s) {
    ftp::BrowseRequest r;
    r.server = "127.0.0.1";
    r.userId = "tester";
    r.password = "secret";
    r.port = port;
    r.passive = passive;
    r.connectTimeout = r.replyTimeout = r.transferTimeout = t;
    return r;
}

// What every run must keep to, whatever its end.
void ExpectWellFormed(const RecordingSink& s, unsigned returned) {
    ASSERT_GE(s.calls.size(), 3u);
    EXPECT_EQ(s.calls[0], "clear");
    EXPECT_EQ(s.calls[1], "read");
    EXPECT_EQ(s.calls.back(), "end");
    EXPECT_EQ(s.results, 1);
    EXPECT_EQ(s.result, returned);
    const std::vector<int> order = {10, 20, 30, 40, 100};
    ASSERT_LE(s.progress.size(), order.size());
    for (std::size_t i = 0; i < s.progress.size(); ++i)
        EXPECT_EQ(s.progress[i], order[i]);
    EXPECT_EQ(returned == 1, s.progress.size() == 5u);
    bool seenFile = false;
    for (const auto& r : s.rows) {
        EXPECT_NE(r.m_strEntryName, ".");
        EXPECT_NE(r.m_strEntryName, "..");
        if (r.m_bFolder == 0) {
            seenFile = true;
        } else {
            EXPECT_FALSE(seenFile) << "folder " << r.m_strEntryName << " after a file";
        }
    }
    auto forget = std::find(s.calls.begin(), s.calls.end(), "forget");
    if (forget != s.calls.end()) {
        EXPECT_EQ(forget + 1, s.calls.end() - 1) << "password forgotten right before the end";
    }
}

std::set<std::string> AsSet(const std::vector<std::string>& v) {
    return {v.begin(), v.end()};
}

class RealServerBrowse : public ::testing::TestWithParam<bool> {
protected:
    static void SetUpTestSuite() {
        s_server = std::make_unique<test::PyFtpServer>();
        auto& s = *s_server;
        s.MakeDir("pub/sub dir");
        s.MakeDir("pub/日本語フォルダ");
        s.MakeDir("pub/b");
        s.MakeFile("pub/a.txt", "1");
        s.MakeFile("pub/c.TXT", "2");
        s.MakeFile("pub/b.log", "3");
        s.MakeFile("pub/試験 ファイル.txt", "4");
        s.MakeDir("empty");
        s.MakeDir("only_dirs/d1");
        s.MakeDir("only_dirs/d2");
        s.MakeFile("top.txt", "5");
        ASSERT_TRUE(s.Start()) << s.Error();
    }
    static void TearDownTestSuite() { s_server.reset(); }

    unsigned Run(RecordingSink& sink, const std::string& folder, const std::string& mask,
                 const std::string& password = "secret") {
        sink.folderIn = folder;
        sink.maskIn = mask;
        auto req = Request(s_server->Port(), GetParam());
        req.password = password;
        std::atomic<int> cancel{0};
        unsigned r = ftp::RunBrowse(req, sink, cancel);
        ExpectWellFormed(sink, r);
        return r;
    }

    static std::unique_ptr<test::PyFtpServer> s_server;
};
std::unique_ptr<test::PyFtpServer> RealServerBrowse::s_server;

TEST_P(RealServerBrowse, FolderWithMaskListsAllFoldersThenMatchingFiles) {
    RecordingSink sink;
    EXPECT_EQ(Run(sink, "/pub", "*.txt"), 1u);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(sink.folderTexts, std::vector<std::string>{"/pub"});
    EXPECT_EQ(AsSet(sink.Names(1)), (std::set<std::string>{"sub dir", "日本語フォルダ", "b"}));
    // Case-sensitive: c.TXT does not match.
    EXPECT_EQ(AsSet(sink.Names(0)), (std::set<std::string>{"a.txt", "試験 ファイル.txt"}));
    for (const auto& r : sink.rows)
        EXPECT_EQ(r.m_strPath, "/pub/" + r.m_strEntryName);
}

TEST_P(RealServerBrowse, EmptyMaskListsEveryFile) {
    RecordingSink sink;
    EXPECT_EQ(Run(sink, "/pub/", ""), 1u);
    EXPECT_EQ(sink.Names(0).size(), 4u);
    EXPECT_EQ(sink.folderTexts, std::vector<std::string>{"/pub"});
}

TEST_P(RealServerBrowse, EmptyFolderTextListsLoginFolderAndWritesItBack) {
    RecordingSink sink;
    EXPECT_EQ(Run(sink, "", ""), 1u);
    EXPECT_EQ(sink.folderTexts, std::vector<std::string>{"/"});
    EXPECT_EQ(AsSet(sink.Names(1)), (std::set<std::string>{"pub", "empty", "only_dirs"}));
    EXPECT_EQ(sink.Names(0), std::vector<std::string>{"top.txt"});
    // At the root no separator is doubled.
    for (const auto& r : sink.rows)
        EXPECT_EQ(r.m_strPath, "/" + r.m_strEntryName);
}

TEST_P(RealServerBrowse, MissingFolderShows135AndListsLoginFolder) {
    RecordingSink sink;
    EXPECT_EQ(Run(sink, "/no such folder", ""), 1u);
    EXPECT_EQ(sink.messages, std::vector<int>{IDS_BAD_FOLDER});
    EXPECT_EQ(sink.folderTexts, std::vector<std::string>{"/"});
    EXPECT_EQ(AsSet(sink.Names(1)), (std::set<std::string>{"pub", "empty", "only_dirs"}));
}

TEST_P(RealServerBrowse, RefusedLoginShows134AndForgetsPassword) {
    RecordingSink sink;
    EXPECT_EQ(Run(sink, "/pub", "", "wrong"), 0u);
    EXPECT_EQ(sink.messages, std::vector<int>{IDS_CONNECT_FAILED});
    EXPECT_TRUE(sink.rows.empty());
    EXPECT_TRUE(sink.folderTexts.empty());
    EXPECT_EQ(sink.progress, std::vector<int>{10});
    EXPECT_NE(std::find(sink.calls.begin(), sink.calls.end(), "forget"), sink.calls.end());
}

TEST_P(RealServerBrowse, EmptyFolderEndsSilentlyWithout100) {
    RecordingSink sink;
    EXPECT_EQ(Run(sink, "/empty", ""), 0u);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_TRUE(sink.rows.empty());
    EXPECT_EQ(sink.progress, (std::vector<int>{10, 20, 30, 40}));
}

TEST_P(RealServerBrowse, MaskMatchingNothingKeepsFoldersAndEndsSilently) {
    RecordingSink sink;
    EXPECT_EQ(Run(sink, "/pub", "*.zip"), 0u);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(sink.Names(1).size(), 3u);
    EXPECT_TRUE(sink.Names(0).empty());
}

TEST_P(RealServerBrowse, MaskMatchingOnlyFoldersCompletes) {
    RecordingSink sink;
    EXPECT_EQ(Run(sink, "/only_dirs", "d?"), 1u);
    EXPECT_EQ(AsSet(sink.Names(1)), (std::set<std::string>{"d1", "d2"}));
    EXPECT_TRUE(sink.Names(0).empty());
}

TEST_P(RealServerBrowse, ParentFolderTextIsResolvedByTheServer) {
    RecordingSink sink;
    EXPECT_EQ(Run(sink, "/pub/sub dir/..", "b*"), 1u);
    EXPECT_EQ(sink.folderTexts, std::vector<std::string>{"/pub"});
    EXPECT_EQ(sink.Names(0), std::vector<std::string>{"b.log"});
}

INSTANTIATE_TEST_SUITE_P(ActiveAndPassive, RealServerBrowse, ::testing::Bool());

// ---- scripted server ----

ScriptedFtpServer::Script UnixScript() {
    ScriptedFtpServer::Script s;
    s.folders = {"/home/tester", "/data", "/"};
    s.listing = "total 5\r\n"
                "drwxr-xr-x 2 u g 512 Jan  1  2020 .\r\n"
                "drwxr-xr-x 2 u g 512 Jan  1  2020 ..\r\n"
                "drwxr-xr-x 2 u g 512 Jan  1  2020 folder one\r\n"
                "-rw-r--r-- 1 u g  12 Jan  1 10:00 file1.txt\r\n"
                "drwxr-xr-x 2 u g 512 Jan  1  2020 folder two\r\n"
                "lrwxrwxrwx 1 u g   7 Jan  1 10:00 link.txt -> file1.txt\r\n"
                "-rw-r--r-- 1 u g  12 Jan  1 10:00 file2.log\r\n"
                "-rw-r--r-- 1 u g  12 Jan  1 10:00 file3.txt\r\n";
    return s;
}

struct ScriptedRun {
    RecordingSink sink;
    std::atomic<int> cancel{0};
    unsigned result = 99;
    std::unique_ptr<ScriptedFtpServer> server;

    void Start(ScriptedFtpServer::Script script) {
        server = std::make_unique<ScriptedFtpServer>(std::move(script));
        EXPECT_TRUE(server->Start());
    }
    unsigned Run(bool passive, const std::string& folder, const std::string& mask = "",
                 std::chrono::milliseconds t = 10s, std::size_t batch = 512) {
        sink.folderIn = folder;
        sink.maskIn = mask;
        auto req = Request(server->Port(), passive, t);
        req.batchRows = batch;
        result = ftp::RunBrowse(req, sink, cancel);
        ExpectWellFormed(sink, result);
        return result;
    }
    unsigned Go(ScriptedFtpServer::Script script, bool passive, const std::string& folder,
                const std::string& mask = "", std::chrono::milliseconds t = 10s,
                std::size_t batch = 512) {
        Start(std::move(script));
        return Run(passive, folder, mask, t, batch);
    }
    // Sets the stop flag once the server has reached its stall point.
    std::thread StopWhenStalled() {
        ScriptedFtpServer* srv = server.get();
        return std::thread([this, srv] {
            if (srv->WaitStalled(20s))
                cancel = 1;
        });
    }
    bool Sent(const std::string& prefix) const {
        for (const auto& c : server->Commands())
            if (c.rfind(prefix, 0) == 0)
                return true;
        return false;
    }
};

TEST(ScriptedBrowse, DotsAndSymlinksAndOrderAndActiveOrPassive) {
    for (bool passive : {false, true}) {
        ScriptedRun run;
        EXPECT_EQ(run.Go(UnixScript(), passive, "/data", "*.txt"), 1u);
        EXPECT_EQ(run.sink.Names(1), (std::vector<std::string>{"folder one", "folder two"}));
        EXPECT_EQ(run.sink.Names(0),
                  (std::vector<std::string>{"file1.txt", "link.txt", "file3.txt"}));
        EXPECT_EQ(run.sink.rows[0].m_strPath, "/data/folder one");
        // The account's passive flag decides the data connection.
        EXPECT_EQ(run.Sent("EPSV"), passive);
        EXPECT_EQ(run.Sent("EPRT"), !passive);
    }
}

TEST(ScriptedBrowse, DotsDoNotCountAsMatches) {
    ScriptedRun run;
    EXPECT_EQ(run.Go(UnixScript(), true, "/data", ".*"), 0u);
    EXPECT_TRUE(run.sink.messages.empty());
    EXPECT_EQ(run.sink.Names(1).size(), 2u);
    EXPECT_TRUE(run.sink.Names(0).empty());
    EXPECT_EQ(run.sink.progress.back(), 40);
}

TEST(ScriptedBrowse, DosListingMultiLineRepliesAndQuotedPwd) {
    auto s = UnixScript();
    s.greeting = "220-first\r\n220-second\r\n220 ready\r\n";
    s.replies["PASS"] = "230-Welcome\r\n230-  enjoy\r\n230 Logged in\r\n";
    s.folders.insert("/say \"hi\"");
    s.listing = "12-05-96  05:03PM       <DIR>          My Documents\r\n"
                "01-22-98  13:52                  795 AUTOEXEC.BAT\r\n";
    ScriptedRun run;
    EXPECT_EQ(run.Go(s, false, "/say \"hi\""), 1u);
    EXPECT_EQ(run.sink.folderTexts, std::vector<std::string>{"/say \"hi\""});
    ASSERT_EQ(run.sink.rows.size(), 2u);
    EXPECT_EQ(run.sink.rows[0].m_strPath, "/say \"hi\"/My Documents");
    EXPECT_EQ(run.sink.rows[1].m_strEntryName, "AUTOEXEC.BAT");
    EXPECT_EQ(run.sink.rows[1].m_bFolder, 0);
}

TEST(ScriptedBrowse, RefusedMlsdFallsBackToList) {
    auto s = UnixScript();
    s.featMlst = true;
    s.refuseMlsd = true;
    ScriptedRun run;
    EXPECT_EQ(run.Go(s, true, "/data"), 1u);
    EXPECT_EQ(run.sink.rows.size(), 6u);
    EXPECT_TRUE(run.Sent("MLSD"));
    EXPECT_TRUE(run.Sent("LIST"));
}

TEST(ScriptedBrowse, PassiveReplyNamingAnotherAddress) {
    auto s = UnixScript();
    s.refuseEpsv = true;
    s.pasvAddress = "127.0.0.3";
    ScriptedRun run;
    EXPECT_EQ(run.Go(s, true, "/data"), 1u);
    EXPECT_EQ(run.sink.rows.size(), 6u);
}

TEST(ScriptedBrowse, ListingFailuresShow165) {
    struct Case {
        const char* what;
        std::function<void(ScriptedFtpServer::Script&)> make;
    };
    std::vector<Case> cases = {
        {"broken data connection",
         [](auto& s) { s.dataFault = ScriptedFtpServer::DataFault::BreakMidway; }},
        {"data connection refused",
         [](auto& s) { s.dataFault = ScriptedFtpServer::DataFault::Refuse; }},
        {"LIST refused", [](auto& s) { s.replies["LIST"] = "550 Permission denied\r\n"; }},
        {"stalled transfer",
         [](auto& s) { s.dataFault = ScriptedFtpServer::DataFault::StallMidway; }},
        {"no reply to LIST", [](auto& s) { s.stallAt = "LIST"; }},
        {"no reply to CWD", [](auto& s) { s.stallAt = "CWD"; }},
        {"no reply to PWD", [](auto& s) { s.stallAt = "PWD"; }},
        {"no reply to TYPE", [](auto& s) { s.stallAt = "TYPE"; }},
        {"silent data connection", [](auto& s) { s.stallAt = "DATA"; }},
    };
    for (const auto& c : cases) {
        for (bool passive : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (passive ? " passive" : " active"));
            auto s = UnixScript();
            c.make(s);
            ScriptedRun run;
            EXPECT_EQ(run.Go(s, passive, "/data", "", 500ms), 0u);
            EXPECT_EQ(run.sink.messages, std::vector<int>{IDS_LIST_FAILED});
            EXPECT_EQ(std::count(run.sink.calls.begin(), run.sink.calls.end(), "forget"), 0);
        }
    }
}

TEST(ScriptedBrowse, ForeignActiveDataConnectionIsRefused) {
    auto s = UnixScript();
    s.activeSource = "127.0.0.2";
    ScriptedRun run;
    EXPECT_EQ(run.Go(s, false, "/data"), 0u);
    EXPECT_EQ(run.sink.messages, std::vector<int>{IDS_LIST_FAILED});
    EXPECT_TRUE(run.sink.rows.empty());
}

TEST(ScriptedBrowse, StallBeforeOrDuringLoginShows134) {
    for (std::string step : {"GREETING", "USER", "PASS"}) {
        SCOPED_TRACE(step);
        auto s = UnixScript();
        s.stallAt = step;
        ScriptedRun run;
        EXPECT_EQ(run.Go(s, true, "/data", "", 500ms), 0u);
        EXPECT_EQ(run.sink.messages, std::vector<int>{IDS_CONNECT_FAILED});
        EXPECT_EQ(std::count(run.sink.calls.begin(), run.sink.calls.end(), "forget"), 1);
    }
}

TEST(ScriptedBrowse, FolderWithLineBreakIsRefusedAndNeverSent) {
    ScriptedRun run;
    EXPECT_EQ(run.Go(UnixScript(), true, "/data\r\nDELE x"), 1u);
    EXPECT_EQ(run.sink.messages, std::vector<int>{IDS_BAD_FOLDER});
    EXPECT_EQ(run.sink.folderTexts, std::vector<std::string>{"/home/tester"});
    EXPECT_FALSE(run.Sent("CWD"));
    EXPECT_FALSE(run.Sent("DELE"));
    EXPECT_EQ(run.sink.rows.size(), 6u);
}

TEST(ScriptedBrowse, RowsArriveInBatches) {
    auto s = UnixScript();
    s.listing.clear();
    for (int i = 0; i < 300; ++i)
        s.listing += "drwxr-xr-x 2 u g 512 Jan  1  2020 d" + std::to_string(i) + "\r\n";
    for (int i = 0; i < 300; ++i)
        s.listing += "-rw-r--r-- 1 u g 1 Jan  1  2020 f" + std::to_string(i) + "\r\n";
    ScriptedRun run;
    EXPECT_EQ(run.Go(s, true, "/data", "", 10s, 64), 1u);
    EXPECT_EQ(run.sink.rows.size(), 600u);
    EXPECT_EQ(run.sink.rows[299].m_strEntryName, "d299");
    EXPECT_EQ(run.sink.rows[300].m_strEntryName, "f0");
    for (std::size_t n : run.sink.batchSizes)
        EXPECT_LE(n, 64u);
    EXPECT_LT(run.sink.batchSizes.size(), 600u / 8);
}

// ---- stop at each point ----

TEST(ScriptedStop, BeforeConnectingShows137) {
    ScriptedRun run;
    run.cancel = 1;
    EXPECT_EQ(run.Go(UnixScript(), true, "/data"), 0u);
    EXPECT_EQ(run.sink.messages, std::vector<int>{IDS_CANCELLED});
    EXPECT_EQ(run.sink.progress, std::vector<int>{10});
    EXPECT_TRUE(run.server->Commands().empty());
}

TEST(ScriptedStop, WhileConnectingOrRightAfterShows137) {
    for (std::string step : {"GREETING", "PASS", "OPTS"}) {
        SCOPED_TRACE(step);
        ScriptedRun run;
        auto s = UnixScript();
        if (step == "OPTS")
            s.onCommand = [&run](const std::string& verb) {
                if (verb == "OPTS")
                    run.cancel = 1;
            };
        else
            s.stallAt = step;
        run.Start(s);
        std::thread stopper;
        if (step != "OPTS")
            stopper = run.StopWhenStalled();
        auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(run.Run(true, "/data", "", 60s), 0u);
        if (stopper.joinable())
            stopper.join();
        EXPECT_LT(std::chrono::steady_clock::now() - started, 30s);
        EXPECT_EQ(run.sink.messages, std::vector<int>{IDS_CANCELLED});
        EXPECT_EQ(run.sink.progress, std::vector<int>{10});
        EXPECT_EQ(std::count(run.sink.calls.begin(), run.sink.calls.end(), "forget"), 0);
    }
}

TEST(ScriptedStop, HangingTcpConnectTimesOutWith134OrStopsWith137) {
    test::HangingPort hang;
    ASSERT_TRUE(hang.Ready());
    {
        RecordingSink sink;
        std::atomic<int> cancel{0};
        unsigned r = ftp::RunBrowse(Request(hang.Port(), false, 300ms), sink, cancel);
        ExpectWellFormed(sink, r);
        EXPECT_EQ(sink.messages, std::vector<int>{IDS_CONNECT_FAILED});
    }
    RecordingSink sink;
    std::atomic<int> cancel{0};
    std::thread stopper([&] {
        std::this_thread::sleep_for(200ms);
        cancel = 1;
    });
    unsigned r = ftp::RunBrowse(Request(hang.Port(), false, 60s), sink, cancel);
    stopper.join();
    ExpectWellFormed(sink, r);
    EXPECT_EQ(sink.messages, std::vector<int>{IDS_CANCELLED});
    EXPECT_EQ(std::count(sink.calls.begin(), sink.calls.end(), "forget"), 0);
}

TEST(ScriptedStop, UpToTheFolderListingIsSilentRightAfterItShows137) {
    for (int at : {20, 30, 40}) {
        SCOPED_TRACE(at);
        ScriptedRun run;
        run.sink.onProgress = [&run, at](int p) {
            if (p == at)
                run.cancel = 1;
        };
        EXPECT_EQ(run.Go(UnixScript(), true, "/data"), 0u);
        EXPECT_EQ(run.sink.messages,
                  at == 40 ? std::vector<int>{IDS_CANCELLED} : std::vector<int>{});
        EXPECT_TRUE(run.sink.Names(0).empty());
        if (at == 40) {
            EXPECT_EQ(run.sink.Names(1).size(), 2u);
        }
    }
}

TEST(ScriptedStop, DuringStalledFolderListingIsSilentAndKeepsFoldersSoFar) {
    auto s = UnixScript();
    s.dataFault = ScriptedFtpServer::DataFault::StallMidway;
    ScriptedRun run;
    run.Start(s);
    std::thread stopper = run.StopWhenStalled();
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(run.Run(false, "/data", "", 60s), 0u);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 30s);
    EXPECT_TRUE(run.sink.messages.empty());
    EXPECT_TRUE(run.sink.Names(0).empty());
    EXPECT_EQ(run.sink.progress.back(), 30);
}

TEST(ScriptedStop, DuringFileRowsShows137AndKeepsRowsSoFar) {
    ScriptedRun run;
    run.sink.onRows = [&run](const std::vector<CRemoteEntry>& rows) {
        if (!rows.empty() && rows[0].m_bFolder == 0)
            run.cancel = 1;
    };
    EXPECT_EQ(run.Go(UnixScript(), true, "/data", "", 10s, 1), 0u);
    EXPECT_EQ(run.sink.messages, std::vector<int>{IDS_CANCELLED});
    EXPECT_EQ(run.sink.Names(1).size(), 2u);
    EXPECT_EQ(run.sink.Names(0), std::vector<std::string>{"file1.txt"});
}

} // namespace
