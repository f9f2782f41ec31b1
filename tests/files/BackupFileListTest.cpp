// The backup file list of the main window, driven through its widgets: the add edit and
// button, Enter, the entry dialog, Edit, Delete and Delete all.
#include "document/BackupFileEntry.h"
#include "gui_support/GuiTest.h"

#include <QComboBox>

#include <algorithm>
#include <optional>

namespace modal = platform::modal;

namespace {

using Row = std::vector<std::string>;
using Rows_ = std::vector<Row>;

// A main window whose Save only counts, to see whether Enter pressed it.
class ProbeMainDlg : public CMainDlg {
public:
    int saves = 0;

protected:
    void OnOK() override { ++saves; }
};

// What the entry dialog showed when it opened.
struct EntryShown {
    std::string name, path;
    int mode = -9, method = -9;
    bool operator==(const EntryShown&) const = default;
};
std::ostream& operator<<(std::ostream& os, const EntryShown& e) {
    return os << "{" << e.name << ", " << e.path << ", " << e.mode << ", " << e.method << "}";
}

inline constexpr int kLeave = -1; // leave the combo as it is
inline constexpr int kNone = -2;  // no item selected at all

// What the user does in it.
struct EntryInput {
    std::optional<std::string> name = std::nullopt;
    std::optional<std::string> path = std::nullopt;
    int mode = kLeave;
    int method = kLeave;
    int button = IDOK;
};

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

class BackupFileListTest : public gui::GuiTest {
protected:
    void TearDown() override {
        if (m_probe) {
            if (theApp.m_pMainWnd == m_probe.get())
                theApp.m_pMainWnd = nullptr;
            m_probe.reset();
            ProcessEvents();
        }
        gui::GuiTest::TearDown();
    }

    ProbeMainDlg& OpenProbeWindow() {
        m_probe = std::make_unique<ProbeMainDlg>();
        m_probe->m_strName = "yamada";
        theApp.m_pMainWnd = m_probe.get();
        m_probe->Create(102);
        ProcessEvents();
        return *m_probe;
    }

    void Add(CMainDlg& w, const std::string& path) {
        SetText(w, 1013, path);
        Click(w, 1011);
    }

    // The next entry dialog: records what it shows, then does what `in` says.
    void QueueEntry(EntryInput in) {
        modal::QueueDialog(158, [this, in](CDialog& d) {
            m_seen.push_back(
                {Text(d, 1015), Text(d, 1027), ComboSelection(d, 1044), ComboSelection(d, 1045)});
            if (in.name)
                SetText(d, 1015, *in.name);
            if (in.path)
                SetText(d, 1027, *in.path);
            if (in.mode != kLeave)
                qobject_cast<QComboBox*>(Control(d, 1044))->setCurrentIndex(std::max(in.mode, -1));
            if (in.method != kLeave)
                qobject_cast<QComboBox*>(Control(d, 1045))
                    ->setCurrentIndex(std::max(in.method, -1));
            Click(d, in.button);
            return modal::kAsEnded;
        });
    }

    // Row i shows entry i, column by column.
    static void ExpectInStep(CMainDlg& w) {
        const Rows_ rows = Rows(w, 1010);
        ASSERT_EQ(rows.size(), w.m_arrFiles.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const CBackupFileEntry& e = *w.m_arrFiles[i];
            EXPECT_EQ(rows[i], (Row{e.m_strSaveName, std::string(document::ModeListText(e.m_nMode)),
                                    std::string(document::MethodText(e.m_nMethod)), e.m_strPath}))
                << "row " << i;
        }
    }

    static void ExpectBoxes(const std::vector<UINT>& ids, UINT style) {
        EXPECT_EQ(ShownBoxIds(), ids);
        for (const auto& r : Shown()) {
            if (r.kind == modal::Kind::MessageBox) {
                EXPECT_EQ(r.style, style) << r.id;
            }
        }
    }

