#pragma once

#include "phone/notices.h"

#include <QMessageBox>
#include <QPointer>

namespace linkwell {

// A message box centred on the screen of the window it speaks for, as wide
// as its whole caption needs. QMessageBox works out its size only as it is
// shown, so it is placed then, not before.
class PlacedMessageBox : public QMessageBox {
public:
    PlacedMessageBox(Icon icon, const QString& caption, const QString& text, QWidget* window);

    // The least width that shows the caption whole in a window manager's
    // title bar, with room for its buttons.
    int captionWidth() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPointer<QWidget> window_;
};

// The notices shown as real boxes and dialogs on the desktop.
class QtNotices : public Notices {
public:
    // The boxes are centred on the screen this window is on.
    void setWindow(QWidget* window) { window_ = window; }

    void beep() override;
    void message(const QString& text) override;
    bool confirm(const QString& question) override;
    // Shows ErrorBoxText of the failure's text.
    void errorBox(const QString& failureText) override;
    QString openFileName(const FileDialogRequest& request) override;
    QString saveFileName(const FileDialogRequest& request) override;

private:
    QPointer<QWidget> window_;
};

} // namespace linkwell
