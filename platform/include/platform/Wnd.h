// Thin handles on the widgets of a dialog, named and shaped like the framework's control
// classes. A handle does not own its widget; every call on a handle whose widget is gone
// (or was never attached) does nothing and returns the empty value.
#pragma once

#include "platform/Win.h"

#include <QIcon>
#include <QPointer>
#include <QWidget>

#include <string>
#include <vector>

class QLineEdit;
class QPlainTextEdit;
class QAbstractButton;
class QListWidget;
class QComboBox;
class QTreeWidget;
class QProgressBar;
class QLabel;
class QGroupBox;

class CWnd {
public:
    CWnd() = default;
    explicit CWnd(QWidget* w) : m_wnd(w) {}
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    void Attach(QWidget* w) { m_wnd = w; }
    void Detach() { m_wnd = nullptr; }
    QWidget* GetSafeHwnd() const { return m_wnd.data(); }
    QWidget* widget() const { return m_wnd.data(); }
    bool IsAttached() const { return !m_wnd.isNull(); }

    int GetDlgCtrlID() const;
    BOOL EnableWindow(BOOL bEnable = TRUE); // returns TRUE when it was disabled before
    BOOL IsWindowEnabled() const;
    BOOL ShowWindow(int nCmdShow); // returns TRUE when it was visible before
    // The window's own visibility flag (WS_VISIBLE), whether or not its parent is shown.
    BOOL IsWindowVisible() const;
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    void SetFocus();
    void SetIcon(const QIcon& icon, BOOL bBigIcon);
    BOOL IsIconic() const;

protected:
    QPointer<QWidget> m_wnd;
};

class CStatic : public CWnd {
public:
    using CWnd::CWnd;
};

class CButton : public CWnd {
public:
    using CWnd::CWnd;
    int GetCheck() const;
    void SetCheck(int nCheck);
    void Click(); // as the user would: the box toggles and the window is notified
};

// Single-line (QLineEdit) or multi-line (QPlainTextEdit) edit.
class CEdit : public CWnd {
public:
    using CWnd::CWnd;
    void SetSel(int nStart, int nEnd); // 0, -1: all
    std::string GetSelText() const;
    void SetReadOnly(BOOL bReadOnly = TRUE);
    BOOL IsReadOnly() const;
    // Limit in UTF-8 bytes; typing or pasting past it is refused. 0: no limit.
    void LimitText(int nBytes);
    int GetLimitText() const;
    void ScrollCaret();

private:
    QLineEdit* line() const;
    QPlainTextEdit* multi() const;
};

class CListBox : public CWnd {
public:
    using CWnd::CWnd;
    int AddString(const std::string& text);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int nSelect); // -1 clears the selection
    std::string GetText(int nIndex) const;
    // First row after nStartAfter (-1: from the top), wrapping round, whose text begins
    // with `prefix` ignoring case; it becomes the selection. LB_ERR when none.
    int SelectString(int nStartAfter, const std::string& prefix);
    int FindString(int nStartAfter, const std::string& prefix) const;

private:
    QListWidget* list() const;
};

class CComboBox : public CWnd {
public:
    using CWnd::CWnd;
    int AddString(const std::string& text);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int nSelect);
    std::string GetLBText(int nIndex) const;

private:
    QComboBox* combo() const;
};

class CImageList {
public:
    // Slices bitmap `nBitmapID` into images `cx` pixels wide; pixels of `crMask` become
    // transparent. `nGrow` is accepted for the framework's signature.
    BOOL Create(int nBitmapID, int cx, int nGrow, COLORREF crMask);
    int GetImageCount() const { return static_cast<int>(m_images.size()); }
    QIcon GetIcon(int nImage) const;

private:
    std::vector<QIcon> m_images;
};

// Report-style list view (QTreeWidget without branches).
class CListCtrl : public CWnd {
public:
    using CWnd::CWnd;
    DWORD SetExtendedStyle(DWORD dwNewStyle);
    DWORD GetExtendedStyle() const;
    int InsertColumn(int nCol, const std::string& heading, int nFormat = LVCFMT_LEFT,
                     int nWidth = -1);
    BOOL SetColumnWidth(int nCol, int cx); // cx may be LVSCW_AUTOSIZE_USEHEADER
    int GetColumnWidth(int nCol) const;
    int GetColumnCount() const;
    std::string GetColumnHeading(int nCol) const;
    void SetImageList(CImageList* pImageList, int nImageList);
    // Inserts a row at nItem (clamped to the count); returns its index or -1.
    int InsertItem(int nItem, const std::string& text, int nImage = -1);
    BOOL SetItemText(int nItem, int nSubItem, const std::string& text);
    std::string GetItemText(int nItem, int nSubItem) const;
    int GetItemImage(int nItem) const;
    int GetItemCount() const;
    BOOL DeleteItem(int nItem);
    BOOL DeleteAllItems();
    // Next row after nItem (-1: from the top) with the flags (LVNI_SELECTED), or -1.
    int GetNextItem(int nItem, int nFlags) const;
    BOOL SetSelected(int nItem, BOOL bSelected);
    BOOL IsSelected(int nItem) const;
    int GetSelectedCount() const;

private:
    QTreeWidget* tree() const;
    CImageList* m_pImages = nullptr;
    DWORD m_exStyle = 0;
};

class CProgressCtrl : public CWnd {
public:
    using CWnd::CWnd;
    void SetRange(int nLower, int nUpper);
    int SetPos(int nPos); // returns the previous position
    int GetPos() const;

private:
    QProgressBar* bar() const;
};
