// Items of one interface: kinds, numbered fields and the fixed link layout.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace korvex {

// A field holds a number or a text, never both.
struct Value {
    bool isText = false;
    int num = 0;
    std::string text;

    static Value number(int n) { return Value{false, n, {}}; }
    static Value ofText(std::string t) { return Value{true, 0, std::move(t)}; }
    bool operator==(const Value&) const = default;
};

using FieldMap = std::map<int, Value>;

enum Kind : int {
    kDocument = 1,
    kTask = 2,
    kServer = 3,
    kFileList = 4,
    kFile = 5,
    kFolderPart = 8,
    kStore = 9,
    kAccount = 10,
    kProxy = 11,
};

// Limits shared by the in-memory document and the task-file format, so that
// everything a caller can build can also be saved and loaded back.
inline constexpr std::size_t kMaxFileBytes = 16u * 1024u * 1024u;
inline constexpr std::size_t kMaxItems = 100000;
inline constexpr std::size_t kMaxFieldsPerItem = 256;
inline constexpr std::size_t kMaxTextBytes = 65535;
inline constexpr std::size_t kMaxNameBytes = 259;

// Store fields with a meaning of their own.
inline constexpr int kStoreAccounts = 1304;
inline constexpr int kStoreProxies = 2004;
inline constexpr int kStoreAppend = 1014;
inline constexpr int kStoreDelete = 1015;
inline constexpr int kStoreRefreshA = 1901;
inline constexpr int kStoreRefreshB = 1902;
inline constexpr int kTaskFolder = 1202;

inline bool isDocumentKind(int kind) {
    return kind >= kDocument && kind <= kFile;
}
inline bool isStoreSideKind(int kind) {
    return kind >= kStore && kind <= kProxy;
}

// The one link field of each parent kind (0: the kind has none). A link field
// points from kind k to kind k + 1, which keeps the tree exactly as deep as the
// document layout.
inline int linkFieldOf(int kind) {
    switch (kind) {
    case kDocument:
        return 1102;
    case kTask:
        return 1207;
    case kServer:
        return 1306;
    case kFileList:
        return 1404;
    default:
        return 0;
    }
}

struct Item {
    int kind = 0;
    FieldMap fields;
    std::vector<int> children; // handles, in link order
    int parent = -1;
    // Record handles (kinds 10, 11): the stored record last loaded, if any.
    std::int64_t loadedRow = 0;
};

} // namespace korvex
