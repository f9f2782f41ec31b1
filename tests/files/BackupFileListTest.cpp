// The backup file list of the main window, driven through its widgets: the add edit and
// button, Enter, the entry dialog, Edit, Delete and Delete all.
#include "document/BackupFileEntry.h"
#include "document/SaveName.h"
#include "gui_support/GuiTest.h"
#include "res/Ids.h"

#include <QComboBox>

namespace modal = platform::modal;

namespace {

using Row = std::vector<std::string>;
using Table = std::vector<Row>;

// What the entry dialog showed when it opened.
struct EntryShown {
    std::string name, path;
    int mode = -9, method = -9;
    bool operator==(const EntryShown&) const = default;
};

constexpr int kLeave = -1; // leave the combo as it is

// What the user does in it.
struct EntryInput {
    std::optional<std::string> name = std::nullopt;
    std::optional<std::string> path = std::nullopt;
    int mode = kLeave;
    int method = kLeave;
    int button = IDOK;
};

class BackupFileListTest : public gui::GuiTest {
protected:
    static void Add(CMainDlg& w, const std::string& path) {
        SetText(w, IDC_ADD_PATH, path);
        Click(w, IDC_ADD_FILE);
    }
    static void Edit(CMainDlg& w, int row) {
        SelectRows(w, IDC_FILES, {row});
        Click(w, IDC_EDIT_FILE);
    }

    // The next entry dialog: records what it shows (its combos' items and the focus are
    // always the same), then does what `in` says. With `refusal`, the message box that
    // follows it is answered as well.
    void QueueEntry(EntryInput in, bool refusal = false) {
        modal::QueueDialog(IDD_SAVENAME, [this, in](CDialog& d) {
            m_seen.push_back({Text(d, IDC_SAVE_NAME), Text(d, IDC_FILE_PATH),
                              ComboSelection(d, IDC_MODE), ComboSelection(d, IDC_METHOD)});
            EXPECT_EQ(ComboRows(d, IDC_MODE), (Row{"Auto", "Binary", "Text"}));
            EXPECT_EQ(ComboRows(d, IDC_METHOD), (Row{"Get", "Mget"}));
            EXPECT_EQ(FocusId(d), IDC_SAVE_NAME);
            if (in.name)
                SetText(d, IDC_SAVE_NAME, *in.name);
            if (in.path)
                SetText(d, IDC_FILE_PATH, *in.path);
            for (auto [id, index] : {std::pair{IDC_MODE, in.mode}, {IDC_METHOD, in.method}})
                if (index != kLeave)
                    qobject_cast<QComboBox*>(Control(d, id))->setCurrentIndex(index);
            Click(d, in.button);
            return modal::kAsEnded;
        });
        if (refusal)
            modal::QueueMessageBox(IDOK);
    }

    // Row i shows entry i, column by column.
    static void ExpectInStep(CMainDlg& w) {
        const Table rows = Rows(w, IDC_FILES);
        ASSERT_EQ(rows.size(), w.m_arrFiles.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const CBackupFileEntry& e = *w.m_arrFiles[i];
            EXPECT_EQ(rows[i], (Row{e.m_strSaveName, std::string(document::ModeListText(e.m_nMode)),
                                    std::string(document::MethodText(e.m_nMethod)), e.m_strPath}))
                << "row " << i;
        }
    }
    static void ExpectBoxes(const std::vector<UINT>& ids, UINT style = MB_ICONEXCLAMATION) {
        EXPECT_EQ(ShownBoxIds(), ids);
        for (const auto& r : modal::ShownOf(modal::Kind::MessageBox))
            EXPECT_EQ(r.style, style) << r.id;
    }

