// Texts that are not UTF-8 (CP932 names of Japanese servers): kept as bytes by
// fields, folder parts, the name, task files, the account store, and shown by the dump tool.
#include "KorvexTest.hpp"

#include <nlohmann/json.hpp>

#include <cstring>

namespace {

// "ソ" and "表" in CP932 end in 0x5C, the byte of "\".
const std::string kSo = "\x83\x5c";
const std::string kHyo = "\x95\x5c";

using BytesTest = KorvexTest;

std::string file(int version, const std::string& value) {
    return R"({"format": "sendera-task", "version": )" + std::to_string(version) +
           R"(, "document": {"kind": 1, "fields": {"1011": )" + value + "}}}";
}

TEST_F(BytesTest, TextsComeBackAsTheirBytesFromFieldsAndSavedFiles) {
    const std::vector<std::string> values = {
        kSo + ".txt",        // bytes 83 5c 2e 74 78 74
        "日本" + kHyo + kSo, // UTF-8 beside CP932
        "\xff",              // no lead byte of either
        "\xc3",              // a UTF-8 sequence cut short
        "\xed\xa0\x80",      // a surrogate
        "日本.txt",          // UTF-8 stays a plain string
        std::string(65535, '\x83'),
    };
    const int doc = KorvexNewItem(h, KORVEX_KIND_DOCUMENT);
    for (int i = 0; i < static_cast<int>(values.size()); ++i) {
        ASSERT_NE(KorvexSetDataValue(h, doc, 3000 + i, values[i].c_str()), 0) << i;
        EXPECT_EQ(text(h, doc, 3000 + i), values[i]) << i;
    }
    const auto path = root / "bytes.sd";
    ASSERT_NE(KorvexSave(h, doc, path.c_str(), KORVEX_SAVE_DEFAULT), 0);
    const auto j = nlohmann::json::parse(test::ReadFile(path));
    EXPECT_EQ(j.at("version"), 2);
    const auto& fields = j.at("document").at("fields");
    EXPECT_EQ(fields.at("3000"), nlohmann::json({{"bytes", "835c2e747874"}}));
    EXPECT_EQ(fields.at("3005"), "日本.txt");

    // The dump tool shows them readable: UTF-8 as it is, other bytes and backslashes escaped.
    std::string out;
    EXPECT_EQ(dump("'" + path.string() + "'", out), 0);
    EXPECT_NE(out.find(R"(3001="日本\x95\\\x83\\")"), std::string::npos) << out;

    KorvexHandle other = fresh();
    ASSERT_NE(KorvexLoad(other, path.c_str()), 0);
    const int loaded = KorvexGetID(other, -1, KORVEX_KIND_DOCUMENT, 0);
    for (int i = 0; i < static_cast<int>(values.size()); ++i)
        EXPECT_EQ(text(other, loaded, 3000 + i), values[i]) << i;
}

// Field and folder-part reads into a caller's buffer: the longest run of whole characters
// that fits with its terminator, and not a byte beyond the size.
TEST_F(BytesTest, ReadsCutWholeCharactersOfEitherKind) {
    const std::tuple<std::string, int, std::string> cases[] = {
        {kSo + kSo, 4, kSo},          // the pair that would split is dropped whole
        {"\x88\x9fz", 3, "\x88\x9f"}, // 0x9F trails here, though it can
                                      // lead
        {"ab\x83", 4, "ab\x83"},      // a lead byte at the end stands alone
        {"\xb1\xb2", 2, "\xb1"},      // half-width katakana are single bytes
        {"\x81\x40", 2, ""},          // the ends of both lead ranges
        {"\xfc\x40", 2, ""},
        {"\x80\x40", 2, "\x80"}, // and the single bytes beside them
        {"ab日本語é", 1, ""},    // UTF-8
        {"ab日本語é", 6, "ab日"},
        {"ab日本語é", 14, "ab日本語é"},
    };
    const int task = KorvexNewItem(h, KORVEX_KIND_TASK);
    for (const auto& [text, size, expect] : cases) {
        ASSERT_NE(KorvexSetDataValue(h, task, KORVEX_FIELD_NAME, text.c_str()), 0);
        ASSERT_NE(KorvexSetDataValue(h, task, KORVEX_FIELD_FOLDER, ("x\\" + text).c_str()), 0);
        for (int ordered = 0; ordered < 2; ++ordered) {
            char buf[20];
            std::memset(buf, '#', sizeof buf);
            const int r =
                ordered ? KorvexGetDataOrderedValue(h, task, KORVEX_FIELD_FOLDER, 1, buf, size)
                        : KorvexGetDataValue(h, task, KORVEX_FIELD_NAME, buf, size);
            EXPECT_NE(r, 0);
            EXPECT_EQ(std::string(buf), expect) << text << " in " << size;
            EXPECT_EQ(buf[size], '#');
        }
    }
    char buf[4] = "##";
    EXPECT_EQ(KorvexGetDataValue(h, task, KORVEX_FIELD_NAME, buf, 0), 0);
    EXPECT_EQ(buf[0], '#');
    // A failed read leaves an empty text behind, never stale bytes.
    EXPECT_EQ(KorvexGetDataValue(h, task, 1777, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
}

TEST_F(BytesTest, FolderPartsSplitOnlyAtSeparatorBytes) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {kHyo + "\\" + kSo, {kHyo, kSo}},
        {kSo + "\\", {kSo, ""}},
        {"\x83\\", {"\x83\\"}},
        {"山田\\表ソ\\c", {"山田", "表ソ", "c"}}, // UTF-8 never splits
    };
    const int task = KorvexNewItem(h, KORVEX_KIND_TASK);
    char buf[KORVEX_TEXT_BUFFER];
    EXPECT_EQ(KorvexGetItemNum(h, task, KORVEX_KIND_FOLDER_PART), 0);
    EXPECT_EQ(KorvexGetDataOrderedValue(h, task, KORVEX_FIELD_FOLDER, 0, buf, sizeof buf), 0);
    for (const auto& [folder, parts] : cases) {
        ASSERT_NE(KorvexSetDataValue(h, task, KORVEX_FIELD_FOLDER, folder.c_str()), 0);
        const int n = KorvexGetItemNum(h, task, KORVEX_KIND_FOLDER_PART);
        ASSERT_EQ(n, static_cast<int>(parts.size())) << folder;
        for (int i = 0; i <= n; ++i) {
            EXPECT_EQ(KorvexGetDataOrderedValue(h, task, KORVEX_FIELD_FOLDER, i, buf, sizeof buf) !=
                          0,
                      i < n);
            EXPECT_EQ(std::string(buf), i < n ? parts[static_cast<std::size_t>(i)] : "") << i;
        }
    }
}

// Stored in 259 bytes, cut to whole characters. (Reads into a small buffer cut as field
// reads do, through the same code: see ReadsCutWholeCharactersOfEitherKind.)
TEST_F(BytesTest, TheNameKeepsBytesCutToWholeCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string(258, 'n') + kSo, std::string(258, 'n')},
        {std::string(257, 'n') + kSo + "\xff", std::string(257, 'n') + kSo},
        {std::string(256, 'n') + "名", std::string(256, 'n') + "名"},
    };
    ASSERT_NE(KorvexInitialize(h), 0);
    char buf[KORVEX_TEXT_BUFFER];
    for (const auto& [name, stored] : cases) {
        ASSERT_NE(KorvexSetName(h, name.c_str()), 0);
        ASSERT_NE(KorvexGetName(open(), buf, sizeof buf), 0);
        EXPECT_EQ(std::string(buf), stored);
    }
}

