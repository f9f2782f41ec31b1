// The listing parser against real server lines collected from other clients' test suites,
// plus the mask and path rules the browse run relies on.
#include "inet/FtpListParser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Row {
    int lineNo = 0;
    std::string format, kind, name, raw, target;
};

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string Unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 >= s.size()) {
            out.push_back(s[i]);
            continue;
        }
        char c = s[++i];
        if (c == '\\')
            out.push_back('\\');
        else if (c == 't')
            out.push_back('\t');
        else if (c == 'r')
            out.push_back('\r');
        else if (c == 'n')
            out.push_back('\n');
        else if (c == 'x' && i + 2 < s.size() + 0 && HexValue(s[i + 1]) >= 0 &&
                 HexValue(s[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2])));
            i += 2;
        } else {
            ADD_FAILURE() << "unknown escape \\" << c << " in " << s;
        }
    }
    return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> cols;
    std::string cur;
    for (char c : line) {
        if (c == '\t') {
            cols.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(c);
        }
    }
    cols.push_back(cur);
    return cols;
}

std::vector<Row> LoadRows() {
    std::ifstream in(std::string(TOVALO_TESTDATA_DIR) + "/ftp-listings.tsv", std::ios::binary);
    std::vector<Row> rows;
    if (!in)
        return rows;
    std::string line;
    std::getline(in, line); // header
    int no = 1;
    while (std::getline(in, line)) {
        ++no;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        auto cols = SplitTabs(line);
        if (cols.size() < 5) {
            ADD_FAILURE() << "short row " << no;
            continue;
        }
        Row r;
        r.lineNo = no;
        r.format = cols[1];
        r.kind = cols[2];
        r.name = Unescape(cols[3]);
        r.raw = Unescape(cols[4]);
        r.target = cols.size() > 5 ? Unescape(cols[5]) : std::string();
        rows.push_back(std::move(r));
    }
    return rows;
}

const char* KindText(inet::FtpEntryKind k) {
    switch (k) {
    case inet::FtpEntryKind::Folder:
        return "dir";
    case inet::FtpEntryKind::Link:
        return "link";
    case inet::FtpEntryKind::File:
        return "file";
    }
    return "?";
}

TEST(ListParser, EveryRecordedServerLineGivesItsNameAndKind) {
    auto rows = LoadRows();
    ASSERT_GE(rows.size(), 300u) << "test data missing or cut short";
    int checked = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE("row " + std::to_string(r.lineNo) + ": " + r.raw);
        bool mlsd = r.format == "mlsd";
        auto e = mlsd ? inet::ParseMlsdLine(r.raw) : inet::ParseListLine(r.raw);
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->name, r.name);
        EXPECT_STREQ(KindText(e->kind), r.kind.c_str());
        if (r.kind == "link" && !r.target.empty()) {
            EXPECT_EQ(e->target, r.target);
        }
        // The same line with its CR LF, as it comes off the wire, parses the same.
        auto withCr = mlsd ? inet::ParseMlsdLine(r.raw + "\r") : inet::ParseListLine(r.raw + "\r");
        ASSERT_TRUE(withCr.has_value());
        EXPECT_EQ(withCr->name, r.name);
        ++checked;
    }
    EXPECT_EQ(checked, static_cast<int>(rows.size()));
}

TEST(ListParser, MlsdSelfAndParentAreMarkedNotEntries) {
    int marked = 0;
    for (const Row& r : LoadRows()) {
        if (r.format != "mlsd")
            continue;
        auto e = inet::ParseMlsdLine(r.raw);
        ASSERT_TRUE(e.has_value()) << r.raw;
        std::string lower;
        for (char c : r.raw)
            lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        bool self = lower.find("type=cdir") != std::string::npos ||
                    lower.find("type=pdir") != std::string::npos;
        EXPECT_EQ(e->listedDir, self) << r.raw;
        marked += self ? 1 : 0;
    }
    EXPECT_GE(marked, 4);
}

TEST(ListParser, WholeListingThroughTheSplitter) {
    // A whole transfer cut at awkward places still gives every line once, and a
    // Shift_JIS byte 0x85 inside a name never splits a line.
    std::string listing;
    std::vector<Row> unixRows;
    for (const Row& r : LoadRows())
        if (r.format != "mlsd") {
            listing += r.raw + "\r\n";
            unixRows.push_back(r);
        }
    listing += "total 112\r\n\r\n";
    inet::FtpLineSplitter splitter;
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < listing.size(); i += 7)
        splitter.Feed(std::string_view(listing).substr(i, 7), lines);
    EXPECT_FALSE(splitter.Finish().has_value());
    ASSERT_EQ(lines.size(), unixRows.size() + 2);
    for (std::size_t i = 0; i < unixRows.size(); ++i)
        EXPECT_EQ(lines[i], unixRows[i].raw);
    EXPECT_FALSE(inet::ParseListLine(lines[unixRows.size()]).has_value()); // "total 112"
    EXPECT_FALSE(inet::ParseListLine(lines[unixRows.size() + 1]).has_value());
}

TEST(ListParser, LastLineWithoutLineEnd) {
    inet::FtpLineSplitter splitter;
    std::vector<std::string> lines;
    splitter.Feed("a\r\nb", lines);
    ASSERT_EQ(lines.size(), 1u);
    auto last = splitter.Finish();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(*last, "b");
}

