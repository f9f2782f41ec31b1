// Task files: saving, loading, the format's rules and limits, and the reader.
#include "KorvexTest.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>

#include <sys/stat.h>

namespace {

class TaskFileTest : public KorvexTest {
protected:
    int add(int parent, int linkField, int kind) {
        const int item = KorvexNewItem(h, kind);
        EXPECT_NE(KorvexSetDataNum(h, parent, linkField, item), 0);
        return item;
    }

    // A whole tree as the application builds it: a Get list of two files, an Mget list.
    int buildDocument() {
        const int doc = KorvexNewItem(h, KORVEX_KIND_DOCUMENT);
        KorvexSetDataValue(h, doc, KORVEX_FIELD_NAME, "yamada - bbs");
        KorvexSetDataNum(h, doc, KORVEX_FIELD_DOCUMENT_TYPE, KORVEX_DOCUMENT_TYPE);
        const int task = add(doc, KORVEX_FIELD_DOCUMENT_TASK, KORVEX_KIND_TASK);
        KorvexSetDataValue(h, task, KORVEX_FIELD_FOLDER, "yamada\\bbs");
        KorvexSetDataValue(h, task, KORVEX_FIELD_ARCHIVE_NAME, "arc \"1\"\\\n\t");
        const int server = add(task, KORVEX_FIELD_TASK_SERVER, KORVEX_KIND_SERVER);
        KorvexSetDataNum(h, server, KORVEX_FIELD_SERVER_TYPE, KORVEX_SERVER_TYPE_FTP);
        KorvexSetDataValue(h, server, KORVEX_FIELD_HOST, "ftp.example.org");
        struct Entry {
            int method;
            const char *save, *path;
            int mode;
        };
        int list = -1, method = 0;
        for (const Entry& e : {Entry{KORVEX_LIST_GET, "a.txt", "/pub/a.txt", KORVEX_MODE_BIN},
                               Entry{KORVEX_LIST_GET, "日本.txt", "/日本/語.txt", 0},
                               Entry{KORVEX_LIST_MGET, "*.c", "/src/*.c", KORVEX_MODE_TEXT}}) {
            if (e.method != method) {
                list = add(server, KORVEX_FIELD_SERVER_LIST, KORVEX_KIND_FILELIST);
                KorvexSetDataNum(h, list, KORVEX_FIELD_LIST_METHOD, method = e.method);
            }
            const int file = add(list, KORVEX_FIELD_LIST_FILE, KORVEX_KIND_FILE);
            KorvexSetDataValue(h, file, KORVEX_FIELD_SAVE_NAME, e.save);
            KorvexSetDataValue(h, file, KORVEX_FIELD_PATH, e.path);
            if (e.mode != 0)
                KorvexSetDataNum(h, file, KORVEX_FIELD_MODE, e.mode);
        }
        return doc;
    }

    std::string path(const char* name) const { return (root / name).string(); }
    // The built document saved as valid.sd; its bytes.
    std::string validText() {
        const std::string p = path("valid.sd");
        EXPECT_NE(KorvexSave(h, buildDocument(), p.c_str(), KORVEX_SAVE_DEFAULT), 0);
        return test::ReadFile(p);
    }

    // Loading `data` into an interface holding a document is refused; the document stays.
    void expectRejected(const std::string& data, const std::string& why) {
        KorvexHandle in = fresh();
        const int doc = KorvexNewItem(in, KORVEX_KIND_DOCUMENT);
        KorvexSetDataValue(in, doc, KORVEX_FIELD_NAME, "before");
        EXPECT_EQ(loadText(in, data), 0) << why;
        EXPECT_EQ(KorvexGetItemNum(in, -1, KORVEX_KIND_DOCUMENT), 1) << why;
        EXPECT_EQ(KorvexGetID(in, -1, KORVEX_KIND_DOCUMENT, 0), doc) << why;
        EXPECT_EQ(text(in, doc, KORVEX_FIELD_NAME), "before") << why;
    }

