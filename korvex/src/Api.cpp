// The C entry points. Every call takes the library lock, validates its
// handle, item and pointers, and reports by return value only: no exception
// ever leaves one.
#include "korvex.h"

#include "FileIo.hpp"
#include "Inspect.hpp"
#include "Item.hpp"
#include "Store.hpp"
#include "TaskFile.hpp"
#include "Text.hpp"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

using namespace korvex;

struct KorvexInterface {
    std::map<int, std::unique_ptr<Item>> items; // ordered by handle = creation order
    int nextHandle = 1;                         // handles are never reused
    std::size_t documentItems = 0;
    std::unique_ptr<Store> store;
    // The snapshot the caller's indices refer to, by record kind.
    std::map<int, std::vector<StoredRecord>> records;
    // Items made without a parent, by kind and in handle order, so that
    // top-level lookups never scan every item. Linking only counts the handle
    // as stale; the next top-level lookup of that kind drops the stale ones.
    struct Roots {
        std::vector<int> handles;
        std::size_t stale = 0;
    };
    std::map<int, Roots> roots;
};

namespace {

std::mutex g_lock;
// Handles are tokens, not addresses: a deleted handle never comes back as a
// new interface, so a stale handle is always recognised and refused.
std::unordered_map<std::uintptr_t, std::unique_ptr<KorvexInterface>> g_live;
std::uintptr_t g_nextToken = 1;

KorvexInterface* live(KorvexHandle h) {
    auto it = g_live.find(reinterpret_cast<std::uintptr_t>(h));
    return it != g_live.end() ? it->second.get() : nullptr;
}

Item* itemOf(KorvexInterface* in, int handle) {
    auto it = in->items.find(handle);
    return it != in->items.end() ? it->second.get() : nullptr;
}

// A snapshot that cannot be read, also for want of memory, is a failed
// refresh; the previous snapshot then stays.
bool refreshSnapshot(KorvexInterface* in) {
    try {
        std::vector<StoredRecord> all;
        std::map<int, std::vector<StoredRecord>> records;
        if (!in->store || !in->store->readRecords(all))
            return false;
        // Lists of later versions stay in the store, unlisted.
        for (auto& r : all)
            if (isRecordKind(r.list))
                records[r.list].push_back(std::move(r));
        in->records.swap(records);
        return true;
    } catch (...) {
        return false;
    }
}

int newHandle(KorvexInterface* in, std::unique_ptr<Item> item) {
    if (in->nextHandle == INT_MAX)
        return -1;
    const int handle = in->nextHandle;
    const bool document = isDocumentKind(item->kind);
    std::vector<int>& roots = in->roots[item->kind].handles;
    if (roots.size() == roots.capacity()) // the push below cannot throw then
        roots.reserve(std::max<std::size_t>(16, 2 * roots.size()));
    in->items.emplace_hint(in->items.end(), handle, std::move(item));
    roots.push_back(handle);
    ++in->nextHandle;
    if (document)
        ++in->documentItems;
    return handle;
}

void clearDocument(KorvexInterface* in) {
    for (auto it = in->items.begin(); it != in->items.end();) {
        if (isDocumentKind(it->second->kind))
            it = in->items.erase(it);
        else
            ++it;
    }
    for (int kind = kDocument; kind <= kFile; ++kind)
        if (auto r = in->roots.find(kind); r != in->roots.end())
            r->second = {};
    in->documentItems = 0;
}

// The items of `kind` without a parent, in handle order; null when there never were any.
const std::vector<int>* rootsOf(KorvexInterface* in, int kind) {
    auto r = in->roots.find(kind);
    if (r == in->roots.end())
        return nullptr;
    if (r->second.stale != 0) {
        std::erase_if(r->second.handles, [in](int handle) {
            const Item* item = itemOf(in, handle);
            return item == nullptr || item->parent >= 0;
        });
        r->second.stale = 0;
    }
    return &r->second.handles;
}

bool isAncestor(KorvexInterface* in, int candidate, const Item* item) {
    for (int p = item->parent; p >= 0;) {
        if (p == candidate)
            return true;
        const Item* up = itemOf(in, p);
        p = up != nullptr ? up->parent : -1;
    }
    return false;
}

int link(KorvexInterface* in, int parentHandle, Item* parent, int childHandle) {
    Item* child = itemOf(in, childHandle);
    if (child == nullptr || childHandle == parentHandle || child->kind != parent->kind + 1 ||
        child->parent >= 0 || isAncestor(in, childHandle, parent))
        return 0;
    parent->children.push_back(childHandle);
    child->parent = parentHandle;
    if (auto r = in->roots.find(child->kind); r != in->roots.end())
        ++r->second.stale;
    return 1;
}

int storeNum(KorvexInterface* in, Item* store, int field, int value) {
    if (field == kStoreAppend || field == kStoreDelete) {
        Item* record = itemOf(in, value);
        if (record == nullptr || !isRecordKind(record->kind) || !in->store)
            return 0;
        int result = 0;
        if (field == kStoreAppend) {
            result = in->store->append(record->kind, record->fields) ? 1 : 0;
        } else if (record->loadedRow != 0) {
            result = in->store->remove(record->kind, record->loadedRow) == 1 ? 1 : 0;
            if (result != 0)
                record->loadedRow = 0;
        }
        refreshSnapshot(in);
        return result;
    }
    if ((field == kStoreRefreshA || field == kStoreRefreshB) && value == 0)
        return refreshSnapshot(in) ? 1 : 0;
    store->fields[field] = Value::number(value);
    return 1;
}

// In a text that is not UTF-8, a 0x5C that trails a CP932 lead byte belongs
// to that character ("表", "ソ") and separates nothing.
std::vector<std::string_view> components(const std::string& text, bool utf8) {
    std::vector<std::string_view> parts;
    if (text.empty())
        return parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = utf8 ? 1 : cp932CharLength(text, i);
        if (len == 1 && text[i] == '\\') {
            parts.emplace_back(text.data() + start, i - start);
            start = i + 1;
        }
        i += len;
    }
    parts.emplace_back(text.data() + start, text.size() - start);
    return parts;
}

