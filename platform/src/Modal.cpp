#include "platform/Modal.h"

#include <deque>
#include <mutex>

namespace platform::modal {
namespace {

struct State {
    std::mutex mutex;
    bool scripted = false;
    std::deque<Answer> queue;
    std::vector<Record> shown;
    std::vector<std::string> errors;
};

State& state() {
    static State s;
    return s;
}

const char* KindName(Kind k) {
    switch (k) {
    case Kind::MessageBox:
        return "message box";
    case Kind::FileOpen:
        return "open dialog";
    case Kind::FileSave:
        return "save dialog";
    case Kind::Dialog:
        return "dialog";
    case Kind::Shell:
        return "shell open";
    }
    return "?";
}

} // namespace

void BeginScript() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.scripted = true;
    s.queue.clear();
    s.shown.clear();
    s.errors.clear();
}

void EndScript() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.scripted = false;
    s.queue.clear();
}

bool IsScripted() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    return s.scripted;
}

void QueueMessageBox(int answer) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    Answer a{Kind::MessageBox};
    a.code = answer;
    s.queue.push_back(std::move(a));
}

void QueueFile(const std::string& path) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    Answer a{Kind::FileOpen}; // serves open and save dialogs alike
    a.code = 1;
    a.path = path;
    s.queue.push_back(std::move(a));
}

void QueueFileCancel() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    Answer a{Kind::FileOpen};
    a.code = 2;
    s.queue.push_back(std::move(a));
}

void QueueDialog(UINT templateId, DialogScript script) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    Answer a{Kind::Dialog};
    a.templateId = templateId;
    a.script = std::move(script);
    s.queue.push_back(std::move(a));
}

void QueueShellFailure() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    Answer a{Kind::Shell};
    a.fail = true;
    s.queue.push_back(std::move(a));
}

std::size_t Pending() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    return s.queue.size();
}

const std::vector<Record>& Shown() {
    return state().shown;
}

std::vector<Record> ShownOf(Kind kind) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    std::vector<Record> out;
    for (const Record& r : s.shown) {
        if (r.kind == kind || (kind == Kind::FileOpen && r.kind == Kind::FileSave))
            out.push_back(r);
    }
    return out;
}

const std::vector<std::string>& Errors() {
    return state().errors;
}

bool Take(Kind kind, UINT templateId, Answer& out, const std::string& what) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    const bool fileKind = kind == Kind::FileOpen || kind == Kind::FileSave;
    if (kind == Kind::Shell) {
        // Shell answers are optional: without one, the file's existence decides.
        if (!s.queue.empty() && s.queue.front().kind == Kind::Shell) {
            out = std::move(s.queue.front());
            s.queue.pop_front();
            return true;
        }
        return false;
    }
    if (s.queue.empty()) {
        s.errors.push_back("unexpected " + what + ": nothing queued");
        return false;
    }
    Answer& front = s.queue.front();
    const bool kindOk = front.kind == kind || (fileKind && front.kind == Kind::FileOpen);
    const bool idOk =
        kind != Kind::Dialog || front.templateId == 0 || front.templateId == templateId;
    if (!kindOk || !idOk) {
        s.errors.push_back(
            "unexpected " + what + ": queued was a " + KindName(front.kind) +
            (front.kind == Kind::Dialog ? " " + std::to_string(front.templateId) : std::string()));
        return false;
    }
    out = std::move(front);
    s.queue.pop_front();
    return true;
}

void Note(Record r) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.shown.push_back(std::move(r));
}

} // namespace platform::modal
