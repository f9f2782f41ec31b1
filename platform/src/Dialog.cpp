#include "platform/Dialog.h"

#include "platform/ListModel.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/Qt.h"
#include "res/Resources.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTreeView>
#include <QWindow>

#include <charconv>
#include <cmath>
#include <utility>

using platform::ToQ;

namespace {

// Unwinds a failed data exchange to UpdateData.
struct ExchangeFailed {};

constexpr const char* kCtrlId = "ctrlId";
constexpr const char* kDefault = "defaultButton";

// The control that `w` is or is inside; null for none.
QWidget* ControlOf(QWidget* w) {
    for (; w && !w->isWindow(); w = w->parentWidget()) {
        if (w->property(kCtrlId).isValid())
            return w;
    }
    return nullptr;
}

int CtrlIdOf(QWidget* w) {
    QWidget* c = ControlOf(w);
    return c ? c->property(kCtrlId).toInt() : 0;
}

int MulDiv4(int v, int base, int div) {
    return static_cast<int>(std::lround(static_cast<double>(v) * base / div));
}

QFont DialogFont(const res::Dialog& tpl) {
    QFont f;
    f.setFamilies(CDialog::DialogFamilies(tpl.font));
    f.setPointSize(tpl.pointSize > 0 ? tpl.pointSize : 9);
    return f;
}

// Qt's Windows style draws a group box's caption on its frame line, where the templates
// place it; other styles put the frame below the caption, through the controls under it.
QStyle* GroupBoxStyle() {
    static QPointer<QStyle> style;
    if (!style) {
        style = QStyleFactory::create(QStringLiteral("Windows"));
        if (style)
            style->setParent(qApp);
    }
    return style;
}

// A list that shows where its focus is. Styles mark the current row with an outline in the
// selection's own colour, which vanishes on a selected row and is absent from an empty
// list; the dotted rectangle of the platform's list boxes is seen on both.
template <class View> class FocusShowingView : public View {
public:
    using View::View;

protected:
    void paintEvent(QPaintEvent* event) override {
        View::paintEvent(event);
        if (!this->hasFocus())
            return;
        const QModelIndex current = this->currentIndex();
        QRect r = this->viewport()->rect();
        bool selected = false;
        if (current.isValid()) {
            const QRect cell = this->visualRect(current);
            r = QRect(r.left(), cell.top(), r.width(), cell.height());
            selected = this->selectionModel()->isSelected(current);
        }
        QPainter p(this->viewport());
        p.setPen(QPen(this->palette().color(selected ? QPalette::HighlightedText : QPalette::Text),
                      1, Qt::DotLine));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    void focusInEvent(QFocusEvent* event) override {
        View::focusInEvent(event);
        this->viewport()->update();
    }
    void focusOutEvent(QFocusEvent* event) override {
        View::focusOutEvent(event);
        this->viewport()->update();
    }
};

} // namespace

namespace platform::detail {

// The Qt window behind a CDialog: keys, double-clicks in list views, the close box and the
// context menu go to the dialog.
class DialogWidget : public QDialog {
public:
    DialogWidget(CDialog* owner, Qt::WindowFlags flags) : QDialog(nullptr, flags), m_owner(owner) {}
    CDialog* m_owner;
    // The window that owns this one; it becomes the transient parent when this one is first
    // shown, so a dialog that stays hidden (the progress dialog between runs) makes no
    // native window at start-up.
    QPointer<QWidget> m_ownerWindow;

    void setVisible(bool visible) override {
        if (visible && m_ownerWindow) {
            m_ownerWindow->winId();
            winId();
            if (m_ownerWindow->windowHandle() && windowHandle())
                windowHandle()->setTransientParent(m_ownerWindow->windowHandle());
        }
        QDialog::setVisible(visible);
    }

