#include "platform/Wnd.h"

#include "platform/Qt.h"
#include "platform/Text.h"
#include "res/Resources.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextCursor>
#include <QTreeWidget>
#include <QValidator>

using platform::FromQ;
using platform::ToQ;

namespace {

// Refuses an edit that would make the text longer than the limit in UTF-8 bytes. Text set
// by the program may exceed it; shortening is then still allowed.
class Utf8LimitValidator : public QValidator {
public:
    Utf8LimitValidator(QLineEdit* edit, int limit)
        : QValidator(edit), m_limit(limit), m_current(edit->text().toUtf8().size()) {
        // The text before an edit is what the edit last showed.
        QObject::connect(edit, &QLineEdit::textChanged, this,
                         [this](const QString& t) { m_current = t.toUtf8().size(); });
    }
    State validate(QString& input, int&) const override {
        const qsizetype n = input.toUtf8().size();
        if (n <= m_limit || n <= m_current)
            return Acceptable;
        return Invalid;
    }
    int limit() const { return m_limit; }

private:
    int m_limit;
    qsizetype m_current;
};

} // namespace

int CWnd::GetDlgCtrlID() const {
    if (!m_wnd)
        return 0;
    const QVariant v = m_wnd->property("ctrlId");
    return v.isValid() ? v.toInt() : 0;
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    if (!m_wnd)
        return FALSE;
    const bool wasDisabled = !m_wnd->isEnabled();
    m_wnd->setEnabled(bEnable != FALSE);
    return wasDisabled ? TRUE : FALSE;
}

BOOL CWnd::IsWindowEnabled() const {
    return m_wnd && m_wnd->isEnabled() ? TRUE : FALSE;
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    if (!m_wnd)
        return FALSE;
    const bool was = !m_wnd->isHidden();
    m_wnd->setVisible(nCmdShow != SW_HIDE);
    return was ? TRUE : FALSE;
}

BOOL CWnd::IsWindowVisible() const {
    return m_wnd && !m_wnd->isHidden() ? TRUE : FALSE;
}

void CWnd::SetWindowText(const std::string& text) {
    QWidget* w = m_wnd.data();
    if (!w)
        return;
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(ToQ(text));
    else if (auto* m = qobject_cast<QPlainTextEdit*>(w))
        m->setPlainText(platform::ToQMultiLine(text));
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(ToQ(text));
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(ToQ(text));
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(ToQ(text));
    else if (w->isWindow())
        w->setWindowTitle(ToQ(text));
}

std::string CWnd::GetWindowText() const {
    QWidget* w = m_wnd.data();
    if (!w)
        return {};
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return FromQ(e->text());
    if (auto* m = qobject_cast<QPlainTextEdit*>(w))
        return platform::FromQMultiLine(m->toPlainText());
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return FromQ(b->text());
    if (auto* l = qobject_cast<QLabel*>(w))
        return FromQ(l->text());
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return FromQ(g->title());
    if (auto* c = qobject_cast<QComboBox*>(w))
        return FromQ(c->currentText());
    if (w->isWindow())
        return FromQ(w->windowTitle());
    return {};
}

void CWnd::SetFocus() {
    if (m_wnd)
        m_wnd->setFocus(Qt::OtherFocusReason);
}

void CWnd::SetIcon(const QIcon& icon, BOOL) {
    // X11 takes one icon set for both sizes.
    if (m_wnd)
        m_wnd->setWindowIcon(icon);
}

BOOL CWnd::IsIconic() const {
    return m_wnd && m_wnd->isMinimized() ? TRUE : FALSE;
}

// --- CButton ---

int CButton::GetCheck() const {
    auto* b = qobject_cast<QAbstractButton*>(m_wnd.data());
    return b && b->isCheckable() && b->isChecked() ? 1 : 0;
}

void CButton::SetCheck(int nCheck) {
    if (auto* b = qobject_cast<QAbstractButton*>(m_wnd.data()))
        b->setChecked(nCheck != 0);
}

void CButton::Click() {
    if (auto* b = qobject_cast<QAbstractButton*>(m_wnd.data()))
        b->click();
}

// --- CEdit ---

QLineEdit* CEdit::line() const {
    return qobject_cast<QLineEdit*>(m_wnd.data());
}
QPlainTextEdit* CEdit::multi() const {
    return qobject_cast<QPlainTextEdit*>(m_wnd.data());
}

