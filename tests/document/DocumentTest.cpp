// Save, Load, New and Exit of the task document, through the main window and the real
// library. Saved files are checked by reading them back with a separate library interface.
#include "gui_support/GuiTest.h"

#include "platform/Qt.h"
#include "platform/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <optional>

namespace modal = platform::modal;

namespace {

struct Entry {
    std::string saveName;
    std::string path;
    int mode = 0;   // 0 Auto, 1 Bin, 2 Text
    int method = 0; // 0 Get, 1 Mget
};

// A task file as the library reads it back.
struct SavedFile {
    std::string saveName, path;
    std::optional<int> mode; // field 1403
};
struct SavedList {
    std::string caption;
    int kind = 0;
    std::vector<SavedFile> files;
};
struct Saved {
    std::string display, user, comment;
    int docType = 0, tasks = 0;
    std::string taskCaption, folder;
    int archiveMode = 0, flag = 0;
    std::optional<std::string> archiveName;
    std::string serverCaption, host, account;
    int serverType = 0;
    std::vector<SavedList> lists;
};

// A second interface on the library, for reading and crafting files independently of
// the window.
class Library {
public:
    Library() : m_api(theApp.m_api), m_h(m_api.KorvexNewInterface()) {
        m_api.KorvexInitialize(m_h);
    }
    ~Library() { m_api.KorvexDeleteInterface(m_h); }
    std::optional<std::string> Text(int item, int field) const {
        char buf[260] = {};
        if (!m_api.KorvexGetDataValue(m_h, item, field, buf, sizeof buf))
            return std::nullopt;
        return platform::FromBuffer(buf, sizeof buf);
    }
    std::optional<int> Num(int item, int field) const {
        int v = 0;
        if (!m_api.KorvexGetDataNum(m_h, item, field, &v))
            return std::nullopt;
        return v;
    }
    int Child(int parent, int kind, int i) const { return m_api.KorvexGetID(m_h, parent, kind, i); }
    int Count(int parent, int kind) const { return m_api.KorvexGetItemNum(m_h, parent, kind); }
    int New(int kind) const { return m_api.KorvexNewItem(m_h, kind); }
    void Set(int item, int field, const std::string& text) const {
        m_api.KorvexSetDataValue(m_h, item, field, text.c_str());
    }
    void Set(int item, int field, int value) const {
        m_api.KorvexSetDataNum(m_h, item, field, value);
    }
    bool Load(const std::string& path) const { return m_api.KorvexLoad(m_h, path.c_str()) != 0; }
    bool Save(int doc, const std::string& path) const {
        return m_api.KorvexSave(m_h, doc, path.c_str(), 1) != 0;
    }

private:
    KorvexApi& m_api;
    KorvexHandle m_h;
};

std::optional<Saved> ReadBack(const std::string& path) {
    Library lib;
    if (!lib.Load(path))
        return std::nullopt;
    Saved s;
    const int doc = lib.Child(-1, 1, 0);
    s.display = lib.Text(doc, 1011).value_or("?");
    s.docType = lib.Num(doc, 1101).value_or(-1);
    s.user = lib.Text(doc, 1701).value_or("?");
    s.comment = lib.Text(doc, 1702).value_or("?");
    s.tasks = lib.Count(doc, 2);
    const int task = lib.Child(doc, 2, 0);
    s.taskCaption = lib.Text(task, 1011).value_or("?");
    s.archiveMode = lib.Num(task, 1201).value_or(-1);
    s.archiveName = lib.Text(task, 1204);
    s.folder = lib.Text(task, 1202).value_or("?");
    s.flag = lib.Num(task, 1203).value_or(-1);
    const int server = lib.Child(task, 3, 0);
    s.serverCaption = lib.Text(server, 1011).value_or("?");
    s.host = lib.Text(server, 1302).value_or("?");
    s.serverType = lib.Num(server, 1301).value_or(-1);
    s.account = lib.Text(server, 1304).value_or("?");
    for (int k = 0; k < lib.Count(server, 4); ++k) {
        const int list = lib.Child(server, 4, k);
        SavedList l{lib.Text(list, 1011).value_or("?"), lib.Num(list, 1303).value_or(-1), {}};
        for (int i = 0; i < lib.Count(list, 5); ++i) {
            const int f = lib.Child(list, 5, i);
            l.files.push_back(SavedFile{lib.Text(f, 1501).value_or("?"),
                                        lib.Text(f, 1502).value_or("?"), lib.Num(f, 1403)});
        }
        s.lists.push_back(l);
    }
    return s;
}

// A task file made directly through the library; the defaults give a sound file.
struct Craft {
    std::string folder = "taro\\work";
    int tasks = 1;
    bool server = true;
    int serverType = 131;
    std::optional<std::string> account = "A";
    int archiveMode = 121;
    std::vector<std::pair<int, std::vector<Entry>>> lists = {{141, {{"a", "/a", 0, 0}}}};
};

void WriteCrafted(const Craft& c, const std::string& path) {
    Library lib;
    const int doc = lib.New(1);
    lib.Set(doc, 1011, "x");
    for (int t = 0; t < c.tasks; ++t) {
        const int task = lib.New(2);
        lib.Set(task, 1201, c.archiveMode);
        lib.Set(task, 1204, "arc");
        lib.Set(task, 1202, c.folder);
        lib.Set(doc, 1102, task);
        if (!c.server)
            continue;
        const int server = lib.New(3);
        lib.Set(server, 1301, c.serverType);
        if (c.account)
            lib.Set(server, 1304, *c.account);
        lib.Set(task, 1207, server);
        for (const auto& [kind, entries] : c.lists) {
            const int list = lib.New(4);
            lib.Set(list, 1303, kind);
            lib.Set(server, 1306, list);
            for (const Entry& e : entries) {
                const int f = lib.New(5);
                lib.Set(f, 1501, e.saveName);
                lib.Set(f, 1502, e.path);
                if (e.mode != 0) // 1 Bin, 2 Text, anything else written as it is
                    lib.Set(f, 1403, e.mode == 1 ? 151 : e.mode == 2 ? 152 : e.mode);
                lib.Set(list, 1404, f);
            }
        }
    }
    ASSERT_TRUE(lib.Save(doc, path));
}

using Table = std::vector<std::vector<std::string>>;

gui::AccountValues Account(const std::string& name, const std::string& server = "h") {
    gui::AccountValues a;
    a.name = name;
    a.userId = "u";
    a.server = server;
    return a;
}

class DocumentTest : public gui::GuiTest {
protected:
    std::string PathOf(const std::string& name) const { return KorvexHome() + "/" + name; }
    static bool Exists(const std::string& path) { return QFile::exists(platform::ToQ(path)); }