TEST(ListParser, LinesThatAreNoEntriesAreRejected) {
    for (const char* line :
         {"", "total 42", "garbage", "drwxr-xr-x", "-rw-r--r-- 1 u g 12 Jan  1 2020",
          "12-05-96  05:03PM       <DIR>", "2002-09-02  xx:48       <DIR>  x",
          "04-08-14  03:09PM  12a4 omar.txt", "type=file;size=3;", "nofacts name", ";; x"}) {
        EXPECT_FALSE(inet::ParseListLine(line).has_value()) << line;
    }
    EXPECT_FALSE(inet::ParseMlsdLine("type=file;size=3;").has_value());
    EXPECT_FALSE(inet::ParseMlsdLine("nofacts name").has_value());
}

TEST(ListParser, OverlongLineIsDroppedWholeAndTheNextKept) {
    inet::FtpLineSplitter splitter;
    std::vector<std::string> lines;
    std::string junk(inet::FtpLineSplitter::kMaxLine / 4, 'x');
    for (int i = 0; i < 8; ++i)
        splitter.Feed(junk, lines);
    EXPECT_TRUE(lines.empty());
    splitter.Feed("tail\r\nnext line\r\n", lines);
    EXPECT_EQ(lines, std::vector<std::string>{"next line"});
    for (int i = 0; i < 8; ++i)
        splitter.Feed(junk, lines);
    EXPECT_FALSE(splitter.Finish().has_value());
}

TEST(ListParser, DamagedLinesNeverGiveANameFromOutsideTheLine) {
    // Recorded lines cut short, with bytes changed or spaces doubled: the parser may
    // reject them, but a name it gives is always a non-empty piece of the line itself.
    auto rows = LoadRows();
    ASSERT_FALSE(rows.empty());
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    const std::string noise = " \t:-,./<>0129aZ\x80\xff";
    for (int round = 0; round < 20000; ++round) {
        std::string line = rows[next() % rows.size()].raw;
        switch (next() % 4) {
        case 0:
            line.resize(next() % (line.size() + 1));
            break;
        case 1:
            if (!line.empty())
                line[next() % line.size()] = noise[next() % noise.size()];
            break;
        case 2:
            line.insert(next() % (line.size() + 1), std::string(1 + next() % 3, ' '));
            break;
        default:
            line.erase(0, next() % (line.size() + 1));
            break;
        }
        for (auto e : {inet::ParseListLine(line), inet::ParseMlsdLine(line)}) {
            if (!e)
                continue;
            EXPECT_FALSE(e->name.empty()) << line;
            EXPECT_NE(line.find(e->name), std::string::npos) << line;
        }
    }
}

TEST(ListParser, SizeLikeYearIsNotTakenForADate) {
    // 2048 is a size here, not a year in front of "Jan 5".
    auto e = inet::ParseListLine("-rw-r--r-- 1 user group 2048 Jan  5 10:30 report 2024.txt");
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->name, "report 2024.txt");
    EXPECT_EQ(e->kind, inet::FtpEntryKind::File);
}

TEST(Mask, WildcardsAreCaseSensitiveAndEmptyMatchesAll) {
    EXPECT_TRUE(inet::MatchesMask("anything", ""));
    EXPECT_TRUE(inet::MatchesMask("", ""));
    EXPECT_TRUE(inet::MatchesMask("a.txt", "*.txt"));
    EXPECT_FALSE(inet::MatchesMask("a.TXT", "*.txt"));
    EXPECT_TRUE(inet::MatchesMask("a.txt", "?.txt"));
    EXPECT_FALSE(inet::MatchesMask("ab.txt", "?.txt"));
    EXPECT_TRUE(inet::MatchesMask("abcabd", "*abd"));
    EXPECT_TRUE(inet::MatchesMask("x", "*"));
    EXPECT_TRUE(inet::MatchesMask("", "*"));
    EXPECT_FALSE(inet::MatchesMask("", "?"));
    EXPECT_TRUE(inet::MatchesMask("a*b", "a*b"));
    EXPECT_FALSE(inet::MatchesMask("a.txt.bak", "*.txt"));
    EXPECT_TRUE(inet::MatchesMask("data-2024-01.csv", "data-*-??.csv"));
    // '?' stands for one character, also a multi-byte one.
    EXPECT_TRUE(inet::MatchesMask("試験.csv", "??.csv"));
    EXPECT_FALSE(inet::MatchesMask("試験.csv", "?.csv"));
    EXPECT_TRUE(inet::MatchesMask("試験ファイル.csv", "試験*.csv"));
    EXPECT_FALSE(inet::MatchesMask("試験ファイル.csv", "*.CSV"));
}

TEST(RemotePath, NoDoubledSeparator) {
    EXPECT_EQ(inet::JoinRemotePath("/", "a"), "/a");
    EXPECT_EQ(inet::JoinRemotePath("/pub", "a b"), "/pub/a b");
    EXPECT_EQ(inet::JoinRemotePath("/pub/", "a"), "/pub/a");
    EXPECT_EQ(inet::JoinRemotePath("C:\\", "a"), "C:\\a");
    EXPECT_EQ(inet::JoinRemotePath("", "a"), "a");
    EXPECT_TRUE(inet::IsDots("."));
    EXPECT_TRUE(inet::IsDots(".."));
    EXPECT_FALSE(inet::IsDots("..."));
    EXPECT_FALSE(inet::IsDots(".a"));
}

} // namespace
