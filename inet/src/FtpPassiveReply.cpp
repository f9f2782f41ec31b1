#include "inet/FtpPassiveReply.h"

#include <cctype>
#include <cstddef>
#include <vector>

namespace inet {
namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

} // namespace

std::optional<std::uint16_t> ParsePasvReply(std::string_view t) {
    // A number is a whole run of digits, held at 100000 once past 99999 so that none can
    // overflow; a run broken by anything but a comma starts the search for six numbers
    // afresh.
    std::vector<long> nums;
    std::size_t i = 3;
    while (i < t.size() && nums.size() < 6) {
        if (!IsDigit(t[i])) {
            if (!nums.empty() && t[i] != ',')
                nums.clear();
            ++i;
            continue;
        }
        long v = 0;
        for (; i < t.size() && IsDigit(t[i]); ++i)
            v = v > 99999 ? 100000 : v * 10 + (t[i] - '0');
        nums.push_back(v);
    }
    if (nums.size() != 6 || nums[4] > 255 || nums[5] > 255)
        return std::nullopt;
    const long port = nums[4] * 256 + nums[5];
    if (port <= 0)
        return std::nullopt;
    return static_cast<std::uint16_t>(port);
}

std::optional<std::uint16_t> ParseEpsvReply(std::string_view t) {
    const std::size_t open = t.find('(');
    if (open == std::string_view::npos || open + 4 >= t.size())
        return std::nullopt;
    const char d = t[open + 1];
    if (t[open + 2] != d || t[open + 3] != d)
        return std::nullopt;
    std::size_t i = open + 4;
    long v = 0;
    std::size_t digits = 0;
    while (i < t.size() && IsDigit(t[i]) && digits < 6) {
        v = v * 10 + (t[i] - '0');
        ++i;
        ++digits;
    }
    if (digits == 0 || i >= t.size() || t[i] != d || v <= 0 || v >= 65536)
        return std::nullopt;
    return static_cast<std::uint16_t>(v);
}

} // namespace inet
