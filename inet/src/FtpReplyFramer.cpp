#include "inet/FtpReplyFramer.h"

namespace inet {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Three digits, then the line's end, a space or a dash.
bool IsReplyStart(std::string_view line) {
    return line.size() >= 3 && IsDigit(line[0]) && IsDigit(line[1]) && IsDigit(line[2]) &&
           (line.size() == 3 || line[3] == ' ' || line[3] == '-');
}

} // namespace

void FtpReplyFramer::Feed(std::string_view bytes) {
    // Framed lines are dropped only here, so taking several replies in a row
    // moves what follows them once.
    if (m_lineStart > 0) {
        m_buffer.erase(0, m_lineStart);
        m_searched -= m_lineStart;
        m_lineStart = 0;
    }
    m_buffer.append(bytes);
}

FtpReplyFramer::Status FtpReplyFramer::Next(FtpReply& reply) {
    for (;;) {
        const std::size_t end = m_buffer.find('\n', m_searched);
        if (end == std::string::npos) {
            m_searched = m_buffer.size();
            return Status::NeedMore;
        }
        std::string_view line(m_buffer.data() + m_lineStart, end - m_lineStart);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        // The line stays unframed, so asking again gives the same answer.
        if (m_partial.lines.empty() && !IsReplyStart(line))
            return Status::Malformed;
        const std::string_view code = m_partial.lines.empty()
                                          ? line.substr(0, 3)
                                          : std::string_view(m_partial.lines.front()).substr(0, 3);
        const bool last =
            line.size() >= 3 && line.substr(0, 3) == code && (line.size() == 3 || line[3] == ' ');
        m_partial.lines.emplace_back(line);
        m_partialBytes += end + 1 - m_lineStart;
        m_lineStart = m_searched = end + 1;
        if (last) {
            const std::string& first = m_partial.lines.front();
            m_partial.code = (first[0] - '0') * 100 + (first[1] - '0') * 10 + (first[2] - '0');
            reply = std::move(m_partial);
            m_partial = {};
            m_partialBytes = 0;
            return Status::Complete;
        }
    }
}

void FtpReplyFramer::Clear() {
    m_buffer.clear();
    m_lineStart = m_searched = 0;
    m_partial = {};
    m_partialBytes = 0;
}

} // namespace inet
