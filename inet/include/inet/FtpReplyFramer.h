// Turning the bytes of an FTP control connection into whole replies (RFC 959 4.2):
// a line "123 text" is a reply of its own; "123-text" opens a reply that runs up to
// the next line starting "123 " (or the bare "123"), whatever lies between.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace inet {

struct FtpReply {
    int code = 0;
    std::vector<std::string> lines; // every line of the reply, line ends removed
};

// Fed the bytes as they arrive, in chunks of any size; each byte is looked at once.
// Lines end at LF; one CR before it is dropped.
class FtpReplyFramer {
public:
    enum class Status {
        NeedMore,  // no whole reply yet
        Complete,  // one reply was taken out
        Malformed, // the next reply does not start with a code; stays so until Clear
    };

    void Feed(std::string_view bytes);
    // Takes the next whole reply out into `reply`, which is left alone otherwise.
    Status Next(FtpReply& reply);
    // Bytes fed that are not part of a reply taken out yet.
    std::size_t Pending() const { return m_partialBytes + m_buffer.size() - m_lineStart; }
    void Clear();

private:
    std::string m_buffer;        // bytes from the first line not yet framed on
    std::size_t m_lineStart = 0; // where that line starts in m_buffer
    std::size_t m_searched = 0;  // m_buffer up to here holds no line end past m_lineStart
    FtpReply m_partial;          // the lines of a reply still open
    std::size_t m_partialBytes = 0;
};

} // namespace inet
