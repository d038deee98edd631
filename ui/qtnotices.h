#pragma once

#include "store/notices.h"

namespace linkwell {

// The notices shown as real boxes and dialogs on the desktop.
class QtNotices : public Notices {
public:
    void beep() override;
    void message(const QString& text) override;
    bool confirm(const QString& question) override;
    // Shows ErrorBoxText of the failure's text.
    void errorBox(const QString& failureText) override;
    QString openFileName(const FileDialogRequest& request) override;
    QString saveFileName(const FileDialogRequest& request) override;
};

} // namespace linkwell
