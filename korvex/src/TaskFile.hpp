// The task-file format (see korvex/FORMAT.md): writing a document tree as
// JSON text and reading it back with every rule of the format checked.
#pragma once

#include "Item.hpp"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

inline constexpr const char* kFormatId = "sendera-task";
// The version written; files of version 1 load too, without the escaped form
// of texts that are not UTF-8, which came with version 2.
inline constexpr int kFormatVersion = 2;
inline constexpr int kFirstFormatVersion = 1;
inline constexpr int kBytesFormVersion = 2;

// A parsed tree: entry 0 is the document item; children are indices into
// the same vector, in file order.
struct TreeItem {
    int kind = 0;
    FieldMap fields;
    std::vector<std::size_t> children;
};
using Tree = std::vector<TreeItem>;

// Serialises the tree below `root` (a document item). Fails when the tree
// breaks a rule of the format, so a saved file always loads again.
bool writeTaskText(const std::map<int, std::unique_ptr<Item>>& items, int root, std::string& out);

// Parses task-file text. Returns nothing for anything that is not a
// well-formed file of the format within its limits.
std::optional<Tree> parseTaskText(std::string_view data);

} // namespace korvex
