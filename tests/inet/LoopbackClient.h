// What the client tests share: options for a server on 127.0.0.1 and a listing's names.
#pragma once

#include "inet/FtpClient.h"

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace test {

inline inet::FtpOptions Options(std::uint16_t port, bool passive,
                                std::chrono::milliseconds timeout = std::chrono::seconds(10),
                                const std::atomic<int>* stop = nullptr) {
    inet::FtpOptions o;
    o.port = port;
    o.passive = passive;
    o.connectTimeout = o.replyTimeout = o.transferTimeout = timeout;
    o.stop = stop;
    return o;
}

// "name/" for a folder, "name" for anything else, in listing order; the first `most` of
// them, the listing read no further once that many are there.
inline std::vector<std::string> List(inet::FtpClient& c, bool& ok,
                                     std::size_t most = static_cast<std::size_t>(-1)) {
    std::vector<std::string> names;
    ok = c.ListEntries([&](std::vector<inet::FtpListEntry>& batch) {
        for (const auto& e : batch)
            if (!e.listedDir && !inet::IsDots(e.name) && names.size() < most)
                names.push_back(e.name + (e.kind == inet::FtpEntryKind::Folder ? "/" : ""));
        return names.size() < most;
    });
    return names;
}

} // namespace test