TEST_F(BytesTest, TheStoreKeepsByteFieldsAcrossAReopen) {
    const std::pair<int, std::string> fields[] = {{KORVEX_FIELD_NAME, "サーバー" + kSo},
                                                  {KORVEX_FIELD_USER_ID, kSo + ".txt"},
                                                  {KORVEX_FIELD_PASSWORD, "p\xff"},
                                                  {KORVEX_FIELD_HOST, "ftp.example.jp"}};
    ASSERT_NE(KorvexInitialize(h), 0);
    const int store = KorvexNewItem(h, KORVEX_KIND_STORE);
    const int record = KorvexNewItem(h, KORVEX_KIND_ACCOUNT);
    for (const auto& [field, value] : fields)
        ASSERT_NE(KorvexSetDataValue(h, record, field, value.c_str()), 0);
    ASSERT_NE(KorvexSetDataNum(h, store, KORVEX_FIELD_STORE_APPEND, record), 0);
    ASSERT_NE(KorvexFinalize(h), 0);

    ASSERT_NE(KorvexInitialize(h), 0);
    const int loaded = KorvexNewItem(h, KORVEX_KIND_ACCOUNT);
    ASSERT_NE(KorvexTestData(h, store, KORVEX_FIELD_ACCOUNT, 0, loaded), 0);
    for (const auto& [field, value] : fields)
        EXPECT_EQ(text(h, loaded, field), value) << field;
}

TEST_F(BytesTest, TaskFilesTakeTheEscapedFormOnlyInItsOneSpellingAndVersion) {
    const std::string so = R"({"bytes": "835c2e747874"})";
    const std::string noVersion =
        R"({"format": "sendera-task", "document": {"kind": 1, "fields": {"1011": )" + so + "}}, ";
    const std::pair<std::string, std::string> cases[] = {
        {file(1, R"("日本")"), "日本"},
        {file(2, so), kSo + ".txt"},
        {noVersion + R"("version": 2})", kSo + ".txt"},
        {noVersion + R"("version": 1})", "<refused>"},
        {file(1, so), "<refused>"},
        {file(2, R"({"bytes": "835"})"), "<refused>"},
        {file(2, R"({"bytes": "83zz"})"), "<refused>"},
        {file(2, R"({"bytes": "835C"})"), "<refused>"},
        {file(2, R"({})"), "<refused>"},
        {file(2, R"({"bytes": "8300"})"), "<refused>"},
        {file(2, R"({"bytes": "e697a5"})"), "<refused>"}, // "日" has its plain spelling
    };
    for (const auto& [data, expected] : cases) {
        ASSERT_NE(loadText(h, file(2, R"("before")")), 0);
        const bool ok = loadText(h, data) != 0;
        // A refused file leaves the document as it was.
        const std::string name = text(h, KorvexGetID(h, -1, KORVEX_KIND_DOCUMENT, 0), 1011);
        EXPECT_EQ(ok ? name : "<refused>", expected) << data;
        EXPECT_TRUE(ok || name == "before") << data;
    }
}

} // namespace
