// Task files: saving, loading, the format's rules and limits, and the reader.
#include "KorvexLib.hpp"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace {

struct Entry {
    std::string save, path;
    int mode; // 0 Auto, 151 Bin, 152 Text
};

class TaskFileTest : public KorvexDocumentTest {
protected:
    int add(int parent, int linkField, int kind) {
        const int item = k.KorvexNewItem(h, kind);
        EXPECT_NE(k.KorvexSetDataNum(h, parent, linkField, item), 0);
        return item;
    }

    // The tree the application builds on Save.
    int buildDocument(const std::vector<Entry>& get, const std::vector<Entry>& mget) {
        const int doc = k.KorvexNewItem(h, 1);
        k.KorvexSetDataValue(h, doc, 1011, "yamada - bbs");
        k.KorvexSetDataNum(h, doc, 1101, 111);
        k.KorvexSetDataValue(h, doc, 1701, "yamada");
        k.KorvexSetDataValue(h, doc, 1702, "Orvane Tovaloで作成したSenderaです");
        const int task = add(doc, 1102, 2);
        k.KorvexSetDataValue(h, task, 1011, "タスク");
        k.KorvexSetDataNum(h, task, 1201, 122);
        k.KorvexSetDataValue(h, task, 1204, "arc \"1\"\\\n\t");
        k.KorvexSetDataValue(h, task, 1202, "yamada\\bbs");
        k.KorvexSetDataNum(h, task, 1203, 1);
        const int server = add(task, 1207, 3);
        k.KorvexSetDataValue(h, server, 1011, "FTP サーバー");
        k.KorvexSetDataValue(h, server, 1302, "ftp.example.org");
        k.KorvexSetDataNum(h, server, 1301, 131);
        k.KorvexSetDataValue(h, server, 1304, "account");
        for (int l = 0; l < 2; ++l) {
            const auto& entries = l == 0 ? get : mget;
            if (entries.empty())
                continue;
            const int list = add(server, 1306, 4);
            k.KorvexSetDataValue(h, list, 1011,
                                 l == 0 ? "ファイルリスト(GET)" : "ファイルリスト(MGET)");
            k.KorvexSetDataNum(h, list, 1303, l == 0 ? 141 : 142);
            for (const Entry& e : entries) {
                const int file = add(list, 1404, 5);
                k.KorvexSetDataValue(h, file, 1501, e.save.c_str());
                k.KorvexSetDataValue(h, file, 1502, e.path.c_str());
                if (e.mode != 0)
                    k.KorvexSetDataNum(h, file, 1403, e.mode);
            }
        }
        return doc;
    }

    // A readable description of the whole document of `in`, walked through
    // the navigation calls only.
    std::string describe(KorvexHandle in) {
        std::string out;
        const int doc = k.KorvexGetID(in, -1, 1, 0);
        if (doc < 0)
            return "<none>";
        const int fieldsOf[6][6] = {{},
                                    {1011, 1101, 1701, 1702},
                                    {1011, 1201, 1202, 1203, 1204},
                                    {1011, 1301, 1302, 1304},
                                    {1011, 1303},
                                    {1403, 1501, 1502}};
        std::function<void(int, int)> walk = [&](int item, int kind) {
            out += "(" + std::to_string(kind);
            for (int f : fieldsOf[kind]) {
                if (f == 0)
                    break;
                char buf[260];
                int v = 0;
                if (k.KorvexGetDataValue(in, item, f, buf, sizeof buf) != 0)
                    out += " " + std::to_string(f) + "='" + buf + "'";
                else if (k.KorvexGetDataNum(in, item, f, &v) != 0)
                    out += " " + std::to_string(f) + "=" + std::to_string(v);
            }
            if (kind < 5)
                for (int i = 0, n = k.KorvexGetItemNum(in, item, kind + 1); i < n; ++i)
                    walk(k.KorvexGetID(in, item, kind + 1, i), kind + 1);
            out += ")";
        };
        walk(doc, 1);
        return out;
    }

    std::string path(const char* name) const { return (root / name).string(); }