int loadText(KorvexInterface* in, std::string_view data) {
    std::optional<Tree> tree = parseTaskText(data);
    if (!tree)
        return 0;
    if (static_cast<long long>(in->nextHandle) + static_cast<long long>(tree->size()) >= INT_MAX)
        return 0;
    // Built aside and moved in without allocating, so a load that runs out of
    // memory halfway leaves the old document as it was.
    std::map<int, std::unique_ptr<Item>> loaded;
    int next = in->nextHandle;
    std::size_t documentItems = 0;
    struct Pending {
        std::size_t index;
        int parent;
        Item* parentItem;
    };
    // Handles in file order (pre-order), so the document is the first item.
    std::vector<Pending> todo{{0, -1, nullptr}};
    while (!todo.empty()) {
        const Pending p = todo.back();
        todo.pop_back();
        TreeItem& t = (*tree)[p.index];
        auto item = std::make_unique<Item>();
        Item* raw = item.get();
        item->kind = t.kind;
        item->fields = std::move(t.fields);
        item->parent = p.parent;
        const int handle = next;
        loaded.emplace_hint(loaded.end(), handle, std::move(item));
        ++next;
        if (isDocumentKind(raw->kind))
            ++documentItems;
        if (p.parentItem != nullptr)
            p.parentItem->children.push_back(handle);
        for (auto it = t.children.rbegin(); it != t.children.rend(); ++it)
            todo.push_back({*it, handle, raw});
    }
    std::vector<int> newRoots{loaded.begin()->first};
    std::vector<int>& roots = in->roots[loaded.begin()->second->kind].handles;
    clearDocument(in);
    roots.swap(newRoots);
    in->items.merge(loaded);
    in->nextHandle = next;
    in->documentItems = documentItems;
    return 1;
}

