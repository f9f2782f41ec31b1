// Framing control-connection bytes into replies, fed whole and in small pieces.
#include "inet/FtpReplyFramer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using inet::FtpReply;
using inet::FtpReplyFramer;
using Status = FtpReplyFramer::Status;

std::string Show(const FtpReply& r) {
    std::string s = std::to_string(r.code) + "{";
    for (std::size_t i = 0; i < r.lines.size(); ++i)
        s += (i ? "|" : "") + r.lines[i];
    return s + "}";
}

TEST(ReplyFramer, SingleAndMultiLineRepliesSplitAnywhere) {
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> replies;
        Status last;
        std::size_t pending; // bytes held back: what a reply size limit counts
    };
    // clang-format off
    const Case cases[] = {
        {"one line", "220 ready\r\n", {"220{220 ready}"}, Status::NeedMore, 0},
        {"bare code, LF alone", "230\n", {"230{230}"}, Status::NeedMore, 0},
        {"multi-line with other codes and dashed lines inside", "211-Features:\r\n MLST size*;\r\n226 b\r\n211-c\r\n211 End\r\n", {"211{211-Features:| MLST size*;|226 b|211-c|211 End}"}, Status::NeedMore, 0},
        {"two in one read", "331 pw\r\n230 ok\r\n", {"331{331 pw}", "230{230 ok}"}, Status::NeedMore, 0},
        {"only the CR before LF goes", "200 a\rb\r\r\n", {"200{200 a\rb\r}"}, Status::NeedMore, 0},
        {"multi-line without its last line", "211-a\r\n b\r\n211-c\r\n", {}, Status::NeedMore, 18},
        {"a reply and the start of the next", "200 ok\r\n2", {"200{200 ok}"}, Status::NeedMore, 1},
        {"no code", "hello\r\n", {}, Status::Malformed, 7},
        {"code runs on", "2000 x\r\n", {}, Status::Malformed, 8},
        {"garbage after a reply", "200 ok\r\nxyz\r\n", {"200{200 ok}"}, Status::Malformed, 5},
    };
    // clang-format on
    for (const Case& c : cases) {
        for (std::size_t chunk : {c.bytes.size(), std::size_t{1}, std::size_t{3}}) {
            SCOPED_TRACE(std::string(c.what) + ", chunk " + std::to_string(chunk));
            FtpReplyFramer framer;
            std::vector<std::string> replies;
            Status last = Status::NeedMore;
            for (std::size_t at = 0; at < c.bytes.size() && last != Status::Malformed;
                 at += chunk) {
                framer.Feed(std::string_view(c.bytes).substr(at, chunk));
                FtpReply r;
                while ((last = framer.Next(r)) == Status::Complete)
                    replies.push_back(Show(r));
            }
            EXPECT_EQ(replies, c.replies);
            EXPECT_EQ(last, c.last);
            EXPECT_EQ(framer.Pending(), c.pending);
        }
    }
}

TEST(ReplyFramer, MalformedStaysUntilClear) {
    FtpReplyFramer framer;
    FtpReply r;
    framer.Feed("oops\r\n");
    EXPECT_EQ(framer.Next(r), Status::Malformed);
    framer.Feed("220 late\r\n");
    EXPECT_EQ(framer.Next(r), Status::Malformed);
    framer.Clear();
    framer.Feed("220 fresh\r\n");
    ASSERT_EQ(framer.Next(r), Status::Complete);
    EXPECT_EQ(Show(r), "220{220 fresh}");
}

} // namespace
