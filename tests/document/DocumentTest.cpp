// Save, Load, New and Exit of the task document, through the main window and the real
// library. Saved files are read, and files to load are written, as the JSON they are.
#include "gui_support/GuiTest.h"

#include "res/Ids.h"
#include "res/Resources.h"

#include <QDir>
#include <QFileInfo>
#include <nlohmann/json.hpp>

#include <fstream>
#include <functional>

namespace modal = platform::modal;
using json = nlohmann::json;

namespace {

using Table = std::vector<std::vector<std::string>>;

// A file item and a file list item of a task file.
json File(const std::string& save, const std::string& path, int mode = 0) {
    json f = {{"kind", KORVEX_KIND_FILE}, {"fields", {{"1501", save}, {"1502", path}}}};
    if (mode != 0)
        f["fields"]["1403"] = mode;
    return f;
}
json List(int method, const std::vector<json>& files, std::optional<std::string> caption = {}) {
    json l = {{"kind", KORVEX_KIND_FILELIST}, {"fields", {{"1303", method}}}};
    l["children"] = files;
    if (caption)
        l["fields"]["1011"] = *caption;
    return l;
}

// The document of a sound task file for loading, made without the code under test; tests
// spoil it.
json Crafted(const std::string& account = "A",
             const std::vector<json>& lists = {List(KORVEX_LIST_GET, {File("a", "/a")})}) {
    json d = json::parse(R"({"kind": 1, "fields": {"1011": "x"}, "children": [{"kind": 2,
        "fields": {"1201": 121, "1202": "taro\\work", "1204": "arc"}, "children": [{"kind": 3,
        "fields": {"1301": 131}}]}]})");
    d["children"][0]["children"][0]["fields"]["1304"] = account;
    d["children"][0]["children"][0]["children"] = lists;
    return d;
}
json& Task(json& doc) {
    return doc["children"][0];
}
json& Server(json& doc) {
    return Task(doc)["children"][0];
}

gui::AccountValues Account(const std::string& name, const std::string& server = "h") {
    return {.name = name, .userId = "u", .server = server};
}

class DocumentTest : public gui::GuiTest {
protected:
    std::string PathOf(const std::string& name) const { return KorvexHome() + "/" + name; }
    // The document item of a saved file (null when there is no such file).
    json Saved(const std::string& name) const {
        std::ifstream in(PathOf(name));
        return in ? json::parse(in)["document"] : json();
    }
    void Write(const json& doc, const std::string& name) const {
        std::ofstream(PathOf(name))
            << json{{"format", "sendera-task"}, {"version", 1}, {"document", doc}}.dump();
    }

    // A fresh window for the next case of a loop, once the last case's modals are checked.
    CMainDlg& Fresh() {
        ExpectNoUnexpectedModals();
        modal::BeginScript();
        return OpenMainWindow();
    }
    // The main window with accounts A (A.example.net), B, ... in the store.
    CMainDlg& Open(const std::vector<std::string>& accounts = {"A", "B"}) {
        for (const std::string& a : accounts)
            AddAccount(Account(a, a + ".example.net"));
        return OpenMainWindow();
    }
    static void Fill(CMainDlg& w, const std::string& name, const std::string& title) {
        SetText(w, IDC_NAME, name);
        SetText(w, IDC_TITLE, title);
    }
    // Mode 0 Auto, 1 Bin, 2 Text; method 0 Get, 1 Mget.
    static void Append(CMainDlg& w, const char* save, const char* path, int mode = 0,
                       int method = 0) {
        w.AppendBackupFile(std::make_unique<CBackupFileEntry>(path, save, mode, method));
    }
    static void CompressAs(CMainDlg& w, const std::string& archive) {
        if (!Checked(w, IDC_COMPRESS))
            Click(w, IDC_COMPRESS);
        SetText(w, IDC_ARCHIVE_NAME, archive);
    }
    // Save (IDOK) or Load with the file dialog answered `name`, then `boxes` boxes with OK.
    void Pick(CMainDlg& w, int button, const std::string& name, int boxes = 0) const {
        modal::QueueFile(PathOf(name));
        for (int i = 0; i < boxes; ++i)
            modal::QueueMessageBox(IDOK);
        Click(w, button);
    }
    static std::vector<modal::Record> SaveDialogs() {
        return modal::ShownOf(modal::Kind::FileSave);
    }
    // The window as a cleared document leaves it.
    static void ExpectCleared(CMainDlg& w, const std::string& name) {
        EXPECT_EQ(Text(w, IDC_NAME), name);
        for (int id : {IDC_TITLE, IDC_ARCHIVE_NAME, IDC_ADD_PATH})
            EXPECT_EQ(Text(w, id), "") << id;
        EXPECT_FALSE(Checked(w, IDC_COMPRESS) || Enabled(w, IDC_ARCHIVE_NAME));
        EXPECT_TRUE(Rows(w, IDC_FILES).empty() && w.m_arrFiles.empty());
    }
};

