// Save names taken from remote paths, the uniqueness test, and what entries keep of the
// dialog's combo indices.
#include "document/SaveName.h"
#include "document/BackupFileEntry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::string Derived(const std::string& path) {
    std::string name = "<untouched>";
    EXPECT_TRUE(DeriveSaveName(path, name)) << path;
    return name;
}

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

TEST(DeriveSaveName, TakesTheLastFolderComponentBeforeQueryOrFragment) {
    EXPECT_EQ(Derived("/pub/data/log.txt"), "log.txt");
    EXPECT_EQ(Derived("/cgi-bin/get.cgi?id=3/x"), "get.cgi");
    EXPECT_EQ(Derived("/x/data.cgi?f=a/b#top"), "data.cgi");
    EXPECT_EQ(Derived("file#2"), "file");
    EXPECT_EQ(Derived("/a/b#frag/more?q"), "b") << "the first of ? and # ends the name";
    EXPECT_EQ(Derived("plain.bin"), "plain.bin");
    EXPECT_EQ(Derived("/logs/*.log"), "*.log");
}

TEST(DeriveSaveName, EmptyNamesAreDerivedNotRefused) {
    EXPECT_EQ(Derived("/pub/"), "");
    EXPECT_EQ(Derived("/"), "");
    EXPECT_EQ(Derived("?id=1"), "");
    EXPECT_EQ(Derived("#"), "");
    EXPECT_EQ(Derived("/dir/?x"), "");
}

TEST(DeriveSaveName, OnlySlashSeparatesFolders) {
    EXPECT_EQ(Derived("C:\\temp\\a.txt"), "C:\\temp\\a.txt");
    EXPECT_EQ(Derived("/pub/win\\name.txt"), "win\\name.txt");
}

TEST(DeriveSaveName, RefusesEmptyAndOverlongPathsLeavingTheNameAlone) {
    std::string name = "kept";
    EXPECT_FALSE(DeriveSaveName("", name));
    EXPECT_EQ(name, "kept");

    const std::string at260 = "/pub/" + std::string(255, 'x');
    ASSERT_EQ(at260.size(), 260u);
    EXPECT_EQ(Derived(at260), std::string(255, 'x'));

    const std::string at261 = at260 + "y";
    EXPECT_FALSE(DeriveSaveName(at261, name));
    EXPECT_EQ(name, "kept");
}

TEST(DeriveSaveName, MultibyteNamesAndByteLimits) {
    EXPECT_EQ(Derived("/公開/データ/報告書.txt"), "報告書.txt");
    EXPECT_EQ(Derived("/検索.cgi?語=値/他#見出し"), "検索.cgi");

    // The limit counts bytes: 87 characters of three bytes each are 261 bytes.
    const std::string at260 = "/" + Repeat("あ", 86) + "b";
    ASSERT_EQ(at260.size(), 260u);
    EXPECT_EQ(Derived(at260), Repeat("あ", 86) + "b");
    std::string name = "kept";
    EXPECT_FALSE(DeriveSaveName("/" + Repeat("あ", 86) + "bc", name));
    EXPECT_FALSE(DeriveSaveName(Repeat("あ", 87), name));
    EXPECT_EQ(name, "kept");
}

TEST(SaveNames, AreComparedByteForByteAndSkipTheEntryItself) {
    std::vector<std::unique_ptr<CBackupFileEntry>> entries;
    for (const char* n : {"a.txt", "報告.txt", "B.TXT"}) {
        auto e = std::make_unique<CBackupFileEntry>();
        e->m_strSaveName = n;
        entries.push_back(std::move(e));
    }
    EXPECT_TRUE(document::IsSaveNameTaken(entries, "a.txt"));
    EXPECT_FALSE(document::IsSaveNameTaken(entries, "A.TXT"));
    EXPECT_FALSE(document::IsSaveNameTaken(entries, "b.txt"));
    EXPECT_TRUE(document::IsSaveNameTaken(entries, "報告.txt"));
    EXPECT_FALSE(document::IsSaveNameTaken(entries, "報告.TXT"));
    EXPECT_FALSE(document::IsSaveNameTaken(entries, "ａ.txt")) << "full-width a is another name";
    EXPECT_FALSE(document::IsSaveNameTaken(entries, "a.txt "));
    EXPECT_FALSE(document::IsSaveNameTaken(entries, "a.txt", entries[0].get()));
    EXPECT_TRUE(document::IsSaveNameTaken(entries, "B.TXT", entries[0].get()));
    EXPECT_FALSE(document::IsSaveNameTaken({}, "a.txt"));
}

TEST(EntryValues, UnknownComboIndicesBecomeAutoAndGet) {
    const int modes[][2] = {{-1, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 0}, {-7, 0}};
    for (const auto& m : modes)
        EXPECT_EQ(document::NormaliseMode(m[0]), m[1]) << m[0];
    const int methods[][2] = {{-1, 0}, {0, 0}, {1, 1}, {2, 0}};
    for (const auto& m : methods)
        EXPECT_EQ(document::NormaliseMethod(m[0]), m[1]) << m[0];
    EXPECT_EQ(document::ModeListText(0), "Auto");
    EXPECT_EQ(document::ModeListText(1), "Bin");
    EXPECT_EQ(document::ModeListText(2), "Text");
    EXPECT_EQ(document::MethodText(0), "Get");
    EXPECT_EQ(document::MethodText(1), "Mget");
}

} // namespace
