// The dialog base class. A dialog's window and controls are built from its template
// (res::FindDialog) when it is run (DoModal) or created (Create): rectangles in dialog units
// are converted with the base units of the template's font, each control keeps its ID
// (GetDlgItem), and the tab order is the template order.
//
// Handlers are routed by a message map that the derived constructor fills:
//     MapCommand(1029, &CMainDlg::OnWizardButton);            // BN_CLICKED
//     MapNotify(1021, NM_DBLCLK, &CMainDlg::OnDblclkRemoteList);
//     MapMessage(WM_BROWSEPROGRESS, &CMainDlg::OnBrowseProgress);
// IDOK and IDCANCEL without an entry reach OnOK and OnCancel. Enter presses the focused
// push button or else the default button (IDOK when there is none); Esc, the close box and
// the system menu's close command reach OnCancel.
#pragma once

#include "platform/Win.h"
#include "platform/Wnd.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
class QMenu;
class CDialog;
namespace res {
struct Dialog;
}

struct NMHDR {
    int idFrom;
    int code;
};
// NM_DBLCLK of a list view: the row double-clicked, -1 beside the rows.
struct NMITEMACTIVATE {
    NMHDR hdr;
    int iItem;
    int iSubItem;
};

// What PreTranslateMessage sees: key presses addressed to a control of the dialog.
struct MSG {
    UINT message;  // WM_KEYDOWN
    WPARAM wParam; // virtual key (VK_RETURN, VK_ESCAPE, or the Qt key otherwise)
    int ctrlId;    // ID of the control that has the focus, 0 for none
    QWidget* hwnd; // that control
};

class CDataExchange {
public:
    CDataExchange(CDialog* pDlg, BOOL bSaveAndValidate)
        : m_pDlgWnd(pDlg), m_bSaveAndValidate(bSaveAndValidate) {}
    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    int m_idLastControl = 0;
    // Ends the exchange as failed (the focus goes back to the last control).
    [[noreturn]] void Fail();
    QWidget* PrepareCtrl(int nIDC);
};

// The system menu of a window; on Linux a context menu of the window's background
// (right-click or Alt+Space), since the window manager's menu cannot be extended.
class CMenu {
public:
    BOOL AppendMenu(UINT nFlags, UINT nIDNewItem = 0, const std::string& text = {});
    int GetMenuItemCount() const { return static_cast<int>(m_items.size()); }
    struct Item {
        UINT flags;
        UINT id;
        std::string text;
    };
    const std::vector<Item>& items() const { return m_items; }

private:
    std::vector<Item> m_items;
};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog modally through the modal seam (platform/Modal.h).
    virtual INT_PTR DoModal();
    // Creates the dialog modeless; it is shown when its template says so.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);
    BOOL DestroyWindow();
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    CWnd* GetDlgItem(int nID);
    UINT GetTemplateID() const { return m_nIDTemplate; }
    QDialog* GetDialogWidget() const;
    // The dialog whose window `w` is (or is inside); null for other widgets.
    static CDialog* FromWidget(QWidget* w);

    // The two halves of a modal run, for the modal seam: the window built and initialised
    // (FALSE without a template), then its loop unless the dialog has already ended.
    // RunModalLoop returns the end code.
    BOOL OpenModal();
    INT_PTR RunModalLoop();
    bool HasEnded() const { return m_ended; }
    // Handles ON_WM_SYSCOMMAND; the default closes on SC_CLOSE.
    virtual void OnSysCommand(UINT nID, LPARAM lParam);
    // The window's system menu (see CMenu); null before the window exists.
    CMenu* GetSystemMenu(BOOL bRevert);
    // Opens the system menu (tests and Alt+Space); returns the command chosen, 0 for none.
    UINT TrackSystemMenu(UINT chooseForTesting = 0);

    // Posts a registered message to this window; safe from any thread.
    void PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Runs `fn` on the user-interface thread (blocking until done when `wait`); used by
    // worker threads for what the original did through window messages.
    void RunOnUiThread(std::function<void()> fn, bool wait);

    // Dispatches a command as the window would for a click on control `nID`.
    void SendCommand(int nID, int nCode = BN_CLICKED);
    // Dispatches a notification (list views).
    void SendNotify(int nID, int nCode, NMHDR* pNMHDR);
    // Dialog base units in pixels for this template's font.
    static void GetBaseUnits(const res::Dialog& tpl, int& cx, int& cy);

    // Exposed for the widget glue.
    BOOL RunPreTranslate(MSG* pMsg) { return PreTranslateMessage(pMsg); }
    bool HandleEnter(QWidget* focus);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    template <class D> void MapCommand(int nID, void (D::*fn)(), int nCode = BN_CLICKED) {
        m_commands[{nID, nCode}] = [this, fn] { (static_cast<D*>(this)->*fn)(); };
    }
    template <class D> void MapNotify(int nID, int nCode, void (D::*fn)(NMHDR*, LRESULT*)) {
        m_notifies[{nID, nCode}] = [this, fn](NMHDR* h, LRESULT* r) {
            (static_cast<D*>(this)->*fn)(h, r);
        };
    }
    template <class D> void MapMessage(UINT message, LRESULT (D::*fn)(WPARAM, LPARAM)) {
        m_messages[message] = [this, fn](WPARAM w, LPARAM l) {
            return (static_cast<D*>(this)->*fn)(w, l);
        };
    }

private:
    friend class CDataExchange;
    BOOL BuildWindow(QWidget* parent, bool modal);
    void ApplyInitialFocus(BOOL onInitResult);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    QPointer<QDialog> m_dialog;
    std::map<int, std::unique_ptr<CWnd>> m_items;
    std::map<std::pair<int, int>, std::function<void()>> m_commands;
    std::map<std::pair<int, int>, std::function<void(NMHDR*, LRESULT*)>> m_notifies;
    std::map<UINT, std::function<LRESULT(WPARAM, LPARAM)>> m_messages;
    std::unique_ptr<CMenu> m_sysMenu;
    bool m_ended = false;
    int m_result = IDCANCEL;
    std::shared_ptr<bool> m_alive;
};

// Data exchange between controls and members.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);
// An unsigned decimal number, blanks around it allowed; anything else fails the exchange
// with the framework's message and the focus on the edit.
void DDX_Text(CDataExchange* pDX, int nIDC, unsigned int& value);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
// At most nBytes UTF-8 bytes: on load the edit refuses longer input, on save a longer
// text fails the exchange with the framework's message.
void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nBytes);