    // The main window with accounts A (a.example.net), B, ... in the store.
    CMainDlg& Open(const std::vector<std::string>& accounts = {"A", "B"}) {
        for (const std::string& a : accounts)
            AddAccount(Account(a, a + ".example.net"));
        return OpenMainWindow();
    }
    static void Fill(CMainDlg& w, const std::string& name, const std::string& title) {
        SetText(w, 1000, name);
        SetText(w, 1002, title);
    }
    static void Append(CMainDlg& w, const Entry& e) {
        auto p = std::make_unique<CBackupFileEntry>();
        p->m_strSaveName = e.saveName;
        p->m_strPath = e.path;
        p->m_nMode = e.mode;
        p->m_nMethod = e.method;
        w.AppendBackupFile(std::move(p));
    }
    static void CompressAs(CMainDlg& w, const std::string& archive) {
        if (!Checked(w, 1027))
            Click(w, 1027);
        SetText(w, 1004, archive);
    }
    static void SaveAs(CMainDlg& w, const std::string& path) {
        modal::QueueFile(path);
        Click(w, IDOK);
    }
    static std::vector<modal::Record> SaveDialogs() {
        return modal::ShownOf(modal::Kind::FileSave);
    }
    // The window as a cleared document leaves it.
    static void ExpectCleared(CMainDlg& w, const std::string& name) {
        EXPECT_EQ(Text(w, 1000), name);
        EXPECT_EQ(Text(w, 1002), "");
        EXPECT_EQ(Text(w, 1004), "");
        EXPECT_EQ(Text(w, 1013), "");
        EXPECT_FALSE(Checked(w, 1027));
        EXPECT_FALSE(Enabled(w, 1004));
        EXPECT_TRUE(Rows(w, 1010).empty());
        EXPECT_TRUE(w.m_arrFiles.empty());
    }
};

TEST_F(DocumentTest, SaveWritesTheWholeTreeForANameWithoutTitle) {
    CMainDlg& w = Open();
    Fill(w, "yamada", "");
    SetText(w, 1004, "never/tested"); // compression off: neither tested nor written
    SelectListBoxRow(w, 1007, 1);
    Append(w, {"b.bin", "/pub/b.bin", 1, 0});
    Append(w, {"t.txt", "/pub/t.txt", 2, 0});
    Append(w, {"a.dat", "/pub/a.dat", 0, 0});
    SaveAs(w, PathOf("out.sd"));

    EXPECT_TRUE(ShownBoxIds().empty());
    const auto dialogs = SaveDialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].text, "") << "no file name proposed without a title";
    EXPECT_EQ(dialogs[0].filter, "Sendera (*.sd)|*.sd||");
    EXPECT_EQ(dialogs[0].defExt, "");
    EXPECT_EQ(dialogs[0].style, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);

    const auto s = ReadBack(PathOf("out.sd"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->display, "yamada - ");
    EXPECT_EQ(s->docType, 111);
    EXPECT_EQ(s->user, "yamada");
    EXPECT_EQ(s->comment, "Orvane Tovaloで作成したSenderaです");
    EXPECT_EQ(s->tasks, 1);
    EXPECT_EQ(s->taskCaption, "タスク");
    EXPECT_EQ(s->archiveMode, 121);
    EXPECT_FALSE(s->archiveName);
    EXPECT_EQ(s->folder, "yamada");
    EXPECT_EQ(s->flag, 1);
    EXPECT_EQ(s->serverCaption, "FTP サーバー");
    EXPECT_EQ(s->host, "B.example.net");
    EXPECT_EQ(s->serverType, 131);
    EXPECT_EQ(s->account, "B");
    ASSERT_EQ(s->lists.size(), 1u);
    EXPECT_EQ(s->lists[0].caption, "ファイルリスト(GET)");
    EXPECT_EQ(s->lists[0].kind, 141);
    ASSERT_EQ(s->lists[0].files.size(), 3u);
    EXPECT_EQ(s->lists[0].files[0].path, "/pub/b.bin");
    EXPECT_EQ(s->lists[0].files[0].mode, 151);
    EXPECT_EQ(s->lists[0].files[1].mode, 152);
    EXPECT_FALSE(s->lists[0].files[2].mode) << "Auto writes no 1403";
    // Save leaves the window as it was.
    EXPECT_EQ(Rows(w, 1010).size(), 3u);
    EXPECT_EQ(ListBoxSelection(w, 1007), 1);
    EXPECT_EQ(Text(w, 1000), "yamada");
    ExpectNoUnexpectedModals();
}

