#include "phone/gbpphonelibrary.h"
#include "ui/mainwindow.h"
#include "ui/newentrydialog.h"
#include "ui/qtnotices.h"

#include <QApplication>
#include <QIcon>

#include "startupprobe.h"

int main(int argc, char* argv[])
{
    // The application title is not set as the display name, which some
    // platforms append to every window title; the message boxes take it from
    // linkwell::ApplicationTitle.
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/linkwell.png")));

    linkwell::QtNotices notices;
    linkwell::GbpPhoneLibrary phone;
    MainWindow form(notices);
    notices.setWindow(&form);
    form.setPhone(phone);
    NewEntryDialog dialog(notices, &form);
    dialog.hide();
    form.setNewEntryDialog(dialog);

    linkwell::watchFirstShow(form);
    form.show();
    return app.exec();
}
