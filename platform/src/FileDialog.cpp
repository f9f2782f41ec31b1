#include "platform/FileDialog.h"

#include "platform/Modal.h"
#include "platform/Qt.h"

#include <QFileDialog>
#include <QStringList>

namespace {

std::vector<std::string> SplitBars(const std::string& filter) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : filter) {
        if (c == '|') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        parts.push_back(cur);
    while (!parts.empty() && parts.back().empty())
        parts.pop_back();
    return parts;
}

} // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const char* lpszFileName,
                         DWORD dwFlags, const char* lpszFilter, CWnd*)
    : m_bOpen(bOpenFileDialog), m_fileName(lpszFileName ? lpszFileName : ""), m_flags(dwFlags),
      m_filter(lpszFilter ? lpszFilter : "") {
    if (lpszDefExt)
        m_defExt = lpszDefExt;
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
    if (!hasDefExt || path.empty())
        return path;
    const std::size_t slash = path.rfind('/');
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.empty() || name.find('.') != std::string::npos)
        return path;
    const auto parts = SplitBars(filter);
    if (parts.size() < 2)
        return path;
    std::string pat = parts[1].substr(0, parts[1].find(';'));
    if (pat.rfind("*.", 0) != 0 || pat.size() <= 2 || pat.find('*', 1) != std::string::npos)
        return path;
    return path + pat.substr(1);
}

INT_PTR CFileDialog::DoModal() {
    namespace modal = platform::modal;
    const modal::Kind kind = m_bOpen ? modal::Kind::FileOpen : modal::Kind::FileSave;
    modal::Record rec{kind};
    rec.style = m_flags;
    rec.text = m_fileName;
    rec.filter = m_filter;
    rec.defExt = m_defExt.value_or("");
    INT_PTR result = IDCANCEL;
    std::string chosen;
    if (modal::IsScripted()) {
        modal::Answer a;
        rec.expected = modal::Take(kind, 0, a, m_bOpen ? "open dialog" : "save dialog");
        if (rec.expected && a.code == IDOK && !a.path.empty()) {
            chosen = a.path;
            result = IDOK;
        }
    } else {
        QFileDialog dlg(nullptr, QString(), platform::ToQ(m_fileName),
                        platform::ToQ(ToQtFilter(m_filter)));
        dlg.setAcceptMode(m_bOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dlg.setFileMode(m_bOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        if (!m_bOpen && !(m_flags & OFN_OVERWRITEPROMPT))
            dlg.setOption(QFileDialog::DontConfirmOverwrite);
        const std::string withExt = ApplyDefaultExtension("x", m_filter, m_defExt.has_value());
        if (withExt.size() > 2)
            dlg.setDefaultSuffix(platform::ToQ(withExt.substr(2)));
        if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty()) {
            chosen = platform::FromQ(dlg.selectedFiles().first());
            result = IDOK;
        }
    }
    if (result == IDOK)
        m_path = ApplyDefaultExtension(chosen, m_filter, m_defExt.has_value());
    else
        m_path.clear();
    rec.path = m_path;
    rec.result = result;
    modal::Note(rec);
    return result;
}
