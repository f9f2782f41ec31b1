// Items of one interface: kinds, numbered fields and the fixed link layout.
#pragma once

#include "korvex.h"

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
    kDocument = KORVEX_KIND_DOCUMENT,
    kTask = KORVEX_KIND_TASK,
    kServer = KORVEX_KIND_SERVER,
    kFileList = KORVEX_KIND_FILELIST,
    kFile = KORVEX_KIND_FILE,
    kFolderPart = KORVEX_KIND_FOLDER_PART,
    kStore = KORVEX_KIND_STORE,
    kAccount = KORVEX_KIND_ACCOUNT,
    kProxy = KORVEX_KIND_PROXY,
    kCertificate = KORVEX_KIND_CERTIFICATE,
    kTlsHost = KORVEX_KIND_TLS_HOST,
};

// Limits shared by the in-memory document and the task-file format, so that
// everything a caller can build can also be saved and loaded back.
inline constexpr std::size_t kMaxFileBytes = 16u * 1024u * 1024u;
inline constexpr std::size_t kMaxItems = 100000;
inline constexpr std::size_t kMaxFieldsPerItem = 256;
inline constexpr std::size_t kMaxTextBytes = 65535;
// The name always fits a caller's text buffer with its terminator.
inline constexpr std::size_t kMaxNameBytes = KORVEX_TEXT_BUFFER - 1;

// Store fields with a meaning of their own.
inline constexpr int kStoreAccounts = KORVEX_FIELD_ACCOUNT;
inline constexpr int kStoreProxies = KORVEX_FIELD_PROXY;
inline constexpr int kStoreCertificates = KORVEX_FIELD_FINGERPRINT;
inline constexpr int kStoreTlsHosts = KORVEX_FIELD_TLS_HOSTS;
inline constexpr int kStoreAppend = KORVEX_FIELD_STORE_APPEND;
inline constexpr int kStoreDelete = KORVEX_FIELD_STORE_DELETE;
inline constexpr int kStoreRefreshA = KORVEX_FIELD_STORE_REFRESH;
inline constexpr int kStoreRefreshB = KORVEX_FIELD_STORE_RELEASE;
inline constexpr int kTaskFolder = KORVEX_FIELD_FOLDER;

inline bool isDocumentKind(int kind) {
    return kind >= kDocument && kind <= kFile;
}
// Kinds whose items are records of the store.
inline bool isRecordKind(int kind) {
    return kind >= kAccount && kind <= kTlsHost;
}
inline bool isStoreSideKind(int kind) {
    return kind == kStore || isRecordKind(kind);
}
// The record kind a store list field lists; 0 for any other field.
inline int recordKindOfList(int listField) {
    switch (listField) {
    case kStoreAccounts:
        return kAccount;
    case kStoreProxies:
        return kProxy;
    case kStoreCertificates:
        return kCertificate;
    case kStoreTlsHosts:
        return kTlsHost;
    default:
        return 0;
    }
}

// The one link field of each parent kind (0: the kind has none). A link field
// points from kind k to kind k + 1, which keeps the tree exactly as deep as the
// document layout.
inline int linkFieldOf(int kind) {
    switch (kind) {
    case kDocument:
        return KORVEX_FIELD_DOCUMENT_TASK;
    case kTask:
        return KORVEX_FIELD_TASK_SERVER;
    case kServer:
        return KORVEX_FIELD_SERVER_LIST;
    case kFileList:
        return KORVEX_FIELD_LIST_FILE;
    default:
        return 0;
    }
}

struct Item {
    int kind = 0;
    FieldMap fields;
    std::vector<int> children; // handles of the kind below, in link order
    int parent = -1;
    // Record handles: the stored record last loaded, if any.
    std::int64_t loadedRow = 0;
};

} // namespace korvex
