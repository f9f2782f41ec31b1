// Fixture of the library tests: a private KORVEX_HOME per test, interfaces deleted at its
// end, and child processes that use the same store.
#pragma once

#include "korvex.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
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
        std::string tmpl = (std::filesystem::temp_directory_path() / "korvex-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root = tmpl;
        home = root / "home" / "store"; // does not exist yet
        setenv("KORVEX_HOME", home.c_str(), 1);
        h = fresh();
    }
    void TearDown() override {
        // Deleting one the test deleted already is refused harmlessly.
        for (KorvexHandle i : opened)
            KorvexDeleteInterface(i);
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
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

    static std::string text(KorvexHandle in, int item, int field) {
        char buf[KORVEX_TEXT_BUFFER] = "unchanged";
        return KorvexGetDataValue(in, item, field, buf, sizeof buf) ? buf : "<absent>";
    }
    static int num(KorvexHandle in, int item, int field) {
        int v = -12345;
        return KorvexGetDataNum(in, item, field, &v) ? v : -12345;
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
};