// Save writes the whole tree the window shows: Get entries in one list and Mget entries in
// another (no list without entries), no mode for Auto, an archive only when packing.
// Without a title no file name is proposed and the folder is the name alone. The next save
// rebuilds the document from the window, and a fresh window loads it back, Get entries
// first; Cancel loads nothing. File dialogs open in the home folder, then where the last
// one was left.
TEST_F(DocumentTest, SaveWritesTheWholeTreeAndLoadsItBack) {
    CMainDlg& w = Open();
    Fill(w, "yamada", "");
    SetText(w, IDC_ARCHIVE_NAME, "never/tested"); // compression off: neither tested nor written
    SelectListBoxRow(w, IDC_ACCOUNTS, 1);
    Append(w, "b.bin", "/pub/b.bin", 1, 0);
    Append(w, "a.dat", "/pub/a.dat", 0, 0);
    Pick(w, IDOK, "out"); // typed without extension
    ASSERT_EQ(SaveDialogs().size(), 1u);
    EXPECT_EQ(SaveDialogs()[0].text, "");
    EXPECT_EQ(SaveDialogs()[0].filter, Str(IDS_FILE_FILTER)); // its style: the validation test
    json expected = json::parse(R"({"kind": 1, "fields": {"1011": "yamada - ", "1101": 111,
        "1701": "yamada"}, "children": [{"kind": 2, "fields": {"1201": 121, "1202": "yamada",
        "1203": 1}, "children": [{"kind": 3, "fields": {"1301": 131, "1302": "B.example.net",
        "1304": "B"}}]}]})");
    expected["fields"]["1702"] = Str(IDS_DOCUMENT_COMMENT);
    Task(expected)["fields"]["1011"] = Str(IDS_TASK_CAPTION);
    Server(expected)["fields"]["1011"] = Str(IDS_SERVER_CAPTION);
    json& lists = Server(expected)["children"] = json::array(
        {List(KORVEX_LIST_GET,
              {File("b.bin", "/pub/b.bin", KORVEX_MODE_BIN), File("a.dat", "/pub/a.dat")},
              Str(IDS_GET_LIST_CAPTION))});
    EXPECT_EQ(Saved("out.sd"), expected);

    Append(w, "*.log", "/m/*.log", 2, 1);
    Append(w, "c.txt", "/pub/c.txt", 0, 0);
    lists[0]["children"].push_back(File("c.txt", "/pub/c.txt"));
    lists.push_back(List(KORVEX_LIST_MGET, {File("*.log", "/m/*.log", KORVEX_MODE_TEXT)},
                         Str(IDS_MGET_LIST_CAPTION)));
    Fill(w, "yamada", "bbs");
    CompressAs(w, "pack");
    SelectListBoxRow(w, IDC_ACCOUNTS, 0);
    Pick(w, IDOK, "again.sd");
    EXPECT_EQ(SaveDialogs().at(1).text, "yamada - bbs");
    EXPECT_EQ(SaveDialogs()[0].folder, QDir::homePath().toStdString());
    EXPECT_EQ(SaveDialogs()[1].folder,
              QFileInfo(QString::fromStdString(PathOf("out"))).absolutePath().toStdString());
    expected["fields"]["1011"] = "yamada - bbs";
    Task(expected)["fields"].update(
        {{"1201", KORVEX_ARCHIVE_ONE}, {"1202", "yamada\\bbs"}, {"1204", "pack"}});
    Server(expected)["fields"].update({{"1302", "A.example.net"}, {"1304", "A"}});
    EXPECT_EQ(Saved("again.sd"), expected);

    CMainDlg& w2 = Open({});
    Append(w2, "stale", "/stale");
    modal::QueueFileCancel();
    Click(w2, IDC_LOAD);
    EXPECT_EQ(Rows(w2, IDC_FILES), (Table{{"stale", "Auto", "Get", "/stale"}}));
    Pick(w2, IDC_LOAD, "again.sd");
    EXPECT_EQ(Rows(w2, IDC_FILES), (Table{{"b.bin", "Bin", "Get", "/pub/b.bin"},
                                          {"a.dat", "Auto", "Get", "/pub/a.dat"},
                                          {"c.txt", "Auto", "Get", "/pub/c.txt"},
                                          {"*.log", "Text", "Mget", "/m/*.log"}}));
    EXPECT_EQ(Text(w2, IDC_NAME) + "|" + Text(w2, IDC_TITLE) + "|" + Text(w2, IDC_ARCHIVE_NAME),
              "yamada|bbs|pack");
    EXPECT_TRUE(Checked(w2, IDC_COMPRESS) && Enabled(w2, IDC_ARCHIVE_NAME));
}