void CEdit::SetSel(int nStart, int nEnd) {
    if (auto* e = line()) {
        const int len = static_cast<int>(e->text().size());
        if (nStart < 0) {
            e->deselect();
            return;
        }
        const int end = (nEnd < 0 || nEnd > len) ? len : nEnd;
        const int start = nStart > len ? len : nStart;
        e->setSelection(start, end - start);
    } else if (auto* m = multi()) {
        QTextCursor c = m->textCursor();
        if (nStart < 0) {
            c.clearSelection();
        } else {
            c.setPosition(nStart);
            if (nEnd < 0)
                c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            else
                c.setPosition(nEnd, QTextCursor::KeepAnchor);
        }
        m->setTextCursor(c);
    }
}

std::string CEdit::GetSelText() const {
    if (auto* e = line())
        return FromQ(e->selectedText());
    if (auto* m = multi())
        return FromQ(m->textCursor().selectedText());
    return {};
}

void CEdit::SetReadOnly(BOOL bReadOnly) {
    if (auto* e = line())
        e->setReadOnly(bReadOnly != FALSE);
    else if (auto* m = multi())
        m->setReadOnly(bReadOnly != FALSE);
}

BOOL CEdit::IsReadOnly() const {
    if (auto* e = line())
        return e->isReadOnly() ? TRUE : FALSE;
    if (auto* m = multi())
        return m->isReadOnly() ? TRUE : FALSE;
    return FALSE;
}

void CEdit::LimitText(int nBytes) {
    auto* e = line();
    if (!e)
        return;
    const QValidator* old = e->validator();
    e->setValidator(nBytes > 0 ? new Utf8LimitValidator(e, nBytes) : nullptr);
    delete old;
}

int CEdit::GetLimitText() const {
    auto* e = line();
    if (!e)
        return 0;
    auto* v = dynamic_cast<const Utf8LimitValidator*>(e->validator());
    return v ? v->limit() : 0;
}

void CEdit::ScrollCaret() {
    if (auto* m = multi())
        m->ensureCursorVisible();
}

// --- CListBox ---

QListWidget* CListBox::list() const {
    return qobject_cast<QListWidget*>(m_wnd.data());
}

int CListBox::AddString(const std::string& text) {
    auto* l = list();
    if (!l)
        return LB_ERR;
    l->addItem(ToQ(text));
    return l->count() - 1;
}

void CListBox::ResetContent() {
    if (auto* l = list())
        l->clear();
}

int CListBox::GetCount() const {
    auto* l = list();
    return l ? l->count() : LB_ERR;
}

int CListBox::GetCurSel() const {
    auto* l = list();
    if (!l)
        return LB_ERR;
    const auto sel = l->selectedItems();
    return sel.isEmpty() ? LB_ERR : l->row(sel.first());
}

int CListBox::SetCurSel(int nSelect) {
    auto* l = list();
    if (!l)
        return LB_ERR;
    if (nSelect < 0 || nSelect >= l->count()) {
        l->clearSelection();
        l->setCurrentRow(-1);
        return LB_ERR;
    }
    l->setCurrentRow(nSelect);
    return nSelect;
}

std::string CListBox::GetText(int nIndex) const {
    auto* l = list();
    if (!l || nIndex < 0 || nIndex >= l->count())
        return {};
    return FromQ(l->item(nIndex)->text());
}

int CListBox::FindString(int nStartAfter, const std::string& prefix) const {
    auto* l = list();
    if (!l)
        return LB_ERR;
    const int n = l->count();
    const QString p = ToQ(prefix);
    const int first = (nStartAfter < -1 || nStartAfter >= n) ? 0 : nStartAfter + 1;
    for (int k = 0; k < n; ++k) {
        const int i = (first + k) % n;
        if (l->item(i)->text().startsWith(p, Qt::CaseInsensitive))
            return i;
    }
    return LB_ERR;
}

int CListBox::SelectString(int nStartAfter, const std::string& prefix) {
    const int i = FindString(nStartAfter, prefix);
    if (i != LB_ERR)
        SetCurSel(i);
    return i;
}

// --- CComboBox ---

QComboBox* CComboBox::combo() const {
    return qobject_cast<QComboBox*>(m_wnd.data());
}

int CComboBox::AddString(const std::string& text) {
    auto* c = combo();
    if (!c)
        return CB_ERR;
    const int cur = c->currentIndex();
    c->addItem(ToQ(text));
    // Adding a row never selects it (Qt selects the first row added to an empty box).
    c->setCurrentIndex(cur);
    return c->count() - 1;
}

