#include "app/programwindows.h"

#include "ui/builtinimages.h"

#include <QApplication>
#include <QIcon>

namespace linkwell {

ProgramWindows::ProgramIcon::ProgramIcon()
{
    QApplication::setWindowIcon(programIcon());
}

ProgramWindows::ProgramWindows() : form_(notices_)
{
    notices_.setWindow(&form_);
    form_.setPhone(phone_);
    form_.setNewEntryOpener([this](std::int32_t baseSize) { return newEntryDialog().execute(baseSize); },
                            [this] { newEntryDialog().reset(); });
}

NewEntryDialog& ProgramWindows::newEntryDialog()
{
    // Built on the first "Insert new" rather than at start, where it took
    // about a millisecond before the main window's first paint; once built it
    // is kept, so it opens again where the user left it.
    if (!dialog_) {
        dialog_.emplace(notices_, &form_);
        dialog_->hide();
    }
    return *dialog_;
}

} // namespace linkwell
