// Runs tovalo-ls (or a copy of it elsewhere) as a user would, with changes to the
// environment ("NAME=value" or "-u", "NAME", as env(1) takes them), and waits at most a
// minute for it.
#pragma once

#include "support/Process.h"

#include <gtest/gtest.h>

namespace test {

inline ProcessResult RunLs(std::vector<std::string> env, const std::vector<std::string>& args,
                           const std::string& program = TOVALO_LS) {
    env.insert(env.begin(), "/usr/bin/env");
    env.push_back(program);
    env.insert(env.end(), args.begin(), args.end());
    ProcessResult r = ChildProcess(env).Wait(std::chrono::seconds(60));
    EXPECT_FALSE(r.timedOut);
    return r;
}

} // namespace test
