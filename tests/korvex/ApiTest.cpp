// Interfaces, items, fields, links, navigation and caller buffers.
#include "KorvexLib.hpp"

#include <cstring>
#include <vector>

namespace {

using ApiTest = KorvexDocumentTest;

TEST_F(ApiTest, VersionIsReportedAndCheckedAgainstCallers) {
    int major = -1, minor = -1, patch = -1;
    EXPECT_NE(k.KorvexGetVersion(&major, &minor, &patch), 0);
    EXPECT_EQ(major * 10000 + minor * 100 + patch, 10200);
    EXPECT_NE(k.KorvexGetVersion(nullptr, &minor, nullptr), 0);

    struct Case {
        int a, b, c;
        bool ok;
    };
    const Case cases[] = {{1, 0, 0, true},  {1, 1, 0, true},  {1, 0, 999, true}, {1, 2, 1, false},
                          {0, 9, 0, false}, {2, 0, 0, false}, {1, -1, 0, false}, {1, 0, -1, false}};
    for (const Case& c : cases)
        EXPECT_EQ(k.KorvexCheckVersion(c.a, c.b, c.c) != 0, c.ok)
            << c.a << "." << c.b << "." << c.c;
}

TEST_F(ApiTest, NullAndDeletedInterfacesAreRefusedEverywhere) {
    KorvexHandle gone = k.KorvexNewInterface();
    ASSERT_NE(gone, nullptr);
    ASSERT_NE(k.KorvexDeleteInterface(gone), 0);
    // Keep another interface alive so the freed address is not simply empty.
    KorvexHandle other = open();
    for (KorvexHandle bad : {static_cast<KorvexHandle>(nullptr), gone}) {
        char buf[8];
        std::memset(buf, 'x', sizeof buf);
        int v = 7;
        EXPECT_EQ(k.KorvexDeleteInterface(bad), 0);
        EXPECT_EQ(k.KorvexInitialize(bad), 0);
        EXPECT_EQ(k.KorvexClear(bad), 0);
        EXPECT_EQ(k.KorvexGetName(bad, buf, sizeof buf), 0);
        EXPECT_EQ(buf[0], '\0');
        EXPECT_EQ(k.KorvexSetName(bad, "x"), 0);
        EXPECT_LT(k.KorvexNewItem(bad, 1), 0);
        EXPECT_EQ(k.KorvexSetDataNum(bad, 1, 1101, 1), 0);
        EXPECT_EQ(k.KorvexSetDataValue(bad, 1, 1011, "x"), 0);
        EXPECT_EQ(k.KorvexGetDataNum(bad, 1, 1101, &v), 0);
        EXPECT_EQ(v, 7);
        EXPECT_EQ(k.KorvexGetDataValue(bad, 1, 1011, buf, sizeof buf), 0);
        EXPECT_EQ(k.KorvexGetDataOrderedValue(bad, 1, 1202, 0, buf, sizeof buf), 0);
        EXPECT_EQ(k.KorvexTestData(bad, 1, 1304, 0, 2), 0);
        EXPECT_LE(k.KorvexGetItemNum(bad, 1, 2), 0);
        EXPECT_EQ(k.KorvexSave(bad, 1, (root / "x.sd").c_str(), 1), 0);
        EXPECT_EQ(k.KorvexLoad(bad, "/dev/null"), 0);
        EXPECT_EQ(k.KorvexLoadSDA(bad, "{}", 2), 0);
        EXPECT_LT(k.KorvexGetID(bad, -1, 1, 0), 0);
        EXPECT_EQ(k.KorvexFinalize(bad), 0);
    }
    EXPECT_FALSE(std::filesystem::exists(root / "x.sd"));
    // The live interface is untouched by all of that.
    EXPECT_GE(k.KorvexNewItem(other, 1), 0);
    EXPECT_NE(k.KorvexDeleteInterface(other), 0);
}

TEST_F(ApiTest, ItemKindsAndFieldsBehaveAsNumberedValues) {
    for (int kind : {1, 5, 9, 11})
        EXPECT_GE(k.KorvexNewItem(h, kind), 0) << kind;
    for (int kind : {0, 6, 8, 12})
        EXPECT_LT(k.KorvexNewItem(h, kind), 0) << kind;

    const int a = k.KorvexNewItem(h, 5);
    const int b = k.KorvexNewItem(h, 5);
    EXPECT_NE(a, b);
    EXPECT_NE(k.KorvexSetDataValue(h, a, 1501, "first"), 0);
    EXPECT_NE(k.KorvexSetDataValue(h, a, 1501, "second"), 0);
    EXPECT_EQ(text(h, a, 1501), "second");
    EXPECT_EQ(text(h, b, 1501), "<absent>");
    // A field holds one type at a time: a number replaces a text.
    EXPECT_NE(k.KorvexSetDataNum(h, a, 1501, 3), 0);
    EXPECT_EQ(text(h, a, 1501), "<absent>");
    EXPECT_EQ(num(h, a, 1501), 3);
    EXPECT_EQ(num(h, a, 1502), -12345);

    EXPECT_EQ(k.KorvexSetDataNum(h, 99999, 1403, 1), 0);
    EXPECT_EQ(k.KorvexSetDataValue(h, a, 1502, nullptr), 0);
    EXPECT_EQ(k.KorvexSetDataValue(h, a, -4, "x"), 0);
    EXPECT_EQ(k.KorvexGetDataNum(h, -1, 1403, nullptr), 0);
    // Texts must be within the format's limit.
    EXPECT_EQ(k.KorvexSetDataValue(h, a, 1502, std::string(65536, 'a').c_str()), 0);
    EXPECT_NE(k.KorvexSetDataValue(h, a, 1502, std::string(65535, 'a').c_str()), 0);
    // Fields per item are limited so every item stays saveable.
    const int c = k.KorvexNewItem(h, 5);
    for (int f = 1; f <= 256; ++f)
        ASSERT_NE(k.KorvexSetDataNum(h, c, f, f), 0) << f;
    EXPECT_EQ(k.KorvexSetDataNum(h, c, 257, 1), 0);
    EXPECT_NE(k.KorvexSetDataNum(h, c, 256, 1), 0) << "replacing stays possible";
}

TEST_F(ApiTest, LinksKeepOrderAndRefuseBrokenTrees) {
    const int doc = k.KorvexNewItem(h, 1);
    const int task = k.KorvexNewItem(h, 2);
    const int server = k.KorvexNewItem(h, 3);
    const int list = k.KorvexNewItem(h, 4);
    std::vector<int> files;
    for (int i = 0; i < 5; ++i)
        files.push_back(k.KorvexNewItem(h, 5));

    EXPECT_NE(k.KorvexSetDataNum(h, doc, 1102, task), 0);
    EXPECT_NE(k.KorvexSetDataNum(h, task, 1207, server), 0);
    EXPECT_NE(k.KorvexSetDataNum(h, server, 1306, list), 0);
    // Link in a scrambled creation order: the link order counts.
    for (int i : {3, 0, 4, 1})
        EXPECT_NE(k.KorvexSetDataNum(h, list, 1404, files[i]), 0);
    const std::vector<int> linked = {files[3], files[0], files[4], files[1]};
    EXPECT_EQ(children(list, 5), linked);

    // Refused: another kind, the item itself, an ancestor, a second parent,
    // an unknown item. Nothing changes.
    const int otherList = k.KorvexNewItem(h, 4);
    const int otherServer = k.KorvexNewItem(h, 3);
    const int refused[][3] = {
        {list, 1404, otherList},   {doc, 1102, server},  {list, 1404, list},
        {server, 1306, server},    {task, 1207, doc},    {otherList, 1404, files[3]},
        {otherServer, 1306, list}, {list, 1404, 424242}, {list, 1404, -1}};
    for (const auto& [parent, field, child] : refused)
        EXPECT_EQ(k.KorvexSetDataNum(h, parent, field, child), 0) << parent << " " << child;
    EXPECT_EQ(children(list, 5), linked);
    EXPECT_EQ(k.KorvexGetItemNum(h, otherServer, 4), 0);
    EXPECT_EQ(k.KorvexGetItemNum(h, doc, 3), 0);
    // A link field cannot be overwritten with a text either.
    EXPECT_EQ(k.KorvexSetDataValue(h, doc, 1102, "7"), 0);
    // The same field number on a kind without that link is an ordinary number.
    EXPECT_NE(k.KorvexSetDataNum(h, files[2], 1404, 77), 0);
    EXPECT_EQ(num(h, files[2], 1404), 77);
}

TEST_F(ApiTest, NavigationFindsTopLevelItemsChildrenAndFolderParts) {
    const int loose = k.KorvexNewItem(h, 2);
    const int doc = k.KorvexNewItem(h, 1);
    const int task = k.KorvexNewItem(h, 2);
    ASSERT_NE(k.KorvexSetDataNum(h, doc, 1102, task), 0);

    EXPECT_EQ(k.KorvexGetID(h, -1, 1, 0), doc);
    EXPECT_LT(k.KorvexGetID(h, -1, 1, 1), 0);
    // Linked items are no longer top level; the loose task still is.
    EXPECT_EQ(k.KorvexGetID(h, -1, 2, 0), loose);
    EXPECT_EQ(k.KorvexGetItemNum(h, -1, 2), 1);
    EXPECT_EQ(k.KorvexGetID(h, doc, 2, 0), task);
    EXPECT_LT(k.KorvexGetID(h, doc, 2, -1), 0);
    EXPECT_LT(k.KorvexGetItemNum(h, 31337, 2), 0);

    // Kind 8 counts the "\"-separated parts of the folder.
    char buf[260];
    EXPECT_EQ(k.KorvexGetItemNum(h, task, 8), 0);
    EXPECT_EQ(k.KorvexGetDataOrderedValue(h, task, 1202, 0, buf, sizeof buf), 0);
    // "表" and "ソ" end in bytes that would be "\" in Shift-JIS; in UTF-8
    // they never split.
    ASSERT_NE(k.KorvexSetDataValue(h, task, 1202, "山田\\表ソ\\c"), 0);
    EXPECT_EQ(k.KorvexGetItemNum(h, task, 8), 3);
    const char* want[] = {"山田", "表ソ", "c"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(k.KorvexGetDataOrderedValue(h, task, 1202, i, buf, sizeof buf), 0);
        EXPECT_STREQ(buf, want[i]);
    }
    EXPECT_EQ(k.KorvexGetDataOrderedValue(h, task, 1202, 3, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
    // An empty part still counts, so a trailing separator is visible.
    ASSERT_NE(k.KorvexSetDataValue(h, task, 1202, "yamada\\"), 0);
    EXPECT_EQ(k.KorvexGetItemNum(h, task, 8), 2);
}

TEST_F(ApiTest, BufferReadsCutAtCharacterBoundariesAndStayInBounds) {
    const int item = k.KorvexNewItem(h, 5);
    const std::string value = "ab日本語é"; // 2 + 3*3 + 2 = 13 bytes
    ASSERT_NE(k.KorvexSetDataValue(h, item, 1501, value.c_str()), 0);
    ASSERT_NE(k.KorvexSetDataValue(h, item, 1202, (value + "\\x").c_str()), 0);

    // Expected text for each buffer size: the longest whole-character prefix
    // that fits with its terminator.
    const std::vector<std::string> prefixes = {"",       "a",        "ab",       "ab日",
                                               "ab日本", "ab日本語", "ab日本語é"};
    for (int size = 1; size <= 16; ++size) {
        std::string expect;
        for (const auto& p : prefixes)
            if (p.size() + 1 <= static_cast<std::size_t>(size))
                expect = p;
        for (int ordered = 0; ordered < 2; ++ordered) {
            char buf[32];
            std::memset(buf, '#', sizeof buf);
            const int r = ordered ? k.KorvexGetDataOrderedValue(h, item, 1202, 0, buf, size)
                                  : k.KorvexGetDataValue(h, item, 1501, buf, size);
            EXPECT_NE(r, 0) << size;
            EXPECT_EQ(std::string(buf), expect) << "size " << size;
            for (int i = size; i < static_cast<int>(sizeof buf); ++i)
                ASSERT_EQ(buf[i], '#') << "byte " << i << " written with size " << size;
        }
    }
    char buf[8];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(k.KorvexGetDataValue(h, item, 1501, buf, 0), 0);
    EXPECT_EQ(buf[0], '#');
    // A failed read leaves an empty text behind, never stale bytes.
    EXPECT_EQ(k.KorvexGetDataValue(h, item, 1777, buf, sizeof buf), 0);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(buf[1], '#');
}

TEST_F(ApiTest, ClearEmptiesOnlyTheDocumentOfItsOwnInterface) {
    KorvexHandle a = open();
    KorvexHandle b = open();
    const int doc = k.KorvexNewItem(a, 1);
    const int task = k.KorvexNewItem(a, 2);
    ASSERT_NE(k.KorvexSetDataNum(a, doc, 1102, task), 0);
    const int docB = k.KorvexNewItem(b, 1);
    ASSERT_NE(k.KorvexSetDataValue(b, docB, 1011, "kept"), 0);

    ASSERT_NE(k.KorvexClear(a), 0);
    EXPECT_LT(k.KorvexGetID(a, -1, 1, 0), 0);
    EXPECT_EQ(k.KorvexGetItemNum(a, doc, 2), -1);
    EXPECT_EQ(k.KorvexSetDataValue(a, task, 1011, "x"), 0);
    // New items never reuse a cleared handle.
    EXPECT_GT(k.KorvexNewItem(a, 1), task);
    EXPECT_EQ(text(b, docB, 1011), "kept");
}

} // namespace
