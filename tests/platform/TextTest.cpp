// UTF-8 byte limits: cuts never split a character and buffers are always terminated.
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace platform;

TEST(Utf8Text, CutsStopAtTheLastWholeCharacter) {
    const std::string aiu = "あいう"; // 3 bytes each
    EXPECT_EQ(Utf8Cut(aiu, 9), aiu);
    EXPECT_EQ(Utf8Cut(aiu, 8), "あい");
    EXPECT_EQ(Utf8Cut(aiu, 6), "あい");
    EXPECT_EQ(Utf8Cut(aiu, 2), "");
    EXPECT_EQ(Utf8Cut("a😀b", 4), "a");
    EXPECT_EQ(Utf8Cut("a😀b", 5), "a😀");
    EXPECT_EQ(Utf8Cut("abc", 0), "");

    std::string name;
    for (int i = 0; i < 100; ++i)
        name += "名"; // 300 bytes
    const std::string cut = Utf8Cut(name, 259);
    EXPECT_EQ(cut.size(), 258u);
    EXPECT_TRUE(IsValidUtf8(cut));
}

TEST(Utf8Text, StrayBytesCountAsOneCharacterEach) {
    EXPECT_EQ(Utf8Cut("\xff\xfe"
                      "a",
                      1),
              "\xff");
    EXPECT_EQ(Utf8PrefixLength("\xe3\x81", 5), 2u) << "a truncated sequence is two stray bytes";
    EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));     // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80")); // surrogate
    EXPECT_FALSE(IsValidUtf8("\xe3\x81"));
    EXPECT_TRUE(IsValidUtf8("Tovalo バージョン"));
}

TEST(Utf8Text, BufferCopiesAreCutAndTerminated) {
    char buf[8];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(Utf8CopyToBuffer("あい", buf, 4), 3u);
    EXPECT_STREQ(buf, "あ");
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
    EXPECT_EQ(TrimRight("   "), "");
    EXPECT_EQ(TrimRight(" a b "), " a b");
    EXPECT_EQ(FormatString("%s というアカウントを削除", "C"), "C というアカウントを削除");
    EXPECT_EQ(FormatString("Tovalo バージョン %s", "1.0.3"), "Tovalo バージョン 1.0.3");
    EXPECT_EQ(FormatString("no placeholder", "x"), "no placeholder");
    EXPECT_EQ(FormatString("%s%s", "%s"), "%s%s") << "only the first is replaced, once";
}
