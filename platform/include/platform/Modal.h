// The one seam every modal interaction passes: message boxes (AfxMessageBox), file dialogs
// (CFileDialog::DoModal), the program's own dialogs (CDialog::DoModal) and the shell's
// "open" (ShellExecuteOpen). The base Handler shows the real thing; tests and benchmarks
// install a handler of their own that answers without a user (the tests' scripted one is
// tests/gui_support/include/gui_support/ScriptedModal.h).
#pragma once

#include "platform/Win.h"

#include <optional>
#include <string>

class CDialog;

namespace platform::modal {

// What a file dialog asks for.
struct FileRequest {
    bool open = true;
    std::string fileName;              // proposed name
    std::string folder;                // where the dialog opens; empty: the working folder
    std::string filter;                // "Desc (*.x)|*.x||"
    std::optional<std::string> defExt; // when set (even empty) a bare name gets an extension
    DWORD flags = 0;                   // OFN_...
};

class Handler {
public:
    virtual ~Handler() = default;
    // Shows `text` (string `id` of the string table, 0: none); returns IDOK or IDCANCEL.
    virtual int MessageBox(const std::string& text, UINT style, UINT id);
    // The file chosen; nothing when cancelled.
    virtual std::optional<std::string> ChooseFile(const FileRequest& request);
    // Runs `dlg`: CDialog::OpenModal, then RunModalLoop; returns the end code.
    virtual INT_PTR RunDialog(CDialog& dlg);
    // Hands an existing, readable file to the desktop; false when nothing opened it.
    virtual bool OpenDocument(const std::string& path);
};

// The handler in use; SetHandler(nullptr) puts the real one back. Not owned.
Handler& Current();
void SetHandler(Handler* handler);

} // namespace platform::modal
