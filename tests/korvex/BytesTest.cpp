// Texts that are not UTF-8 (CP932 names of Japanese servers): kept as bytes by
// fields, folder parts, the name, task files, the account store and the dump tool.
#include "korvex.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// "ソ" and "表" in CP932 end in 0x5C, the byte of "\".
const std::string kSo = "\x83\x5c";
const std::string kHyo = "\x95\x5c";

class BytesTest : public ::testing::Test {
protected:
    std::filesystem::path root;
    KorvexHandle h = nullptr;

    void SetUp() override {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "korvex-bytes-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root = tmpl;
        setenv("KORVEX_HOME", (root / "store").c_str(), 1);
        h = KorvexNewInterface();
    }
    void TearDown() override {
        KorvexDeleteInterface(h);
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    static std::string read(KorvexHandle in, int item, int field, int size = 70000) {
        std::string buf(static_cast<std::size_t>(size), '#');
        if (KorvexGetDataValue(in, item, field, buf.data(), size) == 0)
            return "<absent>";
        return buf.c_str();
    }
    static int load(KorvexHandle in, const std::string& data) {
        return KorvexLoadSDA(in, data.data(), static_cast<int>(data.size()));
    }
    static std::string file(int version, const std::string& value) {
        return R"({"format": "sendera-task", "version": )" + std::to_string(version) +
               R"(, "document": {"kind": 1, "fields": {"1011": )" + value + "}}}";
    }
};

TEST_F(BytesTest, TextsComeBackAsTheirBytesFromFieldsAndSavedFiles) {
    const std::vector<std::string> values = {
        kSo + ".txt",        // bytes 83 5c 2e 74 78 74
        "日本" + kHyo + kSo, // UTF-8 beside CP932
        "\xff",              // no lead byte of either
        "a\x80z",            // a lone continuation byte
        "\xc3",              // a UTF-8 sequence cut short
        "\xc0\xaf",          // overlong "/"
        "\xed\xa0\x80",      // a surrogate
        "\xf4\x90\x80\x80",  // past U+10FFFF
        "日本.txt",          // UTF-8 stays a plain string
        std::string(65535, '\x83'),
    };
    const int doc = KorvexNewItem(h, KORVEX_KIND_DOCUMENT);
    for (std::size_t i = 0; i < values.size(); ++i) {
        ASSERT_NE(KorvexSetDataValue(h, doc, 3000 + static_cast<int>(i), values[i].c_str()), 0)
            << i;
        EXPECT_EQ(read(h, doc, 3000 + static_cast<int>(i)), values[i]) << i;
    }
    const std::string path = (root / "bytes.sd").string();
    ASSERT_NE(KorvexSave(h, doc, path.c_str(), KORVEX_SAVE_DEFAULT), 0);

    std::ifstream in(path, std::ios::binary);
    const auto j = nlohmann::json::parse(in);
    EXPECT_EQ(j.at("version"), 2);
    const auto& fields = j.at("document").at("fields");
    EXPECT_EQ(fields.at("3000"), nlohmann::json({{"bytes", "835c2e747874"}}));
    EXPECT_EQ(fields.at("3002"), nlohmann::json({{"bytes", "ff"}}));
    EXPECT_EQ(fields.at("3008"), "日本.txt");

    KorvexHandle other = KorvexNewInterface();
    ASSERT_NE(KorvexLoad(other, path.c_str()), 0);
    const int loaded = KorvexGetID(other, -1, KORVEX_KIND_DOCUMENT, 0);
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(read(other, loaded, 3000 + static_cast<int>(i)), values[i]) << i;
    KorvexDeleteInterface(other);
}

TEST_F(BytesTest, ReadsCutWholeCharactersOfEitherKind) {
    struct Case {
        std::string text;
        int size;
        std::string expect;
    };
    const Case cases[] = {
        {kSo + kSo, 4, kSo}, // the pair that would split is dropped whole
        {kSo + kSo, 2, ""},
        {"a" + kSo, 3, "a"},
        {"\x88\x9fz", 3, "\x88\x9f"}, // the trail byte 0x9F could also lead
        {"ab\x83", 4, "ab\x83"},      // a lead byte at the end stands alone
        {"\xb1\xb2", 2, "\xb1"},      // half-width katakana are single bytes
        {"\x81\x40", 2, ""},          // the ends of both lead ranges
        {"\x9f\x40", 2, ""},
        {"\xe0\x40", 2, ""},
        {"\xfc\x40", 2, ""},
        {"\x80\x40", 2, "\x80"}, // and the single bytes around them
        {"\xa0\x40", 2, "\xa0"},
        {"\xdf\x40", 2, "\xdf"},
        {"\xfd\x40", 2, "\xfd"},
        {"日本", 4, "日"}, // UTF-8 as before
        {"日本", 3, ""},
    };
    const int task = KorvexNewItem(h, KORVEX_KIND_TASK);
    for (const Case& c : cases) {
        ASSERT_NE(KorvexSetDataValue(h, task, KORVEX_FIELD_NAME, c.text.c_str()), 0);
        ASSERT_NE(KorvexSetDataValue(h, task, KORVEX_FIELD_FOLDER, ("x\\" + c.text).c_str()), 0);
        for (int ordered = 0; ordered < 2; ++ordered) {
            char buf[16];
            std::memset(buf, '#', sizeof buf);
            const int r =
                ordered ? KorvexGetDataOrderedValue(h, task, KORVEX_FIELD_FOLDER, 1, buf, c.size)
                        : KorvexGetDataValue(h, task, KORVEX_FIELD_NAME, buf, c.size);
            EXPECT_NE(r, 0);
            EXPECT_EQ(std::string(buf), c.expect) << c.text << " in " << c.size;
            EXPECT_EQ(buf[c.size], '#');
        }
    }
}

TEST_F(BytesTest, FolderPartsSplitOnlyAtSeparatorBytes) {
    struct Case {
        std::string folder;
        std::vector<std::string> parts;
    };
    const std::vector<Case> cases = {
        {kHyo + "\\" + kSo, {kHyo, kSo}}, {"a\\" + kSo + ".txt\\b", {"a", kSo + ".txt", "b"}},
        {kSo + "\\", {kSo, ""}},          {"\x83\\", {"\x83\\"}},
        {"\xff\\b", {"\xff", "b"}}, // 0xFF leads nothing
    };
    const int task = KorvexNewItem(h, KORVEX_KIND_TASK);
    for (const Case& c : cases) {
        ASSERT_NE(KorvexSetDataValue(h, task, KORVEX_FIELD_FOLDER, c.folder.c_str()), 0);
        const int n = KorvexGetItemNum(h, task, KORVEX_KIND_FOLDER_PART);
        ASSERT_EQ(n, static_cast<int>(c.parts.size())) << c.folder;
        for (int i = 0; i < n; ++i) {
            char buf[KORVEX_TEXT_BUFFER];
            ASSERT_NE(KorvexGetDataOrderedValue(h, task, KORVEX_FIELD_FOLDER, i, buf, sizeof buf),
                      0);
            EXPECT_EQ(std::string(buf), c.parts[static_cast<std::size_t>(i)]) << c.folder << i;
        }
    }
}

TEST_F(BytesTest, TheNameKeepsBytesCutToWholeCharacters) {
    struct Case {
        std::string name, stored;
    };
    const Case cases[] = {
        {kSo + ".txt", kSo + ".txt"},
        {std::string(258, 'n') + kSo, std::string(258, 'n')},
        {std::string(257, 'n') + kSo + "\xff", std::string(257, 'n') + kSo},
    };
    ASSERT_NE(KorvexInitialize(h), 0);
    for (const Case& c : cases) {
        ASSERT_NE(KorvexSetName(h, c.name.c_str()), 0);
        KorvexHandle again = KorvexNewInterface();
        ASSERT_NE(KorvexInitialize(again), 0);
        char buf[KORVEX_TEXT_BUFFER];
        ASSERT_NE(KorvexGetName(again, buf, sizeof buf), 0);
        EXPECT_EQ(std::string(buf), c.stored);
        KorvexDeleteInterface(again);
    }
}

TEST_F(BytesTest, TheStoreKeepsByteFieldsAcrossAReopen) {
    const std::vector<std::pair<int, std::string>> fields = {{KORVEX_FIELD_NAME, "サーバー" + kSo},
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
        EXPECT_EQ(read(h, loaded, field), value) << field;
}

TEST_F(BytesTest, TaskFilesTakeTheEscapedFormOnlyInItsOneSpellingAndVersion) {
    struct Case {
        std::string data;
        std::string name; // "<refused>" when the load must fail
    };
    const std::string so = R"({"bytes": "835c2e747874"})";
    const std::string noVersion =
        R"({"format": "sendera-task", "document": {"kind": 1, "fields": {"1011": )" + so + "}}, ";
    const Case cases[] = {
        {file(1, R"("日本")"), "日本"},
        {file(2, R"("日本")"), "日本"},
        {file(2, so), kSo + ".txt"},
        {noVersion + R"("version": 2})", kSo + ".txt"},
        {noVersion + R"("version": 1})", "<refused>"},
        {file(1, so), "<refused>"},
        {file(2, R"({"bytes": "835"})"), "<refused>"},
        {file(2, R"({"bytes": "83zz"})"), "<refused>"},
        {file(2, R"({"bytes": "835C"})"), "<refused>"},
        {file(2, R"({"bytes": "83", "x": 1})"), "<refused>"},
        {file(2, R"({"bytes": "83", "bytes": "84"})"), "<refused>"},
        {file(2, R"({"byte": "83"})"), "<refused>"},
        {file(2, R"({})"), "<refused>"},
        {file(2, R"({"bytes": ""})"), "<refused>"},
        {file(2, R"({"bytes": "8300"})"), "<refused>"},
        {file(2, R"({"bytes": "e697a5"})"), "<refused>"}, // "日" has its plain spelling
        {file(2, R"({"bytes": 131})"), "<refused>"},
        {file(2, R"({"bytes": {"bytes": "83"}})"), "<refused>"},
    };
    for (const Case& c : cases) {
        ASSERT_NE(load(h, file(2, R"("before")")), 0);
        const bool ok = load(h, c.data) != 0;
        // A refused file leaves the document as it was.
        const std::string name = read(h, KorvexGetID(h, -1, KORVEX_KIND_DOCUMENT, 0), 1011);
        EXPECT_EQ(ok ? name : "<refused>", c.name) << c.data;
        EXPECT_TRUE(ok || name == "before") << c.data;
    }
}

TEST_F(BytesTest, TheDumpToolShowsBytesOutsideUtf8AsEscapes) {
    const std::string path = (root / "dump.sd").string();
    std::ofstream(path, std::ios::binary) << file(2, R"({"bytes": "e697a5835c2e747874ff"})");
    const std::string cmd = std::string("'") + KORVEX_DUMP_PATH + "' '" + path + "'";
    FILE* f = popen(cmd.c_str(), "r");
    ASSERT_NE(f, nullptr);
    std::string out;
    char buf[512];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;)
        out.append(buf, n);
    EXPECT_EQ(pclose(f), 0);
    EXPECT_NE(out.find(R"(1011="日\x83\\.txt\xff")"), std::string::npos) << out;
}

} // namespace
