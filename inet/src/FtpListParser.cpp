#include "inet/FtpListParser.h"

#include <array>
#include <cstddef>

namespace inet {
namespace {

struct Token {
    std::size_t begin;
    std::size_t end;
};

bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool IsAlpha(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
unsigned char Lower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

std::string_view StripCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

std::vector<Token> Tokenize(std::string_view s, std::size_t from) {
    std::vector<Token> out;
    std::size_t i = from;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        if (i >= s.size())
            break;
        std::size_t b = i;
        while (i < s.size() && s[i] != ' ' && s[i] != '\t')
            ++i;
        out.push_back({b, i});
    }
    return out;
}

// Leading decimal digits of t (at most 9 are converted).
std::size_t CountDigits(std::string_view t) {
    std::size_t n = 0;
    while (n < t.size() && IsDigit(static_cast<unsigned char>(t[n])))
        ++n;
    return n;
}

long DigitValue(std::string_view t, std::size_t n) {
    long v = 0;
    for (std::size_t i = 0; i < n && i < 9; ++i)
        v = v * 10 + (t[i] - '0');
    return v;
}

bool AllDigits(std::string_view t) {
    return !t.empty() && CountDigits(t) == t.size();
}

// A suffix of non-ASCII bytes after a number: 月, 日, 年 and their legacy encodings.
bool IsNonAsciiSuffix(std::string_view t) {
    return !t.empty() && static_cast<unsigned char>(t[0]) >= 0x80;
}

bool IsTime(std::string_view t) {
    std::size_t h = CountDigits(t);
    if (h < 1 || h > 2 || h + 3 > t.size() || t[h] != ':')
        return false;
    if (!IsDigit(t[h + 1]) || !IsDigit(t[h + 2]))
        return false;
    if (DigitValue(t, h) > 24 || DigitValue(t.substr(h + 1), 2) > 59)
        return false;
    std::string_view rest = t.substr(h + 3);
    return rest.empty() || (rest.size() == 3 && rest[0] == ':' && AllDigits(rest.substr(1)));
}

bool IsYear(std::string_view t, bool* suffixed = nullptr) {
    std::size_t n = CountDigits(t);
    if (n != 4)
        return false;
    long v = DigitValue(t, 4);
    if (v < 1000 || v > 2999)
        return false;
    std::string_view rest = t.substr(4);
    if (suffixed)
        *suffixed = !rest.empty();
    return rest.empty() || IsNonAsciiSuffix(rest);
}

bool IsDay(std::string_view t) {
    std::size_t n = CountDigits(t);
    if (n < 1 || n > 2)
        return false;
    long v = DigitValue(t, n);
    if (v < 1 || v > 31)
        return false;
    std::string_view rest = t.substr(n);
    return rest.empty() || rest == "." || rest == "," || IsNonAsciiSuffix(rest);
}

bool EqualsLower(std::string_view t, std::string_view lowered) {
    if (t.size() != lowered.size())
        return false;
    for (std::size_t i = 0; i < t.size(); ++i)
        if (Lower(static_cast<unsigned char>(t[i])) != static_cast<unsigned char>(lowered[i]))
            return false;
    return true;
}

bool IsMonthName(std::string_view t) {
    while (!t.empty() && (t.back() == '.' || t.back() == ','))
        t.remove_suffix(1);
    if (t.size() < 3 || t.size() > 9)
        return false;
    static constexpr std::array<std::string_view, 17> kPrefixes{
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug",       "sep",
        "oct", "nov", "dec", "mrz", "mai", "okt", "dez", "m\xc3\xa4r"};
    static constexpr std::array<std::string_view, 7> kWhole{
        "febr", "m\xc3\xa1rc", "\xc3\xa1pr", "m\xc3\xa1j", "j\xc3\xban", "j\xc3\xbal", "szept"};
    for (std::string_view w : kWhole)
        if (EqualsLower(t, w))
            return true;
    for (std::string_view p : kPrefixes) {
        if (t.size() < p.size() || !EqualsLower(t.substr(0, p.size()), p))
            continue;
        bool letters = true;
        for (std::size_t i = p.size(); i < t.size(); ++i)
            letters = letters && IsAlpha(static_cast<unsigned char>(t[i]));
        if (letters)
            return true;
    }
    return false;
}

// A month written as a number with a non-ASCII unit (3月, 1월, or legacy bytes).
bool IsNumericMonth(std::string_view t) {
    std::size_t n = CountDigits(t);
    if (n < 1 || n > 2 || n == t.size())
        return false;
    long v = DigitValue(t, n);
    return v >= 1 && v <= 12 && IsNonAsciiSuffix(t.substr(n));
}

bool IsMonth(std::string_view t) {
    return IsMonthName(t) || IsNumericMonth(t);
}

// Digits become '9', ASCII letters 'a', everything else stays.
std::string Shape(std::string_view t) {
    std::string s(t);
    for (char& c : s) {
        auto u = static_cast<unsigned char>(c);
        if (IsDigit(u))
            c = '9';
        else if (IsAlpha(u))
            c = 'a';
    }
    return s;
}

struct DateMatch {
    std::size_t tokens = 0; // tokens the date takes
    bool skipAllSpaces = false;
};

// Recognises a date starting at token i of a Unix listing line.
DateMatch MatchDate(std::string_view s, const std::vector<Token>& tok, std::size_t i) {
    auto at = [&](std::size_t k) -> std::string_view {
        if (k >= tok.size())
            return {};
        return s.substr(tok[k].begin, tok[k].end - tok[k].begin);
    };
    std::string_view t0 = at(i), t1 = at(i + 1), t2 = at(i + 2), t3 = at(i + 3);
    bool timeOrYear2 = IsTime(t2) || IsYear(t2);
    // "Oct 08, 2002 09:47"
    if (IsMonth(t0) && IsDay(t1) && t1.back() == ',' && IsYear(t2) && IsTime(t3))
        return {4, false};
    // "Apr  8  1994", "Jan 25 00:17", "6月 3日 2003年"
    if (IsMonth(t0) && IsDay(t1) && timeOrYear2)
        return {3, false};
    // "26. Juli, 20:10", "01 oct 2004", "29 Jul 02:27"
    if (IsDay(t0) && IsMonthName(t1) && timeOrYear2)
        return {3, false};
    // "2003 3月 20", "2005년 1월 6일": only with a unit, so a size like 2048 is no year
    bool yearSuffixed = false;
    if (IsYear(t0, &yearSuffixed) && IsMonth(t1) && IsDay(t2) &&
        (yearSuffixed || IsNumericMonth(t1)) && !(IsTime(t3) || IsYear(t3)))
        return {3, false};
    std::string sh =
        !t0.empty() && IsDigit(static_cast<unsigned char>(t0[0])) ? Shape(t0) : std::string();
    if ((sh == "9999-99-99" || sh == "9999/99/99" || sh == "99-99-9999") && IsTime(t1))
        return {2, false};
    if (sh == "99-99" && (IsYear(t1) || IsTime(t1)))
        return {2, false};
    if (sh == "9999.99.99" || sh == "99-aaa-99")
        return {1, true};
    // "3 29 03:26": numeric month and day
    if (AllDigits(t0) && AllDigits(t1) && IsTime(t2)) {
        long m = DigitValue(t0, t0.size()), d = DigitValue(t1, t1.size());
        if (t0.size() <= 2 && t1.size() <= 2 && m >= 1 && m <= 12 && d >= 1 && d <= 31)
            return {3, false};
    }
    return {};
}

bool IsModeToken(std::string_view t) {
    if (t.size() < 9)
        return false;
    static constexpr std::string_view kTypes = "-dlbcpsDf";
    if (kTypes.find(t[0]) == std::string_view::npos)
        return false;
    for (std::size_t i = 1; i < 9; ++i) {
        auto c = static_cast<unsigned char>(t[i]);
        if (!IsAlpha(c) && c != '-')
            return false;
    }
    return true;
}

std::optional<FtpListEntry> ParseUnix(std::string_view s) {
    std::size_t p = 0;
    while (p < s.size() && (s[p] == ' ' || s[p] == '\t'))
        ++p;
    std::vector<Token> tok = Tokenize(s, p);
    if (tok.size() < 3)
        return std::nullopt;
    std::string_view mode = s.substr(tok[0].begin, tok[0].end - tok[0].begin);
    if (!IsModeToken(mode))
        return std::nullopt;
    FtpListEntry e;
    e.kind = mode[0] == 'd' ? FtpEntryKind::Folder
                            : (mode[0] == 'l' ? FtpEntryKind::Link : FtpEntryKind::File);
    std::size_t nameStart = std::string_view::npos;
    for (std::size_t i = 2; i < tok.size(); ++i) {
        DateMatch m = MatchDate(s, tok, i);
        if (m.tokens == 0)
            continue;
        std::size_t last = i + m.tokens - 1;
        if (last + 1 >= tok.size())
            return std::nullopt; // a date with no name after it
        nameStart = m.skipAllSpaces ? tok[last + 1].begin : tok[last].end + 1;
        break;
    }
    if (nameStart == std::string_view::npos) {
        // No date at all: mode, links, owner, group, size, name.
        if (tok.size() >= 6 && AllDigits(s.substr(tok[1].begin, tok[1].end - tok[1].begin)) &&
            AllDigits(s.substr(tok[4].begin, tok[4].end - tok[4].begin)))
            nameStart = tok[5].begin;
        else
            return std::nullopt;
    }
    std::string_view name = s.substr(nameStart);
    if (e.kind == FtpEntryKind::Link) {
        std::size_t arrow = name.find(" -> ");
        if (arrow != std::string_view::npos) {
            e.target = std::string(name.substr(arrow + 4));
            name = name.substr(0, arrow);
        }
    }
    if (name.empty())
        return std::nullopt;
    e.name = std::string(name);
    return e;
}

std::optional<FtpListEntry> ParseDos(std::string_view s) {
    std::vector<Token> tok = Tokenize(s, 0);
    if (tok.size() < 4)
        return std::nullopt;
    auto at = [&](std::size_t k) { return s.substr(tok[k].begin, tok[k].end - tok[k].begin); };
    std::string d = Shape(at(0));
    if (d != "99-99-99" && d != "99-99-9999" && d != "9999-99-99")
        return std::nullopt;
    std::string_view time = at(1);
    std::size_t k = 2;
    std::string ts = Shape(time);
    if (ts == "99:99aa" || ts == "9:99aa") {
        std::string_view ampm = time.substr(time.size() - 2);
        if (Lower(ampm[0]) != 'a' && Lower(ampm[0]) != 'p')
            return std::nullopt;
        if (Lower(ampm[1]) != 'm')
            return std::nullopt;
    } else if (ts == "99:99" || ts == "9:99") {
        std::string_view next = at(2);
        if (next.size() == 2 && (Lower(next[0]) == 'a' || Lower(next[0]) == 'p') &&
            Lower(next[1]) == 'm')
            k = 3;
    } else {
        return std::nullopt;
    }
    if (k + 1 >= tok.size())
        return std::nullopt;
    FtpListEntry e;
    std::string_view sizeOrDir = at(k);
    if (sizeOrDir == "<DIR>") {
        e.kind = FtpEntryKind::Folder;
    } else {
        for (char c : sizeOrDir)
            if (!IsDigit(static_cast<unsigned char>(c)) && c != ',' && c != '.')
                return std::nullopt;
        if (!IsDigit(static_cast<unsigned char>(sizeOrDir[0])))
            return std::nullopt;
        e.kind = FtpEntryKind::File;
    }
    e.name = std::string(s.substr(tok[k + 1].begin));
    return e;
}

} // namespace

std::optional<FtpListEntry> ParseListLine(std::string_view line) {
    line = StripCr(line);
    if (line.empty())
        return std::nullopt;
    if (auto e = ParseUnix(line))
        return e;
    return ParseDos(line);
}

std::optional<FtpListEntry> ParseMlsdLine(std::string_view line) {
    line = StripCr(line);
    std::size_t sep = line.find_first_of(" \t");
    if (sep == std::string_view::npos || sep == 0 || sep + 1 >= line.size())
        return std::nullopt;
    std::string_view facts = line.substr(0, sep);
    FtpListEntry e;
    e.name = std::string(line.substr(sep + 1));
    bool anyFact = false;
    while (!facts.empty()) {
        std::size_t semi = facts.find(';');
        std::string_view fact = facts.substr(0, semi);
        facts = semi == std::string_view::npos ? std::string_view{} : facts.substr(semi + 1);
        std::size_t eq = fact.find('=');
        if (eq == std::string_view::npos || eq == 0) {
            if (fact.empty())
                continue;
            return std::nullopt;
        }
        anyFact = true;
        std::string key, value;
        for (char c : fact.substr(0, eq))
            key.push_back(static_cast<char>(Lower(static_cast<unsigned char>(c))));
        std::string_view raw = fact.substr(eq + 1);
        for (char c : raw)
            value.push_back(static_cast<char>(Lower(static_cast<unsigned char>(c))));
        if (key != "type")
            continue;
        if (value == "dir") {
            e.kind = FtpEntryKind::Folder;
        } else if (value == "cdir" || value == "pdir") {
            e.kind = FtpEntryKind::Folder;
            e.listedDir = true;
        } else if (value == "file") {
            e.kind = FtpEntryKind::File;
        } else if (value == "link" || value.starts_with("os.unix=slink") ||
                   value.starts_with("os.unix=symlink")) {
            e.kind = FtpEntryKind::Link;
            std::size_t colon = raw.find(':');
            if (colon != std::string_view::npos)
                e.target = std::string(raw.substr(colon + 1));
        } else {
            e.kind = FtpEntryKind::File;
        }
    }
    if (!anyFact)
        return std::nullopt;
    return e;
}

void FtpLineSplitter::Keep(std::string_view part) {
    if (m_overlong)
        return;
    m_pending.append(part);
    if (m_pending.size() > kMaxLine) {
        // No real listing line is this long; drop it rather than grow without end.
        m_overlong = true;
        m_pending.clear();
    }
}

std::optional<std::string> FtpLineSplitter::Finish() {
    if (m_overlong) {
        m_overlong = false;
        return std::nullopt;
    }
    if (m_pending.empty())
        return std::nullopt;
    std::string last = std::move(m_pending);
    m_pending.clear();
    if (!last.empty() && last.back() == '\r')
        last.pop_back();
    return last;
}

bool IsDots(std::string_view name) {
    return name == "." || name == "..";
}

namespace {
// Length of the UTF-8 character starting at s[i] (1 for stray bytes).
std::size_t CharLen(std::string_view s, std::size_t i) {
    std::size_t n = 1;
    while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80 &&
           static_cast<unsigned char>(s[i]) >= 0xC0 && n < 4)
        ++n;
    return n;
}
} // namespace

bool MatchesMask(std::string_view name, std::string_view mask) {
    if (mask.empty())
        return true;
    // Iterative wildcard match with one back-tracking point for the latest '*'.
    std::size_t n = 0, m = 0;
    std::size_t starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '?') {
            n += CharLen(name, n);
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (m < mask.size() && mask[m] == name[n]) {
            ++n;
            ++m;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            starN += CharLen(name, starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

namespace {

// True when the bytes follow UTF-8's lead and continuation pattern.
bool LooksLikeUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        if (len == 0 || i + len > s.size())
            return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}

// A trailing 0x5C is a Windows server's separator, unless it is the second byte of a
// CP932 character ("表", "ソ", "能" end in it).
bool EndsWithBackslash(std::string_view s) {
    if (s.empty() || s.back() != '\\')
        return false;
    if (LooksLikeUtf8(s))
        return true;
    std::size_t i = 0;
    while (i + 1 < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        i += (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC) ? 2 : 1;
    }
    return i == s.size() - 1;
}

} // namespace

std::string JoinRemotePath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/' && !EndsWithBackslash(path))
        path.push_back('/');
    path.append(name);
    return path;
}

} // namespace inet