TEST_F(DocumentTest, ProposedNameIsCutToFitAtACharacterBoundary) {
    CMainDlg& w = Open();
    std::string title;
    for (int i = 0; i < 84; ++i)
        title += "表"; // 252 bytes; with "yamada - " the display name has 261
    Fill(w, "yamada", title);
    Append(w, "a", "/a");
    modal::QueueFileCancel();
    Click(w, IDOK);
    ASSERT_EQ(Shown().size(), 1u) << "cancel writes nothing and says nothing";
    const std::string proposed = Shown()[0].text;
    EXPECT_TRUE(proposed.size() <= 259u && proposed.size() >= 257u) << proposed.size();
    EXPECT_EQ(proposed, ("yamada - " + title).substr(0, proposed.size()));
}

TEST_F(DocumentTest, ValidationRunsInOrderAndRefusesOnlyUnsuitableCharacters) {
    struct Case {
        std::string name, title;
        bool compress;
        std::string archive;
        bool files;
        UINT message; // 0: accepted (the Save As dialog opens)
    };
    const UINT kBad = IDS_BAD_CHARACTERS;
    const Case cases[] = {
        {"", "a:b", false, "", false, IDS_NAME_REQUIRED},
        {"y", "a:b", false, "", false, IDS_NOTHING_TO_SAVE},
        {"a:b", "", true, "", true, IDS_ARCHIVE_NAME_REQUIRED},
        {"y", "", true, "x/y", true, kBad},
        {"y", "", true, "x..y", true, kBad},
        {"y", "", true, "x.y", true, 0},
        {"a:b", "", false, "", true, kBad},
        {"y", "a..b", false, "", true, kBad},
        {"表示ソフト", "ソース*表", false, "", true, 0},
    };
    AddAccount(Account("A"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " | " + c.title + " | " + c.archive);
        CMainDlg& w = Fresh();
        Fill(w, c.name, c.title);
        if (c.compress)
            CompressAs(w, c.archive);
        if (c.files)
            Append(w, "a", "/a");
        if (c.message == 0)
            modal::QueueFileCancel();
        else
            modal::QueueMessageBox(IDOK);
        Click(w, IDOK);
        ASSERT_EQ(Shown().size(), 1u);
        EXPECT_EQ(Shown()[0].id, c.message) << "no box: the Save As dialog";
        EXPECT_EQ(Shown()[0].style,
                  c.message ? MB_ICONEXCLAMATION : OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    }
}

TEST_F(DocumentTest, SaveWithoutAStoredAccountAtTheSelectedRowDoesNothing) {
    CMainDlg& w = Open({"A"});
    Fill(w, "yamada", "bbs");
    Append(w, "a", "/a");
    w.m_listAccounts.AddString("Ghost");
    SelectListBoxRow(w, IDC_ACCOUNTS, 1);
    Click(w, IDOK);
    EXPECT_TRUE(Shown().empty()) << "neither a message nor the Save As dialog";
}

// The first account beginning with the stored name in any case is selected; a name no
// account has says so, selects row 0 and still loads. Unknown method and mode codes load as
// Get and Auto, the lists keep the file order, duplicate and empty save names are taken as
// they are, a folder of one part is a name without title, and only KORVEX_ARCHIVE_ONE asks
// for an archive.
TEST_F(DocumentTest, LoadSelectsTheAccountAndTakesTheFileAsItIs) {
    for (const char* a : {"ABCD", "Zeta", "abc", "ＸＹＺ", "xyz"})
        AddAccount(Account(a));
    json d = Crafted("", {List(143, {File("x", "/x", 153), File("", "/empty", KORVEX_MODE_TEXT)}),
                          List(KORVEX_LIST_MGET, {File("m", "/m/*", KORVEX_MODE_BIN)}),
                          List(KORVEX_LIST_GET, {File("x", "/x2", KORVEX_MODE_BIN)})});
    Task(d)["fields"]["1202"] = "taro";
    Task(d)["fields"]["1201"] = 123;
    for (const auto& [stored, row] : {std::pair{"abc", 0}, {"ｘｙ", 3}, {"Gone", 0}}) {
        SCOPED_TRACE(stored);
        Server(d)["fields"]["1304"] = stored;
        Write(d, "acc.sd");
        CMainDlg& w = Fresh();
        Fill(w, "hanako", "old title");
        SelectListBoxRow(w, IDC_ACCOUNTS, 4);
        const bool gone = std::string(stored) == "Gone";
        Pick(w, IDC_LOAD, "acc.sd", gone ? 1 : 0);
        EXPECT_EQ(ShownBoxIds(),
                  gone ? std::vector<UINT>{IDS_ACCOUNT_MISSING} : std::vector<UINT>{});
        EXPECT_EQ(ListBoxSelection(w, IDC_ACCOUNTS), row);
        EXPECT_EQ(Rows(w, IDC_FILES), (Table{{"x", "Auto", "Get", "/x"},
                                             {"", "Text", "Get", "/empty"},
                                             {"m", "Bin", "Mget", "/m/*"},
                                             {"x", "Bin", "Get", "/x2"}}));
        EXPECT_EQ(Text(w, IDC_NAME) + "|" + Text(w, IDC_TITLE), "taro|");
        EXPECT_FALSE(Checked(w, IDC_COMPRESS));
    }
}

TEST_F(DocumentTest, FailedLoadLeavesTheWindowClearedWithTheNameKept) {
    std::ofstream(PathOf("garbage.sd")) << "\x01\x02 not a task file {";
    struct Case {
        std::string label;
        std::function<void(json&)> spoil; // nullptr: no crafted file
        std::vector<UINT> messages;
    };
    const UINT kLoad = IDS_LOAD_FAILED, kNotTask = IDS_NOT_A_TASK_FILE;
    const Case cases[] = {
        {"garbage", nullptr, {kLoad}},
        {"three folder parts", [](json& d) { Task(d)["fields"]["1202"] = "a\\b\\c"; }, {kNotTask}},
        {"two tasks", [](json& d) { d["children"].push_back(Task(d)); }, {kNotTask}},
        {"no server", [](json& d) { Task(d).erase("children"); }, {kLoad}},
        {"no account name", [](json& d) { Server(d)["fields"].erase("1304"); }, {kNotTask}},
        {"no file list", [](json& d) { Server(d).erase("children"); }, {kLoad}},
        {"no account and no file list",
         [](json& d) {
             Server(d).erase("children");
             Server(d)["fields"]["1304"] = "Nobody";
         },
         {IDS_ACCOUNT_MISSING, kLoad}},
    };
    AddAccount(Account("A"));
    for (const Case& k : cases) {
        SCOPED_TRACE(k.label);
        std::string file = "garbage.sd";
        if (k.spoil) {
            json d = Crafted();
            k.spoil(d);
            Write(d, file = "crafted.sd");
        }
        CMainDlg& w = Fresh();
        Fill(w, "hanako", "t");
        CompressAs(w, "arc");
        SetText(w, IDC_ADD_PATH, "/pub/x");
        Append(w, "a", "/a");
        Pick(w, IDC_LOAD, file, static_cast<int>(k.messages.size()));
        EXPECT_EQ(ShownBoxIds(), k.messages);
        ExpectCleared(w, "hanako");
        EXPECT_EQ(ListBoxSelection(w, IDC_ACCOUNTS), 0);
    }
}

TEST_F(DocumentTest, TheLargestFileTheFormatAllowsLoadsWhole) {
    constexpr int kFiles = 100000 - 5; // all items but the document, task, server, lists
    // Written as text: a JSON value per file would take most of the test's time.
    std::string lists[2];
    for (int i = 0; i < kFiles; ++i) {
        const std::string n = std::to_string(i);
        lists[i % 2] += (i < 2 ? "" : ",") + File(n, "/d/" + n).dump();
    }
    std::string text =
        json{{"format", "sendera-task"},
             {"version", 1},
             {"document",
              Crafted("A", {List(KORVEX_LIST_GET, {"GET"}), List(KORVEX_LIST_MGET, {"MGET"})})}}
            .dump();
    text.replace(text.find("\"GET\""), 5, lists[0]);
    text.replace(text.find("\"MGET\""), 6, lists[1]);
    std::ofstream(PathOf("big.sd")) << text;
    const std::size_t gets = (kFiles + 1) / 2;
    CMainDlg& w = Open({"A"});
    Pick(w, IDC_LOAD, "big.sd");
    EXPECT_TRUE(ShownBoxIds().empty());
    const Table rows = Rows(w, IDC_FILES);
    ASSERT_EQ(rows.size(), std::size_t(kFiles));
    ASSERT_EQ(w.m_arrFiles.size(), rows.size());
    for (std::size_t i : {std::size_t(0), gets - 1, gets, rows.size() - 1}) {
        const std::string n = std::to_string(i < gets ? 2 * i : 2 * (i - gets) + 1);
        EXPECT_EQ(rows[i],
                  (std::vector<std::string>{n, "Auto", i < gets ? "Get" : "Mget", "/d/" + n}));
        EXPECT_EQ(w.m_arrFiles[i]->m_strPath, "/d/" + n);
    }
}

TEST_F(DocumentTest, NewAsksAndOnOkClearsAllButTheName) {
    CMainDlg& w = Open();
    Fill(w, "yamada", "bbs");
    CompressAs(w, "z");
    SetText(w, IDC_ADD_PATH, "/pub/x");
    Append(w, "a", "/a");
    SelectListBoxRow(w, IDC_ACCOUNTS, 1);
    w.UpdateData(TRUE);

    modal::QueueMessageBox(IDCANCEL);
    Click(w, IDC_NEW);
    ASSERT_EQ(ShownBoxIds(), std::vector<UINT>{IDS_CONFIRM_NEW});
    EXPECT_EQ(Shown()[0].style, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(Rows(w, IDC_FILES).size(), 1u);

    // What is typed but not yet taken in is not the name New keeps.
    SetText(w, IDC_NAME, "typed");
    modal::QueueMessageBox(IDOK);
    Click(w, IDC_NEW);
    ExpectCleared(w, "yamada");
    EXPECT_EQ(ListBoxSelection(w, IDC_ACCOUNTS), 0);
}

TEST_F(DocumentTest, ExitAsksAndWritesBackTheNameShownInTheWindow) {
    CMainDlg dlg;
    dlg.m_strName = "old";
    theApp.m_pMainWnd = &dlg;
    modal::QueueDialog(IDD_MAIN, [](CDialog& d) {
        auto& w = static_cast<CMainDlg&>(d);
        Append(w, "a", "/a");
        modal::QueueMessageBox(IDCANCEL);
        Click(w, IDCANCEL);
        EXPECT_TRUE(w.GetDialogWidget()->isVisible()) << "Cancel keeps the window open";
        EXPECT_EQ(Rows(w, IDC_FILES).size(), 1u);
        SetText(w, IDC_NAME, "new name"); // typed, never taken in by another command
        modal::QueueMessageBox(IDOK);
        Click(w, IDCANCEL);
        EXPECT_FALSE(w.GetDialogWidget()->isVisible());
        return modal::kAsEnded;
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    theApp.m_pMainWnd = nullptr;
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{IDS_CONFIRM_EXIT, IDS_CONFIRM_EXIT}));
    EXPECT_EQ(Shown()[1].style, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(dlg.m_strName, "new name");
}

} // namespace

static decltype(KorvexApi::KorvexSetDataValue) g_realSetDataValue = nullptr;

static int RefusePaths(KorvexHandle h, int item, int field, const char* text) {
    return field == KORVEX_FIELD_PATH ? 0 : g_realSetDataValue(h, item, field, text);
}

// An unwritable path, and a field the library refuses (which would be missing from the file),
// say so and keep what is there; a refusal shows not even the file dialog. The window keeps
// the document, and a given writable path then saves it without asking.
TEST_F(DocumentTest, SaveThatCannotBeWrittenSays164AndKeepsWhatIsThere) {
    std::ofstream(PathOf("keep.sd")) << "precious";
    CMainDlg& w = Open();
    Fill(w, "yamada", "bbs");
    Append(w, "a", "/a");
    Pick(w, IDOK, "keep.sd/inside.sd", 1);
    g_realSetDataValue = std::exchange(theApp.m_api.KorvexSetDataValue, &RefusePaths);
    modal::QueueMessageBox(IDOK);
    Click(w, IDOK);
    modal::QueueMessageBox(IDOK);
    w.SaveDocument(PathOf("keep.sd"));
    theApp.m_api.KorvexSetDataValue = g_realSetDataValue;
    EXPECT_EQ(ShownBoxIds(), std::vector<UINT>(3, IDS_SAVE_FAILED));
    EXPECT_EQ(Shown().back().style, MB_ICONEXCLAMATION);
    EXPECT_EQ(SaveDialogs().size(), 1u);
    std::ifstream kept(PathOf("keep.sd"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "precious");
    modal::BeginScript();
    w.SaveDocument(PathOf("keep.sd"));
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(Saved("keep.sd")["fields"]["1011"], "yamada - bbs");
}
