#include "platform/Dialog.h"

#include "DialogWidget.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/Qt.h"
#include "platform/Text.h"
#include "res/Resources.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTreeWidget>
#include <QWindow>

#include <charconv>
#include <cmath>

using platform::FromQ;
using platform::ToQ;
using platform::detail::DialogWidget;

namespace {

// Unwinds a failed data exchange to UpdateData.
struct ExchangeFailed {};

constexpr const char* kCtrlId = "ctrlId";
constexpr const char* kDefault = "tovaloDefault";

int CtrlIdOf(QWidget* w) {
    for (; w && !w->isWindow(); w = w->parentWidget()) {
        const QVariant v = w->property(kCtrlId);
        if (v.isValid())
            return v.toInt();
    }
    return 0;
}

QWidget* ControlOf(QWidget* w) {
    for (; w && !w->isWindow(); w = w->parentWidget()) {
        if (w->property(kCtrlId).isValid())
            return w;
    }
    return nullptr;
}

int MulDiv4(int v, int base, int div) {
    return static_cast<int>(std::lround(static_cast<double>(v) * base / div));
}

QFont DialogFont(const res::Dialog& tpl) {
    QFont f;
    // The face alone would fall back to the default sans font: the fallback has the
    // metrics the templates were laid out with.
    f.setFamilies({ToQ(tpl.font), ToQ(res::kFallbackFont)});
    f.setPointSize(tpl.pointSize > 0 ? tpl.pointSize : 9);
    return f;
}

} // namespace

namespace platform::detail {

DialogWidget::DialogWidget(CDialog* owner, QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), m_owner(owner) {}

void DialogWidget::reject() {
    // Everything that would close the window asks the dialog's own IDCANCEL handling.
    if (m_owner)
        m_owner->SendCommand(IDCANCEL);
}

void DialogWidget::accept() {
    if (m_owner)
        m_owner->SendCommand(IDOK);
}

bool DialogWidget::HandleKey(QWidget* target, QKeyEvent* event) {
    if (!m_owner)
        return false;
    MSG msg{};
    msg.message = WM_KEYDOWN;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        msg.wParam = VK_RETURN;
        break;
    case Qt::Key_Escape:
        msg.wParam = VK_ESCAPE;
        break;
    default:
        msg.wParam = static_cast<WPARAM>(event->key());
        break;
    }
    msg.hwnd = ControlOf(target);
    msg.ctrlId = CtrlIdOf(target);
    if (m_owner->RunPreTranslate(&msg))
        return true;
    if (event->key() == Qt::Key_Space && (event->modifiers() & Qt::AltModifier)) {
        m_owner->TrackSystemMenu();
        return true;
    }
    if (msg.wParam == VK_RETURN &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        return m_owner->HandleEnter(target);
    }
    if (msg.wParam == VK_ESCAPE) {
        m_owner->SendCommand(IDCANCEL);
        return true;
    }
    return false;
}

bool DialogWidget::eventFilter(QObject* watched, QEvent* event) {
    if (!m_owner)
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::KeyPress && w) {
        auto* combo = qobject_cast<QComboBox*>(w);
        if (combo && combo->view() && combo->view()->isVisible())
            return false; // the open list takes its own keys
        return HandleKey(w, static_cast<QKeyEvent*>(event));
    }
    if (event->type() == QEvent::MouseButtonDblClick && w) {
        // Double-clicks on a list view's rows or beside them: NM_DBLCLK.
        auto* tree = qobject_cast<QTreeWidget*>(w->parentWidget());
        if (tree && tree->viewport() == w) {
            const auto* me = static_cast<QMouseEvent*>(event);
            const QModelIndex idx = tree->indexAt(me->position().toPoint());
            NMITEMACTIVATE nm{};
            nm.hdr.idFrom = CtrlIdOf(tree);
            nm.hdr.code = NM_DBLCLK;
            nm.iItem = idx.isValid() ? idx.row() : -1;
            nm.iSubItem = idx.isValid() ? idx.column() : 0;
            m_owner->SendNotify(nm.hdr.idFrom, NM_DBLCLK, &nm.hdr);
            return true;
        }
    }
    return false;
}

void DialogWidget::keyPressEvent(QKeyEvent* event) {
    if (HandleKey(this, event))
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

void DialogWidget::closeEvent(QCloseEvent* event) {
    // The close box is the system menu's close command.
    event->ignore();
    if (m_owner)
        m_owner->OnSysCommand(SC_CLOSE, 0);
}

void DialogWidget::contextMenuEvent(QContextMenuEvent* event) {
    if (m_owner && childAt(event->pos()) == nullptr) {
        m_owner->TrackSystemMenu();
        event->accept();
        return;
    }
    QDialog::contextMenuEvent(event);
}

} // namespace platform::detail

