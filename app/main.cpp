#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel placeholder(QStringLiteral("Linkwell"));
    placeholder.setWindowTitle(QStringLiteral("Linkwell"));
    placeholder.resize(588, 386);
    placeholder.show();
    return app.exec();
}
