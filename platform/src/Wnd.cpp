#include "platform/Wnd.h"

#include "platform/ListModel.h"
#include "platform/Qt.h"
#include "res/Resources.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextBoundaryFinder>
#include <QTreeView>
#include <QValidator>

#include <algorithm>
#include <stdexcept>

using platform::FromQ;
using platform::ToQ;

namespace {

// Keeps a single-line edit within a limit in UTF-8 bytes. What the user inserts past the
// limit is cut at the last whole character that fits, so a long paste keeps its head
// rather than being refused whole. Text set by the program may exceed the limit;
// shortening is then still allowed.
class Utf8LimitValidator : public QValidator {
public:
    Utf8LimitValidator(QLineEdit* edit, int limit)
        : QValidator(edit), m_limit(limit), m_before(edit->text()) {
        // The text before an edit is what the edit last showed.
        QObject::connect(edit, &QLineEdit::textChanged, this,
                         [this](const QString& t) { m_before = t; });
    }
    State validate(QString& input, int& pos) const override {
        const qsizetype n = input.toUtf8().size();
        if (n <= m_limit || n <= m_before.toUtf8().size())
            return Acceptable;
        // Text set by the program (the edit is then unmodified) is kept as it is: the
        // exchange reports it.
        const auto* edit = qobject_cast<const QLineEdit*>(parent());
        if (!edit || !edit->isModified())
            return Invalid;
        // The inserted run is what lies between the text's unchanged head and tail.
        qsizetype head = 0;
        const qsizetype shorter = std::min(input.size(), m_before.size());
        while (head < shorter && input[head] == m_before[head])
            ++head;
        qsizetype tail = 0;
        while (tail < shorter - head &&
               input[input.size() - 1 - tail] == m_before[m_before.size() - 1 - tail])
            ++tail;
        const QString kept = input.left(head) + input.right(tail);
        qsizetype room = m_limit - kept.toUtf8().size();
        const QString inserted = input.mid(head, input.size() - head - tail);
        QTextBoundaryFinder chars(QTextBoundaryFinder::Grapheme, inserted);
        qsizetype cut = 0;
        for (qsizetype next = chars.toNextBoundary(); next > 0 && room >= 0;
             next = chars.toNextBoundary()) {
            room -= inserted.mid(cut, next - cut).toUtf8().size();
            if (room >= 0)
                cut = next;
        }
        input = input.left(head) + inserted.left(cut) + input.right(tail);
        pos = static_cast<int>(head + cut);
        const qsizetype m = input.toUtf8().size();
        return m <= m_limit || m <= m_before.toUtf8().size() ? Acceptable : Invalid;
    }

private:
    int m_limit;
    QString m_before;
};

template <class W> bool Is(const QWidget* w) {
    return qobject_cast<const W*>(w) != nullptr;
}

} // namespace

void platform::SetEditReadOnly(QWidget* edit, bool readOnly) {
    if (auto* e = qobject_cast<QLineEdit*>(edit))
        e->setReadOnly(readOnly);
    else if (auto* m = qobject_cast<QPlainTextEdit*>(edit))
        m->setReadOnly(readOnly);
    else
        return;
    QPalette p = edit->palette();
    const QPalette app = QApplication::palette(edit);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setBrush(group, QPalette::Base,
                   app.brush(group, readOnly ? QPalette::Window : QPalette::Base));
    edit->setPalette(p);
}

void platform::MoveFocus(QWidget* w) {
    // Styles draw the focus only once a key has moved it (a click hides it again); focus
    // the program moves must be seen too.
    w->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    w->setFocus(Qt::OtherFocusReason);
}

void CWnd::Attach(QWidget* w) {
    if (w && !Accepts(w))
        throw std::logic_error("control " + std::to_string(w->property("ctrlId").toInt()) +
                               " is a " + w->metaObject()->className() +
                               ", which this kind of handle does not drive");
    m_wnd = w;
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    if (!m_wnd)
        return FALSE;
    const bool wasDisabled = !m_wnd->isEnabled();
    // A window gets back the control that had the focus when it was disabled; Qt would
    // hand it to the first control instead.
    if (m_wnd->isWindow() && !bEnable && !wasDisabled)
        m_focusBeforeDisable = m_wnd->focusWidget();
    m_wnd->setEnabled(bEnable != FALSE);
    if (m_wnd->isWindow() && bEnable && wasDisabled && m_focusBeforeDisable &&
        m_focusBeforeDisable->isVisibleTo(m_wnd) && m_focusBeforeDisable->isEnabled())
        platform::MoveFocus(m_focusBeforeDisable);
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
    else if (w && w->isWindow())
        w->setWindowTitle(ToQ(text));
}

std::string CWnd::GetWindowText() const {
    QWidget* w = m_wnd.data();
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
    return w && w->isWindow() ? FromQ(w->windowTitle()) : std::string();
}

void CWnd::SetFocus() {
    if (m_wnd)
        platform::MoveFocus(m_wnd);
}

