// The modal seam's real handler and the calls that pass the seam: message boxes, file
// dialogs and the shell (dialogs pass it in CDialog::DoModal).
#include "platform/Modal.h"

#include "platform/Dialog.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/Qt.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "res/Resources.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include <vector>

namespace platform::modal {
namespace {

Handler g_real;
Handler* g_current = &g_real;

} // namespace

Handler& Current() {
    return *g_current;
}

void SetHandler(Handler* handler) {
    g_current = handler ? handler : &g_real;
}

int Handler::MessageBox(const std::string& text, UINT style, UINT) {
    const bool okCancel = (style & MB_TYPEMASK) == MB_OKCANCEL;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if ((style & MB_ICONMASK) == MB_ICONEXCLAMATION)
        icon = QMessageBox::Warning;
    else if ((style & MB_ICONMASK) == MB_ICONQUESTION)
        icon = QMessageBox::Question;
    QMessageBox box(icon, ToQ(res::kProductName), ToQMultiLine(text),
                    okCancel ? (QMessageBox::Ok | QMessageBox::Cancel) : QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setDefaultButton(okCancel && (style & MB_DEFBUTTON2) ? QMessageBox::Cancel
                                                             : QMessageBox::Ok);
    box.setEscapeButton(okCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}

std::optional<std::string> Handler::ChooseFile(const FileRequest& request) {
    QFileDialog dlg(nullptr, QString(), ToQ(request.folder),
                    ToQ(CFileDialog::ToQtFilter(request.filter)));
    if (!request.fileName.empty())
        dlg.selectFile(ToQ(request.fileName));
    dlg.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(request.open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.open && !(request.flags & OFN_OVERWRITEPROMPT))
        dlg.setOption(QFileDialog::DontConfirmOverwrite);
    const std::string withExt =
        CFileDialog::ApplyDefaultExtension("x", request.filter, request.defExt.has_value());
    if (withExt.size() > 2)
        dlg.setDefaultSuffix(ToQ(withExt.substr(2)));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return FromQ(dlg.selectedFiles().first());
}

INT_PTR Handler::RunDialog(CDialog& dlg) {
    return dlg.OpenModal() ? dlg.RunModalLoop() : -1;
}

bool Handler::OpenDocument(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(ToQ(path)).absoluteFilePath()));
}

} // namespace platform::modal

// --- message boxes ---

int AfxMessageBox(const std::string& text, UINT nType, UINT nIDPrompt) {
    const int answer = platform::modal::Current().MessageBox(text, nType, nIDPrompt);
    // A box with only OK answers OK, however it was closed.
    return (nType & MB_TYPEMASK) == MB_OKCANCEL && answer != IDOK ? IDCANCEL : IDOK;
}

int AfxMessageBox(UINT nIDPrompt, UINT nType) {
    return AfxMessageBox(std::string(res::LoadString(static_cast<int>(nIDPrompt))), nType,
                         nIDPrompt);
}

int AfxFormatMessageBox(UINT nIDPrompt, UINT nType, const std::string& arg) {
    return AfxMessageBox(platform::FormatString(res::LoadString(static_cast<int>(nIDPrompt)), arg),
                         nType, nIDPrompt);
}

// --- file dialogs ---

namespace {

std::vector<std::string> SplitBars(const std::string& filter) {
    std::vector<std::string> parts{std::string()};
    for (char c : filter) {
        if (c == '|')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    while (!parts.empty() && parts.back().empty())
        parts.pop_back();
    return parts;
}

} // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const char* lpszFileName,
                         DWORD dwFlags, const char* lpszFilter, CWnd*) {
    m_request.open = bOpenFileDialog != FALSE;
    m_request.fileName = lpszFileName ? lpszFileName : "";
    m_request.filter = lpszFilter ? lpszFilter : "";
    if (lpszDefExt)
        m_request.defExt = lpszDefExt;
    m_request.flags = dwFlags;
}

INT_PTR CFileDialog::DoModal() {
    const std::optional<std::string> chosen = platform::modal::Current().ChooseFile(m_request);
    m_path = chosen ? ApplyDefaultExtension(*chosen, m_request.filter, m_request.defExt.has_value())
                    : std::string();
    return chosen ? IDOK : IDCANCEL;
}

std::string CFileDialog::ToQtFilter(const std::string& filter) {
    const auto parts = SplitBars(filter);
    QStringList out;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        // "Desc (*.x)" already names its patterns; otherwise add them.
        QString desc = platform::ToQ(parts[i]);
        const QString pat = platform::ToQ(parts[i + 1]).replace(';', ' ');
        if (!desc.contains('('))
            desc += " (" + pat + ")";
        out << desc;
    }
    return platform::FromQ(out.join(";;"));
}

std::string CFileDialog::ApplyDefaultExtension(const std::string& path, const std::string& filter,
                                               bool hasDefExt) {
    const std::string name = path.substr(path.rfind('/') + 1);
    const auto parts = SplitBars(filter);
    if (!hasDefExt || name.empty() || name.find('.') != std::string::npos || parts.size() < 2)
        return path;
    const std::string pat = parts[1].substr(0, parts[1].find(';'));
    if (pat.rfind("*.", 0) != 0 || pat.size() <= 2 || pat.find('*', 1) != std::string::npos)
        return path;
    return path + pat.substr(1);
}

// --- the shell ---

INT_PTR ShellExecuteOpen(CWnd*, const std::string& path) {
    constexpr INT_PTR kFileNotFound = 2;
    constexpr INT_PTR kNoAssociation = 31;
    constexpr INT_PTR kOpened = 42;
    const QFileInfo info(platform::ToQ(path));
    if (path.empty() || !info.isFile() || !info.isReadable())
        return kFileNotFound;
    return platform::modal::Current().OpenDocument(path) ? kOpened : kNoAssociation;
}
