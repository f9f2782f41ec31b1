// Feeds arbitrary bytes to KorvexLoadSDA. Whatever loads must also survive a
// walk through the navigation calls, and the parser's tree must write out and
// parse back to the same tree.
#include "Item.hpp"
#include "TaskFile.hpp"
#include "korvex.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>

namespace {

int walk(KorvexHandle h, int item, int kind) {
    char buf[KORVEX_TEXT_BUFFER];
    int v = 0;
    KorvexGetDataValue(h, item, KORVEX_FIELD_NAME, buf, sizeof buf);
    KorvexGetDataNum(h, item, KORVEX_FIELD_LIST_METHOD, &v);
    if (kind == KORVEX_KIND_TASK) {
        const int parts = KorvexGetItemNum(h, item, KORVEX_KIND_FOLDER_PART);
        for (int i = 0; i < parts && i < 8; ++i)
            KorvexGetDataOrderedValue(h, item, KORVEX_FIELD_FOLDER, i, buf, 7);
    }
    int count = 1;
    if (kind < KORVEX_KIND_FILE) {
        const int n = KorvexGetItemNum(h, item, kind + 1);
        for (int i = 0; i < n; ++i) {
            const int child = KorvexGetID(h, item, kind + 1, i);
            if (child < 0)
                std::abort();
            count += walk(h, child, kind + 1);
        }
    }
    return count;
}

// Rebuilds parsed items the way the library holds them, for the writer.
int insert(const korvex::Tree& tree, std::size_t index, int parent,
           std::map<int, std::unique_ptr<korvex::Item>>& items) {
    const int handle = static_cast<int>(items.size()) + 1;
    auto item = std::make_unique<korvex::Item>();
    item->kind = tree[index].kind;
    item->fields = tree[index].fields;
    item->parent = parent;
    korvex::Item* raw = item.get();
    items.emplace(handle, std::move(item));
    for (std::size_t child : tree[index].children)
        raw->children.push_back(insert(tree, child, handle, items));
    return handle;
}

bool sameTree(const korvex::Tree& a, std::size_t ia, const korvex::Tree& b, std::size_t ib) {
    if (a[ia].kind != b[ib].kind || a[ia].fields != b[ib].fields ||
        a[ia].children.size() != b[ib].children.size())
        return false;
    for (std::size_t i = 0; i < a[ia].children.size(); ++i)
        if (!sameTree(a, a[ia].children[i], b, b[ib].children[i]))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static KorvexHandle h = KorvexNewInterface();
    if (size > static_cast<size_t>(INT32_MAX))
        return 0;
    const char* text = reinterpret_cast<const char*>(data);
    const int loaded = KorvexLoadSDA(h, text, static_cast<int>(size));
    const auto tree = korvex::parseTaskText(std::string_view(text, size));
    if ((loaded != 0) != tree.has_value())
        std::abort();
    if (loaded == 0)
        return 0;
    const int doc = KorvexGetID(h, -1, KORVEX_KIND_DOCUMENT, 0);
    if (doc < 0 || walk(h, doc, KORVEX_KIND_DOCUMENT) != static_cast<int>(tree->size()))
        std::abort();

    std::map<int, std::unique_ptr<korvex::Item>> items;
    const int root = insert(*tree, 0, -1, items);
    std::string out;
    if (!korvex::writeTaskText(items, root, out))
        return 0; // a loadable file may grow past the size limit when rewritten
    const auto again = korvex::parseTaskText(out);
    if (!again || !sameTree(*tree, 0, *again, 0))
        std::abort();
    return 0;
}