void CWnd::SetIcon(const QIcon& icon, BOOL) {
    // X11 takes one icon set for both sizes.
    if (m_wnd)
        m_wnd->setWindowIcon(icon);
}

// --- CStatic, CButton ---

bool CStatic::Accepts(const QWidget* w) const {
    return Is<QLabel>(w);
}

bool CButton::Accepts(const QWidget* w) const {
    return Is<QAbstractButton>(w) || Is<QGroupBox>(w);
}

int CButton::GetCheck() const {
    auto* b = As<QAbstractButton>();
    return b && b->isCheckable() && b->isChecked() ? 1 : 0;
}

void CButton::SetCheck(int nCheck) {
    if (auto* b = As<QAbstractButton>())
        b->setChecked(nCheck != 0);
}

// --- CEdit ---

bool CEdit::Accepts(const QWidget* w) const {
    return Is<QLineEdit>(w) || Is<QPlainTextEdit>(w);
}

void CEdit::SetSel(int nStart, int nEnd) {
    QLineEdit* e = As<QLineEdit>();
    if (!e)
        return;
    const int len = static_cast<int>(e->text().size());
    if (nStart < 0) {
        e->deselect();
        return;
    }
    const int end = (nEnd < 0 || nEnd > len) ? len : nEnd;
    const int start = nStart > len ? len : nStart;
    e->setSelection(start, end - start);
}

void CEdit::SetReadOnly(BOOL bReadOnly) {
    if (m_wnd)
        platform::SetEditReadOnly(m_wnd, bReadOnly != FALSE);
}

void CEdit::LimitText(int nBytes) {
    QLineEdit* e = As<QLineEdit>();
    if (!e)
        return;
    const QValidator* old = e->validator();
    e->setValidator(nBytes > 0 ? new Utf8LimitValidator(e, nBytes) : nullptr);
    delete old;
}

// --- CListBox ---

bool CListBox::Accepts(const QWidget* w) const {
    return Is<QListWidget>(w);
}

int CListBox::AddString(const std::string& text) {
    QListWidget* l = As<QListWidget>();
    if (!l)
        return LB_ERR;
    l->addItem(ToQ(text));
    return l->count() - 1;
}

void CListBox::ResetContent() {
    if (QListWidget* l = As<QListWidget>())
        l->clear();
}

int CListBox::GetCurSel() const {
    QListWidget* l = As<QListWidget>();
    const auto sel = l ? l->selectedItems() : QList<QListWidgetItem*>();
    return sel.isEmpty() ? LB_ERR : l->row(sel.first());
}

int CListBox::SetCurSel(int nSelect) {
    QListWidget* l = As<QListWidget>();
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
    QListWidget* l = As<QListWidget>();
    if (!l || nIndex < 0 || nIndex >= l->count())
        return {};
    return FromQ(l->item(nIndex)->text());
}

int CListBox::SelectString(int nStartAfter, const std::string& prefix) {
    QListWidget* l = As<QListWidget>();
    const int n = l ? l->count() : 0;
    const int first = (nStartAfter < -1 || nStartAfter >= n) ? 0 : nStartAfter + 1;
    const QString p = ToQ(prefix);
    for (int k = 0; k < n; ++k) {
        const int i = (first + k) % n;
        if (l->item(i)->text().startsWith(p, Qt::CaseInsensitive))
            return SetCurSel(i);
    }
    return LB_ERR;
}

// --- CComboBox ---

bool CComboBox::Accepts(const QWidget* w) const {
    return Is<QComboBox>(w);
}

int CComboBox::AddString(const std::string& text) {
    QComboBox* c = As<QComboBox>();
    if (!c)
        return CB_ERR;
    const int cur = c->currentIndex();
    c->addItem(ToQ(text));
    // Adding a row never selects it (Qt selects the first row added to an empty box).
    c->setCurrentIndex(cur);
    return c->count() - 1;
}

void CComboBox::ResetContent() {
    if (QComboBox* c = As<QComboBox>())
        c->clear();
}

int CComboBox::GetCurSel() const {
    QComboBox* c = As<QComboBox>();
    return c ? c->currentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int nSelect) {
    QComboBox* c = As<QComboBox>();
    if (!c)
        return CB_ERR;
    const bool valid = nSelect >= 0 && nSelect < c->count();
    c->setCurrentIndex(valid ? nSelect : -1);
    return valid ? nSelect : CB_ERR;
}

// --- CImageList ---

