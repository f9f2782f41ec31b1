// A request and a browse sink that records every call, for the browse-run tests.
#pragma once

#include "ftp/BrowseRun.h"

#include <functional>
#include <string>
#include <vector>

namespace test {

// tester/secret at 127.0.0.1:port in passive mode, each wait bounded by `t`.
inline ftp::BrowseRequest Request(std::uint16_t port,
                                  std::chrono::milliseconds t = std::chrono::seconds(10)) {
    ftp::BrowseRequest r;
    r.server = "127.0.0.1:" + std::to_string(port);
    r.userId = "tester";
    r.password = "secret";
    r.passive = true;
    r.connectTimeout = r.replyTimeout = r.transferTimeout = t;
    return r;
}

class RecordingSink : public ftp::BrowseSink {
public:
    std::string folderIn, maskIn;   // what ReadFolderAndMask hands out
    std::vector<std::string> calls; // "clear", "read", "folder", "rows", "progress",
                                    // "message", "forget", "end", in order
    std::vector<int> progress, messages;
    std::vector<std::string> folderTexts; // every SetFolderText
    std::vector<CRemoteEntry> rows;
    std::vector<std::size_t> batchSizes;
    unsigned result = 99;
    std::function<void(int)> onProgress; // test hooks, run inside the sink call
    std::function<void(const std::vector<CRemoteEntry>&)> onRows;

    void ClearList() override {
        calls.push_back("clear");
        rows.clear();
    }
    void ReadFolderAndMask(std::string& folder, std::string& mask) override {
        calls.push_back("read");
        folder = folderIn;
        mask = maskIn;
    }
    void SetFolderText(const std::string& folder) override {
        calls.push_back("folder");
        folderTexts.push_back(folder);
    }
    void AddRows(std::vector<CRemoteEntry>&& batch) override {
        calls.push_back("rows");
        batchSizes.push_back(batch.size());
        if (onRows)
            onRows(batch);
        rows.insert(rows.end(), batch.begin(), batch.end());
    }
    void PostProgress(int percent) override {
        calls.push_back("progress");
        progress.push_back(percent);
        if (onProgress)
            onProgress(percent);
    }
    void ShowMessage(int id) override {
        calls.push_back("message");
        messages.push_back(id);
    }
    void ForgetPassword() override { calls.push_back("forget"); }
    void End(unsigned r) override {
        calls.push_back("end");
        result = r;
    }

    std::vector<std::string> Names(int folder) const {
        std::vector<std::string> out;
        for (const auto& r : rows)
            if (r.m_bFolder == folder)
                out.push_back(r.m_strEntryName);
        return out;
    }
};

} // namespace test
