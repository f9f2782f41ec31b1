#include "Store.hpp"

#include "Text.hpp"

#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace korvex {

namespace {

constexpr int kSchemaVersion = 1;
// SQLite answers "busy" or "locked" without waiting in a few cases (a journal-mode change,
// a snapshot another process moved on); opening then starts over, at most this often.
constexpr int kOpenAttempts = 40;

std::string envValue(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? std::string(v) : std::string();
}

// Creates every missing folder on the way, private to the user. A store folder that
// others may enter is closed to them first; one of another user is refused.
bool makeFolders(const std::string& path) {
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/')
            continue;
        const std::string part = path.substr(0, pos);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    if ((st.st_mode & 077) == 0)
        return true;
    return st.st_uid == geteuid() && chmod(path.c_str(), st.st_mode & 0700) == 0;
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

std::string columnText(sqlite3_stmt* st, int column) {
    const auto* t = sqlite3_column_text(st, column);
    return t != nullptr ? std::string(reinterpret_cast<const char*>(t)) : std::string();
}

// Runs one statement to its end, each row to `onRow`; SQLite's result.
template <typename OnRow> int run(sqlite3* db, const char* sql, OnRow&& onRow) {
    Statement st(db, sql);
    if (!st)
        return sqlite3_errcode(db);
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW)
        onRow(st.get());
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int run(sqlite3* db, const char* sql) {
    return run(db, sql, [](sqlite3_stmt*) {});
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

enum class Layout { Fresh, Ours, Other };

// What the file holds; SQLite's result. Callers hold a transaction, so that the tables and
// the version are of one moment.
int readLayout(sqlite3* db, bool checkPages, Layout& layout) {
    std::set<std::string> tables;
    int version = -1;
    int rc = run(db, "SELECT name FROM sqlite_master WHERE type = 'table'",
                 [&](sqlite3_stmt* st) { tables.insert(columnText(st, 0)); });
    if (rc == SQLITE_OK)
        rc = run(db, "PRAGMA user_version",
                 [&](sqlite3_stmt* st) { version = sqlite3_column_int(st, 0); });
    std::vector<std::string> problems;
    if (rc == SQLITE_OK && checkPages)
        rc = run(db, "PRAGMA quick_check",
                 [&](sqlite3_stmt* st) { problems.push_back(columnText(st, 0)); });
    if (rc != SQLITE_OK)
        return rc;
    if (checkPages && problems != std::vector<std::string>{"ok"})
        layout = Layout::Other;
    else if (tables.empty() && version == 0)
        layout = Layout::Fresh;
    else if (version == kSchemaVersion && tables.count("meta") != 0 && tables.count("records") != 0)
        layout = Layout::Ours;
    else
        layout = Layout::Other;
    return SQLITE_OK;
}

// One attempt at checking the file before anything writes to it, and at making a new
// store in it; SQLite's result, SQLITE_NOTADB for a file that is not a sound store (or an
// empty one that cannot be written). Such a file is left for the user to recover.
int prepareOnce(sqlite3* db, bool writable) {
    Layout layout{};
    int rc = run(db, "BEGIN");
    if (rc == SQLITE_OK)
        rc = readLayout(db, true, layout);
    if (rc == SQLITE_OK)
        rc = run(db, "COMMIT");
    if (rc != SQLITE_OK)
        return rc;
    if (layout == Layout::Other || (layout == Layout::Fresh && !writable))
        return SQLITE_NOTADB;
    if (!writable)
        return SQLITE_OK;
    std::string mode;
    rc = run(db, "PRAGMA journal_mode = WAL", [&](sqlite3_stmt* st) { mode = columnText(st, 0); });
    if (rc == SQLITE_OK && mode != "wal")
        rc = SQLITE_CANTOPEN;
    if (rc == SQLITE_OK)
        rc = run(db, "PRAGMA synchronous = FULL");
    if (rc != SQLITE_OK || layout == Layout::Ours)
        return rc;
    // Another process may be creating the same store right now: look again inside the
    // write transaction.
    rc = run(db, "BEGIN IMMEDIATE");
    if (rc == SQLITE_OK)
        rc = readLayout(db, false, layout);
    if (rc == SQLITE_OK && layout == Layout::Other)
        rc = SQLITE_NOTADB;
    if (rc == SQLITE_OK && layout == Layout::Fresh)
        rc = sqlite3_exec(db,
                          "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);"
                          "CREATE TABLE records(id INTEGER PRIMARY KEY AUTOINCREMENT,"
                          " list INTEGER NOT NULL, fields TEXT NOT NULL);"
                          "PRAGMA user_version = 1;",
                          nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = run(db, "COMMIT");
    return rc;
}

int prepare(sqlite3* db, bool writable) {
    for (int attempt = 1;; ++attempt) {
        const int rc = prepareOnce(db, writable) & 0xff;
        if (sqlite3_get_autocommit(db) == 0)
            exec(db, "ROLLBACK");
        if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || attempt == kOpenAttempts)
            return rc;
        std::this_thread::sleep_for(std::chrono::milliseconds(5 * attempt));
    }
}

// `path` as a file: URI, every byte but the plain ones escaped.
std::string fileUri(const std::string& path) {
    std::string uri = path.compare(0, 1, "/") == 0 ? "file://" : "file:";
    for (const char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || std::strchr("/-._~", c) != nullptr;
        if (plain) {
            uri += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            uri += escaped;
        }
    }
    return uri;
}

sqlite3* connect(const std::string& name, int flags) {
    sqlite3* db = nullptr;
    // Deleted records, their passwords with them, are overwritten, not left in free pages.
    if (sqlite3_open_v2(name.c_str(), &db, flags, nullptr) != SQLITE_OK ||
        !exec(db, "PRAGMA secure_delete = ON")) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 10000);
    return db;
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

std::string storePath() {
    const std::string folder = storeFolder();
    if (folder.empty())
        return {};
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(folder, ec);
    return (ec ? std::filesystem::path(folder) : full).string() + "/korvex.db";
}

std::unique_ptr<Store> Store::open() {
    const std::string folder = storeFolder();
    if (folder.empty() || !makeFolders(folder))
        return nullptr;
    const std::string path = storePath();
    // Create the file ourselves so it is private from the first byte on.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    else if (errno != EEXIST)
        return nullptr;

    // Where the store cannot be written (a read-only medium, a full disk) it is read all
    // the same: read-only, and where SQLite cannot make the WAL index beside it either, as
    // a file nobody changes.
    const std::pair<std::string, int> ways[] = {
        {path, SQLITE_OPEN_READWRITE},
        {path, SQLITE_OPEN_READONLY},
        {fileUri(path) + "?immutable=1", SQLITE_OPEN_READONLY | SQLITE_OPEN_URI}};
    for (const auto& [name, flags] : ways) {
        sqlite3* db = connect(name, flags);
        if (db == nullptr)
            continue;
        const int rc = prepare(db, sqlite3_db_readonly(db, "main") == 0);
        if (rc == SQLITE_OK)
            return std::unique_ptr<Store>(new Store(db));
        sqlite3_close(db);
        if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT)
            break;
    }
    return nullptr;
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
    {
        Statement st(db_, "DELETE FROM records WHERE id = ?1 AND list = ?2");
        if (!st)
            return -1;
        sqlite3_bind_int64(st.get(), 1, id);
        sqlite3_bind_int(st.get(), 2, list);
        if (sqlite3_step(st.get()) != SQLITE_DONE)
            return -1;
    }
    if (sqlite3_changes(db_) == 0)
        return 0;
    // The record's earlier pages, its password with them, leave the log now, not at exit.
    sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    return 1;
}

} // namespace korvex
