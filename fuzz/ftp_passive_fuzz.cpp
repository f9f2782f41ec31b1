// ParsePasvReply and ParseEpsvReply on arbitrary text, each against a plain reading of
// what its header promises: for EPSV the digits between the fourth delimiter and the
// fifth; for PASV the last two of the first six numbers joined by commas (a number being
// a whole run of digits). A port read is always 1-65535.
#include "inet/FtpPassiveReply.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A run of digits as a number, any past 999999 as 999999.
long Number(std::string_view digits) {
    long v = 0;
    for (char c : digits)
        v = v > 99999 ? 999999 : v * 10 + (c - '0');
    return v;
}

std::optional<std::uint16_t> Pasv(std::string_view t) {
    struct Run {
        std::size_t begin, end;
    };
    std::vector<Run> runs;
    for (std::size_t i = 3; i < t.size();) {
        if (!IsDigit(t[i])) {
            ++i;
            continue;
        }
        const std::size_t b = i;
        while (i < t.size() && IsDigit(t[i]))
            ++i;
        runs.push_back({b, i});
    }
    auto joined = [&](std::size_t k) { // runs k and k + 1 have only commas between them
        return t.substr(runs[k].end, runs[k + 1].begin - runs[k].end).find_first_not_of(',') ==
               std::string_view::npos;
    };
    for (std::size_t first = 0; first + 6 <= runs.size(); ++first) {
        std::size_t k = first;
        while (k < first + 5 && joined(k))
            ++k;
        if (k < first + 5)
            continue;
        const long p1 =
            Number(t.substr(runs[first + 4].begin, runs[first + 4].end - runs[first + 4].begin));
        const long p2 =
            Number(t.substr(runs[first + 5].begin, runs[first + 5].end - runs[first + 5].begin));
        if (p1 > 255 || p2 > 255 || p1 * 256 + p2 == 0)
            return std::nullopt;
        return static_cast<std::uint16_t>(p1 * 256 + p2);
    }
    return std::nullopt;
}

std::optional<std::uint16_t> Epsv(std::string_view t) {
    const std::size_t open = t.find('(');
    if (open == std::string_view::npos || open + 4 >= t.size())
        return std::nullopt;
    const char d = t[open + 1];
    if (t[open + 2] != d || t[open + 3] != d)
        return std::nullopt;
    std::size_t end = open + 4;
    while (end < t.size() && IsDigit(t[end]))
        ++end;
    const std::string_view digits = t.substr(open + 4, end - open - 4);
    if (digits.empty() || digits.size() > 6 || end >= t.size() || t[end] != d)
        return std::nullopt;
    const long port = Number(digits);
    if (port < 1 || port > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(port);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto pasv = inet::ParsePasvReply(text);
    const auto epsv = inet::ParseEpsvReply(text);
    Check(!pasv || *pasv != 0);
    Check(!epsv || *epsv != 0);
    Check(pasv == Pasv(text));
    // A digit for a delimiter leaves the port's end open to more than one reading.
    const std::size_t open = text.find('(');
    if (open == std::string_view::npos || open + 1 >= text.size() || !IsDigit(text[open + 1]))
        Check(epsv == Epsv(text));
    return 0;
}
