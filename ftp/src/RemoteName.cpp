#include "ftp/RemoteName.h"

#include <cerrno>
#include <iconv.h>

namespace ftp {
namespace {

// One conversion descriptor per thread and direction: iconv_t keeps state and is not
// shared between threads, and opening one per name would dominate a big listing.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (Ok())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of `in` as decodes; returns the bytes of `in` consumed.
    std::size_t Convert(std::string_view in, std::string& out) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t left = in.size();
        char buf[256];
        while (left > 0) {
            char* dst = buf;
            std::size_t room = sizeof buf;
            const std::size_t r = iconv(m_cd, &src, &left, &dst, &room);
            out.append(buf, static_cast<std::size_t>(dst - buf));
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG)
                break;
        }
        return in.size() - left;
    }

private:
    iconv_t m_cd;
};

Converter& Utf8Checker() {
    thread_local Converter c("UTF-8", "UTF-8");
    return c;
}

Converter& FromCp932() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter& ToCp932Converter() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

bool IsAscii(std::string_view s) {
    for (const char ch : s)
        if (static_cast<unsigned char>(ch) >= 0x80)
            return false;
    return true;
}

bool IsUtf8(std::string_view s) {
    std::string ignored;
    return Utf8Checker().Ok() && Utf8Checker().Convert(s, ignored) == s.size();
}

void AppendHexByte(std::string& out, unsigned char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
}

} // namespace

std::string DisplayName(std::string_view bytes) {
    if (IsAscii(bytes) || IsUtf8(bytes))
        return std::string(bytes);
    std::string out;
    Converter& cp932 = FromCp932();
    while (!bytes.empty()) {
        const std::size_t used = cp932.Ok() ? cp932.Convert(bytes, out) : 0;
        bytes.remove_prefix(used);
        if (!bytes.empty()) {
            AppendHexByte(out, static_cast<unsigned char>(bytes.front()));
            bytes.remove_prefix(1);
        }
    }
    return out;
}

std::optional<std::string> ToCp932(std::string_view utf8) {
    if (IsAscii(utf8) || !IsUtf8(utf8) || !ToCp932Converter().Ok())
        return std::nullopt;
    std::string out;
    if (ToCp932Converter().Convert(utf8, out) != utf8.size())
        return std::nullopt;
    return out;
}

std::string EscapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F)
            AppendHexByte(out, c);
        else
            out += ch;
    }
    return out;
}

bool IsFetchableName(std::string_view name) {
    return name.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

} // namespace ftp