// --- CDataExchange ---

void CDataExchange::Fail() {
    if (m_pDlgWnd && m_idLastControl != 0) {
        if (CWnd* w = m_pDlgWnd->GetDlgItem(m_idLastControl)) {
            w->SetFocus();
            if (qobject_cast<QLineEdit*>(w->widget()))
                static_cast<QLineEdit*>(w->widget())->selectAll();
        }
    }
    throw ExchangeFailed{};
}

QWidget* CDataExchange::PrepareCtrl(int nIDC) {
    m_idLastControl = nIDC;
    CWnd* w = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(nIDC) : nullptr;
    return w ? w->widget() : nullptr;
}

// --- CMenu ---

BOOL CMenu::AppendMenu(UINT nFlags, UINT nIDNewItem, const std::string& text) {
    m_items.push_back({nFlags, (nFlags & MF_SEPARATOR) ? 0u : nIDNewItem, text});
    return TRUE;
}

// --- CDialog ---

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd), m_alive(std::make_shared<bool>(true)) {}

CDialog::~CDialog() {
    *m_alive = false;
    DestroyWindow();
}

QDialog* CDialog::GetDialogWidget() const {
    return m_dialog.data();
}

CDialog* CDialog::FromWidget(QWidget* w) {
    auto* d = qobject_cast<DialogWidget*>(w ? w->window() : nullptr);
    return d ? d->owner() : nullptr;
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

BOOL CDialog::BuildWindow(QWidget* parent, bool modal) {
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
    auto dlg = std::make_unique<DialogWidget>(this, nullptr, flags);
    dlg->setAttribute(Qt::WA_DeleteOnClose, false);
    dlg->setProperty("templateId", static_cast<int>(m_nIDTemplate));
    dlg->setObjectName(QStringLiteral("dialog%1").arg(m_nIDTemplate));
    const QFont font = DialogFont(*tpl);
    dlg->setFont(font);
    dlg->setWindowTitle(ToQ(tpl->caption));
    if (modal)
        dlg->setWindowModality(Qt::ApplicationModal);

    int bx = 0, by = 0;
    GetBaseUnits(*tpl, bx, by);
    auto px = [&](int v) { return MulDiv4(v, bx, 4); };
    auto py = [&](int v) { return MulDiv4(v, by, 8); };
    dlg->setFixedSize(px(tpl->cx), py(tpl->cy));

    const QFontMetrics fm(font);
    std::vector<QWidget*> groups;
    for (const res::Control& c : tpl->controls) {
        QWidget* w = nullptr;
        QRect r(px(c.x), py(c.y), px(c.cx), py(c.cy));
        Qt::FocusPolicy focus = Qt::StrongFocus;
        switch (c.kind) {
        case res::Kind::Edit:
            if (c.style & res::kMultiLine) {
                auto* e = new QPlainTextEdit(dlg.get());
                e->setReadOnly(c.style & res::kReadOnly);
                e->setTabChangesFocus(true);
                e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                e->setLineWrapMode(QPlainTextEdit::WidgetWidth);
                w = e;
            } else {
                auto* e = new QLineEdit(dlg.get());
                e->setReadOnly(c.style & res::kReadOnly);
                if (c.style & res::kPassword)
                    e->setEchoMode(QLineEdit::Password);
                e->setFrame(true);
                e->setContextMenuPolicy(Qt::DefaultContextMenu);
                w = e;
            }
            break;
        case res::Kind::Button:
        case res::Kind::DefButton: {
            auto* b = new QPushButton(ToQ(c.text), dlg.get());
            b->setAutoDefault(false);
            if (c.kind == res::Kind::DefButton) {
                b->setDefault(true);
                b->setProperty(kDefault, true);
            }
            w = b;
            break;
        }
        case res::Kind::AutoCheck:
            w = new QCheckBox(ToQ(c.text), dlg.get());
            break;
        case res::Kind::GroupBox: {
            auto* g = new QGroupBox(ToQ(c.text), dlg.get());
            // Only a frame: it neither takes clicks nor covers the controls inside it.
            g->setAttribute(Qt::WA_TransparentForMouseEvents);
            groups.push_back(g);
            focus = Qt::NoFocus;
            w = g;
            break;
        }
        case res::Kind::Static: {
            auto* l = new QLabel(ToQ(c.text), dlg.get());
            l->setTextFormat(Qt::PlainText);
            l->setAlignment(((c.style & res::kRight) ? Qt::AlignRight : Qt::AlignLeft) |
                            Qt::AlignTop);
            l->setAttribute(Qt::WA_TransparentForMouseEvents);
            focus = Qt::NoFocus;
            w = l;
            break;
        }
        case res::Kind::ListBox: {
            auto* l = new QListWidget(dlg.get());
            l->setSelectionMode(QAbstractItemView::SingleSelection);
            l->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            w = l;
            break;
        }
        case res::Kind::ComboBox: {
            auto* cb = new QComboBox(dlg.get());
            cb->setEditable(false);
            cb->setMaxVisibleItems(std::max(1, (r.height() - (fm.height() + 8)) / fm.height()));
            // The template gives the open list; the closed box is one line.
            r.setHeight(fm.height() + 8);
            w = cb;
            break;
        }
        case res::Kind::ListView: {
            auto* t = new QTreeWidget(dlg.get());
            t->setRootIsDecorated(false);
            t->setItemsExpandable(false);
            t->setUniformRowHeights(true);
            t->setAllColumnsShowFocus(true);
            t->setSelectionBehavior(QAbstractItemView::SelectRows);
            t->setSelectionMode((c.style & res::kSingleSel) ? QAbstractItemView::SingleSelection
                                                            : QAbstractItemView::ExtendedSelection);
            t->setSortingEnabled(false);
            t->setIconSize(QSize(16, 16));
            t->header()->setSectionsMovable(false);
            t->header()->setStretchLastSection(false);
            t->setColumnCount(0); // columns come with InsertColumn
            t->viewport()->installEventFilter(dlg.get());
            w = t;
            break;
        }
        case res::Kind::Progress: {
            auto* p = new QProgressBar(dlg.get());
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
            std::from_chars(c.text.data(), c.text.data() + c.text.size(), icon);
            auto* l = new QLabel(dlg.get());
            l->setPixmap(res::LoadIcon(icon).pixmap(32, 32));
            r.setSize(QSize(32, 32));
            focus = Qt::NoFocus;
            w = l;
            break;
        }
        }
        if (!w)
            continue;
        if (focus != Qt::NoFocus && (c.style & res::kNoTabStop))
            focus = Qt::ClickFocus;
        w->setFocusPolicy(focus);
        w->setGeometry(r);
        w->setProperty(kCtrlId, c.id);
        if (c.id != IDC_STATIC)
            w->setObjectName(QStringLiteral("ctl%1").arg(c.id));
        if (c.style & res::kHidden)
            w->setHidden(true);
        if (c.style & res::kDisabled)
            w->setEnabled(false);
        w->installEventFilter(dlg.get());
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            const int id = c.id;
            QObject::connect(b, &QAbstractButton::clicked, dlg.get(),
                             [this, id] { SendCommand(id, BN_CLICKED); });
        }
    }
    for (QWidget* g : groups)
        g->lower();

    if (parent) {
        QWidget* owner = parent->window();
        owner->winId();
        dlg->winId();
        if (owner->windowHandle() && dlg->windowHandle())
            dlg->windowHandle()->setTransientParent(owner->windowHandle());
        dlg->setProperty("tovaloOwnerTemplate", owner->property("templateId"));
    }
    m_dialog = dlg.release();
    Attach(m_dialog.data());
    return TRUE;
}

