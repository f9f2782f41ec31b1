// The one seam every modal interaction passes: message boxes, file dialogs, the program's
// own dialogs (CDialog::DoModal) and the shell's "open". The program always calls these
// through AfxMessageBox, CFileDialog::DoModal, CDialog::DoModal and ShellExecuteOpen; in a
// test the seam answers from a script and records what was shown.
//
// Use in a test:
//
//     platform::modal::BeginScript();                    // scripted from now on
//     platform::modal::QueueMessageBox(IDOK);            // the next box answers OK
//     platform::modal::QueueFile("/tmp/x.sd");           // the next file dialog picks it
//     platform::modal::QueueFileCancel();                // ...or is cancelled
//     platform::modal::QueueDialog(132, [](CDialog& dlg) {
//         // `dlg` is the live dialog after OnInitDialog: set members or type into its
//         // controls, click its buttons (its handlers run for real, including boxes of
//         // its own, which take the next queued answers) ...
//         dlg.GetDlgItem(1000)->SetWindowText("name");
//         dlg.SendCommand(IDOK);
//         return platform::modal::kAsEnded;  // DoModal returns what the dialog ended with
//     });
//     ... drive the program ...
//     const auto& shown = platform::modal::Shown();      // every interaction, in order
//     EXPECT_EQ(shown[0].id, 147u); EXPECT_EQ(shown[0].style, MB_ICONEXCLAMATION);
//     EXPECT_TRUE(platform::modal::Errors().empty());    // nothing unexpected happened
//     platform::modal::EndScript();
//
// Answers are taken in order. An interaction with no queued answer, or whose queued answer
// is of another kind (or names another dialog template), is recorded in Errors() and
// answered IDCANCEL / cancel, so that a test never hangs on a real dialog. A dialog script
// may return kRunForReal to run the real modal loop instead (drive it with timers).
#pragma once

#include "platform/Win.h"

#include <functional>
#include <string>
#include <vector>

class CDialog;

namespace platform::modal {

enum class Kind { MessageBox, FileOpen, FileSave, Dialog, Shell };

struct Record {
    Record() = default;
    explicit Record(Kind k) : kind(k) {}
    Kind kind = Kind::MessageBox;
    UINT id = 0;        // string-table ID of a box; template ID of a dialog
    UINT style = 0;     // box style (MB_...); file dialog flags (OFN_...)
    std::string text;   // box text; file dialog's proposed file name; shell target
    std::string filter; // file dialog filter ("Desc (*.x)|*.x||")
    std::string defExt; // file dialog default extension
    std::string path;   // the file chosen (empty when cancelled)
    INT_PTR result = 0; // what the interaction returned
    bool expected = true;
};

inline constexpr INT_PTR kAsEnded = -0x7F000001;    // dialog script: use the dialog's end code
inline constexpr INT_PTR kRunForReal = -0x7F000002; // dialog script: run the real loop

using DialogScript = std::function<INT_PTR(CDialog& dlg)>;

void BeginScript(); // clears queue, records and errors; scripted until EndScript
void EndScript();
bool IsScripted();

void QueueMessageBox(int answer);
void QueueFile(const std::string& path);
void QueueFileCancel();
// templateId 0 accepts any dialog.
void QueueDialog(UINT templateId, DialogScript script);
// Shell opens succeed (as the real shell would) when the target file exists; this makes
// the next one fail regardless.
void QueueShellFailure();

std::size_t Pending();
const std::vector<Record>& Shown();
std::vector<Record> ShownOf(Kind kind);
const std::vector<std::string>& Errors();

// --- used by the platform layer itself ---
struct Answer {
    Answer() = default;
    explicit Answer(Kind k) : kind(k) {}
    Kind kind = Kind::MessageBox;
    int code = IDCANCEL;
    std::string path;
    UINT templateId = 0;
    DialogScript script;
    bool fail = false;
};
// Takes the next answer when it is of kind `kind` (and, for dialogs, for `templateId`);
// records an error and returns false otherwise.
bool Take(Kind kind, UINT templateId, Answer& out, const std::string& what);
void Note(Record r);

} // namespace platform::modal