    // Everything that would close the window asks the dialog's own IDCANCEL handling.
    void reject() override {
        if (m_owner)
            m_owner->SendCommand(IDCANCEL);
    }
    void accept() override {
        if (m_owner)
            m_owner->SendCommand(IDOK);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!m_owner || !w)
            return false;
        if (event->type() == QEvent::KeyPress) {
            auto* combo = qobject_cast<QComboBox*>(w);
            if (combo && combo->view() && combo->view()->isVisible())
                return false; // the open list takes its own keys
            return HandleKey(w, static_cast<QKeyEvent*>(event));
        }
        if (event->type() != QEvent::MouseButtonDblClick)
            return false;
        // Double-clicks on a list view's rows or beside them: NM_DBLCLK.
        auto* tree = qobject_cast<QTreeView*>(w->parentWidget());
        if (!tree || tree->viewport() != w)
            return false;
        const auto* me = static_cast<QMouseEvent*>(event);
        const QModelIndex idx = tree->indexAt(me->position().toPoint());
        NMITEMACTIVATE nm{{CtrlIdOf(tree), NM_DBLCLK},
                          idx.isValid() ? idx.row() : -1,
                          idx.isValid() ? idx.column() : 0};
        m_owner->SendNotify(nm.hdr.idFrom, NM_DBLCLK, &nm.hdr);
        return true;
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (HandleKey(this, event))
            event->accept();
        else
            QDialog::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        // The window never closes by itself: the dialog decides.
        event->ignore();
        if (m_owner)
            m_owner->OnClose();
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        QMenu* menu = m_owner ? m_owner->GetContextMenu() : nullptr;
        if (menu && childAt(event->pos()) == nullptr)
            menu->exec(QCursor::pos());
        else
            QDialog::contextMenuEvent(event);
    }

private:
    bool HandleKey(QWidget* target, QKeyEvent* event) {
        if (!m_owner)
            return false;
        const int key = event->key() == Qt::Key_Enter ? Qt::Key_Return : event->key();
        if (m_owner->PreTranslateMessage(key, CtrlIdOf(target)))
            return true;
        const Qt::KeyboardModifiers mods = event->modifiers();
        if (key == Qt::Key_Space && (mods & Qt::AltModifier)) {
            if (QMenu* menu = m_owner->GetContextMenu())
                menu->exec(QCursor::pos());
            return true;
        }
        if (key == Qt::Key_Return && !(mods & (Qt::ControlModifier | Qt::AltModifier)))
            return m_owner->HandleEnter(target);
        if (key == Qt::Key_F1 && mods == Qt::NoModifier) {
            m_owner->SendCommand(ID_HELP);
            return true;
        }
        if (key == Qt::Key_Escape) {
            m_owner->SendCommand(IDCANCEL);
            return true;
        }
        return false;
    }
};

} // namespace platform::detail

using platform::detail::DialogWidget;

// --- CDataExchange ---

void CDataExchange::Fail() {
    if (CWnd* w =
            m_pDlgWnd && m_idLastControl != 0 ? m_pDlgWnd->GetDlgItem(m_idLastControl) : nullptr) {
        w->SetFocus();
        if (auto* e = qobject_cast<QLineEdit*>(w->widget()))
            e->selectAll();
    }
    throw ExchangeFailed{};
}

QWidget* CDataExchange::PrepareCtrl(int nIDC) {
    m_idLastControl = nIDC;
    CWnd* w = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(nIDC) : nullptr;
    return w ? w->widget() : nullptr;
}

// --- CDialog ---

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    DestroyWindow();
}

QDialog* CDialog::GetDialogWidget() const {
    return static_cast<QDialog*>(m_wnd.data());
}

QStringList CDialog::DialogFamilies(std::string_view face) {
    // A missing face alone would fall back to the default sans font; listed first, it
    // would have Qt look for a stand-in once for every script the texts use.
    const QString fallback = ToQ(res::kFallbackFont);
    const QString wanted = ToQ(face);
    if (wanted.isEmpty() || wanted == fallback || !QFontDatabase::hasFamily(wanted))
        return {fallback};
    return {wanted, fallback};
}

void CDialog::GetBaseUnits(const res::Dialog& tpl, int& cx, int& cy) {
    const QFontMetrics fm(DialogFont(tpl));
    // The dialog manager's average width: the alphabet's width over 26, rounded.
    const int avg = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    cx = (avg / 26 + 1) / 2;
    cy = fm.height();
    if (cx <= 0)
        cx = 6;
    if (cy <= 0)
        cy = 12;
}

