// Start-up and shutdown: every failure message, the window shown once, the help path, the
// language the locale chooses, the user name read at start and written back at exit, a
// store that cannot be used or written, and the task file named on the command line.
#include "app/Startup.h"
#include "accounts/AccountDlg.h"
#include "accounts/Store.h"
#include "gui_support/GuiTest.h"
#include "gui_support/ScriptedModal.h"
#include "library/App.h"
#include "platform/Framework.h"
#include "platform/Loader.h"
#include "platform/Text.h"
#include "res/Ids.h"
#include "res/Resources.h"
#include "support/Process.h"
#include "ui/MainDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <functional>

namespace modal = platform::modal;

namespace {

const std::string kStubs = TOVALO_STUB_DIR;

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ::setenv("KORVEX_HOME", home.path().toUtf8().constData(), 1);
        ::setenv("XDG_CONFIG_HOME", home.path().toUtf8().constData(), 1);
        Unload();
        modal::BeginScript();
    }
    void TearDown() override {
        for (const auto& e : modal::Errors())
            ADD_FAILURE() << e;
        modal::EndScript();
        Unload();
    }
    static void Unload() {
        if (theApp.m_hLibrary)
            platform::FreeLibrary(theApp.m_hLibrary);
        theApp.m_hLibrary = nullptr;
        theApp.m_api = KorvexApi{};
        theApp.m_hInterface = nullptr;
    }
    // Start-up as if the executable lived in `dir`.
    static StartupSteps From(const std::string& dir) {
        StartupSteps steps;
        steps.loader.directory = dir + "/";
        return steps;
    }
    // Runs start-up with a script for the main window (which ends it without asking).
    static BOOL Start(std::function<void(CMainDlg&)> script = {}, const StartupSteps& steps = {}) {
        modal::QueueDialog(102, [script](CDialog& d) {
            auto& w = static_cast<CMainDlg&>(d);
            if (script)
                script(w);
            w.EndDialog(IDCANCEL);
            return modal::kAsEnded;
        });
        return theApp.InitInstance(steps);
    }
    QTemporaryDir home;
};

// Each failure shows its one box, opens no window and leaves no library loaded.
TEST_F(StartupTest, FailuresShowTheirBoxAndLeaveNothingLoaded) {
    QTemporaryDir empty;
    struct Case {
        std::string from;
        bool oleFails;
        UINT box;
        UINT style;
    };
    const Case cases[] = {
        {empty.path().toStdString(), false, 121, MB_ICONEXCLAMATION}, // no library
        {kStubs + "/lacking", false, 122, MB_ICONEXCLAMATION},
        {kStubs + "/oldversion", false, 120, MB_ICONEXCLAMATION},
        {kStubs + "/complete", true, 156, MB_OK}, // nothing is loaded before OLE
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        modal::BeginScript();
        StartupSteps steps = From(c.from);
        steps.oleInit = [&c] { return !c.oleFails; };
        modal::QueueMessageBox(IDOK);
        EXPECT_FALSE(theApp.InitInstance(steps));
        ASSERT_EQ(modal::Shown().size(), 1u) << "one box and no window";
        EXPECT_EQ(modal::Shown()[0].id, c.box);
        EXPECT_EQ(modal::Shown()[0].style, c.style);
        EXPECT_TRUE(theApp.m_hLibrary == nullptr && theApp.m_hInterface == nullptr);
        EXPECT_FALSE(test::IsResident(c.from + "/libKORVEX.so"));
    }
}

TEST_F(StartupTest, RunsTheWindowOnceAndReturnsFalse) {
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path("/");
    std::string help;
    const BOOL r =
        Start([&](CMainDlg&) { help = theApp.m_pszHelpFilePath; }, From(kStubs + "/complete"));
    std::filesystem::current_path(cwd);
    EXPECT_FALSE(r);
    ASSERT_EQ(modal::Shown().size(), 1u) << "the window once, no box";
    EXPECT_EQ(modal::Shown()[0].id, 102u);
    // The help page beside the executable, not in the current directory.
    EXPECT_EQ(help, kStubs + "/complete/Help/Tovalo/index.htm");
    EXPECT_EQ(g_strVersion, "1.0.3");
    EXPECT_EQ(theApp.m_hInterface, nullptr) << "the interface is released at exit";
    EXPECT_NE(theApp.m_hLibrary, nullptr) << "the library stays loaded until the process ends";
}

