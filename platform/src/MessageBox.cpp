#include "platform/MessageBox.h"

#include "platform/Modal.h"
#include "platform/Qt.h"
#include "platform/Text.h"
#include "res/Resources.h"

#include <QApplication>
#include <QMessageBox>

int AfxMessageBox(const std::string& text, UINT nType, UINT nIDPrompt) {
    namespace modal = platform::modal;
    const bool okCancel = (nType & MB_TYPEMASK) == MB_OKCANCEL;
    if (modal::IsScripted()) {
        modal::Answer a;
        const bool ok =
            modal::Take(modal::Kind::MessageBox, 0, a,
                        "message box " + std::to_string(nIDPrompt) + " \"" + text + "\"");
        // A box with only OK answers OK, however it is closed.
        int result = okCancel ? (ok ? (a.code == IDOK ? IDOK : IDCANCEL) : IDCANCEL) : IDOK;
        modal::Record r{modal::Kind::MessageBox};
        r.id = nIDPrompt;
        r.style = nType;
        r.text = text;
        r.result = result;
        r.expected = ok;
        modal::Note(r);
        return result;
    }
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (nType & MB_ICONMASK) {
    case MB_ICONEXCLAMATION:
        icon = QMessageBox::Warning;
        break;
    case MB_ICONQUESTION:
        icon = QMessageBox::Question;
        break;
    default:
        break;
    }
    QMessageBox box(icon, platform::ToQ(res::kProductName), platform::ToQMultiLine(text),
                    okCancel ? (QMessageBox::Ok | QMessageBox::Cancel) : QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(okCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    const int r = box.exec();
    return (okCancel && r != QMessageBox::Ok) ? IDCANCEL : IDOK;
}

int AfxMessageBox(UINT nIDPrompt, UINT nType) {
    return AfxMessageBox(std::string(res::LoadString(static_cast<int>(nIDPrompt))), nType,
                         nIDPrompt);
}

int AfxFormatMessageBox(UINT nIDPrompt, UINT nType, const std::string& arg) {
    return AfxMessageBox(platform::FormatString(res::LoadString(static_cast<int>(nIDPrompt)), arg),
                         nType, nIDPrompt);
}