    std::vector<EntryShown> m_seen;
};

// A new name is added without asking; a taken name or a folder path opens the entry dialog
// with the derived values, and each refusal reopens it as the user left it.
TEST_F(BackupFileListTest, AddingAsksForTakenOrMissingNamesAndRefusalsKeepTheInput) {
    CMainDlg& w = OpenMainWindow();
    Type(w, IDC_ADD_PATH, "/pub/a.txt");
    Click(w, IDC_ADD_FILE);
    modal::QueueMessageBox(IDOK);
    QueueEntry({.button = IDCANCEL});
    Click(w, IDC_ADD_FILE);
    EXPECT_EQ(Text(w, IDC_ADD_PATH), "/pub/a.txt") << "the add edit keeps its text";
    modal::QueueMessageBox(IDOK);
    QueueEntry({.name = "", .path = "/pub/index.html", .mode = 1}, true);
    QueueEntry({.name = "a.txt"}, true);
    QueueEntry({.name = "index.html", .method = 1});
    Add(w, "/pub/");
    ExpectBoxes({IDS_SAVE_NAME_INVALID, IDS_SAVE_NAME_INVALID, IDS_SAVE_NAME_REQUIRED,
                 IDS_SAVE_NAME_DUPLICATE});
    EXPECT_EQ(m_seen, (std::vector<EntryShown>{{"a.txt", "/pub/a.txt", 0, 0},
                                               {"", "/pub/", 0, 0},
                                               {"", "/pub/index.html", 1, 0},
                                               {"a.txt", "/pub/index.html", 1, 0}}));
    EXPECT_EQ(Rows(w, IDC_FILES), (Table{{"a.txt", "Auto", "Get", "/pub/a.txt"},
                                         {"index.html", "Bin", "Mget", "/pub/index.html"}}));
    ExpectInStep(w);
}

TEST_F(BackupFileListTest, PathLimitsCountBytesAndRefuseSilently) {
    CMainDlg& w = OpenMainWindow();
    const std::string at260 = "/pub/" + std::string(255, 'n');
    std::string jp;
    for (int i = 0; i < 86; ++i)
        jp += "あ";
    for (const std::string& path :
         {at260 + "x", std::string(), at260, "/" + jp + "b", "/" + jp + "bc"})
        Add(w, path);
    EXPECT_EQ(Rows(w, IDC_FILES), (Table{{std::string(255, 'n'), "Auto", "Get", at260},
                                         {jp + "b", "Auto", "Get", "/" + jp + "b"}}));
    EXPECT_TRUE(Shown().empty()) << "too long or empty: ignored without a message";
}

TEST_F(BackupFileListTest, EditKeepsItsOwnNameRefusesAnothersAndRewritesTheRow) {
    CMainDlg& w = OpenMainWindow();
    Add(w, "/a/one.txt");
    Add(w, "/logs/*.log"); // a wildcard is added as Get
    QueueEntry({});
    Edit(w, 1);
    QueueEntry({.name = "one.txt", .mode = 2}, true);
    QueueEntry({.name = ""}, true);
    QueueEntry({.button = IDCANCEL});
    Edit(w, 1);
    ExpectBoxes({IDS_SAVE_NAME_DUPLICATE, IDS_SAVE_NAME_REQUIRED});
    EXPECT_EQ(m_seen.back(), (EntryShown{"", "/logs/*.log", 2, 0}));
    QueueEntry({.name = "zwei.txt", .path = "/c/zwei.txt", .mode = 1, .method = 1});
    Edit(w, 1);
    QueueEntry({.mode = 2, .method = 0});
    Edit(w, 1);
    EXPECT_EQ(m_seen.back(), (EntryShown{"zwei.txt", "/c/zwei.txt", 1, 1}))
        << "the dialog opens with the entry's own values";
    EXPECT_EQ(Rows(w, IDC_FILES), (Table{{"one.txt", "Auto", "Get", "/a/one.txt"},
                                         {"zwei.txt", "Text", "Get", "/c/zwei.txt"}}));
    ExpectInStep(w);
}

// Without a selection Edit and Delete only say why; Delete and Delete all ask first, and
// freed names are free again.
TEST_F(BackupFileListTest, DeleteAsksAndKeepsEveryRowWithItsEntry) {
    CMainDlg& w = OpenMainWindow();
    Click(w, IDC_DELETE_ALL_FILES);
    EXPECT_TRUE(Shown().empty()) << "nothing to delete: no question";
    Add(w, "/d/1.txt");
    SelectRows(w, IDC_FILES, {});
    for (int id : {IDC_EDIT_FILE, IDC_DELETE_FILE}) {
        modal::QueueMessageBox(IDOK);
        Click(w, id);
    }
    ExpectBoxes({IDS_SELECT_FILE_TO_EDIT, IDS_SELECT_FILE_TO_DELETE});
    Add(w, "/d/2.txt");
    Add(w, "/d/3.txt");
    modal::BeginScript();
    for (int answer : {IDCANCEL, IDOK}) {
        SelectRows(w, IDC_FILES, {1});
        modal::QueueMessageBox(answer);
        Click(w, IDC_DELETE_FILE);
    }
    ExpectBoxes({IDS_CONFIRM_DELETE, IDS_CONFIRM_DELETE}, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(Rows(w, IDC_FILES),
              (Table{{"1.txt", "Auto", "Get", "/d/1.txt"}, {"3.txt", "Auto", "Get", "/d/3.txt"}}));
    ExpectInStep(w);
    EXPECT_EQ(w.m_listFiles.GetNextItem(-1, LVNI_SELECTED), -1) << "no row the user never chose";
    Add(w, "/e/2.txt");
    EXPECT_EQ(Rows(w, IDC_FILES).size(), 3u);
    SelectRows(w, IDC_FILES, {0});
    modal::BeginScript();
    for (int answer : {IDCANCEL, IDOK}) {
        modal::QueueMessageBox(answer);
        Click(w, IDC_DELETE_ALL_FILES);
        EXPECT_EQ(w.m_arrFiles.size(), answer == IDOK ? 0u : 3u);
    }
    ExpectBoxes({IDS_CONFIRM_DELETE_ALL, IDS_CONFIRM_DELETE_ALL}, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_TRUE(Rows(w, IDC_FILES).empty());
}

// Enter in the add edit adds, once, and never saves; in the browser's folder and mask edits
// it shows the folder (here: not connected yet). Elsewhere, and in the mask edit during the
// wizard, it still presses the default button (Save, which here asks for a name).
TEST_F(BackupFileListTest, EnterInTheAddEditAddsOnceAndNeverSaves) {
    AddAccount({.name = "A", .userId = "u"});
    CMainDlg& w = OpenMainWindow();
    Type(w, IDC_ADD_PATH, "/pub/a.txt");
    PressKey(w, IDC_ADD_PATH, Qt::Key_Return);
    EXPECT_EQ(Rows(w, IDC_FILES), (Table{{"a.txt", "Auto", "Get", "/pub/a.txt"}}));
    modal::QueueMessageBox(IDOK);
    QueueEntry({.button = IDCANCEL});
    PressKey(w, IDC_ADD_PATH, Qt::Key_Enter);
    EXPECT_EQ(m_seen.size(), 1u) << "one press, one dialog";
    for (int id : {IDC_TITLE, IDC_MASK}) {
        modal::QueueMessageBox(IDOK);
        PressKey(w, id, Qt::Key_Return);
    }
    Click(w, IDC_WIZARD);
    for (int id : {IDC_FOLDER, IDC_MASK}) {
        modal::QueueMessageBox(IDOK);
        PressKey(w, id, Qt::Key_Return);
    }
    ExpectBoxes({IDS_SAVE_NAME_INVALID, IDS_NAME_REQUIRED, IDS_NAME_REQUIRED, IDS_CONNECT_FIRST,
                 IDS_CONNECT_FIRST});
    EXPECT_EQ(Rows(w, IDC_FILES).size(), 1u);
}

// A failed exchange (a title over its limit) adds nothing.
TEST_F(BackupFileListTest, AFailedExchangeAddsNothing) {
    CMainDlg& w = OpenMainWindow();
    SetText(w, IDC_TITLE, std::string(261, 't'));
    modal::QueueMessageBox(IDOK);
    Add(w, "/b/two.txt");
    EXPECT_EQ(ShownBoxIds(), std::vector<UINT>{AFX_IDP_PARSE_STRING_SIZE});
    EXPECT_TRUE(Rows(w, IDC_FILES).empty());
}

// Save names taken from remote paths, and the test that keeps them unique, rule by rule
// where the window's tests do not reach.
TEST(DeriveSaveName, ScansBytesForTheLastFolderBeforeQueryOrFragment) {
    const char* const cases[][2] = {
        {"/cgi-bin/get.cgi?id=3/x", "get.cgi"},
        {"/a/b#frag/more?q", "b"},               // the first of "?" and "#" ends the name
        {"/pub/win\\name.txt", "win\\name.txt"}, // only "/" separates folders
        {"/検索.cgi?語=値/他#見出し", "検索.cgi"},
    };
    for (const auto& [path, expected] : cases) {
        std::string name = "<untouched>";
        EXPECT_TRUE(DeriveSaveName(path, name)) << path;
        EXPECT_EQ(name, expected) << path;
    }
}

TEST(SaveNames, AreComparedByteForByte) {
    std::vector<std::unique_ptr<CBackupFileEntry>> entries;
    for (const char* n : {"a.txt", "報告.txt"})
        entries.push_back(std::make_unique<CBackupFileEntry>("", n));
    EXPECT_TRUE(document::IsSaveNameTaken(entries, "報告.txt"));
    for (const char* other : {"A.TXT", "ａ.txt", "a.txt "})
        EXPECT_FALSE(document::IsSaveNameTaken(entries, other)) << other;
}

} // namespace
