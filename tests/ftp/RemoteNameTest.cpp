// Names in the server's bytes: how they are shown, re-encoded and filtered, and how
// tovalo-ls lists a Japanese server that names its files in CP932.
#include "ftp/RemoteName.h"
#include "RunLs.h"
#include "support/RealServers.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// "ソ", "表" and "能" end in 0x5C, the byte of "\" in ASCII.
const std::string kSo = "\x83\x5c", kHyo = "\x95\x5c", kNo = "\x94\x5c";

TEST(RemoteName, DisplayDecodesUtf8ThenCp932ThenShowsBytes) {
    const struct {
        std::string bytes, shown;
    } cases[] = {
        {"日本語.txt", "日本語.txt"},              // UTF-8 stays
        {kHyo + "/" + kNo, "表/能"},               // 0x5C trail bytes are no separators
        {"a\xff" + kSo + "\x83", "a\\xFFソ\\x83"}, // undecodable and cut-off bytes
        {"\xed\xa0\x80", "恝\\x80"},               // a UTF-8 surrogate: no UTF-8, but CP932
    };
    for (const auto& c : cases)
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

// Names readable or as the server's bytes (--bytes); a folder given as bytes or typed in
// UTF-8 is opened.
TEST(RemoteName, ListerOnACp932Server) {
    test::VsftpdServer server;
    const auto root = server.Root();
    std::filesystem::create_directories(root / kHyo / ("sub" + kSo));
    std::ofstream(root / (kSo + ".txt")) << "x";
    std::ofstream(root / "日本.txt") << "x";
    std::ofstream(root / kHyo / (kNo + ".dat")) << "x";
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        std::filesystem::permissions(e.path(), std::filesystem::perms(0755));
    ASSERT_TRUE(server.Start()) << server.Error();
    const std::string inHyo = "/" + kHyo + "\nD\tsub" + kSo + "\t/" + kHyo + "/sub" + kSo +
                              "\nF\t" + kNo + ".dat\t/" + kHyo + "/" + kNo + ".dat\n";
    const struct {
        bool bytes;
        std::string folder, out;
    } cases[] = {
        {false, "", "/\nD\t表\t/表\nF\tソ.txt\t/ソ.txt\nF\t日本.txt\t/日本.txt\n"},
        {true, "/" + kHyo, inHyo},
        {true, "/表", inHyo},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--port", std::to_string(server.Port()), "--passive",
                                         "127.0.0.1", test::VsftpdServer::kUser};
        if (c.bytes)
            args.insert(args.begin(), "--bytes");
        if (!c.folder.empty())
            args.push_back(c.folder);
        const test::ProcessResult r = test::RunLs({"TOVALO_PASSWORD=guest"}, args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << ftp::DisplayName(c.folder);
    }
}

} // namespace
