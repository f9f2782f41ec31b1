#include "gui_support/ScriptedModal.h"

#include "platform/Dialog.h"

#include <deque>

namespace platform::modal {
namespace {

struct Answer {
    Kind kind = Kind::MessageBox;
    int code = IDCANCEL;
    std::string path{};
    UINT templateId = 0;
    DialogScript script{};
};

constexpr const char* kKindNames[] = {"message box", "open dialog", "save dialog", "dialog",
                                      "shell open"};

class Scripted : public Handler {
public:
    std::deque<Answer> queue;
    std::vector<Record> shown;
    std::vector<std::string> errors;

    int MessageBox(const std::string& text, UINT style, UINT id) override {
        Answer a;
        const bool ok = Take(Kind::MessageBox, 0, a, "message box " + std::to_string(id));
        shown.push_back({.kind = Kind::MessageBox, .id = id, .style = style, .text = text});
        return ok && a.code == IDOK ? IDOK : IDCANCEL;
    }

    std::optional<std::string> ChooseFile(const FileRequest& request) override {
        const Kind kind = request.open ? Kind::FileOpen : Kind::FileSave;
        Answer a;
        const bool ok = Take(kind, 0, a, kKindNames[static_cast<int>(kind)]);
        const auto chosen = ok && !a.path.empty() ? std::optional(a.path) : std::nullopt;
        shown.push_back({.kind = kind,
                         .style = request.flags,
                         .text = request.fileName,
                         .filter = request.filter,
                         .folder = request.folder});
        return chosen;
    }

    INT_PTR RunDialog(CDialog& dlg) override {
        const UINT id = dlg.GetTemplateID();
        Answer a;
        Record rec{.kind = Kind::Dialog, .id = id};
        INT_PTR result = IDCANCEL;
        if (Take(Kind::Dialog, id, a, "dialog " + std::to_string(id)) && dlg.OpenModal()) {
            if (QDialog* w = dlg.GetDialogWidget(); w && !dlg.HasEnded()) {
                w->show();
                w->activateWindow();
            }
            const INT_PTR s = dlg.HasEnded() || !a.script ? kAsEnded : a.script(dlg);
            if (s == kAsEnded && dlg.HasEnded())
                result = dlg.RunModalLoop();
            else if (s != kAsEnded)
                result = s;
            rec.text = dlg.GetWindowText();
        }
        shown.push_back(rec);
        return result;
    }

    bool OpenDocument(const std::string& path) override {
        // Shell answers are optional: without one, the file (which exists) opens.
        const bool fail = !queue.empty() && queue.front().kind == Kind::Shell;
        if (fail)
            queue.pop_front();
        shown.push_back({.kind = Kind::Shell, .text = path});
        return !fail;
    }

private:
    // Takes the next answer when it fits `kind` (and a dialog's template); else records why.
    bool Take(Kind kind, UINT templateId, Answer& out, const std::string& what) {
        if (queue.empty()) {
            errors.push_back("unexpected " + what + ": nothing queued");
            return false;
        }
        const Answer& front = queue.front();
        const bool fileKind = kind == Kind::FileOpen || kind == Kind::FileSave;
        if ((front.kind != kind && !(fileKind && front.kind == Kind::FileOpen)) ||
            (kind == Kind::Dialog && front.templateId != 0 && front.templateId != templateId)) {
            errors.push_back("unexpected " + what + ": queued was a " +
                             kKindNames[static_cast<int>(front.kind)] + " " +
                             std::to_string(front.templateId));
            return false;
        }
        out = std::move(queue.front());
        queue.pop_front();
        return true;
    }
};

Scripted& Script() {
    static Scripted s;
    return s;
}

void Queue(Answer a) {
    Script().queue.push_back(std::move(a));
}

} // namespace

void BeginScript() {
    Scripted& s = Script();
    s.queue.clear();
    s.shown.clear();
    s.errors.clear();
    SetHandler(&s);
}

void EndScript() {
    Script().queue.clear();
    SetHandler(nullptr);
}

void QueueMessageBox(int answer) {
    Queue({.kind = Kind::MessageBox, .code = answer});
}

void QueueFile(const std::string& path) {
    Queue({.kind = Kind::FileOpen, .path = path});
}

void QueueFileCancel() {
    Queue({.kind = Kind::FileOpen});
}

void QueueDialog(UINT templateId, DialogScript script) {
    Queue({.kind = Kind::Dialog, .templateId = templateId, .script = std::move(script)});
}

void QueueShellFailure() {
    Queue({.kind = Kind::Shell});
}

std::size_t Pending() {
    return Script().queue.size();
}

const std::vector<Record>& Shown() {
    return Script().shown;
}

std::vector<Record> ShownOf(Kind kind) {
    std::vector<Record> out;
    for (const Record& r : Script().shown) {
        if (r.kind == kind || (kind == Kind::FileOpen && r.kind == Kind::FileSave))
            out.push_back(r);
    }
    return out;
}

std::vector<UINT> ShownBoxIds() {
    std::vector<UINT> ids;
    for (const Record& r : ShownOf(Kind::MessageBox))
        ids.push_back(r.id);
    return ids;
}

const std::vector<std::string>& Errors() {
    return Script().errors;
}

} // namespace platform::modal
