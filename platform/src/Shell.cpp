#include "platform/Shell.h"

#include "platform/Modal.h"
#include "platform/Qt.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

INT_PTR ShellExecuteOpen(CWnd*, const std::string& path) {
    namespace modal = platform::modal;
    constexpr INT_PTR kFileNotFound = 2;
    constexpr INT_PTR kNoAssociation = 31;
    constexpr INT_PTR kOpened = 42;
    const QFileInfo info(platform::ToQ(path));
    const bool exists = !path.empty() && info.isFile() && info.isReadable();
    INT_PTR result;
    if (modal::IsScripted()) {
        // Tests never start a browser: an existing file counts as opened.
        modal::Answer a;
        const bool forcedFailure = modal::Take(modal::Kind::Shell, 0, a, "shell") && a.fail;
        result = (!exists || forcedFailure) ? kFileNotFound : kOpened;
    } else if (!exists) {
        result = kFileNotFound;
    } else {
        result = QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()))
                     ? kOpened
                     : kNoAssociation;
    }
    modal::Record r{modal::Kind::Shell};
    r.text = path;
    r.result = result;
    modal::Note(r);
    return result;
}