// Nothing may unwind into a C caller: whatever a body throws (std::bad_alloc
// above all) becomes the call's failure result.
template <typename R, typename Body> R guarded(R failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

// The same for reads into a caller's buffer, which a failure leaves empty.
template <typename Body> int guardedRead(char* buffer, int size, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        clearOut(buffer, size);
        return 0;
    }
}

} // namespace

extern "C" {

KORVEX_API KorvexHandle KORVEX_CALL KorvexNewInterface(void) {
    return guarded(static_cast<KorvexHandle>(nullptr), [&] {
        std::lock_guard lock(g_lock);
        const std::uintptr_t token = (g_nextToken++ << 4) | 0x5;
        g_live.emplace(token, std::make_unique<KorvexInterface>());
        return reinterpret_cast<KorvexHandle>(token);
    });
}

KORVEX_API int KORVEX_CALL KorvexDeleteInterface(KorvexHandle h) {
    return guarded(0, [&] {
        std::lock_guard lock(g_lock);
        if (live(h) == nullptr)
            return 0;
        g_live.erase(reinterpret_cast<std::uintptr_t>(h));
        return 1;
    });
}

KORVEX_API int KORVEX_CALL KorvexGetVersion(int* major, int* minor, int* patch) {
    return guarded(0, [&] {
        if (major != nullptr)
            *major = KORVEX_VERSION_MAJOR;
        if (minor != nullptr)
            *minor = KORVEX_VERSION_MINOR;
        if (patch != nullptr)
            *patch = KORVEX_VERSION_PATCH;
        return 1;
    });
}

KORVEX_API int KORVEX_CALL KorvexCheckVersion(int major, int minor, int patch) {
    return guarded(0, [&] {
        // Callers built for an older minor (any patch) or up to this very version
        // are served; a newer minor or patch or another major is not.
        if (major != KORVEX_VERSION_MAJOR || minor < 0 || patch < 0)
            return 0;
        return (minor < KORVEX_VERSION_MINOR ||
                (minor == KORVEX_VERSION_MINOR && patch <= KORVEX_VERSION_PATCH))
                   ? 1
                   : 0;
    });
}

KORVEX_API int KORVEX_CALL KorvexInitialize(KorvexHandle h) {
    return guarded(0, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        if (in == nullptr)
            return 0;
        if (!in->store)
            in->store = Store::open();
        if (!in->store)
            return 0;
        if (!refreshSnapshot(in)) {
            in->store.reset();
            return 0;
        }
        return 1;
    });
}

KORVEX_API int KORVEX_CALL KorvexFinalize(KorvexHandle h) {
    return guarded(0, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        if (in == nullptr)
            return 0;
        in->store.reset();
        in->records.clear();
        return 1;
    });
}

KORVEX_API int KORVEX_CALL KorvexGetStorePath(KorvexHandle h, char* buffer, int size) {
    return guardedRead(buffer, size, [&] {
        std::lock_guard lock(g_lock);
        const std::string path = live(h) != nullptr ? storePath() : std::string();
        if (path.empty() || !copyOut(path, buffer, size)) {
            clearOut(buffer, size);
            return 0;
        }
        return 1;
    });
}

KORVEX_API int KORVEX_CALL KorvexClear(KorvexHandle h) {
    return guarded(0, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        if (in == nullptr)
            return 0;
        clearDocument(in);
        return 1;
    });
}

KORVEX_API int KORVEX_CALL KorvexGetName(KorvexHandle h, char* buffer, int size) {
    return guardedRead(buffer, size, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        if (in == nullptr || !in->store) {
            clearOut(buffer, size);
            return 0;
        }
        const auto name = in->store->readName();
        if (!name || !copyOut(*name, buffer, size)) {
            clearOut(buffer, size);
            return 0;
        }
        return 1;
    });
}

KORVEX_API int KORVEX_CALL KorvexSetName(KorvexHandle h, const char* name) {
    return guarded(0, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        if (in == nullptr || !in->store || name == nullptr)
            return 0;
        std::string_view text(name);
        text = text.substr(0, textPrefix(text, kMaxNameBytes));
        return in->store->writeName(std::string(text)) ? 1 : 0;
    });
}

