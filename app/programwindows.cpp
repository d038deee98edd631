#include "app/programwindows.h"

#include <QApplication>
#include <QIcon>

namespace linkwell {

ProgramWindows::ProgramIcon::ProgramIcon()
{
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/linkwell.png")));
}

ProgramWindows::ProgramWindows() : form_(notices_)
{
    notices_.setWindow(&form_);
    form_.setPhone(phone_);
    dialog_.emplace(notices_, &form_);
    dialog_->hide();
    form_.setNewEntryDialog(*dialog_);
}

} // namespace linkwell