    static std::string wrap(const std::string& document,
                            const std::string& head = R"("format": "sendera-task", "version": 1)") {
        return "{" + head + ", \"document\": " + document + "}";
    }
};

TEST_F(TaskFileTest, SavedFileIsTheDocumentedJsonAndLoadsBackUnchanged) {
    const std::string saved = validText();
    EXPECT_EQ(nlohmann::json::parse(saved), nlohmann::json::parse(R"({
        "format": "sendera-task", "version": 2, "document": {"kind": 1,
        "fields": {"1011": "yamada - bbs", "1101": 111},
        "children": [{"kind": 2, "fields": {"1202": "yamada\\bbs", "1204": "arc \"1\"\\\n\t"},
         "children": [{"kind": 3, "fields": {"1301": 131, "1302": "ftp.example.org"},
          "children": [{"kind": 4, "fields": {"1303": 141}, "children": [
            {"kind": 5, "fields": {"1403": 151, "1501": "a.txt", "1502": "/pub/a.txt"}},
            {"kind": 5, "fields": {"1501": "日本.txt", "1502": "/日本/語.txt"}}]},
           {"kind": 4, "fields": {"1303": 142}, "children": [
            {"kind": 5, "fields": {"1403": 152, "1501": "*.c", "1502": "/src/*.c"}}]}]}]}]}})"));

    // Loaded from the file or from memory, the tree replaces the document there and saves
    // to the same bytes.
    KorvexHandle other = fresh();
    const int stale = KorvexNewItem(other, KORVEX_KIND_DOCUMENT);
    for (int fromMemory = 0; fromMemory < 2; ++fromMemory) {
        ASSERT_NE(fromMemory ? loadText(other, saved) : KorvexLoad(other, path("valid.sd").c_str()),
                  0);
        EXPECT_EQ(KorvexGetItemNum(other, -1, KORVEX_KIND_DOCUMENT), 1);
        const int doc = KorvexGetID(other, -1, KORVEX_KIND_DOCUMENT, 0);
        EXPECT_NE(doc, stale);
        ASSERT_NE(KorvexSave(other, doc, path("again.sd").c_str(), KORVEX_SAVE_DEFAULT), 0);
        EXPECT_EQ(test::ReadFile(path("again.sd")), saved);
    }
}

TEST_F(TaskFileTest, FailedSaveLeavesTheExistingFileIntact) {
    const std::string p = path("keep.sd");
    writeFile(p, "precious");
    const int doc = buildDocument();
    const int task = KorvexGetID(h, doc, KORVEX_KIND_TASK, 0);
    EXPECT_EQ(KorvexSave(h, task, p.c_str(), KORVEX_SAVE_DEFAULT), 0) << "only a document";
    EXPECT_EQ(KorvexSave(h, 4711, p.c_str(), KORVEX_SAVE_DEFAULT), 0);
    EXPECT_EQ(KorvexSave(h, doc, "", KORVEX_SAVE_DEFAULT), 0);
    // Paths that cannot be written, even by root.
    std::filesystem::create_directory(root / "folder");
    ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
    ASSERT_EQ(symlink("nowhere", path("dangling").c_str()), 0);
    for (const char* unwritable :
         {"missing/x.sd", "keep.sd/inside.sd", "folder", "pipe", "dangling"})
        EXPECT_EQ(KorvexSave(h, doc, path(unwritable).c_str(), KORVEX_SAVE_DEFAULT), 0)
            << unwritable;
    EXPECT_FALSE(std::filesystem::exists(path("nowhere")));
    EXPECT_EQ(test::ReadFile(p), "precious");
    for (const char* extra : {"folder", "pipe", "dangling"})
        std::filesystem::remove(root / extra);

    // A tree too large for the format fails while writing, not at load time.
    const int server = KorvexGetID(h, task, KORVEX_KIND_SERVER, 0);
    const int list = add(server, KORVEX_FIELD_SERVER_LIST, KORVEX_KIND_FILELIST);
    const std::string big(65535, 'b');
    for (int i = 0; i < 260; ++i) {
        const int file = add(list, KORVEX_FIELD_LIST_FILE, KORVEX_KIND_FILE);
        ASSERT_NE(KorvexSetDataValue(h, file, KORVEX_FIELD_PATH, big.c_str()), 0);
    }
    EXPECT_EQ(KorvexSave(h, doc, p.c_str(), KORVEX_SAVE_DEFAULT), 0);
    EXPECT_EQ(test::ReadFile(p), "precious");
    EXPECT_EQ(namesIn(root), std::vector<std::string>{"keep.sd"}) << "no temporary file left";
}

TEST_F(TaskFileTest, SaveThroughALinkKeepsTheLinkAndTheMode) {
    std::filesystem::create_directory(root / "real");
    const std::string target = path("real/task.sd");
    writeFile(target, "old contents");
    ASSERT_EQ(chmod(target.c_str(), 0604), 0);
    ASSERT_EQ(symlink("real/task.sd", path("link.sd").c_str()), 0);
    const std::string direct = validText();
    ASSERT_NE(KorvexSave(h, KorvexGetID(h, -1, KORVEX_KIND_DOCUMENT, 0), path("link.sd").c_str(),
                         KORVEX_SAVE_DEFAULT),
              0);
    EXPECT_EQ(test::ReadFile(target), direct);
    struct stat st {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0604u);
    EXPECT_EQ(namesIn(root / "real"), std::vector<std::string>{"task.sd"});
}

TEST_F(TaskFileTest, MalformedFilesAreRejectedAndTheDocumentStays) {
    const std::string file = R"({"kind": 5, "fields": {"1501": "a"}})";
    const std::string chain =
        R"({"kind": 1, "children": [{"kind": 2, "children": [{"kind": 3, "children": [)"
        R"({"kind": 4, "children": [)" +
        file + "]}]}]}]}";
    // The chain itself is a well-formed file, so each case below fails for its own reason.
    EXPECT_NE(loadText(fresh(), wrap(chain)), 0);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "empty"},
        {wrap(chain, R"("format": "sendera", "version": 1)"), "wrong identifier"},
        {wrap(chain, R"("format": "sendera-task", "version": 3)"), "newer version"},
        {R"({"format": "sendera-task", "version": 1})", "no document"},
        {wrap(chain, R"("format": "sendera-task", "version": 1, "extra": 1)"), "unknown key"},
        {wrap(chain) + "x", "trailing bytes"},
        {"\xEF\xBB\xBF" + wrap(chain), "byte-order mark"},
        {wrap(R"({"kind": 2})"), "task at the top"},
        {wrap(R"({"kind": 1, "fields": {"1102": 2}})"), "link given as field"},
        {wrap(R"({"kind": 1, "fields": {"1011": 1.5}})"), "float field"},
        {wrap(R"({"kind": 1, "fields": {"1101": -2147483649}})"), "number below 32 bits"},
        {wrap(R"({"kind": 1, "fields": {"01101": 1}})"), "leading zero"},
        {wrap(R"({"kind": 1, "fields": {"1011": "a", "1011": "b"}})"), "duplicate field"},
        {wrap(R"({"kind": 1, "fields": {"1011": "a\u0000b"}})"), "NUL in text"},
        {wrap("{\"kind\": 1, \"fields\": {\"1011\": \"\xff\"}}"), "broken UTF-8"},
        {std::string(5000, '[') + std::string(5000, ']'), "deep nesting"},
        {wrap(R"({"kind": 1, "children": [{"kind": 2, "children": [{"kind": 3, "children": [)"
              R"({"kind": 4, "children": [{"kind": 5, "children": [{"kind": 6}]}]}]}]}]})"),
         "deeper than a file"},
        {wrap(R"({"kind": 1, "children": [{"kind": 2, "children": [{"kind": 3, "children": [)"
              R"({"kind": 4, "children": [{"kind": 5, "children": []}]}]}]}]})"),
         "file with a children list"},
    };
    for (const auto& [data, why] : cases)
        expectRejected(data, why);
    EXPECT_EQ(KorvexLoadSDA(h, nullptr, 10), 0);
}