    static void ExpectAllAnswered() {
        ExpectNoUnexpectedModals();
        EXPECT_EQ(modal::Pending(), 0u) << "a scripted answer was not asked for";
    }

    static void ResetShown() { modal::BeginScript(); }

    std::vector<EntryShown> m_seen;
    std::unique_ptr<ProbeMainDlg> m_probe;
};

TEST_F(BackupFileListTest, AddingTheSamePathTwiceAsksWithTheDerivedValues) {
    CMainDlg& w = OpenMainWindow();
    Type(w, 1013, "/pub/a.txt");
    Click(w, 1011);
    EXPECT_EQ(Rows(w, 1010), (Rows_{{"a.txt", "Auto", "Get", "/pub/a.txt"}}));
    EXPECT_TRUE(Shown().empty()) << "a new name is added without asking";

    modal::QueueMessageBox(IDOK);
    QueueEntry({.button = IDCANCEL});
    Click(w, 1011);
    ExpectBoxes({127}, MB_ICONEXCLAMATION);
    ASSERT_EQ(m_seen.size(), 1u);
    EXPECT_EQ(m_seen[0], (EntryShown{"a.txt", "/pub/a.txt", 0, 0}));
    EXPECT_EQ(Rows(w, 1010).size(), 1u) << "Cancel adds nothing";
    EXPECT_EQ(Text(w, 1013), "/pub/a.txt") << "the add edit keeps its text";

    modal::QueueMessageBox(IDOK);
    QueueEntry({.name = "a2.txt", .mode = 2, .method = 1});
    Click(w, 1011);
    EXPECT_EQ(Rows(w, 1010), (Rows_{{"a.txt", "Auto", "Get", "/pub/a.txt"},
                                    {"a2.txt", "Text", "Mget", "/pub/a.txt"}}));
    ExpectInStep(w);
    ExpectAllAnswered();
}

TEST_F(BackupFileListTest, FolderPathAsksForANameAndRefusalsKeepTheInput) {
    CMainDlg& w = OpenMainWindow();
    Add(w, "/x/a.txt");
    modal::QueueMessageBox(IDOK); // 127
    QueueEntry({.name = "", .path = "/pub/index.html", .mode = 1});
    modal::QueueMessageBox(IDOK); // 128
    QueueEntry({.name = "a.txt"});
    modal::QueueMessageBox(IDOK); // 129
    QueueEntry({.name = "index.html"});
    Add(w, "/pub/");

    ExpectBoxes({127, 128, 129}, MB_ICONEXCLAMATION);
    ASSERT_EQ(m_seen.size(), 3u);
    EXPECT_EQ(m_seen[0], (EntryShown{"", "/pub/", 0, 0}));
    EXPECT_EQ(m_seen[1], (EntryShown{"", "/pub/index.html", 1, 0}))
        << "reopened as the user left it";
    EXPECT_EQ(m_seen[2], (EntryShown{"a.txt", "/pub/index.html", 1, 0}));
    EXPECT_EQ(Rows(w, 1010), (Rows_{{"a.txt", "Auto", "Get", "/x/a.txt"},
                                    {"index.html", "Bin", "Get", "/pub/index.html"}}));
    ExpectInStep(w);
    ExpectAllAnswered();
}

TEST_F(BackupFileListTest, CancelDuringAddAndEditChangesNothing) {
    CMainDlg& w = OpenMainWindow();
    modal::QueueMessageBox(IDOK); // 127
    QueueEntry({.name = ""});
    modal::QueueMessageBox(IDOK); // 128
    QueueEntry({.name = "typed.txt", .button = IDCANCEL});
    Add(w, "/pub/");
    EXPECT_TRUE(Rows(w, 1010).empty());
    EXPECT_TRUE(w.m_arrFiles.empty());

    Add(w, "/pub/keep.txt");
    SelectRows(w, 1010, {0});
    QueueEntry({.name = "other.txt", .path = "/o", .mode = 2, .method = 1, .button = IDCANCEL});
    Click(w, 1015);
    EXPECT_EQ(Rows(w, 1010), (Rows_{{"keep.txt", "Auto", "Get", "/pub/keep.txt"}}));
    ExpectInStep(w);
    ExpectBoxes({127, 128}, MB_ICONEXCLAMATION);
    ExpectAllAnswered();
}

TEST_F(BackupFileListTest, PathLimitsCountBytesAndRefuseSilently) {
    CMainDlg& w = OpenMainWindow();
    const std::string at260 = "/pub/" + std::string(255, 'n');
    ASSERT_EQ(at260.size(), 260u);
    Add(w, at260 + "x");
    Add(w, "");
    EXPECT_TRUE(Rows(w, 1010).empty());
    EXPECT_TRUE(Shown().empty()) << "too long or empty: ignored without a message";
    Add(w, at260);
    EXPECT_EQ(Rows(w, 1010), (Rows_{{std::string(255, 'n'), "Auto", "Get", at260}}));

    // Multibyte: 87 characters are already 261 bytes.
    SetText(w, 1013, "");
    Type(w, 1013, "/公開/データ/報告書.txt");
    Click(w, 1011);
    const std::string jp260 = "/" + Repeat("あ", 86) + "b";
    ASSERT_EQ(jp260.size(), 260u);
    Add(w, jp260);
    Add(w, jp260 + "c");
    EXPECT_EQ(Rows(w, 1010), (Rows_{{std::string(255, 'n'), "Auto", "Get", at260},
                                    {"報告書.txt", "Auto", "Get", "/公開/データ/報告書.txt"},
                                    {Repeat("あ", 86) + "b", "Auto", "Get", jp260}}));
    EXPECT_TRUE(Shown().empty());
    ExpectInStep(w);
    ExpectAllAnswered();
}

TEST_F(BackupFileListTest, WildcardsAreAddedAsGetAndMgetIsSetThroughEdit) {
    CMainDlg& w = OpenMainWindow();
    Add(w, "/logs/*.log");
    EXPECT_EQ(Rows(w, 1010), (Rows_{{"*.log", "Auto", "Get", "/logs/*.log"}}));
    SelectRows(w, 1010, {0});
    QueueEntry({.method = 1});
    Click(w, 1015);
    ASSERT_EQ(m_seen.size(), 1u);
    EXPECT_EQ(m_seen[0], (EntryShown{"*.log", "/logs/*.log", 0, 0}));
    EXPECT_EQ(Rows(w, 1010), (Rows_{{"*.log", "Auto", "Mget", "/logs/*.log"}}));
    EXPECT_EQ(Shown().size(), 1u) << "only the dialog";
    ExpectAllAnswered();
}

TEST_F(BackupFileListTest, EditKeepsItsOwnNameRefusesAnothersAndRewritesTheRow) {
    CMainDlg& w = OpenMainWindow();
    Add(w, "/a/one.txt");
    Add(w, "/b/two.txt");

    SelectRows(w, 1010, {1});
    QueueEntry({});
    Click(w, 1015);
    EXPECT_TRUE(ShownBoxIds().empty()) << "its own name is no duplicate";
    EXPECT_EQ(Rows(w, 1010)[1], (Row{"two.txt", "Auto", "Get", "/b/two.txt"}));

    QueueEntry({.name = "one.txt", .mode = 2});
    modal::QueueMessageBox(IDOK); // 129
    QueueEntry({.name = ""});
    modal::QueueMessageBox(IDOK); // 128
    QueueEntry({.button = IDCANCEL});
    Click(w, 1015);
    ExpectBoxes({129, 128}, MB_ICONEXCLAMATION);
    ASSERT_EQ(m_seen.size(), 4u);
    EXPECT_EQ(m_seen[2], (EntryShown{"one.txt", "/b/two.txt", 2, 0}));
    EXPECT_EQ(m_seen[3], (EntryShown{"", "/b/two.txt", 2, 0}));
    EXPECT_EQ(Rows(w, 1010)[1], (Row{"two.txt", "Auto", "Get", "/b/two.txt"}));

    QueueEntry({.name = "zwei.txt", .path = "/c/zwei.txt", .mode = 1, .method = 1});
    Click(w, 1015);
    EXPECT_EQ(Rows(w, 1010), (Rows_{{"one.txt", "Auto", "Get", "/a/one.txt"},
                                    {"zwei.txt", "Bin", "Mget", "/c/zwei.txt"}}));
    QueueEntry({.mode = 2, .method = 0});
    Click(w, 1015);
    EXPECT_EQ(m_seen.back(), (EntryShown{"zwei.txt", "/c/zwei.txt", 1, 1}))
        << "the dialog opens with the entry's own values";
    EXPECT_EQ(Rows(w, 1010)[1], (Row{"zwei.txt", "Text", "Get", "/c/zwei.txt"}));
    ExpectInStep(w);
    ExpectAllAnswered();
}

TEST_F(BackupFileListTest, EditAndDeleteWithoutSelectionOnlySayWhy) {
    CMainDlg& w = OpenMainWindow();
    modal::QueueMessageBox(IDOK);
    Click(w, 1015);
    modal::QueueMessageBox(IDOK);
    Click(w, 1016);
    Add(w, "/a/one.txt");
    SelectRows(w, 1010, {});
    modal::QueueMessageBox(IDOK);
    Click(w, 1015);
    modal::QueueMessageBox(IDOK);
    Click(w, 1016);
    ExpectBoxes({130, 132, 130, 132}, MB_ICONEXCLAMATION);
    EXPECT_EQ(Rows(w, 1010).size(), 1u);
    ExpectAllAnswered();
}

TEST_F(BackupFileListTest, DeletingTheMiddleRowKeepsEveryRowWithItsEntry) {
    CMainDlg& w = OpenMainWindow();
    Add(w, "/d/1.txt");
    Add(w, "/d/2.txt");
    Add(w, "/d/3.txt");
    SelectRows(w, 1010, {1});
    modal::QueueMessageBox(IDCANCEL);
    Click(w, 1016);
    ExpectBoxes({131}, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(Rows(w, 1010).size(), 3u) << "Cancel deletes nothing";

    SelectRows(w, 1010, {1});
    modal::QueueMessageBox(IDOK);
    Click(w, 1016);
    EXPECT_EQ(Rows(w, 1010),
              (Rows_{{"1.txt", "Auto", "Get", "/d/1.txt"}, {"3.txt", "Auto", "Get", "/d/3.txt"}}));
    ExpectInStep(w);

    SelectRows(w, 1010, {1});
    QueueEntry({.name = "drei.txt"});
    Click(w, 1015);
    EXPECT_EQ(m_seen.back(), (EntryShown{"3.txt", "/d/3.txt", 0, 0}));
    EXPECT_EQ(Rows(w, 1010), (Rows_{{"1.txt", "Auto", "Get", "/d/1.txt"},
                                    {"drei.txt", "Auto", "Get", "/d/3.txt"}}));
    ExpectInStep(w);
    // The freed name is free again.
    Add(w, "/e/2.txt");
    EXPECT_EQ(Rows(w, 1010).size(), 3u);
    ExpectInStep(w);
    ExpectAllAnswered();
}

TEST_F(BackupFileListTest, EnterInTheAddEditAddsOnceAndNeverSaves) {
    ProbeMainDlg& w = OpenProbeWindow();
    Type(w, 1013, "/pub/a.txt");
    PressKey(w, 1013, Qt::Key_Return);
    EXPECT_EQ(Rows(w, 1010), (Rows_{{"a.txt", "Auto", "Get", "/pub/a.txt"}}));
    EXPECT_EQ(w.saves, 0);

    modal::QueueMessageBox(IDOK); // 127
    QueueEntry({.button = IDCANCEL});
    PressKey(w, 1013, Qt::Key_Enter);
    EXPECT_EQ(m_seen.size(), 1u) << "one press, one dialog";
    EXPECT_EQ(Rows(w, 1010).size(), 1u);
    EXPECT_EQ(w.saves, 0);

    // Elsewhere Enter still presses the default button.
    PressKey(w, 1002, Qt::Key_Return);
    EXPECT_EQ(w.saves, 1);
    EXPECT_EQ(Rows(w, 1010).size(), 1u);
    ExpectAllAnswered();
}

TEST_F(BackupFileListTest, DeleteAllAsksOnceAndEmptiesTheList) {
    CMainDlg& w = OpenMainWindow();
    Click(w, 1018);
    EXPECT_TRUE(Shown().empty()) << "nothing to delete: no question";

    Add(w, "/a/one.txt");
    Add(w, "/b/two.txt");
    modal::QueueMessageBox(IDCANCEL);
    Click(w, 1018);
    ExpectBoxes({131}, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(Rows(w, 1010).size(), 2u);
    EXPECT_EQ(w.m_arrFiles.size(), 2u);

    modal::QueueMessageBox(IDOK);
    Click(w, 1018);
    ExpectBoxes({131, 131}, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_TRUE(Rows(w, 1010).empty());
    EXPECT_TRUE(w.m_arrFiles.empty());

    ResetShown();
    Add(w, "/a/one.txt");
    EXPECT_TRUE(Shown().empty()) << "the names are free again";
    EXPECT_EQ(Rows(w, 1010).size(), 1u);
    ExpectInStep(w);
    ExpectAllAnswered();
}

TEST_F(BackupFileListTest, AFailedExchangeAddsNothing) {
    CMainDlg& w = OpenMainWindow();
    Add(w, "/a/one.txt");
    // A title over its limit fails the exchange before the add path is read: the path
    // read by the previous add must not be added again.
    SetText(w, 1002, std::string(261, 't'));
    modal::QueueMessageBox(IDOK);
    Add(w, "/b/two.txt");
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{AFX_IDP_PARSE_STRING_SIZE}));
    EXPECT_EQ(Rows(w, 1010), (Rows_{{"one.txt", "Auto", "Get", "/a/one.txt"}}));
    SetText(w, 1002, "ok");
    Click(w, 1011);
    EXPECT_EQ(Rows(w, 1010).size(), 2u);
    ExpectInStep(w);
    ExpectAllAnswered();
}

TEST_F(BackupFileListTest, TheBrowserAddsThroughTheSameOperation) {
    CMainDlg& w = OpenMainWindow();
    w.AddBackupFile("/srv/files/a.bin");
    modal::QueueMessageBox(IDOK);
    QueueEntry({.name = "a-2.bin", .mode = 2, .method = 1});
    w.AddBackupFile("/srv/other/a.bin");
    // A combo left without a selection is stored as Auto and Get.
    modal::QueueMessageBox(IDOK);
    QueueEntry({.name = "a-3.bin", .mode = kNone, .method = kNone});
    w.AddBackupFile("/srv/third/a.bin");
    EXPECT_EQ(Rows(w, 1010), (Rows_{{"a.bin", "Auto", "Get", "/srv/files/a.bin"},
                                    {"a-2.bin", "Text", "Mget", "/srv/other/a.bin"},
                                    {"a-3.bin", "Auto", "Get", "/srv/third/a.bin"}}));
    EXPECT_EQ(w.m_arrFiles[2]->m_nMode, 0);
    EXPECT_EQ(w.m_arrFiles[2]->m_nMethod, 0);
    ExpectInStep(w);
    ExpectAllAnswered();
}

} // namespace
