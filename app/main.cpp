#include "app/fontconfigpreload.h"
#include "app/programwindows.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    linkwell::FontConfigPreload fonts;
    // The application title is not set as the display name, which some
    // platforms append to every window title; the message boxes take it from
    // linkwell::ApplicationTitle.
    QApplication app(argc, argv);
    fonts.wait();
    linkwell::ProgramWindows windows;
    windows.mainWindow().show();
    return app.exec();
}
