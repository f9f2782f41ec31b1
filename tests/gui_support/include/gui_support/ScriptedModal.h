// The tests' modal handler: between BeginScript and EndScript every modal interaction
// answers from a queue and is recorded, so that a test never waits for a user.
//
//     platform::modal::BeginScript();                    // scripted from now on
//     platform::modal::QueueMessageBox(IDOK);            // the next box answers OK
//     platform::modal::QueueFile("/tmp/x.sd");           // the next file dialog picks it
//     platform::modal::QueueFileCancel();                // ...or is cancelled
//     platform::modal::QueueDialog(IDD_ACCOUNT, [](CDialog& dlg) {
//         // `dlg` is the live dialog after OnInitDialog: set members or type into its
//         // controls, click its buttons (its handlers run for real, including boxes of
//         // its own, which take the next queued answers) ...
//         dlg.GetDlgItem(IDC_RECORD_NAME)->SetWindowText("name");
//         dlg.SendCommand(IDOK);
//         return platform::modal::kAsEnded;  // DoModal returns what the dialog ended with
//     });
//     ... drive the program ...
//     const auto& shown = platform::modal::Shown();      // every interaction, in order
//     EXPECT_EQ(shown[0].id, IDS_NAME_REQUIRED);
//     EXPECT_TRUE(platform::modal::Errors().empty());    // nothing unexpected happened
//     platform::modal::EndScript();
//
// Answers are taken in order. An interaction with no queued answer, or whose queued answer
// is of another kind (or names another dialog template), is recorded in Errors() and
// answered IDCANCEL / cancel. The shell opens every existing file it is given
// unless QueueShellFailure says otherwise.
#pragma once

#include "platform/Modal.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace platform::modal {

enum class Kind { MessageBox, FileOpen, FileSave, Dialog, Shell };

struct Record {
    Kind kind = Kind::MessageBox;
    UINT id = 0;          // string-table ID of a box; template ID of a dialog
    UINT style = 0;       // box style (MB_...); file dialog flags (OFN_...)
    std::string text{};   // box text; file dialog's proposed name; dialog caption; shell target
    std::string filter{}; // file dialog filter ("Desc (*.x)|*.x||")
    std::string folder{}; // the folder a file dialog opens in
};

inline constexpr INT_PTR kAsEnded = -0x7F000001; // dialog script: use the dialog's end code

using DialogScript = std::function<INT_PTR(CDialog& dlg)>;

void BeginScript(); // clears queue, records and errors; scripted until EndScript
void EndScript();

void QueueMessageBox(int answer);
void QueueFile(const std::string& path); // for an open or a save dialog
void QueueFileCancel();
// templateId 0 accepts any dialog.
void QueueDialog(UINT templateId, DialogScript script);
void QueueShellFailure(); // the next shell open fails

std::size_t Pending();
const std::vector<Record>& Shown();
// The records of one kind; FileOpen also gives the save dialogs.
std::vector<Record> ShownOf(Kind kind);
std::vector<UINT> ShownBoxIds(); // the string IDs of the boxes shown
const std::vector<std::string>& Errors();

} // namespace platform::modal
