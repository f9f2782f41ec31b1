// UTF-8 byte limits: cuts never split a character and buffers are always terminated; the
// loader's file names.
#include "platform/Text.h"
#include "platform/Loader.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace platform;

TEST(Utf8Text, CutsStopAtTheLastWholeCharacter) {
    const std::tuple<std::string, std::size_t, std::string> cases[] = {
        {"あいう", 9, "あいう"},
        {"あいう", 8, "あい"},
        {"あいう", 2, ""},
        {"a😀b", 5, "a😀"},
        {"\xff\xfe"
         "a",
         1, "\xff"}, // a stray byte is one character
    };
    for (const auto& [text, limit, cut] : cases)
        EXPECT_EQ(Utf8Cut(text, limit), cut) << text << " " << limit;
    EXPECT_EQ(Utf8PrefixLength("\xe3\x81", 5), 2u) << "a truncated sequence is two stray bytes";
    for (const char* bad : {"\xc0\xaf", "\xed\xa0\x80", "\xe3\x81"}) // overlong, surrogate
        EXPECT_FALSE(IsValidUtf8(bad));
    EXPECT_TRUE(IsValidUtf8("Tovalo バージョン"));
}

TEST(Utf8Text, BufferCopiesAreCutAndTerminated) {
    char buf[8];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(Utf8CopyToBuffer("あい", buf, 4), 3u);
    EXPECT_STREQ(buf, "あ");
    EXPECT_EQ(buf[4], 'x');
    EXPECT_EQ(Utf8CopyToBuffer("abc", buf, 1), 0u);
    EXPECT_STREQ(buf, "");
    buf[0] = 'q';
    EXPECT_EQ(Utf8CopyToBuffer("abc", buf, 0), 0u);
    EXPECT_EQ(buf[0], 'q') << "a zero-sized buffer is not written";
    EXPECT_EQ(Utf8CopyToBuffer("abc", nullptr, 8), 0u);
    const char unterminated[2] = {'a', 'b'};
    EXPECT_EQ(FromBuffer(unterminated, 2), "ab");
    EXPECT_EQ(FromBuffer("ab\0cd", 5), "ab");
}

TEST(Utf8Text, TrimAndFormat) {
    EXPECT_EQ(TrimRight("/pub/ \t\r\n"), "/pub/");
    EXPECT_EQ(TrimRight(" a b "), " a b");
    EXPECT_EQ(FormatString("%s というアカウントを削除", "C"), "C というアカウントを削除");
    EXPECT_EQ(FormatString("no placeholder", "x"), "no placeholder");
    EXPECT_EQ(FormatString("%s%s", "%s"), "%s%s") << "only the first is replaced, once";
}

// Loading itself is the binding and start-up tests' business.
TEST(Loader, NamesMapToSharedObjects) {
    for (const auto& [name, file] : {std::pair{"KORVEX.dll", "libKORVEX.so"},
                                     {"libKORVEX.so", "libKORVEX.so"},
                                     {"dir/KORVEX.dll", "dir/KORVEX.dll"},
                                     {".dll", ".dll"}})
        EXPECT_EQ(LibraryFileName(name), file);
}
