// UTF-8 byte limits: cuts never split a character and buffers are always terminated; the
// small text helpers the window uses.
#include "platform/Text.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Utf8Text, CutsStopAtTheLastWholeCharacter) {
    const std::tuple<std::string, std::size_t, std::string> cases[] = {
        {"あいう", 9, "あいう"},
        {"あいう", 8, "あい"},
        {"a😀b", 5, "a😀"},
        {"\xff\xfe"
         "a",
         1, "\xff"},                  // a stray byte is one character,
        {"\xe3\x81!", 2, "\xe3\x81"}, // and so is each byte of a sequence cut short
    };
    for (const auto& [text, limit, cut] : cases)
        EXPECT_EQ(Utf8Cut(text, limit), cut) << text << " " << limit;
}

TEST(Utf8Text, BufferCopiesAreCutAndTerminated) {
    char buf[8] = "xxxxxxx";
    EXPECT_EQ(Utf8CopyToBuffer("あい", buf, 4), 3u);
    EXPECT_STREQ(buf, "あ");
    EXPECT_EQ(buf[4], 'x');
    EXPECT_EQ(Utf8CopyToBuffer("abc", buf, 1), 0u);
    EXPECT_STREQ(buf, "");
    const char unterminated[2] = {'a', 'b'};
    EXPECT_EQ(FromBuffer(unterminated, 2), "ab");
    EXPECT_EQ(FromBuffer("ab\0cd", 5), "ab");
}

TEST(Utf8Text, TrimAndFormat) {
    EXPECT_EQ(TrimRight(" a b \t\r\n"), " a b");
    EXPECT_EQ(FormatString("%s%s", "%s"), "%s%s") << "only the first is replaced, once";
}