BOOL CImageList::Create(int nBitmapID, int cx, int, COLORREF crMask) {
    m_images.clear();
    QImage img = res::LoadPng(res::BitmapPath(nBitmapID));
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

bool CListCtrl::Accepts(const QWidget* w) const {
    return Is<QTreeView>(w);
}

platform::ListModel* CListCtrl::Model() const {
    QTreeView* t = As<QTreeView>();
    return t ? dynamic_cast<platform::ListModel*>(t->model()) : nullptr;
}

platform::TextListModel* CListCtrl::Texts() const {
    return dynamic_cast<platform::TextListModel*>(Model());
}

void CListCtrl::SetModel(platform::ListModel* model) {
    QTreeView* t = As<QTreeView>();
    if (!t || !model)
        return;
    QAbstractItemModel* old = t->model();
    model->setParent(t);
    model->SetImages(m_pImages);
    QItemSelectionModel* oldSelection = t->selectionModel();
    t->setModel(model); // the view leaves the old selection model to its owner
    delete oldSelection;
    if (old && old->parent() == t)
        delete old;
}

int CListCtrl::InsertColumn(int nCol, const std::string& heading, int) {
    platform::ListModel* m = Model();
    return m && nCol >= 0 ? m->InsertColumn(nCol, ToQ(heading)) : -1;
}

BOOL CListCtrl::SetColumnWidth(int nCol, int cx) {
    QTreeView* t = As<QTreeView>();
    platform::ListModel* m = Model();
    if (!t || !m || nCol < 0 || nCol >= m->columnCount())
        return FALSE;
    if (cx != LVSCW_AUTOSIZE_USEHEADER) {
        t->setColumnWidth(nCol, cx);
    } else if (nCol < m->columnCount() - 1) {
        t->resizeColumnToContents(nCol);
    } else {
        // The last column fills what the others leave of the list's width.
        t->header()->setStretchLastSection(true);
        int others = 0;
        for (int i = 0; i < nCol; ++i)
            others += t->columnWidth(i);
        const int room =
            t->viewport()->width() > 0 ? t->viewport()->width() : t->width() - 2 * t->frameWidth();
        const QString heading = m->headerData(nCol, Qt::Horizontal, Qt::DisplayRole).toString();
        const int head = t->fontMetrics().horizontalAdvance(heading) + 12;
        t->setColumnWidth(nCol, std::max(room - others, head));
    }
    return TRUE;
}

void CListCtrl::SetImageList(CImageList* pImageList, int) {
    m_pImages = pImageList;
    if (platform::ListModel* m = Model())
        m->SetImages(pImageList);
}

int CListCtrl::InsertItem(int nItem, const std::string& text, int nImage) {
    platform::TextListModel* m = Texts();
    if (!m)
        return -1;
    return m->Insert(nItem < 0 ? m->rowCount() : nItem, ToQ(text), nImage);
}

int CListCtrl::AppendRows(std::size_t count,
                          const std::function<std::string(std::size_t, int)>& text) {
    platform::TextListModel* m = Texts();
    return m ? m->Append(count, text) : -1;
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const std::string& text) {
    platform::TextListModel* m = Texts();
    return m && m->SetText(nItem, nSubItem, ToQ(text)) ? TRUE : FALSE;
}

int CListCtrl::GetItemImage(int nItem) const {
    platform::ListModel* m = Model();
    if (!m || nItem < 0 || nItem >= m->rowCount())
        return -1;
    return m->index(nItem, 0).data(platform::ListModel::kImageRole).toInt();
}

int CListCtrl::GetItemCount() const {
    platform::ListModel* m = Model();
    return m ? m->rowCount() : 0;
}

BOOL CListCtrl::DeleteItem(int nItem) {
    platform::TextListModel* m = Texts();
    QTreeView* t = As<QTreeView>();
    const bool wasSelected = t && t->selectionModel() && nItem >= 0 &&
                             t->selectionModel()->isRowSelected(nItem, QModelIndex());
    if (!m || !m->Remove(nItem))
        return FALSE;
    // Qt hands the selection on to a neighbour the user never chose; a list view leaves
    // the other rows as they were.
    if (wasSelected && t->selectionMode() == QAbstractItemView::SingleSelection)
        t->selectionModel()->clearSelection();
    return TRUE;
}

BOOL CListCtrl::DeleteAllItems() {
    platform::TextListModel* m = Texts();
    if (m)
        m->Clear();
    return m ? TRUE : FALSE;
}

int CListCtrl::GetNextItem(int nItem, int nFlags) const {
    QTreeView* t = As<QTreeView>();
    platform::ListModel* m = Model();
    const int count = m ? m->rowCount() : 0;
    const QItemSelectionModel* selection = t ? t->selectionModel() : nullptr;
    for (int i = nItem < 0 ? 0 : nItem + 1; i < count; ++i) {
        if ((nFlags & LVNI_SELECTED) == 0 || (selection && selection->isRowSelected(i)))
            return i;
    }
    return -1;
}

// --- CProgressCtrl ---

bool CProgressCtrl::Accepts(const QWidget* w) const {
    return Is<QProgressBar>(w);
}

void CProgressCtrl::SetRange(int nLower, int nUpper) {
    if (QProgressBar* b = As<QProgressBar>())
        b->setRange(nLower, nUpper);
}

int CProgressCtrl::SetPos(int nPos) {
    QProgressBar* b = As<QProgressBar>();
    if (!b)
        return 0;
    const int old = GetPos();
    b->setValue(std::clamp(nPos, b->minimum(), b->maximum()));
    return old;
}

int CProgressCtrl::GetPos() const {
    QProgressBar* b = As<QProgressBar>();
    return b ? std::max(b->value(), b->minimum()) : 0;
}
