// korvex-dump: loads a task file through the library core and prints its item
// tree, one item per line, indented by depth, with its kind and fields. Texts
// are quoted; control bytes and bytes outside a UTF-8 character show as \xNN
// (lowercase hex), so CP932 names stay readable as their bytes.
#include "Inspect.hpp"
#include "Text.hpp"
#include "korvex.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* kindName(int kind) {
    switch (kind) {
    case KORVEX_KIND_DOCUMENT:
        return "document";
    case KORVEX_KIND_TASK:
        return "task";
    case KORVEX_KIND_SERVER:
        return "server";
    case KORVEX_KIND_FILELIST:
        return "file list";
    case KORVEX_KIND_FILE:
        return "file";
    default:
        return "item";
    }
}

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        const auto u = static_cast<unsigned char>(c);
        const std::size_t len = korvex::utf8CharLength(s, i);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || len == 0) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", u);
            out += buf;
        } else {
            out.append(s, i, len);
            i += len;
            continue;
        }
        ++i;
    }
    return out + '"';
}

void dump(KorvexHandle h, int item, int kind, int depth) {
    std::string line(static_cast<std::size_t>(depth) * 2, ' ');
    line += kindName(kind);
    line += " (kind " + std::to_string(kind) + ")";
    if (const auto fields = korvex::itemFields(h, item)) {
        for (const auto& [field, value] : *fields)
            line += " " + std::to_string(field) + "=" +
                    (value.isText ? quoted(value.text) : std::to_string(value.num));
    }
    std::puts(line.c_str());
    const int childKind = kind + 1;
    if (childKind > KORVEX_KIND_FILE)
        return;
    const int n = KorvexGetItemNum(h, item, childKind);
    for (int i = 0; i < n; ++i) {
        const int child = KorvexGetID(h, item, childKind, i);
        if (child >= 0)
            dump(h, child, childKind, depth + 1);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        int major = 0, minor = 0, patch = 0;
        KorvexGetVersion(&major, &minor, &patch);
        std::printf("korvex-dump (KORVEX %d.%d.%d)\n", major, minor, patch);
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr,
                     "usage: korvex-dump FILE.sd | --version\n"
                     "Bytes of a text that are not UTF-8 print as \\xNN (lowercase hex).\n");
        return 1;
    }
    KorvexHandle h = KorvexNewInterface();
    if (h == nullptr || KorvexLoad(h, argv[1]) == 0) {
        std::fprintf(stderr, "korvex-dump: %s: not a readable task file\n", argv[1]);
        KorvexDeleteInterface(h);
        return 1;
    }
    const int doc = KorvexGetID(h, -1, KORVEX_KIND_DOCUMENT, 0);
    if (doc >= 0)
        dump(h, doc, KORVEX_KIND_DOCUMENT, 0);
    KorvexDeleteInterface(h);
    return 0;
}
