// The listing parser against real server lines collected from other clients' test suites,
// plus the mask and path rules the browse run relies on.
#include "inet/FtpListParser.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Row {
    std::string format, kind, name, raw, target;
};

// The data file escapes a tab as \t and other bytes as \xHH.
std::string Unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s.compare(i, 2, "\\t") == 0) {
            out += '\t';
            ++i;
        } else if (s.compare(i, 2, "\\x") == 0) {
            out += static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::vector<Row> LoadRows() {
    std::ifstream in(std::string(TOVALO_TESTDATA_DIR) + "/ftp-listings.tsv", std::ios::binary);
    std::vector<Row> rows;
    std::string line, source;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        std::istringstream cols(line);
        Row r;
        std::getline(cols, source, '\t');
        for (std::string* col : {&r.format, &r.kind, &r.name, &r.raw, &r.target}) {
            std::getline(cols, *col, '\t');
            *col = Unescape(*col);
        }
        rows.push_back(std::move(r));
    }
    return rows;
}

const char* KindText(inet::FtpEntryKind k) {
    return k == inet::FtpEntryKind::Folder ? "dir"
           : k == inet::FtpEntryKind::Link ? "link"
                                           : "file";
}

// Every recorded line, with or without the CR it has on the wire, gives its name and
// kind; MLSD's own entries for the folder and its parent are marked as such.
TEST(ListParser, EveryRecordedServerLineGivesItsNameAndKind) {
    const auto rows = LoadRows();
    ASSERT_GE(rows.size(), 300u) << "test data missing or cut short";
    int marked = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.raw);
        const bool mlsd = r.format == "mlsd";
        for (const std::string& line : {r.raw, r.raw + "\r"}) {
            auto e = mlsd ? inet::ParseMlsdLine(line) : inet::ParseListLine(line);
            ASSERT_TRUE(e.has_value());
            EXPECT_EQ(e->name, r.name);
            EXPECT_STREQ(KindText(e->kind), r.kind.c_str());
            EXPECT_TRUE(r.kind != "link" || r.target.empty() || e->target == r.target);
            std::string lower = r.raw;
            for (char& ch : lower)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            const bool self = lower.find("type=cdir") != std::string::npos ||
                              lower.find("type=pdir") != std::string::npos;
            EXPECT_EQ(e->listedDir, self);
            marked += self;
        }
    }
    EXPECT_GE(marked, 8);
}

TEST(ListParser, OddLines) {
    const struct {
        const char* line;
        const char* name; // nullptr: no entry
    } cases[] = {
        // 2048 is a size here, not a year in front of "Jan 5".
        {"-rw-r--r-- 1 user group 2048 Jan  5 10:30 report 2024.txt", "report 2024.txt"},
        {"", nullptr},
        {"total 42", nullptr},
        {"-rw-r--r-- 1 u g 12 Jan  1 2020", nullptr},
        {"12-05-96  05:03PM       <DIR>", nullptr},
        {"04-08-14  03:09PM  12a4 omar.txt", nullptr},
        {"type=file;size=3;", nullptr},
        {"nofacts name", nullptr},
    };
    for (const auto& c : cases) {
        const auto e = inet::ParseListLine(c.line);
        EXPECT_EQ(e ? e->name : "<none>", c.name ? c.name : "<none>") << c.line;
    }
    EXPECT_FALSE(inet::ParseMlsdLine("type=file;size=3;").has_value());
    EXPECT_FALSE(inet::ParseMlsdLine("nofacts name").has_value());
}

// A whole transfer, at once or cut at awkward places, gives every line once; an overlong
// line is dropped whole, and the last line needs no line end.
TEST(ListParser, LineSplitter) {
    std::string listing;
    std::vector<std::string> expected;
    for (const Row& r : LoadRows()) {
        listing += r.raw + "\r\n";
        expected.push_back(r.raw);
    }
    const std::string junk(inet::FtpLineSplitter::kMaxLine / 4, 'x');
    for (int i = 0; i < 8; ++i)
        listing += junk;
    listing += "tail\r\nnext line\r\nlast";
    expected.push_back("next line");
    inet::FtpLineSplitter splitter;
    std::vector<std::string> lines;
    for (std::size_t piece : {std::size_t{7}, listing.size()}) {
        lines.clear();
        for (std::size_t i = 0; i < listing.size(); i += piece)
            splitter.Feed(std::string_view(listing).substr(i, piece),
                          [&](std::string_view l) { lines.emplace_back(l); });
        EXPECT_EQ(lines, expected) << piece;
        EXPECT_EQ(splitter.Finish(), "last");
    }
    for (int i = 0; i < 8; ++i)
        splitter.Feed(junk, [&](std::string_view l) { lines.emplace_back(l); });
    EXPECT_FALSE(splitter.Finish().has_value());
}

TEST(Mask, WildcardsAreCaseSensitiveAndEmptyMatchesAll) {
    const struct {
        const char *name, *mask;
        bool matches;
    } cases[] = {
        {"anything", "", true},
        {"a.txt", "*.txt", true},
        {"a.TXT", "*.txt", false},
        {"ab.txt", "?.txt", false},
        {"abcabd", "*abd", true},
        {"", "?", false},
        {"a.txt.bak", "*.txt", false},
        {"data-2024-01.csv", "data-*-??.csv", true},
        // '?' stands for one character, also a multi-byte one.
        {"試験.csv", "??.csv", true},
        {"試験.csv", "?.csv", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(inet::MatchesMask(c.name, c.mask), c.matches) << c.name << " " << c.mask;
}

TEST(RemotePath, NoDoubledSeparator) {
    EXPECT_EQ(inet::JoinRemotePath("/", "a"), "/a");
    EXPECT_EQ(inet::JoinRemotePath("/pub", "a b"), "/pub/a b");
    EXPECT_EQ(inet::JoinRemotePath("C:\\", "a"), "C:\\a");
    EXPECT_EQ(inet::JoinRemotePath("", "a"), "a");
    EXPECT_TRUE(inet::IsDots(".") && inet::IsDots(".."));
    EXPECT_FALSE(inet::IsDots("...") || inet::IsDots(".a"));
}

} // namespace
