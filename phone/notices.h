#pragma once

#include <QString>

namespace linkwell {

// What a file dialog is opened with. The filter uses Qt's form
// ("Binary file (*.bin);;All files (*.*)").
struct FileDialogRequest {
    QString filter;
    QString defaultSuffix;
    QString directory;
};

// Everything that tells or asks the person at the screen goes through here, so
// the logic can run against a recorder in tests and never waits on a real box.
class Notices {
public:
    virtual ~Notices() = default;

    // The system's default beep. Callers beep first and then show their message.
    virtual void beep() = 0;
    // A box with a fixed text, the application title, one "OK" button, no icon.
    virtual void message(const QString& text) = 0;
    // "Confirm" with "&Yes" and "&No"; true for Yes.
    virtual bool confirm(const QString& question) = 0;
    // The generic error box for a failure nobody handled.
    virtual void errorBox(const QString& failureText) = 0;
    // The chosen path, or an empty string when the user cancelled.
    virtual QString openFileName(const FileDialogRequest& request) = 0;
    virtual QString saveFileName(const FileDialogRequest& request) = 0;
};

// Tells nobody anything: answers No and cancels every dialog. For code that
// runs the store where no one is watching (benchmarks, fuzzing).
class SilentNotices : public Notices {
public:
    void beep() override {}
    void message(const QString&) override {}
    bool confirm(const QString&) override { return false; }
    void errorBox(const QString&) override {}
    QString openFileName(const FileDialogRequest&) override { return {}; }
    QString saveFileName(const FileDialogRequest&) override { return {}; }
};

} // namespace linkwell
