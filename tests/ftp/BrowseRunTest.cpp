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
    r.server = "127.0.0.1:" + std::to_string(port);
    r.userId = "tester";
    r.password = "secret";
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
    // The password is forgotten, right before the end, exactly when the login failed.
    const bool loginFailed = s.messages == std::vector<int>{IDS_CONNECT_FAILED};
    EXPECT_EQ(std::count(s.calls.begin(), s.calls.end(), "forget"), loginFailed ? 1 : 0);
    if (loginFailed) {
        EXPECT_EQ(s.calls.end()[-2], "forget");
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
        for (const char* dir : {"pub/sub dir", "pub/日本語フォルダ", "pub/b", "empty",
                                "only_dirs/d1", "only_dirs/d2"})
            s.MakeDir(dir);
        for (const char* file :
             {"pub/a.txt", "pub/c.TXT", "pub/b.log", "pub/試験 ファイル.txt", "top.txt"})
            s.MakeFile(file, "1");
        ASSERT_TRUE(s.Start()) << s.Error();
    }
    static void TearDownTestSuite() { s_server.reset(); }
    static std::unique_ptr<test::PyFtpServer> s_server;
};
std::unique_ptr<test::PyFtpServer> RealServerBrowse::s_server;

TEST_P(RealServerBrowse, ListsFoldersThenMatchingFilesOrSaysWhyNot) {
    using Set = std::set<std::string>;
    const Set pub = {"sub dir", "日本語フォルダ", "b"}, root = {"pub", "empty", "only_dirs"};
    struct Case {
        std::string folder, mask, password;
        unsigned result;
        std::vector<int> messages;
        std::vector<std::string> folderTexts; // what SetFolderText was given
        Set folders, files;
    };
    const Case cases[] = {
        // Case-sensitive: c.TXT does not match.
        {"/pub", "*.txt", "secret", 1, {}, {"/pub"}, pub, {"a.txt", "試験 ファイル.txt"}},
        {"/pub/",
         "",
         "secret",
         1,
         {},
         {"/pub"},
         pub,
         {"a.txt", "c.TXT", "b.log", "試験 ファイル.txt"}},
        // No folder: the login folder, written back.
        {"", "", "secret", 1, {}, {"/"}, root, {"top.txt"}},
        {"/no such folder", "", "secret", 1, {IDS_BAD_FOLDER}, {"/"}, root, {"top.txt"}},
        {"/pub", "", "wrong", 0, {IDS_CONNECT_FAILED}, {}, {}, {}},
        // Nothing listed, or no file matching: silently, without 100.
        {"/empty", "", "secret", 0, {}, {"/empty"}, {}, {}},
        {"/pub", "*.zip", "secret", 0, {}, {"/pub"}, pub, {}},
        // Folders matching the mask complete the run.
        {"/only_dirs", "d?", "secret", 1, {}, {"/only_dirs"}, {"d1", "d2"}, {}},
        {"/pub/sub dir/..", "b*", "secret", 1, {}, {"/pub"}, pub, {"b.log"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder + " | " + c.mask + " | " + c.password);
        RecordingSink sink;
        sink.folderIn = c.folder;
        sink.maskIn = c.mask;
        auto req = Request(s_server->Port(), GetParam());
        req.password = c.password;
        std::atomic<int> cancel{0};
        const unsigned r = ftp::RunBrowse(req, sink, cancel);
        ExpectWellFormed(sink, r);
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(sink.messages, c.messages);
        EXPECT_EQ(sink.folderTexts, c.folderTexts);
        EXPECT_EQ(AsSet(sink.Names(1)), c.folders);
        EXPECT_EQ(AsSet(sink.Names(0)), c.files);
        for (const auto& row : sink.rows)
            EXPECT_EQ(row.m_strPath,
                      (c.folderTexts[0] == "/" ? "" : c.folderTexts[0]) + "/" + row.m_strEntryName);
        if (c.password == "wrong") {
            EXPECT_EQ(sink.progress, std::vector<int>{10});
        }
    }
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
    ScriptedRun dots;
    EXPECT_EQ(dots.Go(UnixScript(), true, "/data", ".*"), 0u) << "dots never count as matches";
    EXPECT_TRUE(dots.sink.messages.empty());
    EXPECT_EQ(dots.sink.Names(1).size(), 2u);
    EXPECT_TRUE(dots.sink.Names(0).empty());
}

// No FTP client can ask for a name holding NUL, CR or LF: such entries are not listed.
TEST(ScriptedBrowse, NamesThatCannotBeFetchedAreNotListed) {
    ScriptedFtpServer::Script script = UnixScript();
    script.listing += "-rw-r--r-- 1 u g  12 Jan  1 10:00 cr\rname.txt\r\n";
    script.listing += std::string("-rw-r--r-- 1 u g  12 Jan  1 10:00 nul\0.txt\r\n", 44);
    ScriptedRun run;
    EXPECT_EQ(run.Go(script, true, "/data", "*.txt"), 1u);
    EXPECT_EQ(run.sink.Names(0),
              (std::vector<std::string>{"file1.txt", "link.txt", "file3.txt"}));
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

TEST(ScriptedBrowse, RefusedMlsdAndAPassiveReplyNamingAnotherAddressStillList) {
    auto mlsd = UnixScript();
    mlsd.featMlst = true;
    mlsd.refuseMlsd = true;
    auto pasv = UnixScript();
    pasv.refuseEpsv = true;
    pasv.pasvAddress = "127.0.0.3";
    for (const auto& s : {mlsd, pasv}) {
        ScriptedRun run;
        EXPECT_EQ(run.Go(s, true, "/data"), 1u);
        EXPECT_EQ(run.sink.rows.size(), 6u);
        EXPECT_EQ(run.Sent("MLSD"), s.refuseMlsd);
        EXPECT_TRUE(run.Sent("LIST"));
    }
}

TEST(ScriptedBrowse, ListingFailuresSayTheListFailed) {
    using Fault = ScriptedFtpServer::DataFault;
    const std::vector<std::pair<std::string, std::function<void(ScriptedFtpServer::Script&)>>>
        cases = {
            {"broken data connection", [](auto& s) { s.dataFault = Fault::BreakMidway; }},
            {"data connection refused", [](auto& s) { s.dataFault = Fault::Refuse; }},
            {"LIST refused", [](auto& s) { s.replies["LIST"] = "550 Permission denied\r\n"; }},
            {"stalled transfer", [](auto& s) { s.dataFault = Fault::StallMidway; }},
            {"no reply to LIST", [](auto& s) { s.stallAt = "LIST"; }},
            {"no reply to CWD", [](auto& s) { s.stallAt = "CWD"; }},
            {"no reply to PWD", [](auto& s) { s.stallAt = "PWD"; }},
            {"no reply to TYPE", [](auto& s) { s.stallAt = "TYPE"; }},
            {"silent data connection", [](auto& s) { s.stallAt = "DATA"; }},
            {"foreign active data connection", [](auto& s) { s.activeSource = "127.0.0.2"; }},
        };
    for (const auto& [what, make] : cases) {
        for (bool passive : {false, true}) {
            SCOPED_TRACE(what + (passive ? " passive" : " active"));
            auto s = UnixScript();
            make(s);
            if (passive && !s.activeSource.empty())
                continue; // only active data connections come from the server
            ScriptedRun run;
            EXPECT_EQ(run.Go(s, passive, "/data", "", 500ms), 0u);
            EXPECT_EQ(run.sink.messages, std::vector<int>{IDS_LIST_FAILED});
        }
    }
}

TEST(ScriptedBrowse, StallBeforeOrDuringLoginSaysTheConnectionFailed) {
    for (std::string step : {"GREETING", "USER", "PASS"}) {
        SCOPED_TRACE(step);
        auto s = UnixScript();
        s.stallAt = step;
        ScriptedRun run;
        EXPECT_EQ(run.Go(s, true, "/data", "", 500ms), 0u);
        EXPECT_EQ(run.sink.messages, std::vector<int>{IDS_CONNECT_FAILED});
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

TEST(ScriptedStop, BeforeAndWhileConnectingSaysCancelled) {
    for (std::string step : {"", "GREETING", "PASS", "OPTS"}) {
        SCOPED_TRACE(step);
        ScriptedRun run;
        auto s = UnixScript();
        if (step.empty()) // stopped before the run starts
            run.cancel = 1;
        else if (step == "OPTS") // right after the login
            s.onCommand = [&run](const std::string& verb) {
                if (verb == "OPTS")
                    run.cancel = 1;
            };
        else
            s.stallAt = step;
        run.Start(s);
        std::thread stopper;
        if (!s.stallAt.empty())
            stopper = run.StopWhenStalled();
        auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(run.Run(true, "/data", "", 60s), 0u);
        if (stopper.joinable())
            stopper.join();
        EXPECT_LT(std::chrono::steady_clock::now() - started, 30s);
        EXPECT_EQ(run.sink.messages, std::vector<int>{IDS_CANCELLED});
        EXPECT_EQ(run.sink.progress, std::vector<int>{10});
        if (step.empty()) {
            EXPECT_TRUE(run.server->Commands().empty());
        }
    }
}

TEST(ScriptedStop, HangingTcpConnectTimesOutOrStops) {
    test::HangingPort hang;
    ASSERT_TRUE(hang.Ready());
    for (bool stop : {false, true}) {
        RecordingSink sink;
        std::atomic<int> cancel{0};
        std::thread stopper([&] {
            std::this_thread::sleep_for(200ms);
            cancel = stop ? 1 : 0;
        });
        const unsigned r =
            ftp::RunBrowse(Request(hang.Port(), false, stop ? 60s : 300ms), sink, cancel);
        stopper.join();
        ExpectWellFormed(sink, r);
        EXPECT_EQ(sink.messages, std::vector<int>{stop ? IDS_CANCELLED : IDS_CONNECT_FAILED});
    }
}

TEST(ScriptedStop, UpToTheFolderListingIsSilentRightAfterItSaysCancelled) {
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

TEST(ScriptedStop, DuringFileRowsSaysCancelledAndKeepsRowsSoFar) {
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
