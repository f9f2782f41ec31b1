// The window's browse worker: a thread that runs RunBrowse and carries every sink call over
// to the user-interface thread, where the window's own functions run.
//
// Calls that need an answer (ReadFolderAndMask, ShowMessage, the TLS questions) wait on a condition
// variable that the user-interface thread signals once the call has returned; Shutdown() releases
// every such wait, so the owner can always wait for the worker, even from its destructor.
// Row batches in flight are capped: the worker waits while too many are still queued.
//
// The worker object lives on the thread that creates it (the user-interface thread) and
// is the context of every queued call: destroying it drops calls not yet run. It must be
// created, started, shut down and destroyed on that thread.
#pragma once

#include "ftp/BrowseRun.h"
#include "ftp/RemoteEntry.h"

#include <QThread>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ftp {

// What the run does to the window; every function runs on the user-interface thread.
struct BrowseWindowCalls {
    std::function<void()> clearList;
    std::function<void(std::string& folder, std::string& mask)> readFolderAndMask;
    std::function<void(const std::string& folder)> setFolderText;
    // Each row is made on the worker: the user-interface thread only takes the pointers.
    std::function<void(std::vector<std::unique_ptr<CRemoteEntry>>&& rows)> addRows;
    std::function<void(int percent)> progress;
    std::function<void(int id)> showMessage;
    std::function<void()> forgetPassword;
    std::function<void(unsigned result)> end; // enable the window, hide the progress
    // Optional; the run waits for the answers. Unset, the request's own hooks stay.
    std::function<bool(std::string_view host, std::uint16_t port, const inet::FtpCertificate&)>
        verifyCertificate;
    std::function<bool(std::string_view host, std::uint16_t port)> confirmPlain;
    std::function<void(const BrowseSecurity&)> connected;
};

class BrowseWorker : public QThread {
public:
    // Most row batches queued to the user-interface thread at once.
    static constexpr int kMaxBatchesInFlight = 32;
    // Longest time the user-interface thread spends on queued calls in one go.
    static constexpr int kCallBudgetMs = 10;

    BrowseWorker(BrowseRequest request, BrowseWindowCalls calls, std::atomic<int>& cancel);
    ~BrowseWorker() override; // Shutdown()

    // Releases the worker's waits for the user-interface thread and waits until it ended.
    // Calls not yet run are dropped from then on (a stop of the run should come first).
    void Shutdown();
    // Waits until the thread has ended (a run that has ended may still be returning).
    void Wait();

    // The run's result (1 complete, 0 otherwise); valid once the thread has finished.
    unsigned Result() const { return m_result.load(); }

protected:
    void run() override;

private:
    class Sink;
    // Runs fn on the user-interface thread; with wait, returns once it has run (or at
    // shutdown).
    void Post(std::function<void()> fn, bool wait);
    void WaitForRoom();
    // Runs the calls not yet run, oldest first (user-interface thread).
    void RunCalls();

    struct Call {
        std::function<void()> fn;
        unsigned ticket = 0; // non-zero: the worker waits for it
    };

    BrowseRequest m_request;
    BrowseWindowCalls m_calls;
    std::atomic<int>& m_cancel;
    std::atomic<unsigned> m_result{0};

    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_closing = false;     // guarded by m_mutex
    int m_batchesQueued = 0;    // guarded by m_mutex
    unsigned m_doneTicket = 0;  // guarded by m_mutex: waited calls that have returned
    unsigned m_nextTicket = 0;  // worker thread only
    std::deque<Call> m_pending; // guarded by m_mutex
    bool m_wakePending = false; // guarded by m_mutex: RunCalls is queued or running
};

} // namespace ftp
