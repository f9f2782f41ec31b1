// The data port read from PASV (227) and EPSV (229) replies.
#include "inet/FtpPassiveReply.h"

#include <gtest/gtest.h>

namespace {

TEST(PassiveReply, PortOrNothing) {
    struct Case {
        const char* line;
        int port; // -1: unreadable
    };
    const Case pasv[] = {
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
    };
    const Case epsv[] = {
        {"229 Entering Extended Passive Mode (|||6446|)", 6446},
        {"229 (!!!65535!)", 65535},
        {"229 (|||0|)", -1},
        {"229 (|||65536|)", -1},
        {"229 (|||6446)", -1},
        {"229 (|!|6446|)", -1},
        {"229 (|1|127.0.0.1|6446|)", -1},
    };
    auto port = [](std::optional<std::uint16_t> p) { return p ? int{*p} : -1; };
    for (const Case& c : pasv)
        EXPECT_EQ(port(inet::ParsePasvReply(c.line)), c.port) << c.line;
    for (const Case& c : epsv)
        EXPECT_EQ(port(inet::ParseEpsvReply(c.line)), c.port) << c.line;
}

} // namespace