BOOL CDialog::BuildWindow(bool modal) {
    const res::Dialog* tpl = res::FindDialog(static_cast<int>(m_nIDTemplate));
    if (!tpl)
        return FALSE;
    DestroyWindow();
    m_ended = false;
    m_result = IDCANCEL;

    Qt::WindowFlags flags = (tpl->style & res::kDsAppWindow) ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (tpl->style & res::kDsSysMenu)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    // Every dialog is a window of its own. An owner is only its transient parent: as with
    // owned windows, disabling the owner must not disable the dialog (the progress dialog
    // of a browse run stays usable while the main window is disabled).
    auto* dlg = new DialogWidget(this, flags);
    dlg->setAttribute(Qt::WA_DeleteOnClose, false);
    // The focus shows from the start, wherever it is put.
    dlg->setAttribute(Qt::WA_KeyboardFocusChange);
    const QFont font = DialogFont(*tpl);
    dlg->setFont(font);
    dlg->setWindowTitle(ToQ(tpl->caption.Get()));
    if (modal)
        dlg->setWindowModality(Qt::ApplicationModal);
    if (tpl->style & res::kDsSysMenu) {
        // The window manager's own menu cannot be extended: the window's context menu
        // takes its place.
        m_menu = new QMenu(dlg);
        QObject::connect(m_menu->addAction(ToQ(res::LoadString(AFX_IDS_SCCLOSE))),
                         &QAction::triggered, dlg, [this] { OnClose(); });
    }

    int bx = 0, by = 0;
    GetBaseUnits(*tpl, bx, by);
    auto px = [&](int v) { return MulDiv4(v, bx, 4); };
    auto py = [&](int v) { return MulDiv4(v, by, 8); };
    dlg->setFixedSize(px(tpl->cx), py(tpl->cy));

    const QFontMetrics fm(font);
    std::vector<QWidget*> groups;
    for (const res::Control& c : tpl->controls) {
        const std::string_view text = c.text.Get();
        QWidget* w = nullptr;
        QRect r(px(c.x), py(c.y), px(c.cx), py(c.cy));
        Qt::FocusPolicy focus = Qt::StrongFocus;
        switch (c.kind) {
        case res::Kind::Edit:
            if (c.style & res::kMultiLine) {
                auto* e = new QPlainTextEdit(dlg);
                platform::SetEditReadOnly(e, c.style & res::kReadOnly);
                e->setTabChangesFocus(true);
                e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                e->setLineWrapMode(QPlainTextEdit::WidgetWidth);
                w = e;
            } else {
                auto* e = new QLineEdit(dlg);
                platform::SetEditReadOnly(e, c.style & res::kReadOnly);
                if (c.style & res::kPassword)
                    e->setEchoMode(QLineEdit::Password);
                w = e;
            }
            break;
        case res::Kind::Button:
        case res::Kind::DefButton: {
            auto* b = new QPushButton(ToQ(text), dlg);
            b->setAutoDefault(false);
            if (c.kind == res::Kind::DefButton) {
                b->setDefault(true);
                b->setProperty(kDefault, true);
            }
            w = b;
            break;
        }
        case res::Kind::AutoCheck:
            w = new QCheckBox(ToQ(text), dlg);
            break;
        case res::Kind::GroupBox:
            w = new QGroupBox(ToQ(text), dlg);
            if (QStyle* style = GroupBoxStyle())
                w->setStyle(style);
            // Only a frame: it neither takes clicks nor covers the controls inside it.
            w->setAttribute(Qt::WA_TransparentForMouseEvents);
            groups.push_back(w);
            focus = Qt::NoFocus;
            break;
        case res::Kind::Static: {
            auto* l = new QLabel(ToQ(text), dlg);
            l->setTextFormat(Qt::PlainText);
            l->setAlignment(((c.style & res::kRight) ? Qt::AlignRight : Qt::AlignLeft) |
                            Qt::AlignTop);
            l->setAttribute(Qt::WA_TransparentForMouseEvents);
            // A label taller than one line wraps, as the dialog manager's do.
            l->setWordWrap(c.cy >= 16);
            // A face wider than the template's would cut a one-line label: it grows to
            // its text, away from the side it is aligned to.
            if (const int need = l->wordWrap() ? 0 : fm.horizontalAdvance(l->text());
                need > r.width()) {
                if (c.style & res::kRight)
                    r.setLeft(r.right() + 1 - need);
                else
                    r.setWidth(need);
            }
            focus = Qt::NoFocus;
            w = l;
            break;
        }
        case res::Kind::ListBox: {
            auto* l = new FocusShowingView<QListWidget>(dlg);
            l->setSelectionMode(QAbstractItemView::SingleSelection);
            l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            w = l;
            break;
        }
        case res::Kind::ComboBox: {
            auto* cb = new QComboBox(dlg);
            cb->setMaxVisibleItems(std::max(1, (r.height() - (fm.height() + 8)) / fm.height()));
            // The template gives the open list; the closed box is one line.
            r.setHeight(fm.height() + 8);
            w = cb;
            break;
        }
        case res::Kind::ListView: {
            auto* t = new FocusShowingView<QTreeView>(dlg);
            t->setModel(new platform::TextListModel(t));
            t->setRootIsDecorated(false);
            t->setItemsExpandable(false);
            t->setUniformRowHeights(true);
            t->setAllColumnsShowFocus(true);
            t->setSelectionBehavior(QAbstractItemView::SelectRows);
            t->setSelectionMode((c.style & res::kSingleSel) ? QAbstractItemView::SingleSelection
                                                            : QAbstractItemView::ExtendedSelection);
            t->setIconSize(QSize(16, 16));
            t->header()->setSectionsMovable(false);
            t->header()->setStretchLastSection(false);
            t->viewport()->installEventFilter(dlg);
            w = t;
            break;
        }
        case res::Kind::Progress: {
            auto* p = new QProgressBar(dlg);
            p->setRange(0, 100);
            p->setValue(0);
            p->setTextVisible(false);
            focus = Qt::NoFocus;
            w = p;
            break;
        }
        case res::Kind::Icon: {
            // The control's text names the icon resource.
            int icon = 0;
            std::from_chars(text.data(), text.data() + text.size(), icon);
            auto* l = new QLabel(dlg);
            l->setPixmap(res::LoadIcon(icon).pixmap(32, 32));
            r.setSize(QSize(32, 32));
            focus = Qt::NoFocus;
            w = l;
            break;
        }
        }
        if (focus != Qt::NoFocus && (c.style & res::kNoTabStop))
            focus = Qt::ClickFocus;
        w->setFocusPolicy(focus);
        w->setGeometry(r);
        w->setProperty(kCtrlId, c.id);
        if (c.style & res::kHidden)
            w->setHidden(true);
        if (c.style & res::kDisabled)
            w->setEnabled(false);
        w->installEventFilter(dlg);
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            const int id = c.id;
            QObject::connect(b, &QAbstractButton::clicked, dlg,
                             [this, id] { SendCommand(id, BN_CLICKED); });
        }
    }
    for (QWidget* g : groups)
        g->lower();

    if (m_pParentWnd && m_pParentWnd->widget())
        dlg->m_ownerWindow = m_pParentWnd->widget()->window();
    m_wnd = dlg;
    return TRUE;
}

