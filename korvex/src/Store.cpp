#include "Store.hpp"

#include "Text.hpp"

#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex {

namespace {

constexpr int kSchemaVersion = 1;

std::string envValue(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? std::string(v) : std::string();
}

// Creates every missing folder on the way, private to the user.
bool makeFolders(const std::string& path) {
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/')
            continue;
        const std::string part = path.substr(0, pos);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            stmt_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    explicit operator bool() const { return stmt_ != nullptr; }
    sqlite3_stmt* get() const { return stmt_; }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

bool exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// First column of a one-row query as text; nothing on error or no row.
std::optional<std::string> queryText(sqlite3* db, const char* sql) {
    Statement st(db, sql);
    if (!st || sqlite3_step(st.get()) != SQLITE_ROW)
        return std::nullopt;
    const auto* t = sqlite3_column_text(st.get(), 0);
    return t != nullptr ? std::string(reinterpret_cast<const char*>(t)) : std::string();
}

std::string fieldsToJson(const FieldMap& fields) {
    nlohmann::json j = nlohmann::json::object();
    for (const auto& [field, value] : fields) {
        const std::string key = std::to_string(field);
        // dump() throws on bytes that are not UTF-8; those go as the task
        // file's escaped form.
        if (value.isText && isValidUtf8(value.text))
            j[key] = value.text;
        else if (value.isText)
            j[key] = nlohmann::json::object({{"bytes", toHex(value.text)}});
        else
            j[key] = value.num;
    }
    return j.dump();
}

bool fieldsFromJson(const char* text, FieldMap& out) {
    nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
    if (!j.is_object())
        return false;
    for (const auto& [key, value] : j.items()) {
        char* end = nullptr;
        errno = 0;
        const long field = std::strtol(key.c_str(), &end, 10);
        if (errno != 0 || *end != '\0' || field <= 0 || field > INT_MAX)
            return false;
        if (value.is_string()) {
            out[static_cast<int>(field)] = Value::ofText(value.get<std::string>());
        } else if (value.is_object()) {
            const auto hex = value.find("bytes");
            if (value.size() != 1 || hex == value.end() || !hex->is_string())
                return false;
            std::optional<std::string> bytes = fromHex(hex->get_ref<const std::string&>());
            if (!bytes)
                return false;
            out[static_cast<int>(field)] = Value::ofText(std::move(*bytes));
        } else if (value.is_number_integer()) {
            out[static_cast<int>(field)] = Value::number(value.get<int>());
        } else {
            return false;
        }
    }
    return true;
}

// Checks the file before anything writes to it: a file that is not a sound
// database of this layout is refused and left for the user to recover.
bool checkAndPrepare(sqlite3* db) {
    std::set<std::string> tables;
    {
        Statement st(db, "SELECT name FROM sqlite_master WHERE type = 'table'");
        if (!st)
            return false;
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW)
            tables.insert(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
        if (rc != SQLITE_DONE)
            return false;
    }
    const auto check = queryText(db, "PRAGMA quick_check");
    if (!check || *check != "ok")
        return false;
    const auto version = queryText(db, "PRAGMA user_version");
    if (!version)
        return false;
    const int userVersion = std::atoi(version->c_str());
    if (!tables.empty() || userVersion != 0) {
        if (userVersion != kSchemaVersion || tables.count("meta") == 0 ||
            tables.count("records") == 0)
            return false;
    }
    if (!exec(db, "PRAGMA journal_mode = WAL") || !exec(db, "PRAGMA synchronous = FULL"))
        return false;
    if (tables.empty()) {
        // Another process may be creating the same database right now; the
        // statements are idempotent and run in one write transaction.
        if (!exec(db, "BEGIN IMMEDIATE"))
            return false;
        const bool ok =
            exec(db, "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);"
                     "CREATE TABLE IF NOT EXISTS records(id INTEGER PRIMARY KEY AUTOINCREMENT,"
                     " list INTEGER NOT NULL, fields TEXT NOT NULL);"
                     "PRAGMA user_version = 1;");
        if (!ok || !exec(db, "COMMIT")) {
            exec(db, "ROLLBACK");
            return false;
        }
    }
    return true;
}

} // namespace

std::string storeFolder() {
    std::string home = envValue("KORVEX_HOME");
    if (!home.empty())
        return home;
    const std::string xdg = envValue("XDG_CONFIG_HOME");
    if (!xdg.empty() && xdg[0] == '/')
        return xdg + "/orvane/korvex";
    home = envValue("HOME");
    if (home.empty()) {
        if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr)
            home = pw->pw_dir;
    }
    if (home.empty())
        return {};
    return home + "/.config/orvane/korvex";
}