// The locale chooses the language at start-up: English for a user who prefers English to
// Japanese, and then the window in both its states (every caption fitting its control), its
// dialogs and boxes, Qt's own buttons and the help page are English; Japanese as ever
// otherwise.
TEST_F(StartupTest, TheLocaleChoosesEnglishOrJapaneseThroughout) {
    using res::Language;
    EXPECT_EQ(platform::ChooseLanguage({"fr-FR", "en-GB", "ja-JP"}), Language::English);
    EXPECT_EQ(platform::ChooseLanguage({"ja-JP", "en-US"}), Language::Japanese);
    EXPECT_EQ(platform::ChooseLanguage({"de-DE", "C"}), Language::Japanese);
    const auto seen = [](const QLocale& locale) {
        app::InitApplication(*qApp, locale);
        Unload();
        modal::BeginScript();
        std::string texts;
        Start(
            [&texts](CMainDlg& w) {
                const std::string page = w.GetDlgItem(IDC_WIZARD_TEXT)->GetWindowText();
                auto* files = qobject_cast<QTreeView*>(w.GetDlgItem(IDC_FILES)->widget());
                texts = w.GetDlgItem(IDOK)->GetWindowText() + "|" +
                        w.GetDlgItem(IDC_SERVER_PANEL)->GetWindowText() + "|" +
                        page.substr(0, page.find_first_of("\r\n")) + "|" +
                        files->model()->headerData(0, Qt::Horizontal).toString().toStdString();
                gui::ExpectTextsFit(w.GetDialogWidget());
                w.SendCommand(IDC_WIZARD);
                gui::ExpectTextsFit(w.GetDialogWidget());
                modal::QueueMessageBox(IDOK);
                w.SendCommand(IDC_EDIT_FILE);
                modal::QueueDialog(IDD_ACCOUNT, [](CDialog&) { return IDCANCEL; });
                w.SendCommand(IDC_NEW_ACCOUNT);
            },
            From(kStubs + "/complete"));
        QMessageBox box(QMessageBox::NoIcon, "", "", QMessageBox::Cancel);
        const std::string& help = theApp.m_pszHelpFilePath;
        return texts + "|" + modal::ShownOf(modal::Kind::MessageBox).at(0).text + "|" +
               modal::ShownOf(modal::Kind::Dialog).at(0).text + "|" + // the account dialog
               box.button(QMessageBox::Cancel)->text().toStdString() + "|" +
               help.substr(help.rfind('/') + 1);
    };
    EXPECT_EQ(seen(QLocale(QLocale::English, QLocale::UnitedKingdom)),
              "Save|Tovalo Wizard|Welcome to Tovalo.|File name|Select the file to edit.|Account|"
              "Cancel|index-en.htm");
    const std::string japanese = "保存|Tovalo・ウィザード|Tovalo　へようこそ。|ファイル名|編集する"
                                 "ファイルを選択してください。|アカウント情報|キャンセル|index.htm";
    EXPECT_EQ(seen(QLocale(QLocale::Japanese, QLocale::Japan)), japanese);
    EXPECT_EQ(seen(QLocale::c()), japanese);
    // Desktop shells find the installed entry, and its icon at every size, by this name.
    EXPECT_EQ(QGuiApplication::desktopFileName(), "tovalo");
}

// --- with the real library: the name and the store ---

