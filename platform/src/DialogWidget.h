// The Qt window behind a CDialog (private to the platform layer).
#pragma once

#include <QDialog>

class CDialog;

namespace platform::detail {

class DialogWidget : public QDialog {
    Q_OBJECT
public:
    DialogWidget(CDialog* owner, QWidget* parent, Qt::WindowFlags flags);
    void Disown() { m_owner = nullptr; }
    CDialog* owner() const { return m_owner; }
    void reject() override;
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool HandleKey(QWidget* target, QKeyEvent* event);
    CDialog* m_owner;
};

} // namespace platform::detail