TEST_F(TaskFileTest, LimitsAreEnforcedExactlyAtTheStatedSizes) {
    auto withFields = [](int count, std::size_t textBytes) {
        std::string fields;
        for (int f = 1; f <= count; ++f)
            fields += (f > 1 ? ", \"" : "\"") + std::to_string(f) + "\": " +
                      (f == 1 ? "\"" + std::string(textBytes, 't') + "\"" : std::to_string(f));
        return wrap("{\"kind\": 1, \"fields\": {" + fields + "}}");
    };
    KorvexHandle in = fresh();
    ASSERT_NE(loadText(in, withFields(256, 65535)), 0);
    EXPECT_EQ(text(in, KorvexGetID(in, -1, KORVEX_KIND_DOCUMENT, 0), 1), std::string(65535, 't'));
    expectRejected(withFields(257, 1), "257 fields");
    expectRejected(withFields(1, 65536), "text of 65536 bytes");

    // More than 16 MiB is refused unread, from memory and from a file.
    std::string huge = wrap(R"({"kind": 1})");
    huge.resize(16u * 1024u * 1024u + 1, ' ');
    expectRejected(huge, "over 16 MiB");
    huge.resize(16u * 1024u * 1024u);
    EXPECT_NE(loadText(in, huge), 0) << "exactly 16 MiB is allowed";
    writeFile(path("huge.sd"), huge + " ");
    EXPECT_EQ(KorvexLoad(in, path("huge.sd").c_str()), 0);
}

