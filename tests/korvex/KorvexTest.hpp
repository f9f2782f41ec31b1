// Fixture of the library tests: a private KORVEX_HOME per test, interfaces deleted at its
// end, child processes that use the same store, and the dump tool.
#pragma once

#include "korvex.h"
#include "support/Process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

class KorvexTest : public ::testing::Test {
protected:
    std::filesystem::path root, home;
    std::vector<KorvexHandle> opened;
    KorvexHandle h = nullptr; // a document interface of the test's own, not initialised

    void SetUp() override {
        root = m_dir.path;
        ASSERT_FALSE(root.empty());
        home = root / "home" / "store"; // does not exist yet
        setenv("KORVEX_HOME", home.c_str(), 1);
        h = fresh();
    }
    void TearDown() override {
        // Deleting one the test deleted already is refused harmlessly.
        for (KorvexHandle i : opened)
            KorvexDeleteInterface(i);
    }

    // A new interface, deleted at the end of the test; open() also initialises it.
    KorvexHandle fresh() {
        opened.push_back(KorvexNewInterface());
        EXPECT_NE(opened.back(), nullptr);
        return opened.back();
    }
    KorvexHandle open() {
        KorvexHandle i = fresh();
        EXPECT_NE(KorvexInitialize(i), 0);
        return i;
    }

    static std::string text(KorvexHandle in, int item, int field, int size = 70000) {
        std::string buf(static_cast<std::size_t>(size), '#');
        return KorvexGetDataValue(in, item, field, buf.data(), size) ? buf.c_str() : "<absent>";
    }
    static int num(KorvexHandle in, int item, int field) {
        int v = -12345;
        return KorvexGetDataNum(in, item, field, &v) ? v : -12345;
    }
    static int loadText(KorvexHandle in, const std::string& data) {
        return KorvexLoadSDA(in, data.data(), static_cast<int>(data.size()));
    }
    static void writeFile(const std::filesystem::path& p, const std::string& data) {
        std::ofstream(p, std::ios::binary) << data;
    }
    static std::vector<std::string> namesIn(const std::filesystem::path& dir) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        return names;
    }
    // Runs the dump tool with `args` (shell words); its exit status, its output in `out`.
    static int dump(const std::string& args, std::string& out) {
        out.clear();
        FILE* f = popen(("'" KORVEX_DUMP_PATH "' " + args).c_str(), "r");
        char buf[512];
        for (std::size_t n; f != nullptr && (n = fread(buf, 1, sizeof buf, f)) > 0;)
            out.append(buf, n);
        const int status = f != nullptr ? pclose(f) : -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Runs `body` in a child process (which must use interfaces of its own) and returns
    // the child's id; waitExit gives its exit status, or 128 + the signal that ended it.
    static pid_t child(const std::function<int()>& body) {
        const pid_t pid = fork();
        if (pid == 0)
            _exit(body());
        EXPECT_GT(pid, 0);
        return pid;
    }
    static int waitExit(pid_t pid) {
        int status = 0;
        if (waitpid(pid, &status, 0) != pid)
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    static int inChild(const std::function<int()>& body) { return waitExit(child(body)); }

private:
    test::TempDir m_dir; // removed after TearDown
};