    int loadText(KorvexHandle in, const std::string& data) {
        return k.KorvexLoadSDA(in, data.data(), static_cast<int>(data.size()));
    }
    static std::vector<std::string> namesIn(const std::filesystem::path& dir) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        return names;
    }

    static std::string readFile(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    static void writeFile(const std::string& p, const std::string& data) {
        std::ofstream(p, std::ios::binary) << data;
    }

    std::string validText() {
        const int doc = buildDocument({{"a.txt", "/pub/a.txt", 151}}, {{"*.c", "/src/*.c", 0}});
        const std::string p = path("valid.sd");
        EXPECT_NE(k.KorvexSave(h, doc, p.c_str(), 1), 0);
        return readFile(p);
    }

    // Loads `data` into an interface holding a known document and checks
    // that the load is refused and the document stays as it was.
    void expectRejected(const std::string& data, const std::string& why) {
        ScopedInterface in(k);
        const int doc = k.KorvexNewItem(in, 1);
        k.KorvexSetDataValue(in, doc, 1011, "before");
        const std::string before = describe(in);
        EXPECT_EQ(loadText(in, data), 0) << why;
        EXPECT_EQ(describe(in), before) << why;
        EXPECT_EQ(k.KorvexGetItemNum(in, -1, 1), 1) << why;
    }

    static std::string wrap(const std::string& document,
                            const std::string& head = R"("format": "sendera-task", "version": 1)") {
        return "{" + head + ", \"document\": " + document + "}";
    }
};

TEST_F(TaskFileTest, SaveAndLoadKeepEveryFieldAndTheChildOrder) {
    const std::vector<Entry> get = {{"a.txt", "/pub/a.txt", 151}, {"日本.txt", "/日本/語.txt", 0}};
    const std::vector<Entry> mget = {{"*.c", "/src/*.c", 152}};
    const int doc = buildDocument(get, mget);
    const std::string expected = describe(h);
    ASSERT_LT(expected.find("1303=141"), expected.find("1303=142"));
    const std::string p = path("yamada - bbs.sd");
    ASSERT_NE(k.KorvexSave(h, doc, p.c_str(), 1), 0);

    ScopedInterface other(k);
    const int stale = k.KorvexNewItem(other, 1);
    ASSERT_NE(k.KorvexLoad(other, p.c_str()), 0);
    EXPECT_EQ(describe(other), expected);
    EXPECT_EQ(k.KorvexGetItemNum(other, -1, 1), 1) << "the old document was replaced";
    EXPECT_NE(k.KorvexGetID(other, -1, 1, 0), stale);
    // Loading from memory gives the same tree.
    const std::string data = readFile(p);
    ASSERT_NE(loadText(other, data), 0);
    EXPECT_EQ(describe(other), expected);
}

TEST_F(TaskFileTest, SavedFileIsTheDocumentedJsonLayout) {
    const std::string data = validText();
    const auto j = nlohmann::json::parse(data);
    EXPECT_EQ(j.at("format"), "sendera-task");
    EXPECT_EQ(j.at("version"), 2);
    const auto& doc = j.at("document");
    EXPECT_EQ(doc.at("kind"), 1);
    EXPECT_EQ(doc.at("fields").at("1101"), 111);
    const auto& task = doc.at("children").at(0);
    EXPECT_EQ(task.at("kind"), 2);
    EXPECT_EQ(task.at("fields").at("1204"), "arc \"1\"\\\n\t");
    EXPECT_FALSE(task.at("fields").contains("1207")) << "links are children, not fields";
    const auto& lists = task.at("children").at(0).at("children");
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists.at(1).at("fields").at("1303"), 142);
    EXPECT_EQ(lists.at(0).at("children").at(0).at("fields").at("1502"), "/pub/a.txt");
    EXPECT_FALSE(lists.at(1).at("children").at(0).at("fields").contains("1403"));
}

