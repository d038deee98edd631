// The yardstick of the start-up benchmark: an empty Qt Widgets window of the
// main window's size, built and probed the same way as linkwellwindow.cpp.
#include "startupprobe.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.resize(580, 359);
    linkwell::watchFirstShow(window);
    window.show();
    return app.exec();
}
