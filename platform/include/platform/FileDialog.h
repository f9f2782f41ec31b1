// The common file dialog. Filters come in the framework's form "Desc (*.x)|*.x||". With a
// non-null default extension (even an empty one) a name typed without an extension gets
// the selected filter's extension.
#pragma once

#include "platform/Modal.h"
#include "platform/Win.h"

#include <string>

class CWnd;

class CFileDialog {
public:
    CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt = nullptr,
                const char* lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                const char* lpszFilter = nullptr, CWnd* pParentWnd = nullptr);
    // Proposed file name (the framework's m_ofn.lpstrFile).
    void SetFileName(const std::string& name) { m_request.fileName = name; }
    // The folder the dialog opens in (the framework's m_ofn.lpstrInitialDir).
    void SetFolder(const std::string& folder) { m_request.folder = folder; }
    // Passes the modal seam.
    INT_PTR DoModal();
    std::string GetPathName() const { return m_path; }

    // Appends the first extension of `filter` to `path` when it has none (and defExt set).
    static std::string ApplyDefaultExtension(const std::string& path, const std::string& filter,
                                             bool hasDefExt);
    // "Desc (*.x)|*.x||" -> Qt's "Desc (*.x)" list separated by ";;".
    static std::string ToQtFilter(const std::string& filter);

private:
    platform::modal::FileRequest m_request;
    std::string m_path;
};