TEST_F(TaskFileTest, FailedSaveLeavesTheExistingFileIntact) {
    const std::string p = path("keep.sd");
    writeFile(p, "precious");
    const int doc = buildDocument({{"a", "/a", 0}}, {});
    const int task = k.KorvexGetID(h, doc, 2, 0);
    EXPECT_EQ(k.KorvexSave(h, task, p.c_str(), 1), 0) << "only a document item is saved";
    EXPECT_EQ(k.KorvexSave(h, 4711, p.c_str(), 1), 0);
    EXPECT_EQ(k.KorvexSave(h, doc, "", 1), 0);
    // Paths that cannot be written, even by root.
    std::filesystem::create_directory(root / "folder");
    ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
    ASSERT_EQ(symlink("folder", path("folder-link").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", path("dangling").c_str()), 0);
    for (const char* unwritable : {"missing/x.sd", "keep.sd/inside.sd", "keep.sd/", "folder",
                                   "pipe", "folder-link", "dangling"})
        EXPECT_EQ(k.KorvexSave(h, doc, path(unwritable).c_str(), 1), 0) << unwritable;
    EXPECT_TRUE(std::filesystem::is_empty(root / "folder"));
    EXPECT_TRUE(std::filesystem::is_fifo(path("pipe")));
    EXPECT_TRUE(std::filesystem::is_symlink(path("folder-link")));
    EXPECT_FALSE(std::filesystem::exists(path("nowhere")));
    EXPECT_EQ(readFile(p), "precious");
    for (const char* extra : {"folder", "pipe", "folder-link", "dangling"})
        std::filesystem::remove(root / extra);

    // A tree too large for the format fails while writing, not at load time.
    const int server = k.KorvexGetID(h, task, 3, 0);
    const int list = add(server, 1306, 4);
    const std::string big(65535, 'b');
    for (int i = 0; i < 260; ++i) {
        const int file = add(list, 1404, 5);
        ASSERT_NE(k.KorvexSetDataValue(h, file, 1502, big.c_str()), 0);
    }
    EXPECT_EQ(k.KorvexSave(h, doc, p.c_str(), 1), 0);
    EXPECT_EQ(readFile(p), "precious");
    // No temporary file is left behind.
    EXPECT_EQ(namesIn(root), std::vector<std::string>{"keep.sd"});
}

TEST_F(TaskFileTest, SaveThroughALinkKeepsTheLinkAndTheModeNewFilesGetTheUsualMode) {
    std::filesystem::create_directory(root / "real");
    const std::string target = path("real/task.sd");
    writeFile(target, "old contents");
    ASSERT_EQ(chmod(target.c_str(), 0604), 0);
    ASSERT_EQ(symlink("real/task.sd", path("link.sd").c_str()), 0);
    const int doc = buildDocument({{"a", "/a", 0}}, {});
    const std::string expected = describe(h);
    ASSERT_NE(k.KorvexSave(h, doc, path("link.sd").c_str(), 1), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(path("link.sd")));
    struct stat st {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0604u);
    ScopedInterface other(k);
    ASSERT_NE(k.KorvexLoad(other, target.c_str()), 0);
    EXPECT_EQ(describe(other), expected);
    EXPECT_EQ(namesIn(root / "real"), std::vector<std::string>{"task.sd"});

    const mode_t old = umask(027);
    const int saved = k.KorvexSave(h, doc, path("real/fresh.sd").c_str(), 1);
    umask(old);
    ASSERT_NE(saved, 0);
    ASSERT_EQ(stat(path("real/fresh.sd").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "not the private mode of the temporary file";
}

TEST_F(TaskFileTest, MalformedFilesAreRejectedAndTheDocumentStays) {
    const std::string ok = validText();
    ASSERT_FALSE(ok.empty());
    const std::string file = R"({"kind": 5, "fields": {"1501": "a"}})";
    const std::string chain = [&] {
        return R"({"kind": 1, "children": [{"kind": 2, "children": [{"kind": 3, "children": [)"
               R"({"kind": 4, "children": [)" +
               file + "]}]}]}]}";
    }();
    // The chain itself is a well-formed file, so each case below fails for
    // its own reason.
    EXPECT_NE(loadText(ScopedInterface(k), wrap(chain)), 0);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "empty"},
        {"[]", "not an object"},
        {"{}", "no identifier"},
        {wrap(chain, R"("format": "sendera", "version": 1)"), "wrong identifier"},
        {wrap(chain, R"("format": "sendera-task", "version": 3)"), "newer version"},
        {wrap(chain, R"("format": "sendera-task", "version": "1")"), "version as text"},
        {R"({"format": "sendera-task", "version": 1})", "no document"},
        {wrap(chain, R"("format": "sendera-task", "version": 1, "extra": 1)"), "unknown key"},
        {wrap(chain, R"("format": "sendera-task", "format": "sendera-task", "version": 1)"),
         "duplicate key"},
        {wrap(chain) + "x", "trailing bytes"},
        {wrap(R"({"kind": 2})"), "task at the top"},
        {wrap(R"({"kind": 6})"), "unknown kind"},
        {wrap(R"({"fields": {}})"), "no kind"},
        {wrap(R"({"kind": 1, "kind": 1})"), "kind twice"},
        {wrap(R"({"kind": 1.0})"), "kind as float"},
        {wrap(R"({"kind": 1, "children": [{"kind": 3}]})"), "child of the wrong kind"},
        {wrap(R"({"kind": 1, "children": [5]})"), "child not an object"},
        {wrap(R"({"kind": 1, "fields": {"1102": 2}})"), "link given as field"},
        {wrap(R"({"kind": 1, "fields": {"1011": null}})"), "null field"},
        {wrap(R"({"kind": 1, "fields": {"1011": 1.5}})"), "float field"},
        {wrap(R"({"kind": 1, "fields": {"1011": {}}})"), "object field"},
        {wrap(R"({"kind": 1, "fields": {"1101": 2147483648}})"), "number beyond 32 bits"},
        {wrap(R"({"kind": 1, "fields": {"1101": -2147483649}})"), "number below 32 bits"},
        {wrap(R"({"kind": 1, "fields": {"01101": 1}})"), "leading zero"},
        {wrap(R"({"kind": 1, "fields": {"0": 1}})"), "field zero"},
        {wrap(R"({"kind": 1, "fields": {"x": 1}})"), "field not a number"},
        {wrap(R"({"kind": 1, "fields": {"1011": "a", "1011": "b"}})"), "duplicate field"},
        {wrap(R"({"kind": 1, "fields": {"1011": "a\u0000b"}})"), "NUL in text"},
        {wrap("{\"kind\": 1, \"fields\": {\"1011\": \"\xff\"}}"), "broken UTF-8"},
        {wrap(R"({"kind": 1, "fields": {"1011": "\ud800"}})"), "lone surrogate"},
        {wrap(R"({"kind": 1, "children": [], "children": []})"), "children twice"},
        {wrap(R"({"kind": 1, "children": {}})"), "children not an array"},
        {wrap(R"({"kind": 1 /* c */})"), "comment"},
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
    ScopedInterface in(k);
    EXPECT_EQ(k.KorvexLoadSDA(in, ok.data(), -1), 0);
    EXPECT_EQ(k.KorvexLoadSDA(in, nullptr, 10), 0);
}

TEST_F(TaskFileTest, EveryTruncationOfAValidFileIsRejected) {
    const std::string ok = validText();
    for (std::size_t n = 0; n < ok.size(); ++n) {
        const std::string cut = ok.substr(0, n);
        // Trailing whitespace is all a valid file may lose.
        if (cut.find_last_not_of(" \n") == ok.find_last_not_of(" \n"))
            continue;
        ScopedInterface in(k);
        ASSERT_EQ(loadText(in, cut), 0) << n;
        ASSERT_LT(k.KorvexGetID(in, -1, 1, 0), 0);
    }
}

TEST_F(TaskFileTest, LimitsAreEnforcedExactlyAtTheStatedSizes) {
    auto withFields = [](int count, std::size_t textBytes) {
        std::string fields;
        for (int f = 1; f <= count; ++f)
            fields += (f > 1 ? ", \"" : "\"") + std::to_string(f) + "\": " +
                      (f == 1 ? "\"" + std::string(textBytes, 't') + "\"" : std::to_string(f));
        return wrap("{\"kind\": 1, \"fields\": {" + fields + "}}");
    };
    ScopedInterface in(k);
    const std::string atLimit = withFields(256, 65535);
    ASSERT_NE(loadText(in, atLimit), 0);
    std::vector<char> big(70000, '#');
    ASSERT_NE(k.KorvexGetDataValue(in, k.KorvexGetID(in, -1, 1, 0), 1, big.data(), 70000), 0);
    EXPECT_EQ(std::string(big.data()), std::string(65535, 't'));
    expectRejected(withFields(257, 1), "257 fields");
    expectRejected(withFields(1, 65536), "text of 65536 bytes");

    // 100,000 items load; one more does not.
    auto withFiles = [](int files) {
        std::string list = R"({"kind": 4, "children": [)";
        for (int i = 0; i < files; ++i)
            list += i ? ",{\"kind\":5}" : "{\"kind\":5}";
        list += "]}";
        return wrap(
            R"({"kind": 1, "children": [{"kind": 2, "children": [{"kind": 3, "children": [)" +
            list + "]}]}]}");
    };
    ScopedInterface many(k);
    ASSERT_NE(loadText(many, withFiles(100000 - 4)), 0);
    expectRejected(withFiles(100000 - 3), "100,001 items");

    // More than 16 MiB is refused unread, from memory and from a file.
    std::string huge = wrap(R"({"kind": 1})");
    huge.resize(16u * 1024u * 1024u + 1, ' ');
    expectRejected(huge, "over 16 MiB");
    huge.resize(16u * 1024u * 1024u);
    ScopedInterface exact(k);
    EXPECT_NE(loadText(exact, huge), 0) << "exactly 16 MiB is allowed";
    const std::string p = path("huge.sd");
    writeFile(p, huge + " ");
    EXPECT_EQ(k.KorvexLoad(exact, p.c_str()), 0);
}

TEST_F(TaskFileTest, DocumentItemCountIsLimitedLikeTheFormat) {
    int last = 0;
    for (int i = 0; i < 100000; ++i) {
        last = k.KorvexNewItem(h, 5);
        ASSERT_GE(last, 0) << i;
    }
    EXPECT_LT(k.KorvexNewItem(h, 5), 0);
    EXPECT_GE(k.KorvexNewItem(h, 10), 0) << "store-side items do not count";
    ASSERT_NE(k.KorvexClear(h), 0);
    EXPECT_GT(k.KorvexNewItem(h, 1), last);
}

TEST_F(TaskFileTest, LoadFromPathRefusesWhatIsNotARegularTaskFile) {
    const int doc = buildDocument({{"a", "/a", 0}}, {});
    const std::string before = describe(h);
    EXPECT_EQ(k.KorvexLoad(h, path("absent.sd").c_str()), 0);
    EXPECT_EQ(k.KorvexLoad(h, root.c_str()), 0);
    EXPECT_EQ(k.KorvexLoad(h, "/dev/zero"), 0);
    writeFile(path("text.sd"), "plain text\n");
    EXPECT_EQ(k.KorvexLoad(h, path("text.sd").c_str()), 0);
    EXPECT_EQ(describe(h), before);
    EXPECT_EQ(k.KorvexGetID(h, -1, 1, 0), doc);
}

TEST_F(TaskFileTest, DumpToolPrintsTheTreeOrFailsClearly) {
    const std::string ok = validText();
    const std::string p = path("valid.sd");
    auto run = [](const std::string& cmd, std::string& out) {
        FILE* f = popen(cmd.c_str(), "r");
        char buf[512];
        size_t n;
        while (f != nullptr && (n = fread(buf, 1, sizeof buf, f)) > 0)
            out.append(buf, n);
        const int status = f != nullptr ? pclose(f) : -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::string dump = std::string("'") + KORVEX_DUMP_PATH + "'";
    std::string out;
    ASSERT_EQ(run(dump + " '" + p + "'", out), 0);
    std::vector<std::string> lines;
    for (std::size_t pos = 0, nl; (nl = out.find('\n', pos)) != std::string::npos; pos = nl + 1)
        lines.push_back(out.substr(pos, nl - pos));
    ASSERT_EQ(lines.size(), 7u) << out;
    EXPECT_EQ(lines[0].rfind("document (kind 1)", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("1011=\"yamada - bbs\""), std::string::npos);
    EXPECT_EQ(lines[4].rfind("        file (kind 5) 1403=151", 0), 0u) << lines[4];
    EXPECT_EQ(lines[5].rfind("      file list (kind 4)", 0), 0u) << lines[5];

    writeFile(path("bad.sd"), "{}");
    out.clear();
    EXPECT_EQ(run(dump + " '" + path("bad.sd") + "' 2>&1", out), 1);
    EXPECT_NE(out.find("not a readable task file"), std::string::npos) << out;
    out.clear();
    EXPECT_EQ(run(dump + " --version", out), 0);
    EXPECT_NE(out.find("1.2.0"), std::string::npos) << out;
}

} // namespace
