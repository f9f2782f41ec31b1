// Names in the server's bytes: how they are shown, re-encoded and filtered, and how
// tovalo-ls lists a Japanese server that names its files in CP932.
#include "ftp/RemoteName.h"
#include "support/ChildProcess.h"
#include "support/VsftpdServer.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using namespace std::chrono_literals;

// "ソ", "表" and "能" end in 0x5C, the byte of "\" in ASCII.
const std::string kSo = "\x83\x5c", kHyo = "\x95\x5c", kNo = "\x94\x5c";

TEST(RemoteName, DisplayDecodesUtf8ThenCp932ThenShowsBytes) {
    struct Case {
        std::string bytes, shown;
    } cases[] = {
        {"plain.txt", "plain.txt"},
        {"日本語.txt", "日本語.txt"},              // UTF-8 stays
        {kSo + ".txt", "ソ.txt"},                  // CP932
        {kHyo + "/" + kNo, "表/能"},               // 0x5C trail bytes are no separators
        {"a\xff" + kSo + "\x83", "a\\xFFソ\\x83"}, // undecodable and cut-off bytes
        {"\xed\xa0\x80", "恝\\x80"},               // a UTF-8 surrogate: no UTF-8, but CP932
    };
    for (const Case& c : cases)
        EXPECT_EQ(ftp::DisplayName(c.bytes), c.shown) << c.shown;
}

TEST(RemoteName, Cp932EncodingOnlyWhereItDiffersAndFits) {
    EXPECT_EQ(ftp::ToCp932("表/ソ"), kHyo + "/" + kSo);
    EXPECT_EQ(ftp::ToCp932("ascii/only"), std::nullopt);
    EXPECT_EQ(ftp::ToCp932("😀"), std::nullopt); // no such character in CP932
    EXPECT_EQ(ftp::ToCp932(kSo), std::nullopt); // already bytes, not UTF-8
}

TEST(RemoteName, ControlBytesAreEscapedAndUnfetchableNamesKnown) {
    EXPECT_EQ(ftp::EscapeControls(std::string("a\tb\x1b[2J\x7f\0", 9)),
              "a\\x09b\\x1B[2J\\x7F\\x00");
    EXPECT_TRUE(ftp::IsFetchableName("a\tb"));
    for (const std::string& bad : {std::string("a\0b", 3), std::string("a\rb"), std::string("a\n")})
        EXPECT_FALSE(ftp::IsFetchableName(bad));
}

class Cp932Server : public testing::Test {
protected:
    void SetUp() override {
        const auto root = server.Root();
        std::filesystem::create_directories(root / kHyo / ("sub" + kSo));
        std::ofstream(root / (kSo + ".txt")) << "x";
        std::ofstream(root / "日本.txt") << "x";
        std::ofstream(root / kHyo / (kNo + ".dat")) << "x";
        for (const auto& e : std::filesystem::recursive_directory_iterator(root))
            std::filesystem::permissions(e.path(), std::filesystem::perms(0755));
        ASSERT_TRUE(server.Start()) << server.Error();
    }

    // tovalo-ls [--bytes] against the server, with FOLDER when given.
    test::ProcessResult Ls(bool bytes, const std::string& folder = {}) {
        std::vector<std::string> args = {TOVALO_LS, "--port", std::to_string(server.Port()),
                                         "--passive"};
        if (bytes)
            args.push_back("--bytes");
        args.insert(args.end(), {"127.0.0.1", test::VsftpdServer::kUser});
        if (!folder.empty())
            args.push_back(folder);
        test::ChildProcess p(args, {"TOVALO_PASSWORD=guest"}, {});
        EXPECT_TRUE(p.Started());
        test::ProcessResult r = p.Wait(60s);
        EXPECT_FALSE(r.timedOut);
        return r;
    }

    test::VsftpdServer server;
};

TEST_F(Cp932Server, ListsReadableNamesOrTheServersBytes) {
    test::ProcessResult shown = Ls(false);
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(shown.out, "/\nD\t表\t/表\nF\tソ.txt\t/ソ.txt\nF\t日本.txt\t/日本.txt\n");
    test::ProcessResult bytes = Ls(true);
    EXPECT_EQ(bytes.out, "/\nD\t" + kHyo + "\t/" + kHyo + "\nF\t" + kSo + ".txt\t/" + kSo +
                             ".txt\nF\t日本.txt\t/日本.txt\n");
}

TEST_F(Cp932Server, AFolderGivenAsBytesOrTypedInUtf8IsOpened) {
    for (const std::string& folder : {"/" + kHyo, std::string("/表")}) {
        test::ProcessResult r = Ls(true, folder);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, "/" + kHyo + "\nD\tsub" + kSo + "\t/" + kHyo + "/sub" + kSo + "\nF\t" +
                             kNo + ".dat\t/" + kHyo + "/" + kNo + ".dat\n");
    }
}

} // namespace
