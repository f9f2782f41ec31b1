// Save names taken from remote paths and the test that keeps them unique. The window's
// tests cover the byte limits end to end; these cover the scanning rules one by one.
#include "document/SaveName.h"
#include "document/BackupFileEntry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

TEST(DeriveSaveName, ScansBytesForTheLastFolderBeforeQueryOrFragment) {
    const char* const cases[][2] = {
        {"/pub/data/log.txt", "log.txt"},
        {"/cgi-bin/get.cgi?id=3/x", "get.cgi"},
        {"/a/b#frag/more?q", "b"}, // the first of "?" and "#" ends the name
        {"/pub/", ""},
        {"/pub/win\\name.txt", "win\\name.txt"}, // only "/" separates folders
        {"/検索.cgi?語=値/他#見出し", "検索.cgi"},
    };
    for (const auto& [path, expected] : cases) {
        std::string name = "<untouched>";
        EXPECT_TRUE(DeriveSaveName(path, name)) << path;
        EXPECT_EQ(name, expected) << path;
    }
}

TEST(SaveNames, AreComparedByteForByteAndSkipTheEntryItself) {
    std::vector<std::unique_ptr<CBackupFileEntry>> entries;
    for (const char* n : {"a.txt", "報告.txt", "B.TXT"}) {
        entries.push_back(std::make_unique<CBackupFileEntry>());
        entries.back()->m_strSaveName = n;
    }
    EXPECT_TRUE(document::IsSaveNameTaken(entries, "報告.txt"));
    for (const char* other : {"A.TXT", "ａ.txt", "a.txt "})
        EXPECT_FALSE(document::IsSaveNameTaken(entries, other)) << other;
    EXPECT_FALSE(document::IsSaveNameTaken(entries, "a.txt", entries[0].get()));
    EXPECT_TRUE(document::IsSaveNameTaken(entries, "B.TXT", entries[0].get()));
}

} // namespace
