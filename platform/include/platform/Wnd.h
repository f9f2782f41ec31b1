// Thin handles on the widgets of a dialog, named and shaped like the framework's control
// classes. A handle does not own its widget. Binding a handle to a widget of another kind
// is a programming error and throws std::logic_error; every call on a handle whose widget
// is gone (or was never attached) does nothing and returns the empty value.
#pragma once

#include "platform/Win.h"

#include <QIcon>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace platform {
// Makes a QLineEdit or QPlainTextEdit read-only or editable. A read-only edit has the
// window's background, so it does not pass for one the user can type in.
void SetEditReadOnly(QWidget* edit, bool readOnly);
// Gives `w` the keyboard focus, drawn as if a key had moved it there.
void MoveFocus(QWidget* w);
} // namespace platform

class CWnd {
public:
    explicit CWnd(QWidget* w = nullptr) : m_wnd(w) {}
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    // Throws std::logic_error when `w` is not of the kind this handle drives.
    void Attach(QWidget* w);
    QWidget* widget() const { return m_wnd.data(); }

    BOOL EnableWindow(BOOL bEnable = TRUE); // returns TRUE when it was disabled before
    BOOL IsWindowEnabled() const;
    BOOL ShowWindow(int nCmdShow); // returns TRUE when it was visible before
    // The window's own visibility flag (WS_VISIBLE), whether or not its parent is shown.
    BOOL IsWindowVisible() const;
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    void SetFocus();
    void SetIcon(const QIcon& icon, BOOL bBigIcon);

protected:
    virtual bool Accepts(const QWidget*) const { return true; }
    // The widget as a `W`; null when gone.
    template <class W> W* As() const { return qobject_cast<W*>(m_wnd.data()); }
    QPointer<QWidget> m_wnd;

private:
    QPointer<QWidget> m_focusBeforeDisable; // of a window
};

class CStatic : public CWnd {
public:
    explicit CStatic(QWidget* w = nullptr) { Attach(w); }

protected:
    bool Accepts(const QWidget* w) const override;
};

// Push buttons, check boxes and group boxes.
class CButton : public CWnd {
public:
    explicit CButton(QWidget* w = nullptr) { Attach(w); }
    int GetCheck() const;
    void SetCheck(int nCheck);

protected:
    bool Accepts(const QWidget* w) const override;
};

// Single-line (QLineEdit) or multi-line (QPlainTextEdit) edit.
class CEdit : public CWnd {
public:
    explicit CEdit(QWidget* w = nullptr) { Attach(w); }
    void SetSel(int nStart, int nEnd); // single-line; 0, -1: all
    void SetReadOnly(BOOL bReadOnly = TRUE);
    // Limit in UTF-8 bytes of a single-line edit; typing or pasting past it is refused.
    void LimitText(int nBytes);

protected:
    bool Accepts(const QWidget* w) const override;
};

class CListBox : public CWnd {
public:
    explicit CListBox(QWidget* w = nullptr) { Attach(w); }
    int AddString(const std::string& text);
    void ResetContent();
    int GetCurSel() const;
    int SetCurSel(int nSelect); // -1 clears the selection
    std::string GetText(int nIndex) const;
    // First row after nStartAfter (-1: from the top), wrapping round, whose text begins
    // with `prefix` ignoring case; it becomes the selection. LB_ERR when none.
    int SelectString(int nStartAfter, const std::string& prefix);

protected:
    bool Accepts(const QWidget* w) const override;
};

class CComboBox : public CWnd {
public:
    explicit CComboBox(QWidget* w = nullptr) { Attach(w); }
    int AddString(const std::string& text);
    void ResetContent();
    int GetCurSel() const;
    int SetCurSel(int nSelect);

protected:
    bool Accepts(const QWidget* w) const override;
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

namespace platform {
class ListModel;
class TextListModel;
} // namespace platform

// Report-style list view (a QTreeView without branches over a platform::ListModel); rows
// are always selected whole. The rows are texts the handle fills, unless a model of the
// program's own is set: the calls that fill rows then do nothing.
class CListCtrl : public CWnd {
public:
    explicit CListCtrl(QWidget* w = nullptr) { Attach(w); }
    // Replaces the rows by `model`, which the view then owns. Headings and the image list
    // go to the model: set it first.
    void SetModel(platform::ListModel* model);
    int InsertColumn(int nCol, const std::string& heading, int nFormat = LVCFMT_LEFT);
    BOOL SetColumnWidth(int nCol, int cx); // cx may be LVSCW_AUTOSIZE_USEHEADER
    void SetImageList(CImageList* pImageList, int nImageList);
    // Inserts a row at nItem (clamped to the count); returns its index or -1.
    int InsertItem(int nItem, const std::string& text, int nImage = -1);
    // Appends `count` rows whose column texts `text(row, column)` gives, in one update of
    // the view however many they are; returns the index of the first, or -1.
    int AppendRows(std::size_t count, const std::function<std::string(std::size_t, int)>& text);
    BOOL SetItemText(int nItem, int nSubItem, const std::string& text);
    int GetItemImage(int nItem) const;
    int GetItemCount() const;
    BOOL DeleteItem(int nItem);
    BOOL DeleteAllItems();
    // Next row after nItem (-1: from the top) with the flags (LVNI_SELECTED), or -1.
    int GetNextItem(int nItem, int nFlags) const;

protected:
    bool Accepts(const QWidget* w) const override;

private:
    platform::ListModel* Model() const;
    platform::TextListModel* Texts() const;
    CImageList* m_pImages = nullptr;
};

class CProgressCtrl : public CWnd {
public:
    explicit CProgressCtrl(QWidget* w = nullptr) { Attach(w); }
    void SetRange(int nLower, int nUpper);
    int SetPos(int nPos); // returns the previous position
    int GetPos() const;

protected:
    bool Accepts(const QWidget* w) const override;
};