void CDialog::ApplyInitialFocus(BOOL onInitResult) {
    if (!GetDialogWidget() || !onInitResult)
        return;
    // TRUE from OnInitDialog: the focus goes to the first tab stop.
    for (QWidget* w : GetDialogWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && !w->isHidden() &&
            w->property(kCtrlId).isValid()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    m_nIDTemplate = nIDTemplate;
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    if (!BuildWindow(false))
        return FALSE;
    ApplyInitialFocus(OnInitDialog());
    if (GetDialogWidget() &&
        (res::FindDialog(static_cast<int>(m_nIDTemplate))->style & res::kDsVisible))
        GetDialogWidget()->show();
    return TRUE;
}

BOOL CDialog::BuildAhead() {
    m_builtAhead = BuildWindow(true) != FALSE;
    return m_builtAhead ? TRUE : FALSE;
}

BOOL CDialog::OpenModal() {
    const bool built = std::exchange(m_builtAhead, false) && GetDialogWidget();
    if (!built && !BuildWindow(true))
        return FALSE;
    ApplyInitialFocus(OnInitDialog());
    return TRUE;
}

INT_PTR CDialog::RunModalLoop() {
    return GetDialogWidget() && !m_ended ? GetDialogWidget()->exec() : m_result;
}

INT_PTR CDialog::DoModal() {
    const INT_PTR result = platform::modal::Current().RunDialog(*this);
    DestroyWindow();
    return result;
}

void CDialog::EndDialog(int nResult) {
    m_ended = true;
    m_result = nResult;
    if (GetDialogWidget())
        GetDialogWidget()->done(nResult);
}

BOOL CDialog::DestroyWindow() {
    m_builtAhead = false;
    m_items.clear();
    auto* dlg = static_cast<DialogWidget*>(GetDialogWidget());
    if (!dlg)
        return FALSE;
    dlg->m_owner = nullptr;
    dlg->hide();
    delete dlg;
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    if (!GetDialogWidget())
        return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const ExchangeFailed&) {
        return FALSE;
    }
    return TRUE;
}

