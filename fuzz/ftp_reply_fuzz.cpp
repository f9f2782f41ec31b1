// Feeds arbitrary bytes to the control connection's reply framing whole, byte by byte (up to
// 4 KiB; longer inputs only repeat the same steps, at half the fuzzer's speed) and in pieces
// of 2 to 98 bytes as the input chooses: the replies taken out, the last status and the
// bytes held back must be the same every way, and every reply must be well formed: its
// code the first line's three digits, its last line "code" or "code text", every line
// between them not such a last line.
#include "inet/FtpReplyFramer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using inet::FtpReply;
using inet::FtpReplyFramer;

void Check(bool ok) {
    if (!ok)
        std::abort();
}

struct Outcome {
    std::vector<FtpReply> replies;
    FtpReplyFramer::Status last = FtpReplyFramer::Status::NeedMore;
    std::size_t pending = 0;

    bool operator==(const Outcome& o) const {
        if (replies.size() != o.replies.size() || last != o.last || pending != o.pending)
            return false;
        for (std::size_t i = 0; i < replies.size(); ++i)
            if (replies[i].code != o.replies[i].code || replies[i].lines != o.replies[i].lines)
                return false;
        return true;
    }
};

Outcome Frame(std::string_view bytes, std::size_t piece) {
    FtpReplyFramer framer;
    Outcome out;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        framer.Feed(bytes.substr(at, piece));
        FtpReply r;
        while ((out.last = framer.Next(r)) == FtpReplyFramer::Status::Complete)
            out.replies.push_back(std::move(r));
    }
    out.pending = framer.Pending();
    return out;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "code" alone or "code text": the line that ends a reply of that code.
bool Ends(std::string_view line, std::string_view code) {
    return line.substr(0, 3) == code && (line.size() == 3 || line[3] == ' ');
}

void CheckReply(const FtpReply& r) {
    Check(!r.lines.empty());
    const std::string& first = r.lines.front();
    Check(first.size() >= 3 && IsDigit(first[0]) && IsDigit(first[1]) && IsDigit(first[2]));
    Check(r.code == (first[0] - '0') * 100 + (first[1] - '0') * 10 + (first[2] - '0'));
    const std::string_view code = std::string_view(first).substr(0, 3);
    Check(Ends(r.lines.back(), code));
    Check(r.lines.size() == 1 || first[3] == '-');
    for (std::size_t i = 0; i < r.lines.size(); ++i) {
        Check(r.lines[i].find('\n') == std::string::npos);
        Check(i == 0 || i + 1 == r.lines.size() || !Ends(r.lines[i], code));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Outcome whole = Frame(bytes, size + 1);
    for (const FtpReply& r : whole.replies)
        CheckReply(r);
    if (size <= 4096)
        Check(Frame(bytes, 1) == whole);
    if (size > 0)
        Check(Frame(bytes, data[0] % 97 + 2) == whole);
    return 0;
}