KORVEX_API int KORVEX_CALL KorvexNewItem(KorvexHandle h, int kind) {
    return guarded(-1, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        if (in == nullptr || !(isDocumentKind(kind) || isStoreSideKind(kind)))
            return -1;
        if (isDocumentKind(kind) && in->documentItems >= kMaxItems)
            return -1;
        auto item = std::make_unique<Item>();
        item->kind = kind;
        return newHandle(in, std::move(item));
    });
}

KORVEX_API int KORVEX_CALL KorvexSetDataNum(KorvexHandle h, int item, int field, int value) {
    return guarded(0, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        Item* it = in != nullptr ? itemOf(in, item) : nullptr;
        if (it == nullptr || field <= 0)
            return 0;
        if (it->kind == kStore)
            return storeNum(in, it, field, value);
        if (field == linkFieldOf(it->kind))
            return link(in, item, it, value);
        if (it->fields.size() >= kMaxFieldsPerItem && it->fields.count(field) == 0)
            return 0;
        it->fields[field] = Value::number(value);
        return 1;
    });
}

KORVEX_API int KORVEX_CALL KorvexSetDataValue(KorvexHandle h, int item, int field,
                                              const char* text) {
    return guarded(0, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        Item* it = in != nullptr ? itemOf(in, item) : nullptr;
        if (it == nullptr || field <= 0 || text == nullptr || field == linkFieldOf(it->kind))
            return 0;
        const std::string_view s(text);
        if (s.size() > kMaxTextBytes)
            return 0;
        if (it->fields.size() >= kMaxFieldsPerItem && it->fields.count(field) == 0)
            return 0;
        it->fields[field] = Value::ofText(std::string(s));
        return 1;
    });
}

KORVEX_API int KORVEX_CALL KorvexGetDataNum(KorvexHandle h, int item, int field, int* value) {
    return guarded(0, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        Item* it = in != nullptr ? itemOf(in, item) : nullptr;
        if (it == nullptr)
            return 0;
        if (field == KORVEX_FIELD_NEW_RECORD && value == nullptr) {
            // Starts a new, empty record that belongs to no list yet.
            if (!isRecordKind(it->kind))
                return 0;
            it->fields.clear();
            it->loadedRow = 0;
            return 1;
        }
        if (value == nullptr)
            return 0;
        auto f = it->fields.find(field);
        if (f == it->fields.end() || f->second.isText)
            return 0;
        *value = f->second.num;
        return 1;
    });
}

KORVEX_API int KORVEX_CALL KorvexGetDataValue(KorvexHandle h, int item, int field, char* buffer,
                                              int size) {
    return guardedRead(buffer, size, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        Item* it = in != nullptr ? itemOf(in, item) : nullptr;
        const Value* v = nullptr;
        if (it != nullptr) {
            auto f = it->fields.find(field);
            if (f != it->fields.end() && f->second.isText)
                v = &f->second;
        }
        if (v == nullptr || !copyOut(v->text, buffer, size)) {
            clearOut(buffer, size);
            return 0;
        }
        return 1;
    });
}

KORVEX_API int KORVEX_CALL KorvexGetDataOrderedValue(KorvexHandle h, int item, int field, int index,
                                                     char* buffer, int size) {
    return guardedRead(buffer, size, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        Item* it = in != nullptr ? itemOf(in, item) : nullptr;
        if (it != nullptr && index >= 0) {
            auto f = it->fields.find(field);
            if (f != it->fields.end() && f->second.isText) {
                // A part is cut as the whole text is: a part of a CP932 text
                // may look like UTF-8 on its own.
                const bool utf8 = isValidUtf8(f->second.text);
                const auto parts = components(f->second.text, utf8);
                if (static_cast<std::size_t>(index) < parts.size() &&
                    copyOut(parts[static_cast<std::size_t>(index)], utf8, buffer, size))
                    return 1;
            }
        }
        clearOut(buffer, size);
        return 0;
    });
}