void CDialog::ApplyInitialFocus(BOOL onInitResult) {
    if (!m_dialog || !onInitResult)
        return;
    // TRUE from OnInitDialog: the focus goes to the first tab stop.
    for (QWidget* w : m_dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
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
    QWidget* parent = m_pParentWnd ? m_pParentWnd->widget() : nullptr;
    if (!BuildWindow(parent, false))
        return FALSE;
    const BOOL r = OnInitDialog();
    ApplyInitialFocus(r);
    const res::Dialog* tpl = res::FindDialog(static_cast<int>(m_nIDTemplate));
    if (m_dialog && tpl && (tpl->style & res::kDsVisible))
        m_dialog->show();
    return TRUE;
}

BOOL CDialog::OpenModal() {
    if (!BuildWindow(m_pParentWnd ? m_pParentWnd->widget() : nullptr, true))
        return FALSE;
    ApplyInitialFocus(OnInitDialog());
    return TRUE;
}

INT_PTR CDialog::RunModalLoop() {
    return m_dialog && !m_ended ? m_dialog->exec() : m_result;
}

INT_PTR CDialog::DoModal() {
    const INT_PTR result = platform::modal::Current().RunDialog(*this);
    DestroyWindow();
    return result;
}

void CDialog::EndDialog(int nResult) {
    m_ended = true;
    m_result = nResult;
    if (m_dialog)
        m_dialog->done(nResult);
}

BOOL CDialog::DestroyWindow() {
    m_items.clear();
    m_sysMenu.reset();
    if (!m_dialog)
        return FALSE;
    QDialog* dlg = m_dialog.data();
    m_dialog = nullptr;
    static_cast<DialogWidget*>(dlg)->Disown();
    dlg->hide();
    m_wnd = nullptr;
    delete dlg;
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    if (!m_dialog)
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
    if (!m_dialog)
        return nullptr;
    auto it = m_items.find(nID);
    if (it != m_items.end() && it->second->widget())
        return it->second.get();
    for (QWidget* w : m_dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QVariant v = w->property(kCtrlId);
        if (v.isValid() && v.toInt() == nID && nID != IDC_STATIC) {
            auto wrapper = std::make_unique<CWnd>(w);
            CWnd* p = wrapper.get();
            m_items[nID] = std::move(wrapper);
            return p;
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
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG*) {
    return FALSE;
}

void CDialog::OnSysCommand(UINT nID, LPARAM) {
    if ((nID & 0xFFF0) == SC_CLOSE)
        SendCommand(IDCANCEL);
}

CMenu* CDialog::GetSystemMenu(BOOL bRevert) {
    if (!m_dialog)
        return nullptr;
    const res::Dialog* tpl = res::FindDialog(static_cast<int>(m_nIDTemplate));
    if (!tpl || !(tpl->style & res::kDsSysMenu))
        return nullptr;
    if (!m_sysMenu || bRevert) {
        m_sysMenu = std::make_unique<CMenu>();
        m_sysMenu->AppendMenu(MF_STRING, SC_CLOSE, std::string(res::LoadString(AFX_IDS_SCCLOSE)));
    }
    return m_sysMenu.get();
}

UINT CDialog::TrackSystemMenu(UINT chooseForTesting) {
    CMenu* menu = GetSystemMenu(FALSE);
    if (!menu)
        return 0;
    UINT chosen = 0;
    if (chooseForTesting != 0) {
        for (const auto& item : menu->items()) {
            if (!(item.flags & MF_SEPARATOR) && item.id == chooseForTesting)
                chosen = item.id;
        }
    } else {
        QMenu qmenu(m_dialog.data());
        for (const auto& item : menu->items()) {
            if (item.flags & MF_SEPARATOR) {
                qmenu.addSeparator();
            } else {
                QAction* a = qmenu.addAction(ToQ(item.text));
                a->setData(item.id);
            }
        }
        QAction* a = qmenu.exec(QCursor::pos());
        chosen = a ? a->data().toUInt() : 0;
    }
    if (chosen != 0)
        OnSysCommand(chosen, 0);
    return chosen;
}

bool CDialog::HandleEnter(QWidget* focus) {
    if (!m_dialog)
        return false;
    QWidget* ctl = ControlOf(focus);
    if (auto* b = qobject_cast<QPushButton*>(ctl)) {
        if (b->isEnabled())
            b->click();
        return true;
    }
    for (QWidget* w : m_dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->property(kDefault).toBool()) {
            if (auto* b = qobject_cast<QPushButton*>(w); b && b->isEnabled() && !b->isHidden())
                b->click();
            return true;
        }
    }
    SendCommand(IDOK);
    return true;
}

void CDialog::SendCommand(int nID, int nCode) {
    const std::shared_ptr<bool> alive = m_alive;
    auto it = m_commands.find({nID, nCode});
    if (it != m_commands.end()) {
        auto fn = it->second; // the handler may change the map's owner
        fn();
        return;
    }
    if (nCode != BN_CLICKED || !*alive)
        return;
    if (nID == IDOK)
        OnOK();
    else if (nID == IDCANCEL)
        OnCancel();
}

void CDialog::SendNotify(int nID, int nCode, NMHDR* pNMHDR) {
    auto it = m_notifies.find({nID, nCode});
    if (it == m_notifies.end())
        return;
    LRESULT result = 0;
    auto fn = it->second;
    fn(pNMHDR, &result);
}

void CDialog::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    QDialog* target = m_dialog.data();
    if (!target)
        return;
    const std::shared_ptr<bool> alive = m_alive;
    QMetaObject::invokeMethod(
        target,
        [this, alive, message, wParam, lParam] {
            if (!*alive)
                return;
            auto it = m_messages.find(message);
            if (it != m_messages.end()) {
                auto fn = it->second;
                fn(wParam, lParam);
            }
        },
        Qt::QueuedConnection);
}

void CDialog::RunOnUiThread(std::function<void()> fn, bool wait) {
    QObject* target = m_dialog ? static_cast<QObject*>(m_dialog.data()) : qApp;
    if (!target || QThread::currentThread() == target->thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(target, std::move(fn),
                              wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
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
