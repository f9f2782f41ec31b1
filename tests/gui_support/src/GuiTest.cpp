#include "gui_support/GuiTest.h"

#include "accounts/Store.h"

#include "platform/Qt.h"
#include "platform/Text.h"
#include "res/Ids.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTreeView>

#include <cstdlib>

namespace gui {

namespace {

// True when the real library was found and bound (once per process).
bool BindRealLibrary() {
    static const bool bound = [] {
        int error = 0;
        return BindLibrary("KORVEX.dll", &theApp.m_hLibrary, &theApp.m_api, &error) != FALSE;
    }();
    return bound && theApp.m_hLibrary != nullptr;
}

} // namespace

void GuiTest::SetUp() {
    platform::modal::BeginScript();
    m_home = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(m_home->isValid());
    ::setenv("KORVEX_HOME", m_home->path().toUtf8().constData(), 1);
    ::setenv("XDG_CONFIG_HOME", m_home->path().toUtf8().constData(), 1);
    g_strVersion = "1.0.3";
    if (!BindRealLibrary()) {
        if (NeedsLibrary())
            GTEST_SKIP() << "libKORVEX.so is not beside the test program";
        return;
    }
    KorvexApi& api = theApp.m_api;
    theApp.m_hInterface = api.KorvexNewInterface();
    ASSERT_NE(theApp.m_hInterface, nullptr);
    m_interfaceOpen = true;
    ASSERT_NE(api.KorvexCheckVersion(1, 0, 5), 0);
    api.KorvexInitialize(theApp.m_hInterface);
    theApp.m_items = {}; // handles of an earlier test's interface mean nothing now
    theApp.m_items.store = api.KorvexNewItem(theApp.m_hInterface, KORVEX_KIND_STORE);
    theApp.m_items.record = api.KorvexNewItem(theApp.m_hInterface, KORVEX_KIND_ACCOUNT);
    theApp.m_items.proxy = api.KorvexNewItem(theApp.m_hInterface, KORVEX_KIND_PROXY);
    char name[260] = {};
    api.KorvexGetName(theApp.m_hInterface, name, sizeof name);
    theApp.m_strUserName = platform::FromBuffer(name, sizeof name);
}

void GuiTest::TearDown() {
    CloseMainWindow(); // what closing shows is checked too
    ExpectNoUnexpectedModals();
    EXPECT_EQ(platform::modal::Pending(), 0u) << "a scripted answer was not asked for";
    if (m_interfaceOpen) {
        theApp.m_api.KorvexDeleteInterface(theApp.m_hInterface);
        theApp.m_hInterface = nullptr;
        m_interfaceOpen = false;
    }
    platform::modal::EndScript();
    m_home.reset();
}

// Written the way the account dialogs' openers write them.
void GuiTest::AddAccount(const AccountValues& a) {
    ASSERT_TRUE(m_interfaceOpen) << "the library is not bound";
    EXPECT_TRUE(accounts::WriteAccount(
        {a.name, a.userId, a.noSavePassword, a.password, a.server, a.passive, a.proxyName}));
}

void GuiTest::AddProxy(const ProxyValues& p) {
    ASSERT_TRUE(m_interfaceOpen) << "the library is not bound";
    EXPECT_TRUE(accounts::WriteProxy({p.name, p.server, p.userId, p.noSavePassword, p.password}));
}

void GuiTest::ShowMainWindow(const std::string& userName) {
    m_main->m_strName = userName.empty() ? theApp.m_strUserName : userName;
    theApp.m_pMainWnd = m_main.get();
    m_main->Create(IDD_MAIN);
    ProcessEvents();
}

void GuiTest::CloseMainWindow() {
    if (!m_main)
        return;
    if (theApp.m_pMainWnd == m_main.get())
        theApp.m_pMainWnd = nullptr;
    m_main.reset();
    ProcessEvents();
}

void GuiTest::Click(CDialog& dlg, int id) {
    QWidget* w = Control(dlg, id);
    ASSERT_NE(w, nullptr) << "no control " << id;
    // A real click: a disabled or hidden button does not react.
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
    ProcessEvents();
}

void GuiTest::Type(CDialog& dlg, int id, const std::string& text) {
    QWidget* w = Control(dlg, id);
    ASSERT_NE(w, nullptr) << "no control " << id;
    w->setFocus();
    // One key event per character, carrying its text (QTest's key helpers know ASCII only).
    for (const QChar ch : platform::ToQ(text)) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
    ProcessEvents();
}

void GuiTest::SetText(CDialog& dlg, int id, const std::string& text) {
    CWnd* w = dlg.GetDlgItem(id);
    ASSERT_NE(w, nullptr) << "no control " << id;
    w->SetWindowText(text);
}

std::string GuiTest::SelectedText(CDialog& dlg, int id) {
    auto* e = qobject_cast<QLineEdit*>(Control(dlg, id));
    return e ? platform::FromQ(e->selectedText()) : std::string();
}

bool GuiTest::Checked(CDialog& dlg, int id) {
    auto* b = qobject_cast<QAbstractButton*>(Control(dlg, id));
    return b && b->isChecked();
}

void GuiTest::PressKey(CDialog& dlg, int id, int qtKey) {
    QWidget* w = id == 0 ? dlg.widget() : Control(dlg, id);
    ASSERT_NE(w, nullptr) << "no control " << id;
    w->setFocus();
    QTest::keyClick(w, static_cast<Qt::Key>(qtKey));
    ProcessEvents();
}

int GuiTest::FocusId(CDialog& dlg) {
    QWidget* top = dlg.widget();
    QWidget* f = top ? top->focusWidget() : nullptr;
    for (; f && f != top; f = f->parentWidget()) {
        const QVariant v = f->property("ctrlId");
        if (v.isValid())
            return v.toInt();
    }
    return 0;
}

std::vector<std::vector<std::string>> GuiTest::Rows(CDialog& dlg, int listViewId) {
    std::vector<std::vector<std::string>> out;
    auto* t = qobject_cast<QTreeView*>(Control(dlg, listViewId));
    const QAbstractItemModel* m = t ? t->model() : nullptr;
    for (int i = 0; m && i < m->rowCount(); ++i) {
        out.emplace_back();
        for (int c = 0; c < m->columnCount(); ++c)
            out.back().push_back(platform::FromQ(m->index(i, c).data().toString()));
    }
    return out;
}

void GuiTest::SelectRows(CDialog& dlg, int listViewId, const std::vector<int>& rows) {
    auto* t = qobject_cast<QTreeView*>(Control(dlg, listViewId));
    ASSERT_NE(t, nullptr);
    t->clearSelection();
    for (int r : rows) {
        ASSERT_LT(r, t->model()->rowCount());
        t->selectionModel()->select(t->model()->index(r, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // As clicks would, the last row chosen becomes the current one.
    if (!rows.empty())
        t->selectionModel()->setCurrentIndex(t->model()->index(rows.back(), 0),
                                             QItemSelectionModel::NoUpdate);
}

std::vector<std::string> GuiTest::ListBoxRows(CDialog& dlg, int listBoxId) {
    std::vector<std::string> out;
    if (auto* l = qobject_cast<QListWidget*>(Control(dlg, listBoxId)))
        for (int i = 0; i < l->count(); ++i)
            out.push_back(platform::FromQ(l->item(i)->text()));
    return out;
}

std::vector<std::string> GuiTest::ComboRows(CDialog& dlg, int comboId) {
    std::vector<std::string> out;
    if (auto* c = qobject_cast<QComboBox*>(Control(dlg, comboId)))
        for (int i = 0; i < c->count(); ++i)
            out.push_back(platform::FromQ(c->itemText(i)));
    return out;
}

void ExpectTextsFit(QWidget* window) {
    ASSERT_NE(window, nullptr);
    for (QWidget* w : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QString text;
        QRect room = w->rect();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            QStyleOptionButton opt;
            opt.initFrom(w);
            text = b->text();
            const bool check = qobject_cast<QCheckBox*>(w);
            room = w->style()->subElementRect(
                check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &opt, w);
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            text = g->title();
        } else if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap()) {
            text = l->text();
        }
        EXPECT_LE(w->fontMetrics().horizontalAdvance(text.remove('&')), room.width())
            << text.toStdString() << " in " << window->windowTitle().toStdString();
    }
}

} // namespace gui
