#pragma once

#include "phone/gbpphonelibrary.h"
#include "ui/mainwindow.h"
#include "ui/newentrydialog.h"
#include "ui/qtnotices.h"

#include <optional>

namespace linkwell {

// The two windows of the program wired to the notices and to our phone
// library, as main() shows them. The start-up benchmark builds its window
// through this too, so what it times is what users start.
class ProgramWindows {
public:
    // Needs the QApplication; sets its window icon.
    ProgramWindows();

    MainWindow& mainWindow() { return form_; }

private:
    NewEntryDialog& newEntryDialog();

    // Set before any window exists, so that every one of them takes it.
    struct ProgramIcon {
        ProgramIcon();
    } icon_;
    QtNotices notices_;
    GbpPhoneLibrary phone_;
    MainWindow form_;
    // Made the first time "Insert new" opens it.
    std::optional<NewEntryDialog> dialog_;
};

} // namespace linkwell