TEST_F(TaskFileTest, DocumentItemCountIsLimitedLikeTheFormat) {
    int last = 0;
    for (int i = 0; i < 100000; ++i) {
        last = KorvexNewItem(h, KORVEX_KIND_FILE);
        ASSERT_GE(last, 0) << i;
    }
    EXPECT_LT(KorvexNewItem(h, KORVEX_KIND_FILE), 0);
    EXPECT_GE(KorvexNewItem(h, KORVEX_KIND_ACCOUNT), 0) << "store-side items do not count";
    ASSERT_NE(KorvexClear(h), 0);
    EXPECT_GT(KorvexNewItem(h, KORVEX_KIND_DOCUMENT), last);
}

TEST_F(TaskFileTest, LoadFromPathRefusesWhatIsNotARegularTaskFile) {
    const int doc = buildDocument();
    writeFile(path("text.sd"), "plain text\n");
    for (const std::string& p : {path("absent.sd"), root.string(), path("text.sd")})
        EXPECT_EQ(KorvexLoad(h, p.c_str()), 0) << p;
    EXPECT_EQ(KorvexGetID(h, -1, KORVEX_KIND_DOCUMENT, 0), doc);
    EXPECT_EQ(KorvexGetItemNum(h, -1, KORVEX_KIND_DOCUMENT), 1);
}

TEST_F(TaskFileTest, DumpToolPrintsTheTreeOrFailsClearly) {
    validText();
    std::string out;
    ASSERT_EQ(dump("'" + path("valid.sd") + "'", out), 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 8) << out;
    for (const char* line : {"\n        file (kind 5) 1403=151", "\n      file list (kind 4)"})
        EXPECT_NE(out.find(line), std::string::npos) << out;

    writeFile(root / "bad.sd", "{}");
    EXPECT_EQ(dump("'" + path("bad.sd") + "' 2>&1", out), 1);
    EXPECT_NE(out.find("not a readable task file"), std::string::npos) << out;
}

} // namespace
