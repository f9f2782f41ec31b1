// Feeds arbitrary bytes to the listing parsers as a data connection would: cut into lines
// whole and in pieces of 1 to 97 bytes as the input chooses (the lines must be the same
// either way), then each line parsed as LIST and as MLSD. A parsed name is the end of
// its line, and the mask matcher and the path join keep their promises for it.
#include "inet/FtpListParser.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

bool EndsWith(std::string_view s, std::string_view end) {
    return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

std::vector<std::string> Lines(std::string_view bytes, std::size_t piece) {
    inet::FtpLineSplitter splitter;
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        splitter.Feed(bytes.substr(at, piece), [&](std::string_view l) { lines.emplace_back(l); });
    if (auto last = splitter.Finish())
        lines.push_back(std::move(*last));
    return lines;
}

void CheckEntry(std::string_view line, const inet::FtpListEntry& e) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    Check(!e.name.empty());
    if (!EndsWith(line, e.name)) { // a link's name comes before " -> target"
        line.remove_suffix(std::min(line.size(), e.target.size()));
        Check(EndsWith(line, " -> ") && EndsWith(line.substr(0, line.size() - 4), e.name));
    }
    Check(inet::MatchesMask(e.name, "") && inet::MatchesMask(e.name, "*"));
    Check(e.name.find_first_of("*?") != std::string::npos || inet::MatchesMask(e.name, e.name));
    const std::string path = inet::JoinRemotePath("/pub", e.name);
    Check(path.size() == e.name.size() + 5 && path.starts_with("/pub/") && EndsWith(path, e.name));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = Lines(bytes, size + 1);
    if (size > 0)
        Check(Lines(bytes, data[0] % 97 + 1) == lines);
    for (const std::string& line : lines) {
        Check(line.find('\n') == std::string::npos &&
              line.size() <= inet::FtpLineSplitter::kMaxLine);
        if (auto e = inet::ParseListLine(line))
            CheckEntry(line, *e);
        if (auto e = inet::ParseMlsdLine(line))
            CheckEntry(line, *e);
    }
    return 0;
}
