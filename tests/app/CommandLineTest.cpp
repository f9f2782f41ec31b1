// tovalo's command line as a user types it: --help and --version answer on standard output
// with status 0, anything else gives the usage on standard error and status 2. None of them
// starts the program (no window, no account store). Where no argument begins with a dash
// but these two, Qt is not even started: no display is needed. Any other dashed argument may
// be Qt's, so Qt (and its platform) starts first and takes its own.
#include "res/Ids.h"
#include "res/Resources.h"
#include "support/Process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string Str(int id) {
    return std::string(res::LoadString(id));
}
std::string Format(int id, const std::string& arg) {
    std::string s = Str(id);
    return s.replace(s.find("%s"), 2, arg);
}

TEST(CommandLineTest, AnswersOrRefusesWithoutStartingTheProgram) {
    const std::string usage = Str(IDS_CLI_USAGE) + "\n";
    const std::string version = Format(IDS_CLI_VERSION, TOVALO_VERSION) + "\n";
    const std::string help = usage + Str(IDS_CLI_HELP) + "\n";
    const auto bad = [&](const std::string& arg) {
        return Format(IDS_CLI_BAD_ARGUMENT, arg) + "\n" + usage;
    };
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out, err;
        bool qt = false; // Qt starts: the offscreen platform, else one that does not exist
    };
    const Case cases[] = {
        {{"--version"}, 0, version, ""},
        {{"--help"}, 0, help, ""},
        {{"a.sd", "b.sd"}, 2, "", bad("b.sd")},
        {{"a.sd", "--version"}, 2, "", bad("--version")},
        {{"--help", "--version"}, 2, "", bad("--help")},
        {{""}, 2, "", bad("")},
        {{"--bogus"}, 2, "", bad("--bogus"), true},
        {{"-x", "a.sd"}, 2, "", bad("-x"), true},
        // Qt takes its own options (the platform given wins over the one that does not
        // exist); the rest is answered as it would be alone.
        {{"-platform", "offscreen", "--version"}, 0, version, ""},
        {{"--platform", "offscreen", "-style", "fusion", "--help"}, 0, help, ""},
        {{"-platform", "offscreen", "--bogus"}, 2, "", bad("--bogus")},
        {{"-platform", "offscreen", "a.sd", "b.sd"}, 2, "", bad("b.sd")},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& a : c.args)
            line += " [" + a + "]";
        SCOPED_TRACE(line);
        const test::TempDir home, runtime;
        const std::string h = home.path.string();
        std::vector<std::string> cmd = {"/usr/bin/env",
                                        "-u",
                                        "DISPLAY",
                                        "-u",
                                        "WAYLAND_DISPLAY",
                                        "-u",
                                        "LANGUAGE",
                                        "LC_ALL=C", // the texts expected are the Japanese
                                        c.qt ? "QT_QPA_PLATFORM=offscreen"
                                             : "QT_QPA_PLATFORM=no-such-platform",
                                        "XDG_RUNTIME_DIR=" + runtime.path.string(),
                                        "KORVEX_HOME=" + h,
                                        "XDG_CONFIG_HOME=" + h,
                                        TOVALO_EXE};
        cmd.insert(cmd.end(), c.args.begin(), c.args.end());
        const test::ProcessResult r = test::ChildProcess(cmd).Wait(std::chrono::seconds(60));
        ASSERT_FALSE(r.timedOut) << "a window opened";
        EXPECT_EQ(r.exitCode, c.status) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
        EXPECT_TRUE(std::filesystem::is_empty(home.path)) << "start-up made the account store";
    }
}

} // namespace