class LibraryTest : public StartupTest {
protected:
    void SetUp() override {
        StartupTest::SetUp();
        if (!std::filesystem::exists(platform::GetModuleDirectory() + "libKORVEX.so"))
            GTEST_SKIP() << "libKORVEX.so is not built";
    }
    // Starts, lets `typed` (when set) be the name last taken from edit 1000, and returns
    // the name the window opened with.
    std::string RunOnce(const std::optional<std::string>& typed) {
        std::string opened;
        EXPECT_FALSE(Start([&](CMainDlg& w) {
            opened = w.GetDlgItem(1000)->GetWindowText();
            if (typed) {
                // The name counts as last taken from edit 1000 by the window.
                w.GetDlgItem(1000)->SetWindowText(*typed);
                EXPECT_TRUE(w.UpdateData(TRUE));
            }
        }));
        return opened;
    }
    std::string StorePath() const { return home.path().toStdString() + "/korvex.db"; }
    // Enters account "N" in the account dialog after `first` has run in it; the box that
    // may follow is answered.
    static void NewAccount(CMainDlg& w, std::function<void(CAccountDlg&)> first = {}) {
        modal::QueueDialog(IDD_ACCOUNT, [first](CDialog& d) {
            if (first)
                first(static_cast<CAccountDlg&>(d));
            d.GetDlgItem(IDC_RECORD_NAME)->SetWindowText("N");
            d.GetDlgItem(IDC_USER_ID)->SetWindowText("u");
            modal::QueueMessageBox(IDOK);
            d.SendCommand(IDOK);
            return modal::kAsEnded;
        });
        w.SendCommand(IDC_NEW_ACCOUNT);
    }
};

// A typed name opens the next run; an empty one keeps the stored name.
TEST_F(LibraryTest, NameLastTypedOpensTheNextRun) {
    RunOnce(std::string("佐藤 花子"));
    EXPECT_EQ(RunOnce(std::string()), "佐藤 花子");
    EXPECT_EQ(RunOnce(std::nullopt), "佐藤 花子");
}

