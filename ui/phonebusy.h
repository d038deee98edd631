#pragma once

#include "phone/notices.h"

#include <QObject>

namespace linkwell {

// While a phone command blocks the window: the wait cursor is on, except
// while a box or dialog asks the user something; and the clicks and keys the
// user made meanwhile, queued behind the command, are thrown away when it
// ends instead of running as commands of their own (a second download, a
// check box toggled after the fact). Everything stays on the GUI thread.
class PhoneBusy : public QObject {
public:
    explicit PhoneBusy(Notices& notices);
    ~PhoneBusy() override;
    PhoneBusy(const PhoneBusy&) = delete;
    PhoneBusy& operator=(const PhoneBusy&) = delete;

    // The notices to hand to the command: each lifts the wait cursor for as
    // long as it is shown.
    Notices& notices() { return lifted_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class LiftedNotices : public Notices {
    public:
        explicit LiftedNotices(Notices& inner) : inner_(inner) {}
        void beep() override { inner_.beep(); }
        void message(const QString& text) override;
        bool confirm(const QString& question) override;
        void errorBox(const QString& failureText) override;
        QString openFileName(const FileDialogRequest& request) override;
        QString saveFileName(const FileDialogRequest& request) override;

    private:
        template <class F> auto lifted(F&& show);
        Notices& inner_;
    };

    LiftedNotices lifted_;
};

} // namespace linkwell
