// Start-up and shutdown: every failure message, the window shown once, the help path, and
// the user name read at start and written back at exit.
#include "gui_support/ScriptedModal.h"
#include "library/App.h"
#include "platform/Loader.h"
#include "ui/MainDlg.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <dlfcn.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>

namespace modal = platform::modal;

namespace {

const std::string kStubs = TOVALO_STUB_DIR;

bool IsResident(const std::string& path) {
    void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!h)
        return false;
    ::dlclose(h);
    return true;
}

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
        EXPECT_FALSE(IsResident(c.from + "/libKORVEX.so"));
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

// --- with the real library: the name persists between runs ---

class NameTest : public StartupTest {
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
};

// A typed name opens the next run; an empty one keeps the stored name.
TEST_F(NameTest, NameLastTypedOpensTheNextRun) {
    RunOnce(std::string("佐藤 花子"));
    EXPECT_EQ(RunOnce(std::string()), "佐藤 花子");
    EXPECT_EQ(RunOnce(std::nullopt), "佐藤 花子");
}

} // namespace