void CComboBox::ResetContent() {
    if (auto* c = combo())
        c->clear();
}

int CComboBox::GetCount() const {
    auto* c = combo();
    return c ? c->count() : CB_ERR;
}

int CComboBox::GetCurSel() const {
    auto* c = combo();
    return c ? c->currentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int nSelect) {
    auto* c = combo();
    if (!c)
        return CB_ERR;
    if (nSelect < 0 || nSelect >= c->count()) {
        c->setCurrentIndex(-1);
        return CB_ERR;
    }
    c->setCurrentIndex(nSelect);
    return nSelect;
}

std::string CComboBox::GetLBText(int nIndex) const {
    auto* c = combo();
    if (!c || nIndex < 0 || nIndex >= c->count())
        return {};
    return FromQ(c->itemText(nIndex));
}

// --- CImageList ---

BOOL CImageList::Create(int nBitmapID, int cx, int, COLORREF crMask) {
    m_images.clear();
    const std::string path = res::BitmapPath(nBitmapID);
    QImage img(QString::fromStdString(path));
    if (img.isNull() || cx <= 0)
        return FALSE;
    img = img.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = qRgb(crMask & 0xFF, (crMask >> 8) & 0xFF, (crMask >> 16) & 0xFF);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if ((line[x] | 0xFF000000u) == (mask | 0xFF000000u))
                line[x] = 0;
        }
    }
    for (int x = 0; x + cx <= img.width(); x += cx)
        m_images.emplace_back(QPixmap::fromImage(img.copy(x, 0, cx, img.height())));
    return m_images.empty() ? FALSE : TRUE;
}

QIcon CImageList::GetIcon(int nImage) const {
    if (nImage < 0 || nImage >= GetImageCount())
        return {};
    return m_images[static_cast<std::size_t>(nImage)];
}

// --- CListCtrl ---

QTreeWidget* CListCtrl::tree() const {
    return qobject_cast<QTreeWidget*>(m_wnd.data());
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) {
    const DWORD old = m_exStyle;
    m_exStyle = dwNewStyle;
    // Rows are always selected whole in a Qt tree view; the flag is kept for callers.
    return old;
}

DWORD CListCtrl::GetExtendedStyle() const {
    return m_exStyle;
}

int CListCtrl::InsertColumn(int nCol, const std::string& heading, int, int nWidth) {
    auto* t = tree();
    if (!t || nCol < 0)
        return -1;
    const int count = t->headerItem() && t->property("tovaloColumns").isValid()
                          ? t->property("tovaloColumns").toInt()
                          : 0;
    const int col = nCol > count ? count : nCol;
    QStringList headings;
    for (int i = 0; i < count; ++i)
        headings << t->headerItem()->text(i);
    headings.insert(col, ToQ(heading));
    t->setColumnCount(count + 1);
    t->setHeaderLabels(headings);
    t->setProperty("tovaloColumns", count + 1);
    if (nWidth >= 0)
        t->setColumnWidth(col, nWidth);
    return col;
}

int CListCtrl::GetColumnCount() const {
    auto* t = tree();
    return t && t->property("tovaloColumns").isValid() ? t->property("tovaloColumns").toInt() : 0;
}

std::string CListCtrl::GetColumnHeading(int nCol) const {
    auto* t = tree();
    if (!t || nCol < 0 || nCol >= GetColumnCount())
        return {};
    return FromQ(t->headerItem()->text(nCol));
}

BOOL CListCtrl::SetColumnWidth(int nCol, int cx) {
    auto* t = tree();
    if (!t || nCol < 0 || nCol >= GetColumnCount())
        return FALSE;
    if (cx == LVSCW_AUTOSIZE_USEHEADER) {
        if (nCol == GetColumnCount() - 1) {
            // The last column fills what the others leave of the list's width.
            t->header()->setStretchLastSection(true);
            int others = 0;
            for (int i = 0; i < nCol; ++i)
                others += t->columnWidth(i);
            const int room = t->viewport()->width() > 0 ? t->viewport()->width()
                                                        : t->width() - 2 * t->frameWidth();
            const int head = t->fontMetrics().horizontalAdvance(t->headerItem()->text(nCol)) + 12;
            t->setColumnWidth(nCol, std::max(room - others, head));
        } else {
            t->resizeColumnToContents(nCol);
        }
        return TRUE;
    }
    t->setColumnWidth(nCol, cx);
    return TRUE;
}

