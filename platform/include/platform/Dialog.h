// The dialog base class. A dialog's window and controls are built from its template
// (res::FindDialog) when it is run (DoModal) or created (Create): rectangles in dialog units
// are converted with the base units of the template's font, each control keeps its ID
// (GetDlgItem), and the tab order is the template order.
//
// Handlers are routed by a message map that the derived constructor fills:
//     MapCommand(IDC_WIZARD, &CMainDlg::OnWizardButton);             // BN_CLICKED
//     MapNotify(IDC_REMOTE, NM_DBLCLK, &CMainDlg::OnDblclkRemoteList);
// IDOK and IDCANCEL without an entry reach OnOK and OnCancel. Enter presses the focused
// push button or else the default button (IDOK when there is none); Esc reaches OnCancel
// and the close box OnClose. A window with a system menu has a context menu (right-click on
// an empty spot, Alt+Space) whose close item reaches OnClose; a dialog may add its own items.
#pragma once

#include "platform/Win.h"
#include "platform/Wnd.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include <QDialog>
#include <QMenu>
#include <QStringList>

class CDialog;
namespace res {
struct Dialog;
}
namespace platform::detail {
class DialogWidget;
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
    // The window's context menu; null before the window exists or without a system menu.
    QMenu* GetContextMenu() const { return m_menu.data(); }

    // Builds, hidden, the window the next DoModal opens, so that the building can overlap
    // a wait elsewhere; FALSE without a template. DoModal then initialises and shows it.
    BOOL BuildAhead();

    // The two halves of a modal run, for the modal seam: the window built (unless built
    // ahead) and initialised (FALSE without a template), then its loop unless the dialog has
    // already ended. RunModalLoop returns the end code.
    BOOL OpenModal();
    INT_PTR RunModalLoop();
    bool HasEnded() const { return m_ended; }

    // Dispatches a command as the window would for a click on control `nID`.
    void SendCommand(int nID, int nCode = BN_CLICKED);
    // Dispatches a notification (list views).
    void SendNotify(int nID, int nCode, NMHDR* pNMHDR);
    // Dialog base units in pixels for this template's font.
    static void GetBaseUnits(const res::Dialog& tpl, int& cx, int& cy);
    // The font families a template's face is drawn with: the face, where this system has it
    // (itself or through a font alias), then the face whose metrics the templates were laid
    // out with; that one alone when the face is missing.
    static QStringList DialogFamilies(std::string_view face);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // The close box and the context menu's close item; the default is IDCANCEL.
    virtual void OnClose();
    // A key (Qt::Key, Enter as Key_Return) pressed in control `ctrlId` (0: none), before
    // the dialog's own keys; TRUE when it is taken.
    virtual BOOL PreTranslateMessage(int key, int ctrlId);

    template <class D> void MapCommand(int nID, void (D::*fn)(), int nCode = BN_CLICKED) {
        m_commands[{nID, nCode}] = [this, fn] { (static_cast<D*>(this)->*fn)(); };
    }
    template <class D> void MapNotify(int nID, int nCode, void (D::*fn)(NMHDR*, LRESULT*)) {
        m_notifies[{nID, nCode}] = [this, fn](NMHDR* h, LRESULT* r) {
            (static_cast<D*>(this)->*fn)(h, r);
        };
    }

private:
    friend class CDataExchange;
    friend class platform::detail::DialogWidget;
    BOOL BuildWindow(bool modal);
    void ApplyInitialFocus(BOOL onInitResult);
    bool HandleEnter(QWidget* focus);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    QPointer<QMenu> m_menu;
    std::map<int, std::unique_ptr<CWnd>> m_items;
    std::map<std::pair<int, int>, std::function<void()>> m_commands;
    std::map<std::pair<int, int>, std::function<void(NMHDR*, LRESULT*)>> m_notifies;
    bool m_ended = false;
    int m_result = IDCANCEL;
    bool m_builtAhead = false;
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
