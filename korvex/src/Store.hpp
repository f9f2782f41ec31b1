// The user's persistent account store and name, in one SQLite database shared
// by every interface and every process of the user.
#pragma once

#include "Item.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace korvex {

struct StoredRecord {
    std::int64_t id = 0; // never reused, so a delete hits only the record read
    int list = 0;        // the record kind
    FieldMap fields;
};

// Folder of the database: $KORVEX_HOME, else $XDG_CONFIG_HOME/orvane/korvex,
// else ~/.config/orvane/korvex. Empty when no home can be found.
std::string storeFolder();
// The database in that folder, as a full path; empty as above.
std::string storePath();

class Store {
public:
    // Opens (creating when absent) the database; read-only where it cannot be written.
    // Returns null when the folder cannot be made or kept private, or the file is not a
    // sound database of ours; such a file is left exactly as it was.
    static std::unique_ptr<Store> open();
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    std::optional<std::string> readName();
    bool writeName(const std::string& name);
    bool readRecords(std::vector<StoredRecord>& out);
    bool append(int list, const FieldMap& fields);
    // 1: removed, 0: no such record (any more), -1: the database failed.
    int remove(int list, std::int64_t id);

private:
    explicit Store(sqlite3* db) : db_(db) {}
    sqlite3* db_;
};

} // namespace korvex
