// Linkwell as the start-up benchmark starts it: the program's own windows,
// with the first-paint probe the shipped program does without.
#include "app/fontconfigpreload.h"
#include "app/programwindows.h"
#include "startupprobe.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    linkwell::FontConfigPreload fonts;
    QApplication app(argc, argv);
    fonts.wait();
    linkwell::ProgramWindows windows;
    linkwell::watchFirstShow(windows.mainWindow());
    windows.mainWindow().show();
    return app.exec();
}