std::unique_ptr<Store> Store::open() {
    const std::string folder = storeFolder();
    if (folder.empty() || !makeFolders(folder))
        return nullptr;
    const std::string path = folder + "/korvex.db";
    // Create the file ourselves so it is private from the first byte on.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    else if (errno != EEXIST)
        return nullptr;

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 10000);
    if (!checkAndPrepare(db)) {
        sqlite3_close(db);
        return nullptr;
    }
    return std::unique_ptr<Store>(new Store(db));
}

Store::~Store() {
    sqlite3_close(db_);
}

std::optional<std::string> Store::readName() {
    Statement st(db_, "SELECT value FROM meta WHERE key = 'name'");
    if (!st || sqlite3_step(st.get()) != SQLITE_ROW)
        return std::nullopt;
    const void* data = sqlite3_column_blob(st.get(), 0);
    const int size = sqlite3_column_bytes(st.get(), 0);
    if (data == nullptr || size <= 0)
        return std::string();
    return std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

bool Store::writeName(const std::string& name) {
    Statement st(db_, "INSERT INTO meta(key, value) VALUES('name', ?1)"
                      " ON CONFLICT(key) DO UPDATE SET value = excluded.value");
    if (!st)
        return false;
    // SQLite leaves text that is not UTF-8 undefined; a blob keeps the bytes,
    // and a UTF-8 name stays text as older stores hold it.
    const int size = static_cast<int>(name.size());
    if (isValidUtf8(name))
        sqlite3_bind_text(st.get(), 1, name.data(), size, SQLITE_TRANSIENT);
    else
        sqlite3_bind_blob(st.get(), 1, name.data(), size, SQLITE_TRANSIENT);
    return sqlite3_step(st.get()) == SQLITE_DONE;
}

bool Store::readRecords(std::vector<StoredRecord>& out) {
    Statement st(db_, "SELECT id, list, fields FROM records ORDER BY id");
    if (!st)
        return false;
    std::vector<StoredRecord> records;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        StoredRecord r;
        r.id = sqlite3_column_int64(st.get(), 0);
        r.list = sqlite3_column_int(st.get(), 1);
        const auto* text = sqlite3_column_text(st.get(), 2);
        if (text == nullptr || !fieldsFromJson(reinterpret_cast<const char*>(text), r.fields))
            return false;
        records.push_back(std::move(r));
    }
    if (rc != SQLITE_DONE)
        return false;
    out = std::move(records);
    return true;
}

bool Store::append(int list, const FieldMap& fields) {
    Statement st(db_, "INSERT INTO records(list, fields) VALUES(?1, ?2)");
    if (!st)
        return false;
    const std::string json = fieldsToJson(fields);
    sqlite3_bind_int(st.get(), 1, list);
    sqlite3_bind_text(st.get(), 2, json.data(), static_cast<int>(json.size()), SQLITE_TRANSIENT);
    return sqlite3_step(st.get()) == SQLITE_DONE;
}

int Store::remove(int list, std::int64_t id) {
    Statement st(db_, "DELETE FROM records WHERE id = ?1 AND list = ?2");
    if (!st)
        return -1;
    sqlite3_bind_int64(st.get(), 1, id);
    sqlite3_bind_int(st.get(), 2, list);
    if (sqlite3_step(st.get()) != SQLITE_DONE)
        return -1;
    return sqlite3_changes(db_) > 0 ? 1 : 0;
}

} // namespace korvex
