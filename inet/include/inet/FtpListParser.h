// Directory listings as FTP servers send them, parsed from the raw bytes.
//
// ParseListLine understands the Unix "ls -l" forms (many date styles, owners and groups
// with spaces, numeric owners, a missing group, "name -> target" links) and the DOS/IIS
// form ("<DIR>" or a size, 12- and 24-hour times). ParseMlsdLine reads one MLSD record
// (RFC 3659 facts, then one space, then the name). Lines that do not fit are rejected
// (std::nullopt), never guessed. Names are byte strings: no re-encoding happens here.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace inet {

enum class FtpEntryKind { File, Folder, Link };

struct FtpListEntry {
    std::string name;
    FtpEntryKind kind = FtpEntryKind::File;
    std::string target;     // a link's target when the listing names it
    bool listedDir = false; // MLSD cdir/pdir: the listed folder or its parent, not an entry
};

// One LIST line without its line end (a trailing CR is tolerated).
std::optional<FtpListEntry> ParseListLine(std::string_view line);

// One MLSD line without its line end (a trailing CR is tolerated).
std::optional<FtpListEntry> ParseMlsdLine(std::string_view line);

// Cuts a byte stream into lines at LF (a CR before it is dropped). Only LF ends a line,
// so single-byte encodings whose names contain 0x85 or 0x0D-free bytes stay whole.
class FtpLineSplitter {
public:
    static constexpr std::size_t kMaxLine = 64 * 1024; // longer lines are dropped whole

    // Calls onLine(std::string_view) with each complete line found in data, without its
    // line end. A line that lies whole in data is a view into it: only a line split
    // between two calls is copied.
    template <class OnLine> void Feed(std::string_view data, OnLine&& onLine) {
        while (!data.empty()) {
            const std::size_t nl = data.find('\n');
            if (nl == std::string_view::npos) {
                Keep(data);
                return;
            }
            const std::string_view part = data.substr(0, nl);
            data.remove_prefix(nl + 1);
            if (m_pending.empty() && !m_overlong) {
                if (part.size() <= kMaxLine)
                    onLine(WithoutCr(part));
                continue;
            }
            Keep(part);
            if (!m_overlong)
                onLine(WithoutCr(m_pending));
            m_pending.clear();
            m_overlong = false;
        }
    }
    // The last line when the stream ended without a line end.
    std::optional<std::string> Finish();

private:
    void Keep(std::string_view part);
    static std::string_view WithoutCr(std::string_view line) {
        return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
    }
    std::string m_pending; // the start of a line the next call ends
    bool m_overlong = false;
};

// True for "." and "..".
bool IsDots(std::string_view name);

// File mask match on bytes: '*' any run, '?' one UTF-8 character, case-sensitive;
// an empty mask matches everything.
bool MatchesMask(std::string_view name, std::string_view mask);

// Full remote path of an entry: folder, then "/" unless the folder already ends with
// "/" or "\", then the name. An empty folder gives the name alone.
std::string JoinRemotePath(std::string_view folder, std::string_view name);

} // namespace inet