KORVEX_API int KORVEX_CALL KorvexTestData(KorvexHandle h, int item, int listField, int index,
                                          int target) {
    return guarded(0, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        if (in == nullptr || index < 0)
            return 0;
        Item* store = itemOf(in, item);
        Item* record = itemOf(in, target);
        if (store == nullptr || record == nullptr || store->kind != kStore || !in->store)
            return 0;
        if (recordKindOfList(listField) != record->kind || record->kind == 0)
            return 0;
        auto list = in->records.find(record->kind);
        if (list == in->records.end() || static_cast<std::size_t>(index) >= list->second.size())
            return 0;
        const StoredRecord& r = list->second[static_cast<std::size_t>(index)];
        FieldMap fields = r.fields;
        record->fields = std::move(fields);
        record->loadedRow = r.id;
        return 1;
    });
}

KORVEX_API int KORVEX_CALL KorvexGetItemNum(KorvexHandle h, int item, int kind) {
    return guarded(-1, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        if (in == nullptr)
            return -1;
        if (item == -1) {
            const std::vector<int>* roots = rootsOf(in, kind);
            return roots != nullptr ? static_cast<int>(roots->size()) : 0;
        }
        Item* it = itemOf(in, item);
        if (it == nullptr)
            return -1;
        if (it->kind == kStore) {
            auto list = in->records.find(kind);
            return list != in->records.end() ? static_cast<int>(list->second.size()) : 0;
        }
        if (it->kind == kTask && kind == kFolderPart) {
            auto f = it->fields.find(kTaskFolder);
            if (f == it->fields.end() || !f->second.isText)
                return 0;
            const std::string& folder = f->second.text;
            return static_cast<int>(components(folder, isValidUtf8(folder)).size());
        }
        // Children are always of the kind below their parent's.
        return kind == it->kind + 1 ? static_cast<int>(it->children.size()) : 0;
    });
}

KORVEX_API int KORVEX_CALL KorvexGetID(KorvexHandle h, int parent, int kind, int index) {
    return guarded(-1, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        if (in == nullptr || index < 0)
            return -1;
        const std::vector<int>* list = nullptr;
        if (parent == -1) {
            list = rootsOf(in, kind);
        } else if (const Item* it = itemOf(in, parent); it != nullptr && kind == it->kind + 1) {
            list = &it->children;
        }
        const auto i = static_cast<std::size_t>(index);
        return list != nullptr && i < list->size() ? (*list)[i] : -1;
    });
}

KORVEX_API int KORVEX_CALL KorvexSave(KorvexHandle h, int documentItem, const char* path,
                                      int flags) {
    (void)flags; // reserved; callers pass KORVEX_SAVE_DEFAULT
    return guarded(0, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        if (in == nullptr || path == nullptr || *path == '\0')
            return 0;
        std::string text;
        if (!writeTaskText(in->items, documentItem, text))
            return 0;
        return writeFileAtomically(path, text) ? 1 : 0;
    });
}

KORVEX_API int KORVEX_CALL KorvexLoad(KorvexHandle h, const char* path) {
    return guarded(0, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        if (in == nullptr || path == nullptr)
            return 0;
        std::string data;
        if (!readWholeFile(path, data))
            return 0;
        return loadText(in, data);
    });
}

KORVEX_API int KORVEX_CALL KorvexLoadSDA(KorvexHandle h, const char* data, int size) {
    return guarded(0, [&] {
        std::lock_guard lock(g_lock);
        KorvexInterface* in = live(h);
        if (in == nullptr || data == nullptr || size <= 0)
            return 0;
        return loadText(in, std::string_view(data, static_cast<std::size_t>(size)));
    });
}

} // extern "C"

namespace korvex {

std::optional<FieldMap> itemFields(KorvexHandle h, int item) {
    std::lock_guard lock(g_lock);
    KorvexInterface* in = live(h);
    Item* it = in != nullptr ? itemOf(in, item) : nullptr;
    if (it == nullptr)
        return std::nullopt;
    return it->fields;
}

} // namespace korvex
