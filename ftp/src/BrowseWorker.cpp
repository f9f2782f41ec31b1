#include "ftp/BrowseWorker.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QTimer>

#include <memory>
#include <utility>

namespace ftp {
// Lambdas hold the worker, not the sink: they may run after the run has returned.
class BrowseWorker::Sink : public BrowseSink {
public:
    explicit Sink(BrowseWorker& w) : m_w(w) {}

    void ClearList() override {
        m_w.Post([w = &m_w] { w->m_calls.clearList(); }, false);
    }
    void ReadFolderAndMask(std::string& folder, std::string& mask) override {
        // The user-interface thread writes these while this thread waits.
        m_w.Post([w = &m_w, &folder, &mask] { w->m_calls.readFolderAndMask(folder, mask); }, true);
    }
    void SetFolderText(const std::string& folder) override {
        m_w.Post([w = &m_w, folder] { w->m_calls.setFolderText(folder); }, false);
    }
    void AddRows(std::vector<CRemoteEntry>&& rows) override {
        m_w.WaitForRoom();
        auto batch = std::make_shared<std::vector<std::unique_ptr<CRemoteEntry>>>();
        batch->reserve(rows.size());
        for (CRemoteEntry& row : rows)
            batch->push_back(std::make_unique<CRemoteEntry>(std::move(row)));
        m_w.Post(
            [w = &m_w, batch] {
                w->m_calls.addRows(std::move(*batch));
                {
                    std::lock_guard lock(w->m_mutex);
                    --w->m_batchesQueued;
                }
                w->m_cv.notify_all();
            },
            false);
    }
    void PostProgress(int percent) override {
        m_w.Post([w = &m_w, percent] { w->m_calls.progress(percent); }, false);
    }
    void ShowMessage(int id) override {
        m_w.Post([w = &m_w, id] { w->m_calls.showMessage(id); }, true);
    }
    void ForgetPassword() override {
        m_w.Post([w = &m_w] { w->m_calls.forgetPassword(); }, false);
    }
    void End(unsigned result) override {
        m_w.Post([w = &m_w, result] { w->m_calls.end(result); }, false);
    }

private:
    BrowseWorker& m_w;
};

BrowseWorker::BrowseWorker(BrowseRequest request, BrowseWindowCalls calls, std::atomic<int>& cancel)
    : m_request(std::move(request)), m_calls(std::move(calls)), m_cancel(cancel) {}

BrowseWorker::~BrowseWorker() {
    Shutdown();
}

void BrowseWorker::Shutdown() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_cv.notify_all();
    Wait();
}

void BrowseWorker::Wait() {
    wait();
    // The worker's last act was under the mutex: taking it orders everything the worker
    // did before whatever this thread does next (destroying the worker, say).
    std::lock_guard lock(m_mutex);
}

void BrowseWorker::run() {
    // The answers are written on the user-interface thread while this one waits; a
    // shutdown meanwhile leaves them at no.
    if (m_calls.verifyCertificate) {
        m_request.verifyCertificate = [this](std::string_view host, std::uint16_t port,
                                             const inet::FtpCertificate& cert) {
            bool yes = false;
            Post([&] { yes = m_calls.verifyCertificate(host, port, cert); }, true);
            return yes;
        };
    }
    if (m_calls.confirmPlain) {
        m_request.confirmPlain = [this](std::string_view host, std::uint16_t port) {
            bool yes = false;
            Post([&] { yes = m_calls.confirmPlain(host, port); }, true);
            return yes;
        };
    }
    if (m_calls.connected) {
        m_request.connected = [this](const BrowseSecurity& security) {
            Post([this, security] { m_calls.connected(security); }, false);
        };
    }
    Sink sink(*this);
    const unsigned result = RunBrowse(m_request, sink, m_cancel);
    std::lock_guard lock(m_mutex);
    m_result.store(result);
}

void BrowseWorker::Post(std::function<void()> fn, bool wait) {
    unsigned ticket = 0;
    if (wait)
        ticket = ++m_nextTicket;
    {
        // The call itself goes through the mutex, and only a wake-up through Qt's queue:
        // every hand-over is then one that a thread checker sees.
        std::lock_guard lock(m_mutex);
        m_pending.push_back({std::move(fn), ticket});
        if (!m_wakePending) {
            m_wakePending = true;
            QMetaObject::invokeMethod(this, &BrowseWorker::RunCalls, Qt::QueuedConnection);
        }
    }
    if (wait) {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [&] { return m_closing || m_doneTicket >= ticket; });
    }
}

void BrowseWorker::RunCalls() {
    // Calls that are waiting run in one go, up to a time budget: the list view then lays
    // out its rows once per turn of the event loop, not once per batch. What is left over
    // goes on from a timer, so that timers, input and painting get their turn in between.
    QElapsedTimer budget;
    budget.start();
    for (;;) {
        Call call;
        {
            std::lock_guard lock(m_mutex);
            // After shutdown nothing more reaches the window.
            if (m_closing || m_pending.empty()) {
                m_wakePending = false;
                return;
            }
            call = std::move(m_pending.front());
            m_pending.pop_front();
        }
        call.fn();
        if (call.ticket != 0) {
            {
                std::lock_guard lock(m_mutex);
                m_doneTicket = call.ticket;
            }
            m_cv.notify_all();
        }
        if (budget.elapsed() >= kCallBudgetMs) {
            QTimer::singleShot(0, this, [this] { RunCalls(); });
            return;
        }
    }
}

void BrowseWorker::WaitForRoom() {
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [&] { return m_closing || m_batchesQueued < kMaxBatchesInFlight; });
    ++m_batchesQueued;
}

} // namespace ftp