TEST_F(DocumentTest, SaveWithTitleAndArchive) {
    CMainDlg& w = Open();
    Fill(w, "yamada", "bbs");
    CompressAs(w, "logs");
    Append(w, {"a", "/a"});
    SaveAs(w, PathOf("bare")); // typed without extension
    ASSERT_EQ(SaveDialogs().size(), 1u);
    EXPECT_EQ(SaveDialogs()[0].text, "yamada - bbs");
    EXPECT_FALSE(Exists(PathOf("bare")));
    const auto s = ReadBack(PathOf("bare.sd"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->display, "yamada - bbs");
    EXPECT_EQ(s->folder, "yamada\\bbs");
    EXPECT_EQ(s->archiveMode, 122);
    EXPECT_EQ(s->archiveName, "logs");
    EXPECT_EQ(s->host, "A.example.net");
    ExpectNoUnexpectedModals();
}

TEST_F(DocumentTest, ProposedNameIsCutToFitAtACharacterBoundary) {
    CMainDlg& w = Open();
    std::string title;
    for (int i = 0; i < 84; ++i)
        title += "表"; // 252 bytes; with "yamada - " the display name has 261
    Fill(w, "yamada", title);
    Append(w, {"a", "/a"});
    modal::QueueFileCancel();
    Click(w, IDOK);
    ASSERT_EQ(SaveDialogs().size(), 1u);
    const std::string proposed = SaveDialogs()[0].text;
    EXPECT_LE(proposed.size(), 259u);
    EXPECT_TRUE(platform::IsValidUtf8(proposed));
    EXPECT_EQ(proposed, ("yamada - " + title).substr(0, proposed.size()));
    EXPECT_GE(proposed.size(), 257u);
    EXPECT_TRUE(ShownBoxIds().empty()) << "cancel writes nothing and says nothing";
    ExpectNoUnexpectedModals();
}

TEST_F(DocumentTest, ValidationRunsInOrderAndRefusesOnlyUnsuitableCharacters) {
    struct Case {
        std::string name, title;
        bool compress;
        std::string archive;
        bool files;
        UINT message; // 0: accepted (the Save As dialog opens)
    };
    const Case cases[] = {
        {"", "a:b", false, "", false, 147},  {"y", "a:b", false, "", false, 148},
        {"a:b", "", true, "", true, 159},    {"a:b", "", true, "x/y", true, 149},
        {"y", "", true, "x\\y", true, 149},  {"y", "", true, "x/y", true, 149},
        {"y", "", true, "x..y", true, 149},  {"y", "", true, "x.y", true, 0},
        {"y", "", false, "x/y", true, 0},    {"a:b", "", false, "", true, 149},
        {"y", "a..b", false, "", true, 149}, {"y", "a.b", false, "", true, 0},
        {"y", "a*b", false, "", true, 0},    {"表示ソフト", "ソース表", false, "", true, 0},
        {"y", ".", false, "", true, 0},
    };
    AddAccount(Account("A"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " | " + c.title + " | " + c.archive);
        modal::BeginScript();
        CMainDlg& w = OpenMainWindow();
        Fill(w, c.name, c.title);
        if (c.compress)
            CompressAs(w, c.archive);
        else
            SetText(w, 1004, c.archive);
        if (c.files)
            Append(w, {"a", "/a"});
        if (c.message == 0)
            modal::QueueFileCancel();
        else
            modal::QueueMessageBox(IDOK);
        Click(w, IDOK);
        if (c.message == 0) {
            EXPECT_TRUE(ShownBoxIds().empty());
            EXPECT_EQ(SaveDialogs().size(), 1u);
        } else {
            EXPECT_EQ(ShownBoxIds(), std::vector<UINT>{c.message});
            ASSERT_FALSE(Shown().empty());
            EXPECT_EQ(Shown()[0].style, MB_ICONEXCLAMATION);
            EXPECT_TRUE(SaveDialogs().empty());
        }
        ExpectNoUnexpectedModals();
        CloseMainWindow();
    }
}

TEST_F(DocumentTest, GetAndMgetListsAreGroupedAndLoadBackInThatOrder) {
    CMainDlg& w = Open();
    Fill(w, "yamada", "bbs");
    CompressAs(w, "pack");
    Append(w, {"one", "/g/one", 1, 0});
    Append(w, {"*.log", "/m/*.log", 2, 1});
    Append(w, {"three", "/g/three", 0, 0});
    SaveAs(w, PathOf("gm.sd"));
    const auto s = ReadBack(PathOf("gm.sd"));
    ASSERT_TRUE(s);
    ASSERT_EQ(s->lists.size(), 2u);
    EXPECT_EQ(s->lists[0].kind, 141);
    ASSERT_EQ(s->lists[0].files.size(), 2u);
    EXPECT_EQ(s->lists[0].files[1].saveName, "three");
    EXPECT_EQ(s->lists[1].caption, "ファイルリスト(MGET)");
    EXPECT_EQ(s->lists[1].kind, 142);
    ASSERT_EQ(s->lists[1].files.size(), 1u);

    // A fresh window loads it back: Get entries first, then Mget.
    CMainDlg& w2 = Open({});
    Fill(w2, "other", "old title");
    Append(w2, {"stale", "/stale"});
    modal::QueueFile(PathOf("gm.sd"));
    Click(w2, 1050);
    EXPECT_TRUE(ShownBoxIds().empty());
    EXPECT_EQ(Rows(w2, 1010), (Table{{"one", "Bin", "Get", "/g/one"},
                                     {"three", "Auto", "Get", "/g/three"},
                                     {"*.log", "Text", "Mget", "/m/*.log"}}));
    EXPECT_EQ(Text(w2, 1000), "yamada");
    EXPECT_EQ(Text(w2, 1002), "bbs");
    EXPECT_TRUE(Checked(w2, 1027));
    EXPECT_EQ(Text(w2, 1004), "pack");
    EXPECT_TRUE(Enabled(w2, 1004));
    EXPECT_EQ(ListBoxSelection(w2, 1007), 0);
    ExpectNoUnexpectedModals();
}

TEST_F(DocumentTest, OnlyMgetEntriesGiveOnlyAnMgetList) {
    CMainDlg& w = Open();
    Fill(w, "yamada", "");
    Append(w, {"m1", "/m/*.a", 0, 1});
    Append(w, {"m2", "/m/*.b", 1, 1});
    SaveAs(w, PathOf("m.sd"));
    const auto s = ReadBack(PathOf("m.sd"));
    ASSERT_TRUE(s);
    ASSERT_EQ(s->lists.size(), 1u);
    EXPECT_EQ(s->lists[0].kind, 142);
    EXPECT_EQ(s->lists[0].files.size(), 2u);
}

TEST_F(DocumentTest, EverySaveRebuildsTheDocumentWithRenewedAccountHandles) {
    CMainDlg& w = Open();
    Fill(w, "yamada", "");
    Append(w, {"a", "/a"});
    SaveAs(w, PathOf("1.sd"));
    SelectListBoxRow(w, 1007, 1);
    SaveAs(w, PathOf("2.sd"));
    const auto s = ReadBack(PathOf("2.sd"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->tasks, 1);
    ASSERT_EQ(s->lists.size(), 1u);
    EXPECT_EQ(s->lists[0].files.size(), 1u) << "nothing left over from the first save";
    EXPECT_EQ(s->host, "B.example.net");
    EXPECT_EQ(AccountNames(), (std::vector<std::string>{"A", "B"}));
    ExpectNoUnexpectedModals();
}

TEST_F(DocumentTest, SaveToAPathThatCannotBeWrittenSays164AndKeepsWhatIsThere) {
    {
        QFile keep(platform::ToQ(PathOf("keep.sd")));
        ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
        keep.write("precious");
    }
    ASSERT_TRUE(QDir().mkpath(platform::ToQ(PathOf("folder.sd"))));
    CMainDlg& w = Open();
    Fill(w, "yamada", "bbs");
    Append(w, {"a", "/a"});
    const std::string paths[] = {PathOf("keep.sd/inside.sd"), PathOf("folder.sd"),
                                 PathOf("missing/x.sd")};
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        modal::BeginScript();
        modal::QueueFile(path);
        modal::QueueMessageBox(IDOK);
        Click(w, IDOK);
        EXPECT_EQ(ShownBoxIds(), std::vector<UINT>{164});
        ASSERT_EQ(Shown().size(), 2u);
        EXPECT_EQ(Shown()[1].text, "保存で失敗しました");
        EXPECT_EQ(Shown()[1].style, MB_ICONEXCLAMATION);
        ExpectNoUnexpectedModals();
    }
    QFile keep(platform::ToQ(PathOf("keep.sd")));
    ASSERT_TRUE(keep.open(QIODevice::ReadOnly));
    EXPECT_EQ(keep.readAll().toStdString(), "precious");
    EXPECT_TRUE(QFileInfo(platform::ToQ(PathOf("folder.sd"))).isDir());
    EXPECT_TRUE(QDir(platform::ToQ(PathOf("folder.sd"))).isEmpty());
    EXPECT_FALSE(Exists(PathOf("missing")));
    // The window keeps the document; a given writable path saves it without asking.
    EXPECT_EQ(Rows(w, 1010).size(), 1u);
    modal::BeginScript();
    w.SaveDocument(PathOf("keep.sd"));
    EXPECT_TRUE(Shown().empty());
    const auto s = ReadBack(PathOf("keep.sd"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->display, "yamada - bbs");
    ExpectNoUnexpectedModals();
}

TEST_F(DocumentTest, SaveStopsSilentlyWhenTheStoreHasNoAccountAtTheSelectedRow) {
    CMainDlg& w = Open({"A"});
    Fill(w, "yamada", "bbs");
    Append(w, {"a", "/a"});
    w.m_listAccounts.AddString("Ghost");
    SelectListBoxRow(w, 1007, 1);
    Click(w, IDOK);
    EXPECT_TRUE(Shown().empty()) << "neither a message nor the Save As dialog";
    EXPECT_EQ(Rows(w, 1010).size(), 1u);
    EXPECT_EQ(AccountNames(), std::vector<std::string>{"A"});
    ExpectNoUnexpectedModals();
}

TEST_F(DocumentTest, SaveWithoutAccountDoesNothing) {
    CMainDlg& w = Open({});
    Fill(w, "", ""); // would give 147 if it were validated
    Click(w, IDOK);
    EXPECT_TRUE(Shown().empty());
    ExpectNoUnexpectedModals();
}

TEST_F(DocumentTest, LoadNamingADeletedAccountSays160AndStillLoads) {
    Craft c;
    c.account = "Gone";
    c.lists = {{141, {{"x", "/x", 1, 0}}}};
    WriteCrafted(c, PathOf("gone.sd"));
    CMainDlg& w = Open({"A", "B"});
    SelectListBoxRow(w, 1007, 1);
    modal::QueueFile(PathOf("gone.sd"));
    modal::QueueMessageBox(IDOK);
    Click(w, 1050);
    EXPECT_EQ(ShownBoxIds(), std::vector<UINT>{160});
    EXPECT_EQ(Rows(w, 1010), (Table{{"x", "Bin", "Get", "/x"}}));
    EXPECT_EQ(Text(w, 1000), "taro");
    EXPECT_EQ(Text(w, 1002), "work");
    EXPECT_EQ(ListBoxSelection(w, 1007), 0);
    ExpectNoUnexpectedModals();
}

TEST_F(DocumentTest, LoadSelectsTheFirstAccountBeginningWithTheNameInAnyCase) {
    for (const char* a : {"Zeta", "ABCD", "abc", "ＸＹＺ", "xyz"})
        AddAccount(Account(a));
    const std::vector<std::pair<std::string, int>> cases = {{"abc", 1}, {"ｘｙ", 3}};
    for (const auto& [stored, row] : cases) {
        SCOPED_TRACE(stored);
        modal::BeginScript();
        Craft c;
        c.account = stored;
        WriteCrafted(c, PathOf("acc.sd"));
        CMainDlg& w = OpenMainWindow();
        SelectListBoxRow(w, 1007, 4);
        modal::QueueFile(PathOf("acc.sd"));
        Click(w, 1050);
        EXPECT_TRUE(ShownBoxIds().empty());
        EXPECT_EQ(ListBoxSelection(w, 1007), row);
        ExpectNoUnexpectedModals();
        CloseMainWindow();
    }
}

TEST_F(DocumentTest, CancelInTheOpenDialogChangesNothing) {
    CMainDlg& w = Open();
    Fill(w, "yamada", "bbs");
    CompressAs(w, "z");
    Append(w, {"a", "/a"});
    SelectListBoxRow(w, 1007, 1);
    modal::QueueFileCancel();
    Click(w, 1050);
    ASSERT_EQ(modal::ShownOf(modal::Kind::FileOpen).size(), 1u);
    EXPECT_EQ(modal::ShownOf(modal::Kind::FileOpen)[0].filter, "Sendera (*.sd)|*.sd||");
    EXPECT_EQ(Text(w, 1002), "bbs");
    EXPECT_EQ(Text(w, 1004), "z");
    EXPECT_TRUE(Checked(w, 1027));
    EXPECT_EQ(Rows(w, 1010).size(), 1u);
    EXPECT_EQ(ListBoxSelection(w, 1007), 1);
    EXPECT_TRUE(ShownBoxIds().empty());
    ExpectNoUnexpectedModals();
}

TEST_F(DocumentTest, FailedLoadLeavesTheWindowClearedWithTheNameKept) {
    {
        QFile garbage(platform::ToQ(PathOf("garbage.sd")));
        ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
        garbage.write("\x01\x02 not a task file {");
    }
    struct Case {
        std::string label;
        std::function<void(Craft&)> spoil; // nullptr: no crafted file
        std::vector<UINT> messages;
    };
    const Case cases[] = {
        {"garbage", nullptr, {157}},
        {"missing", nullptr, {157}},
        {"three folder parts", [](Craft& c) { c.folder = "a\\b\\c"; }, {158}},
        {"two tasks", [](Craft& c) { c.tasks = 2; }, {158}},
        {"no task", [](Craft& c) { c.tasks = 0; }, {158}},
        {"no server", [](Craft& c) { c.server = false; }, {157}},
        {"other server kind", [](Craft& c) { c.serverType = 132; }, {158}},
        {"no account name", [](Craft& c) { c.account.reset(); }, {158}},
        {"no file list", [](Craft& c) { c.lists.clear(); }, {157}},
        {"no account and no file list",
         [](Craft& c) {
             c.lists.clear();
             c.account = "Nobody";
         },
         {160, 157}},
    };

    AddAccount(Account("A"));
    for (const Case& k : cases) {
        SCOPED_TRACE(k.label);
        modal::BeginScript();
        std::string path = PathOf(k.label == "garbage" ? "garbage.sd" : "absent.sd");
        if (k.spoil) {
            Craft c;
            k.spoil(c);
            path = PathOf("crafted.sd");
            WriteCrafted(c, path);
        }
        CMainDlg& w = OpenMainWindow();
        Fill(w, "hanako", "t");
        CompressAs(w, "arc");
        SetText(w, 1013, "/pub/x");
        Append(w, {"a", "/a"});
        modal::QueueFile(path);
        for (std::size_t i = 0; i < k.messages.size(); ++i)
            modal::QueueMessageBox(IDOK);
        Click(w, 1050);
        EXPECT_EQ(ShownBoxIds(), k.messages);
        ExpectCleared(w, "hanako");
        EXPECT_EQ(w.m_strName, "hanako");
        EXPECT_EQ(ListBoxSelection(w, 1007), 0);
        ExpectNoUnexpectedModals();
        CloseMainWindow();
    }
}

TEST_F(DocumentTest, LoadTakesUnknownCodesAsGetAndAutoAndKeepsTheFileOrder) {
    Craft c;
    c.folder = "taro"; // a name only: the title is emptied
    c.archiveMode = 123;
    c.lists = {{143, {{"x", "/x", 153, 0}, {"", "/empty", 2, 0}}},
               {142, {{"m", "/m/*", 1, 0}}},
               {141, {{"x", "/x2", 1, 0}}}};
    WriteCrafted(c, PathOf("codes.sd"));
    CMainDlg& w = Open({"A"});
    Fill(w, "hanako", "old title");
    modal::QueueFile(PathOf("codes.sd"));
    Click(w, 1050);
    EXPECT_TRUE(ShownBoxIds().empty());
    EXPECT_EQ(Text(w, 1000), "taro");
    EXPECT_EQ(Text(w, 1002), "");
    EXPECT_FALSE(Checked(w, 1027)) << "only 122 asks for an archive";
    EXPECT_EQ(Text(w, 1004), "");
    // Lists in file order; duplicate and empty save names are taken as they are.
    EXPECT_EQ(Rows(w, 1010), (Table{{"x", "Auto", "Get", "/x"},
                                    {"", "Text", "Get", "/empty"},
                                    {"m", "Bin", "Mget", "/m/*"},
                                    {"x", "Bin", "Get", "/x2"}}));
    ExpectNoUnexpectedModals();
}

TEST_F(DocumentTest, NewAsksAndOnOkClearsAllButTheName) {
    CMainDlg& w = Open();
    Fill(w, "yamada", "bbs");
    CompressAs(w, "z");
    SetText(w, 1013, "/pub/x");
    Append(w, {"a", "/a"});
    SelectListBoxRow(w, 1007, 1);
    w.UpdateData(TRUE);

    modal::QueueMessageBox(IDCANCEL);
    Click(w, 1051);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].id, 161u);
    EXPECT_EQ(Shown()[0].style, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(Text(w, 1002), "bbs");
    EXPECT_EQ(Rows(w, 1010).size(), 1u);
    EXPECT_EQ(ListBoxSelection(w, 1007), 1);

    // What is typed but not yet taken in is not the name New keeps.
    SetText(w, 1000, "typed");
    modal::QueueMessageBox(IDOK);
    Click(w, 1051);
    ExpectCleared(w, "yamada");
    EXPECT_EQ(ListBoxRows(w, 1007), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(ListBoxSelection(w, 1007), 0);
    ExpectNoUnexpectedModals();
}

TEST_F(DocumentTest, ExitAsksAndWritesBackTheNameShownInTheWindow) {
    AddAccount(Account("A"));
    CMainDlg dlg;
    dlg.m_strName = "old";
    theApp.m_pMainWnd = &dlg;
    modal::QueueDialog(102, [](CDialog& d) {
        auto& w = static_cast<CMainDlg&>(d);
        Append(w, {"a", "/a"});
        modal::QueueMessageBox(IDCANCEL);
        Click(w, IDCANCEL);
        EXPECT_TRUE(w.GetDialogWidget()->isVisible()) << "Cancel keeps the window open";
        EXPECT_EQ(Rows(w, 1010).size(), 1u);
        // Typed, never taken in by another command.
        SetText(w, 1000, "new name");
        modal::QueueMessageBox(IDOK);
        Click(w, IDCANCEL);
        EXPECT_FALSE(w.GetDialogWidget()->isVisible());
        EXPECT_TRUE(w.m_arrFiles.empty());
        EXPECT_TRUE(ListBoxRows(w, 1007).empty());
        return modal::kAsEnded;
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    theApp.m_pMainWnd = nullptr;
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{144, 144}));
    EXPECT_EQ(Shown()[1].style, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(dlg.m_strName, "new name");
    ExpectNoUnexpectedModals();
}

} // namespace

// A field the library refuses would be missing from the file: Save says so and writes
// nothing, not even the file dialog is shown.
static decltype(KorvexApi::KorvexSetDataValue) g_realSetDataValue = nullptr;

static int RefusePaths(KorvexHandle h, int item, int field, const char* text) {
    return field == KORVEX_FIELD_PATH ? 0 : g_realSetDataValue(h, item, field, text);
}

TEST_F(DocumentTest, SaveThatTheLibraryRefusesSays164AndWritesNothing) {
    {
        QFile keep(platform::ToQ(PathOf("keep.sd")));
        ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
        keep.write("precious");
    }
    CMainDlg& w = Open();
    Fill(w, "yamada", "bbs");
    Append(w, {"a", "/a"});
    g_realSetDataValue = std::exchange(theApp.m_api.KorvexSetDataValue, &RefusePaths);
    modal::BeginScript();
    modal::QueueMessageBox(IDOK);
    Click(w, IDOK);
    modal::QueueMessageBox(IDOK);
    w.SaveDocument(PathOf("keep.sd"));
    theApp.m_api.KorvexSetDataValue = g_realSetDataValue;
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_SAVE_FAILED, IDS_SAVE_FAILED}));
    EXPECT_TRUE(SaveDialogs().empty());
    QFile keep(platform::ToQ(PathOf("keep.sd")));
    ASSERT_TRUE(keep.open(QIODevice::ReadOnly));
    EXPECT_EQ(keep.readAll().toStdString(), "precious");
    ExpectNoUnexpectedModals();
}