int CListCtrl::GetColumnWidth(int nCol) const {
    auto* t = tree();
    return t ? t->columnWidth(nCol) : 0;
}

void CListCtrl::SetImageList(CImageList* pImageList, int) {
    m_pImages = pImageList;
}

int CListCtrl::InsertItem(int nItem, const std::string& text, int nImage) {
    auto* t = tree();
    if (!t)
        return -1;
    const int count = t->topLevelItemCount();
    const int at = (nItem < 0 || nItem > count) ? count : nItem;
    auto* item = new QTreeWidgetItem;
    item->setText(0, ToQ(text));
    item->setData(0, Qt::UserRole, nImage);
    if (m_pImages && nImage >= 0)
        item->setIcon(0, m_pImages->GetIcon(nImage));
    t->insertTopLevelItem(at, item);
    return at;
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const std::string& text) {
    auto* t = tree();
    if (!t || nItem < 0 || nItem >= t->topLevelItemCount() || nSubItem < 0 ||
        nSubItem >= std::max(1, GetColumnCount()))
        return FALSE;
    t->topLevelItem(nItem)->setText(nSubItem, ToQ(text));
    return TRUE;
}

std::string CListCtrl::GetItemText(int nItem, int nSubItem) const {
    auto* t = tree();
    if (!t || nItem < 0 || nItem >= t->topLevelItemCount() || nSubItem < 0)
        return {};
    return FromQ(t->topLevelItem(nItem)->text(nSubItem));
}

int CListCtrl::GetItemImage(int nItem) const {
    auto* t = tree();
    if (!t || nItem < 0 || nItem >= t->topLevelItemCount())
        return -1;
    return t->topLevelItem(nItem)->data(0, Qt::UserRole).toInt();
}

int CListCtrl::GetItemCount() const {
    auto* t = tree();
    return t ? t->topLevelItemCount() : 0;
}

BOOL CListCtrl::DeleteItem(int nItem) {
    auto* t = tree();
    if (!t || nItem < 0 || nItem >= t->topLevelItemCount())
        return FALSE;
    delete t->takeTopLevelItem(nItem);
    return TRUE;
}

BOOL CListCtrl::DeleteAllItems() {
    auto* t = tree();
    if (!t)
        return FALSE;
    t->clear();
    return TRUE;
}

int CListCtrl::GetNextItem(int nItem, int nFlags) const {
    auto* t = tree();
    if (!t)
        return -1;
    const int count = t->topLevelItemCount();
    for (int i = nItem < 0 ? 0 : nItem + 1; i < count; ++i) {
        if ((nFlags & LVNI_SELECTED) == 0 || t->topLevelItem(i)->isSelected())
            return i;
    }
    return -1;
}

BOOL CListCtrl::SetSelected(int nItem, BOOL bSelected) {
    auto* t = tree();
    if (!t || nItem < 0 || nItem >= t->topLevelItemCount())
        return FALSE;
    if (bSelected && t->selectionMode() == QAbstractItemView::SingleSelection)
        t->clearSelection();
    t->topLevelItem(nItem)->setSelected(bSelected != FALSE);
    if (bSelected)
        t->setCurrentItem(t->topLevelItem(nItem), 0, QItemSelectionModel::NoUpdate);
    return TRUE;
}

BOOL CListCtrl::IsSelected(int nItem) const {
    auto* t = tree();
    if (!t || nItem < 0 || nItem >= t->topLevelItemCount())
        return FALSE;
    return t->topLevelItem(nItem)->isSelected() ? TRUE : FALSE;
}

int CListCtrl::GetSelectedCount() const {
    auto* t = tree();
    return t ? static_cast<int>(t->selectedItems().size()) : 0;
}

// --- CProgressCtrl ---

QProgressBar* CProgressCtrl::bar() const {
    return qobject_cast<QProgressBar*>(m_wnd.data());
}

void CProgressCtrl::SetRange(int nLower, int nUpper) {
    if (auto* b = bar())
        b->setRange(nLower, nUpper);
}

int CProgressCtrl::SetPos(int nPos) {
    auto* b = bar();
    if (!b)
        return 0;
    const int old = b->value() < b->minimum() ? b->minimum() : b->value();
    b->setValue(std::clamp(nPos, b->minimum(), b->maximum()));
    return old;
}

int CProgressCtrl::GetPos() const {
    auto* b = bar();
    if (!b)
        return 0;
    return b->value() < b->minimum() ? b->minimum() : b->value();
}
