// Interfaces, items, fields, links and navigation.
#include "KorvexTest.hpp"

namespace {

using ApiTest = KorvexTest;

TEST_F(ApiTest, VersionIsReportedAndCheckedAgainstCallers) {
    int major = -1, minor = -1, patch = -1;
    EXPECT_NE(KorvexGetVersion(&major, &minor, &patch), 0);
    EXPECT_EQ(major * 10000 + minor * 100 + patch, 10300);
    for (const auto& [a, b, c, ok] : {std::tuple{1, 0, 0, true},
                                      {1, 0, 999, true},
                                      {1, 3, 1, false},
                                      {0, 9, 0, false},
                                      {2, 0, 0, false},
                                      {1, -1, 0, false}})
        EXPECT_EQ(KorvexCheckVersion(a, b, c) != 0, ok) << a << "." << b << "." << c;
}

TEST_F(ApiTest, NullAndDeletedInterfacesAreRefusedEverywhere) {
    KorvexHandle gone = KorvexNewInterface();
    ASSERT_NE(KorvexDeleteInterface(gone), 0);
    // Keep another interface alive so the freed address is not simply empty.
    KorvexHandle other = open();
    for (KorvexHandle bad : {static_cast<KorvexHandle>(nullptr), gone}) {
        char buf[8] = "xxxxxxx";
        int v = 7;
        EXPECT_EQ(KorvexDeleteInterface(bad) + KorvexInitialize(bad) + KorvexClear(bad) +
                      KorvexSetName(bad, "x") + KorvexFinalize(bad) +
                      KorvexSetDataNum(bad, 1, KORVEX_FIELD_DOCUMENT_TYPE, 1) +
                      KorvexSetDataValue(bad, 1, KORVEX_FIELD_NAME, "x") +
                      KorvexGetDataNum(bad, 1, KORVEX_FIELD_DOCUMENT_TYPE, &v) +
                      KorvexTestData(bad, 1, KORVEX_FIELD_ACCOUNT, 0, 2) +
                      KorvexSave(bad, 1, (root / "x.sd").c_str(), KORVEX_SAVE_DEFAULT) +
                      KorvexLoad(bad, "/dev/null") + KorvexLoadSDA(bad, "{}", 2),
                  0);
        EXPECT_EQ(v, 7);
        EXPECT_EQ(KorvexGetName(bad, buf, sizeof buf), 0);
        EXPECT_EQ(buf[0], '\0');
        buf[0] = 'x';
        EXPECT_EQ(KorvexGetStorePath(bad, buf, sizeof buf), 0);
        EXPECT_EQ(buf[0], '\0');
        EXPECT_LT(KorvexNewItem(bad, KORVEX_KIND_DOCUMENT), 0);
        EXPECT_LT(KorvexGetID(bad, -1, KORVEX_KIND_DOCUMENT, 0), 0);
    }
    EXPECT_GE(KorvexNewItem(other, KORVEX_KIND_DOCUMENT), 0) << "the live interface still works";
}

TEST_F(ApiTest, ItemKindsAndFieldsBehaveAsNumberedValues) {
    for (int kind : {0, 6, int{KORVEX_KIND_FOLDER_PART}, 14})
        EXPECT_LT(KorvexNewItem(h, kind), 0) << kind;

    const int a = KorvexNewItem(h, KORVEX_KIND_FILE);
    const int b = KorvexNewItem(h, KORVEX_KIND_FILE);
    EXPECT_NE(KorvexSetDataValue(h, a, KORVEX_FIELD_SAVE_NAME, "first"), 0);
    EXPECT_NE(KorvexSetDataValue(h, a, KORVEX_FIELD_SAVE_NAME, "second"), 0);
    EXPECT_EQ(text(h, a, KORVEX_FIELD_SAVE_NAME), "second");
    EXPECT_EQ(text(h, b, KORVEX_FIELD_SAVE_NAME), "<absent>");
    // A field holds one type at a time: a number replaces a text.
    EXPECT_NE(KorvexSetDataNum(h, a, KORVEX_FIELD_SAVE_NAME, 3), 0);
    EXPECT_EQ(text(h, a, KORVEX_FIELD_SAVE_NAME), "<absent>");
    EXPECT_EQ(num(h, a, KORVEX_FIELD_SAVE_NAME), 3);

    EXPECT_EQ(KorvexSetDataNum(h, 99999, KORVEX_FIELD_MODE, 1), 0);
    EXPECT_EQ(KorvexSetDataValue(h, a, KORVEX_FIELD_PATH, nullptr), 0);
    // Texts must be within the format's limit.
    EXPECT_EQ(KorvexSetDataValue(h, a, KORVEX_FIELD_PATH, std::string(65536, 'a').c_str()), 0);
    EXPECT_NE(KorvexSetDataValue(h, a, KORVEX_FIELD_PATH, std::string(65535, 'a').c_str()), 0);
    // Fields per item are limited so every item stays saveable.
    for (int f = 1; f <= 256; ++f)
        ASSERT_NE(KorvexSetDataNum(h, b, f, f), 0) << f;
    EXPECT_EQ(KorvexSetDataNum(h, b, 257, 1), 0);
    EXPECT_NE(KorvexSetDataNum(h, b, 256, 1), 0) << "replacing stays possible";
}

TEST_F(ApiTest, LinksKeepOrderAndRefuseBrokenTrees) {
    const int doc = KorvexNewItem(h, KORVEX_KIND_DOCUMENT);
    const int task = KorvexNewItem(h, KORVEX_KIND_TASK);
    const int server = KorvexNewItem(h, KORVEX_KIND_SERVER);
    const int list = KorvexNewItem(h, KORVEX_KIND_FILELIST);
    std::vector<int> files;
    for (int i = 0; i < 5; ++i)
        files.push_back(KorvexNewItem(h, KORVEX_KIND_FILE));
    EXPECT_NE(KorvexSetDataNum(h, doc, KORVEX_FIELD_DOCUMENT_TASK, task), 0);
    EXPECT_NE(KorvexSetDataNum(h, task, KORVEX_FIELD_TASK_SERVER, server), 0);
    EXPECT_NE(KorvexSetDataNum(h, server, KORVEX_FIELD_SERVER_LIST, list), 0);
    // Link in a scrambled creation order: the link order counts.
    for (int i : {3, 0, 4, 1})
        EXPECT_NE(KorvexSetDataNum(h, list, KORVEX_FIELD_LIST_FILE, files[i]), 0);
    auto children = [this, list] {
        std::vector<int> out;
        for (int i = 0, n = KorvexGetItemNum(h, list, KORVEX_KIND_FILE); i < n; ++i)
            out.push_back(KorvexGetID(h, list, KORVEX_KIND_FILE, i));
        return out;
    };
    const std::vector<int> linked = {files[3], files[0], files[4], files[1]};
    EXPECT_EQ(children(), linked);
    EXPECT_EQ(KorvexGetID(h, list, KORVEX_KIND_FILE, 4), -1);
    EXPECT_EQ(KorvexGetID(h, list, KORVEX_KIND_TASK, 0), -1);
    EXPECT_EQ(KorvexGetItemNum(h, list, KORVEX_KIND_TASK), 0);

    // Refused: another kind, the item itself, an ancestor, a second parent, an unknown item.
    const int otherList = KorvexNewItem(h, KORVEX_KIND_FILELIST);
    const int refused[][3] = {{doc, KORVEX_FIELD_DOCUMENT_TASK, server},
                              {list, KORVEX_FIELD_LIST_FILE, list},
                              {task, KORVEX_FIELD_TASK_SERVER, doc},
                              {otherList, KORVEX_FIELD_LIST_FILE, files[3]},
                              {list, KORVEX_FIELD_LIST_FILE, 424242}};
    for (const auto& [parent, field, item] : refused)
        EXPECT_EQ(KorvexSetDataNum(h, parent, field, item), 0) << parent << " " << item;
    EXPECT_EQ(children(), linked);
    // The same field number on a kind without that link is an ordinary number.
    EXPECT_NE(KorvexSetDataNum(h, files[2], KORVEX_FIELD_LIST_FILE, 77), 0);
    EXPECT_EQ(num(h, files[2], KORVEX_FIELD_LIST_FILE), 77);

    // Linked items are no longer top level; a loose one still is.
    const int loose = KorvexNewItem(h, KORVEX_KIND_TASK);
    EXPECT_EQ(KorvexGetID(h, -1, KORVEX_KIND_DOCUMENT, 0), doc);
    EXPECT_EQ(KorvexGetID(h, -1, KORVEX_KIND_TASK, 0), loose);
    EXPECT_EQ(KorvexGetItemNum(h, -1, KORVEX_KIND_TASK), 1);
}

TEST_F(ApiTest, ClearEmptiesOnlyTheDocumentOfItsOwnInterface) {
    KorvexHandle a = open(), b = open();
    const int doc = KorvexNewItem(a, KORVEX_KIND_DOCUMENT);
    const int docB = KorvexNewItem(b, KORVEX_KIND_DOCUMENT);
    ASSERT_NE(KorvexSetDataValue(b, docB, KORVEX_FIELD_NAME, "kept"), 0);
    ASSERT_NE(KorvexClear(a), 0);
    EXPECT_LT(KorvexGetID(a, -1, KORVEX_KIND_DOCUMENT, 0), 0);
    EXPECT_EQ(KorvexSetDataValue(a, doc, KORVEX_FIELD_NAME, "x"), 0);
    EXPECT_GT(KorvexNewItem(a, KORVEX_KIND_DOCUMENT), doc) << "handles are never reused";
    EXPECT_EQ(text(b, docB, KORVEX_FIELD_NAME), "kept");
}

} // namespace
