// The data port read from PASV (227) and EPSV (229) replies.
#include "inet/FtpPassiveReply.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

TEST(PassiveReply, PortOrNothing) {
    const std::pair<std::string_view, int> cases[] = {
        // A reply and its port, or -1 when it does not read.
        {"227 Entering Passive Mode (192,168,1,2,19,137)", 5001},
        {"227 Entering Passive Mode 127,0,0,1,4,1", 1025},
        {"227 Mode 2 (127,0,0,1,4,1)", 1025}, // a stray number before is dropped
        // Numbers of five digits and more are whole numbers, never split in two.
        {"227 Entering Passive Mode (1,29168,1,2,19,137).", 5001},
        {"227 (127,0,0,1,00004,000001)", 1025},
        {"227 (127,0,0,1,4,99999999999999999999)", -1},
        {"227 (127,0,0,1,4", -1},
        {"227 (127,0,0,1,256,1)", -1},
        {"227 (127,0,0,1,0,0)", -1},
        {"229 Entering Extended Passive Mode (|||6446|)", 6446},
        {"229 (!!!65535!)", 65535},
        {"229 (|||0|)", -1},
        {"229 (|||65536|)", -1},
        {"229 (|||6446)", -1},
        {"229 (|!|6446|)", -1},
        {"229 (|1|127.0.0.1|6446|)", -1},
    };
    for (const auto& [line, expected] : cases) {
        const auto port =
            line.starts_with("227") ? inet::ParsePasvReply(line) : inet::ParseEpsvReply(line);
        EXPECT_EQ(port ? int{*port} : -1, expected) << line;
    }
}

} // namespace