CWnd* CDialog::GetDlgItem(int nID) {
    if (!GetDialogWidget() || nID == IDC_STATIC)
        return nullptr;
    std::unique_ptr<CWnd>& item = m_items[nID];
    if (item && item->widget())
        return item.get();
    for (QWidget* w : GetDialogWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->property(kCtrlId) == QVariant(nID)) {
            item = std::make_unique<CWnd>(w);
            return item.get();
        }
    }
    return nullptr;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::OnClose() {
    SendCommand(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(int, int) {
    return FALSE;
}

bool CDialog::HandleEnter(QWidget* focus) {
    if (!GetDialogWidget())
        return false;
    if (auto* b = qobject_cast<QPushButton*>(ControlOf(focus))) {
        if (b->isEnabled())
            b->click();
        return true;
    }
    for (auto* b : GetDialogWidget()->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
        if (b->property(kDefault).toBool()) {
            if (b->isEnabled() && !b->isHidden())
                b->click();
            return true;
        }
    }
    SendCommand(IDOK);
    return true;
}

void CDialog::SendCommand(int nID, int nCode) {
    auto it = m_commands.find({nID, nCode});
    if (it != m_commands.end()) {
        auto fn = it->second; // the handler may change the map's owner
        fn();
    } else if (nCode == BN_CLICKED && nID == IDOK) {
        OnOK();
    } else if (nCode == BN_CLICKED && nID == IDCANCEL) {
        OnCancel();
    }
}

void CDialog::SendNotify(int nID, int nCode, NMHDR* pNMHDR) {
    auto it = m_notifies.find({nID, nCode});
    if (it == m_notifies.end())
        return;
    LRESULT result = 0;
    auto fn = it->second;
    fn(pNMHDR, &result);
}

// --- data exchange ---

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (QWidget* w = pDX->PrepareCtrl(nIDC))
        rControl.Attach(w);
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value) {
    CWnd h(pDX->PrepareCtrl(nIDC));
    if (!h.widget())
        return;
    if (pDX->m_bSaveAndValidate)
        value = h.GetWindowText();
    else
        h.SetWindowText(value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, unsigned int& value) {
    CWnd h(pDX->PrepareCtrl(nIDC));
    if (!h.widget())
        return;
    if (!pDX->m_bSaveAndValidate) {
        h.SetWindowText(std::to_string(value));
        return;
    }
    const std::string text = h.GetWindowText();
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    const char* begin = text.data() + (first == std::string::npos ? text.size() : first);
    const char* end = text.data() + (last == std::string::npos ? text.size() : last + 1);
    unsigned int v = 0;
    const auto [stop, error] = std::from_chars(begin, end, v);
    if (begin == end || error != std::errc() || stop != end) {
        AfxMessageBox(AFX_IDP_PARSE_UINT, MB_ICONEXCLAMATION);
        pDX->Fail();
    }
    value = v;
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    CButton b(pDX->PrepareCtrl(nIDC));
    if (b.widget() && pDX->m_bSaveAndValidate)
        value = b.GetCheck();
    else if (b.widget())
        b.SetCheck(value);
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
    CComboBox c(pDX->PrepareCtrl(nIDC));
    if (c.widget() && pDX->m_bSaveAndValidate)
        index = c.GetCurSel();
    else if (c.widget())
        c.SetCurSel(index);
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nBytes) {
    if (!pDX->m_bSaveAndValidate) {
        if (pDX->m_idLastControl != 0)
            CEdit(pDX->PrepareCtrl(pDX->m_idLastControl)).LimitText(nBytes);
    } else if (static_cast<int>(value.size()) > nBytes) {
        AfxFormatMessageBox(AFX_IDP_PARSE_STRING_SIZE, MB_ICONEXCLAMATION, std::to_string(nBytes));
        pDX->Fail();
    }
}