// A store that cannot be used is told once, with its file, before the window opens; the
// window works all the same, a new account is refused aloud, and the file stays as it was.
// (Which files are unusable is the library's business: its store tests.)
TEST_F(LibraryTest, UnusableStoreIsToldAndTheWindowStillOpens) {
    const std::string garbage(3000, 'Z');
    std::ofstream(StorePath(), std::ios::binary) << garbage;
    modal::QueueMessageBox(IDOK);
    std::vector<UINT> beforeWindow;
    EXPECT_FALSE(Start([&](CMainDlg& w) {
        beforeWindow = modal::ShownBoxIds();
        NewAccount(w);
    }));
    EXPECT_EQ(beforeWindow, std::vector<UINT>{IDS_STORE_UNUSABLE});
    ASSERT_EQ(modal::ShownBoxIds(),
              (std::vector<UINT>{IDS_STORE_UNUSABLE, IDS_STORE_WRITE_FAILED}));
    const modal::Record& told = modal::Shown()[0];
    EXPECT_EQ(told.text, platform::FormatString(res::LoadString(IDS_STORE_UNUSABLE), StorePath()));
    EXPECT_EQ(told.style, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(test::ReadFile(StorePath()), garbage);
}

// A store on a read-only file system lists its accounts and proxies; every change to them
// is refused aloud, none is lost silently, and the file stays as it was.
TEST_F(LibraryTest, ReadOnlyStoreIsListedAndRefusesChangesAloud) {
    Start([](CMainDlg&) {
        EXPECT_TRUE(accounts::WriteProxy({"P", "p.example", "", FALSE, ""}));
        EXPECT_TRUE(accounts::WriteAccount({"A", "u", FALSE, "", "", FALSE, ""}));
    });
    const std::string before = test::ReadFile(StorePath());
    const test::ReadOnlyFolder readOnly(home.path().toStdString());
    if (!readOnly.Ok())
        GTEST_SKIP() << "the folder cannot be made read-only here";
    modal::BeginScript();
    std::vector<std::string> proxies, accounts;
    Start([&](CMainDlg& w) {
        NewAccount(w, [&](CAccountDlg& d) {
            modal::QueueMessageBox(IDOK); // delete P?
            modal::QueueMessageBox(IDOK);
            d.SendCommand(IDC_DELETE_PROXY);
            modal::QueueDialog(IDD_PROXY, [](CDialog& p) {
                p.GetDlgItem(IDC_RECORD_NAME)->SetWindowText("Q");
                p.GetDlgItem(IDC_SERVER)->SetWindowText("q.example");
                p.SendCommand(IDOK);
                return modal::kAsEnded;
            });
            modal::QueueMessageBox(IDOK);
            d.SendCommand(IDC_NEW_PROXY);
            proxies = d.m_arrProxyNames;
        });
        for (int i = 0; i < 2; ++i)
            accounts.push_back(w.m_listAccounts.GetText(i));
    });
    EXPECT_EQ(modal::ShownBoxIds(),
              (std::vector<UINT>{IDS_CONFIRM_DELETE_RECORD, IDS_STORE_WRITE_FAILED,
                                 IDS_STORE_WRITE_FAILED, IDS_STORE_WRITE_FAILED}));
    EXPECT_EQ(proxies, std::vector<std::string>{"P"});
    EXPECT_EQ(accounts, (std::vector<std::string>{"A", ""}));
    EXPECT_EQ(test::ReadFile(StorePath()), before);
}

// The file named on the command line is loaded once the window is open, as Load loads the
// file chosen in its dialog, with the same messages when it cannot be.
TEST_F(LibraryTest, LoadsTheFileNamedOnTheCommandLineOnceTheWindowIsOpen) {
    Start([](CMainDlg&) {
        EXPECT_TRUE(accounts::WriteAccount({"A", "u", FALSE, "", "", FALSE, ""}));
    });
    const std::string dir = home.path().toStdString() + "/";
    // A task file for ACCOUNT with the folder FOLDER (as JSON writes it) and one file.
    const std::string kTask = R"({"format": "sendera-task", "version": 2, "document": {"kind": 1,
        "children": [{"kind": 2, "fields": {"1201": 121, "1202": "FOLDER"}, "children": [
        {"kind": 3, "fields": {"1301": 131, "1304": "ACCOUNT"}, "children": [{"kind": 4,
        "fields": {"1303": 141}, "children": [{"kind": 5, "fields": {"1501": "a.txt",
        "1502": "/pub/a.txt"}}]}]}]}]}})";
    const auto task = [&](const std::string& name, const std::string& account,
                          const std::string& folder) {
        std::string text = kTask;
        text.replace(text.find("FOLDER"), 6, folder);
        text.replace(text.find("ACCOUNT"), 7, account);
        std::ofstream(dir + name) << text;
    };
    task("good.sd", "A", R"(taro\\work)");
    task("stranger.sd", "Nobody", R"(taro\\work)");
    task("three-parts.sd", "A", R"(a\\b\\c)");
    std::ofstream(dir + "garbage.sd") << "\x01\x02 not a task file {";
    struct Case {
        std::string file;
        std::vector<UINT> boxes;
        bool loaded;
    };
    const Case cases[] = {
        {"good.sd", {}, true},
        {"stranger.sd", {IDS_ACCOUNT_MISSING}, true},
        {"garbage.sd", {IDS_LOAD_FAILED}, false},
        {"missing.sd", {IDS_LOAD_FAILED}, false},
        {"three-parts.sd", {IDS_NOT_A_TASK_FILE}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        modal::BeginScript();
        StartupSteps steps;
        steps.openFile = dir + c.file;
        std::vector<UINT> opening, boxes;
        std::string fields;
        std::size_t rows = 0;
        Start(
            [&](CMainDlg& w) {
                opening = modal::ShownBoxIds();
                EXPECT_TRUE(w.GetDialogWidget()->isVisible());
                for (std::size_t i = 0; i < c.boxes.size(); ++i)
                    modal::QueueMessageBox(IDOK);
                QCoreApplication::processEvents();
                boxes = modal::ShownBoxIds();
                fields = w.GetDlgItem(IDC_TITLE)->GetWindowText() + "|" +
                         w.GetDlgItem(IDC_ARCHIVE_NAME)->GetWindowText();
                rows = w.m_arrFiles.size();
            },
            steps);
        EXPECT_TRUE(opening.empty()) << "nothing is said before the window is open";
        EXPECT_EQ(boxes, c.boxes);
        EXPECT_EQ(fields, c.loaded ? "work|" : "|");
        EXPECT_EQ(rows, c.loaded ? 1u : 0u);
    }
}

} // namespace
