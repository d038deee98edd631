#include "files.h"
#include "windowhistory.h"
#include "recordingnotices.h"
#include "ui/mainwindow.h"
#include "ui/controls.h"
#include "ui/newentrydialog.h"
#include "ui/settingsfile.h"
#include "ui/textfit.h"
#include "ui/uifonts.h"
#include "ui/qtnotices.h"

#include <QFontDatabase>
#include <QProcess>

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace linkwell;
using namespace linkwell::testing;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        const QString forced = QString::fromUtf8(qgetenv("LINKWELL_TEST_FONT"));
        if (!forced.isEmpty()) {
            installFontSubstitutes();
            QFont::removeSubstitutions(QStringLiteral("MS Sans Serif"));
            QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), forced);
        }
    }
    void settingsFile_data();
    void settingsFile();
    void portHandlerAddsOneLinePerRealChange();
    void settingsLocation_data();
    void settingsLocation();
    void settingsFolderIsCreatedOnFirstWrite();

    void initialWindow();
    void controlsStayPutOnResize();
    void messageBoxesCentredAndWholeCaption_data();
    void messageBoxesCentredAndWholeCaption();
    void textsShowWhole_data();
    void textsShowWhole();
};

// How the settings file stands before start.
enum class Before { Missing, Content, Directory, ReadOnly, Symlink, Fifo };

void TestMainWindow::settingsFile_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("clickPort");
    QTest::addColumn<int>("port");
    QTest::addColumn<QStringList>("startNotices");
    QTest::addColumn<QStringList>("history");
    QTest::addColumn<QStringList>("closeNotices");
    QTest::addColumn<QByteArray>("after");

    const QStringList none;
    const QStringList readError{"beep", "message: Error reading *.ini file."};
    const QStringList writeError{"beep", "message: Error writing *.ini file."};
    const auto line = [](int port) { return QStringLiteral("* Selected port COM%1").arg(port); };
    const int missing = int(Before::Missing);
    const int content = int(Before::Content);

    QTest::newRow("missing") << missing << QByteArray() << 0 << 1 << none << QStringList{line(1)} << none << QByteArray("1");
    QTest::newRow("4") << content << QByteArray("4") << 0 << 4 << none << QStringList{line(4)} << none << QByteArray("4");
    QTest::newRow("6") << content << QByteArray("6") << 0 << 6 << none << QStringList{line(6)} << none << QByteArray("6");
    for (const char* bad : {"0", "7", "a", " "})
        QTest::addRow("first byte '%s'", bad) << content << QByteArray(bad) << 0 << 1 << none << QStringList{line(1)} << none
                                              << QByteArray("1");
    QTest::newRow("empty") << content << QByteArray() << 0 << 1 << readError << QStringList{line(1)} << none << QByteArray("1");
    QTest::newRow("5 and a line break, closed with 2")
        << content << QByteArray("5\r\n") << 2 << 5 << none << QStringList{line(5), line(2)} << none << QByteArray("2\r\n");
    QTest::newRow("longer file keeps its tail")
        << content << QByteArray("3rest of it") << 6 << 3 << none << QStringList{line(3), line(6)} << none << QByteArray("6rest of it");
    QTest::newRow("cannot be opened (a folder of that name)")
        << int(Before::Directory) << QByteArray() << 0 << 1 << readError << QStringList{line(1)} << writeError << QByteArray("<missing>");
    QTest::newRow("read-only") << int(Before::ReadOnly) << QByteArray("4") << 0 << 1 << readError << QStringList{line(1)} << writeError
                               << QByteArray("4");
    // Neither is followed or read: the file linked to keeps its bytes, and a
    // FIFO cannot hold the window up.
    QTest::newRow("a symbolic link to another file") << int(Before::Symlink) << QByteArray("root:x:0:0") << 3 << 1 << readError
                                                     << QStringList{line(1), line(3)} << writeError << QByteArray("root:x:0:0");
    QTest::newRow("a FIFO") << int(Before::Fifo) << QByteArray() << 0 << 1 << readError << QStringList{line(1)} << writeError
                            << QByteArray("<missing>");
}

void TestMainWindow::settingsFile()
{
    QFETCH(int, before);
    QFETCH(QByteArray, content);
    QFETCH(int, clickPort);
    QFETCH(int, port);
    QFETCH(QStringList, startNotices);
    QFETCH(QStringList, history);
    QFETCH(QStringList, closeNotices);
    QFETCH(QByteArray, after);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("Linkwell.ini");
    switch (Before(before)) {
    case Before::Missing: break;
    case Before::Symlink:
        QVERIFY(writeFile(dir.filePath("other"), content));
        QVERIFY(QFile::link(dir.filePath("other"), path));
        break;
    case Before::Fifo: QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0); break;
    case Before::Directory: QVERIFY(QDir(dir.path()).mkdir("Linkwell.ini")); break;
    case Before::Content:
    case Before::ReadOnly:
        QVERIFY(writeFile(path, content));
        if (Before(before) == Before::ReadOnly) {
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
            if (::access(QFile::encodeName(path).constData(), W_OK) == 0)
                QSKIP("this user may write read-only files (root)");
        }
        break;
    }

    testing::RecordingNotices notices;
    MainWindow form(notices, dir.path());
    QCOMPARE(notices.log, startNotices);
    QCOMPARE(int(form.PortNumber()), port);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(control<QRadioButton>(form, QStringLiteral("RadioButton%1").arg(i + 1))->isChecked(), i + 1 == port);

    if (clickPort)
        QTest::mouseClick(control<QRadioButton>(form, QStringLiteral("RadioButton%1").arg(clickPort)), Qt::LeftButton);
    QCOMPARE(historyLines(form), history);

    notices.clear();
    form.close();
    QCOMPARE(notices.log, closeNotices);
    QCOMPARE(readAll(Before(before) == Before::Symlink ? dir.filePath("other")
                     : Before(before) == Before::Fifo  ? dir.filePath("none")
                                                       : path),
             after);
}

namespace {

// Runs f as a user who owns nothing here: the folders' permissions, not root's
// privileges, must decide. Gives f's text, or "<failed>".
QString asUnprivilegedUser(const std::function<QString()>& f)
{
    if (::geteuid() != 0)
        return f();
    int fds[2];
    if (::pipe(fds) != 0)
        return QStringLiteral("<failed>");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        const QByteArray out = f().toUtf8();
        const bool ok = ::write(fds[1], out.constData(), size_t(out.size())) == out.size();
        ::_exit(ok ? 0 : 4);
    }
    ::close(fds[1]);
    QByteArray out;
    char buffer[512];
    for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, got);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? QString::fromUtf8(out) : QStringLiteral("<failed>");
}

} // namespace

void TestMainWindow::settingsLocation_data()
{
    QTest::addColumn<bool>("programFolderWritable");
    QTest::addColumn<bool>("fileThere");
    QTest::addColumn<bool>("settingsBeside");
    QTest::addColumn<bool>("dialogsInProgramFolder");
    QTest::newRow("a folder the user can write") << true << false << true << true;
    QTest::newRow("installed: a read-only folder") << false << false << false << false;
    QTest::newRow("a read-only folder that holds the file") << false << true << true << false;
}

void TestMainWindow::settingsLocation()
{
    QFETCH(bool, programFolderWritable);
    QFETCH(bool, fileThere);
    QFETCH(bool, settingsBeside);
    QFETCH(bool, dialogsInProgramFolder);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString program = root.filePath("bin");
    const QString user = root.filePath("config/linkwell");
    const QString home = root.filePath("home");
    QVERIFY(QDir().mkpath(program) && QDir().mkpath(home));
    if (fileThere)
        QVERIFY(writeFile(program + "/Linkwell.ini", "4"));
    const auto all = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                     | QFileDevice::ReadOther | QFileDevice::ExeOther;
    QVERIFY(QFile::setPermissions(root.path(), all | QFileDevice::WriteOwner));
    // Writable for the unprivileged user too, when it should be.
    QVERIFY(QFile::setPermissions(program, programFolderWritable ? all | QFileDevice::WriteOwner | QFileDevice::WriteOther : all));

    const QString chosen = asUnprivilegedUser([&] { return settingsFolderFor(program, user) + u'|' + initialFileFolder(program, home); });
    QCOMPARE(chosen, (settingsBeside ? program : user) + u'|' + (dialogsInProgramFolder ? program : home));
}

void TestMainWindow::settingsFolderIsCreatedOnFirstWrite()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("config/linkwell");
    testing::RecordingNotices notices;
    {
        MainWindow form(notices, folder);
        QTest::mouseClick(control<QRadioButton>(form, "RadioButton5"), Qt::LeftButton);
        form.close();
    }
    QCOMPARE(notices.log, QStringList());
    QCOMPARE(readAll(folder + "/Linkwell.ini"), QByteArray("5"));
    MainWindow again(notices, folder);
    QCOMPARE(again.PortNumber(), 5);
}

void TestMainWindow::portHandlerAddsOneLinePerRealChange()
{
    QTemporaryDir dir;
    testing::RecordingNotices notices;
    MainWindow form(notices, dir.path());
    QRadioButton* three = control<QRadioButton>(form, "RadioButton3");
    QTest::mouseClick(three, Qt::LeftButton);
    QTest::mouseClick(three, Qt::LeftButton);
    QCOMPARE(form.PortNumber(), 3);
    QCOMPARE(historyLines(form), QStringList({"* Selected port COM1", "* Selected port COM3"}));
    QVERIFY(!control<QRadioButton>(form, "RadioButton1")->isChecked());
    QVERIFY(notices.log.isEmpty());
}

// What the form says of the window, its controls, their texts, fonts and the
// tab order is in the golden dump (tst_formdump); this is what the code adds.
void TestMainWindow::initialWindow()
{
    QTemporaryDir dir;
    testing::RecordingNotices notices;
    MainWindow form(notices, dir.path());
    // A QIcon made from a missing file is not null; only its pixmap tells.
    QVERIFY(!form.windowIcon().pixmap(32).isNull());
    const QPixmap banner = control<QLabel>(form, "Image1")->pixmap();
    QCOMPARE(banner.size(), QSize(366, 30));
    QCOMPARE(control<ListBox>(form, "ListBox1")->itemCount(), 0);
    QCOMPARE(control<TextBox>(form, "Memo1")->maxTyped(), 255);
    QCOMPARE(form.store().count(), 0);
}

void TestMainWindow::controlsStayPutOnResize()
{
    QTemporaryDir dir;
    testing::RecordingNotices notices;
    MainWindow form(notices, dir.path());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Labels: left edges as designed; the counts keep their right edges.
    QCOMPARE(form.findChild<QLabel*>("Label6")->x(), 115);
    QCOMPARE(control<QLabel>(form, "Label18")->geometry().right() + 1, 211);
    QCOMPARE(control<QLabel>(form, "Label3")->geometry().right() + 1, 436);
    QCOMPARE(control<QLabel>(form, "Label4")->geometry().right() + 1, 541);
    const QRect list = control<ListBox>(form, "ListBox1")->geometry();
    const QRect memo = control<TextBox>(form, "Memo2")->geometry();
    form.resize(900, 700);
    QCOMPARE(control<ListBox>(form, "ListBox1")->geometry(), list);
    QCOMPARE(control<TextBox>(form, "Memo2")->geometry(), memo);
    form.resize(300, 200);
    QCOMPARE(control<TextBox>(form, "Memo2")->geometry(), memo);
}

void TestMainWindow::messageBoxesCentredAndWholeCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::newRow("a short message") << "Sony CMD-j6 Linkwell"
                                     << "Bad header";
    QTest::newRow("a question") << "Confirm"
                                << "File exists.\r\nOverwrite file?";
    QTest::newRow("a long message") << "Sony CMD-j6 Linkwell"
                                    << "The list is empty. Uploading it clears all favourites in the phone. Upload anyway?";
}

void TestMainWindow::messageBoxesCentredAndWholeCaption()
{
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QTemporaryDir dir;
    testing::RecordingNotices notices;
    MainWindow form(notices, dir.path());
    form.move(0, 0); // off the centre, so that the box is not centred over it by chance
    form.show();
    PlacedMessageBox box(QMessageBox::NoIcon, caption, text, &form);
    box.setStandardButtons(QMessageBox::Ok);
    box.show(); // not exec: nothing waits on the box
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY(box.width() >= box.captionWidth());
    QVERIFY(box.captionWidth() > box.fontMetrics().horizontalAdvance(caption));
    const QPoint centre = form.screen()->availableGeometry().center();
    QVERIFY2((box.frameGeometry().center() - centre).manhattanLength() <= 2,
             qPrintable(QStringLiteral("box at %1,%2 %3x%4").arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height())));
    box.close();
}

void TestMainWindow::textsShowWhole_data()
{
    QTest::addColumn<QString>("family"); // what the windows' fonts resolve to; empty: as installed
    QTest::addColumn<bool>("dialog");
    for (const char* family : {"", "DejaVu Sans", "Nimbus Sans", "C059"}) {
        for (const bool dialog : {false, true})
            QTest::addRow("%s, %s", *family ? family : "installed fonts", dialog ? "TForm2" : "TForm1")
                << QString::fromLatin1(family) << dialog;
    }
}

void TestMainWindow::textsShowWhole()
{
    QFETCH(QString, family);
    QFETCH(bool, dialog);
    // Qt keeps a font once resolved, so each other font is tried in a run of
    // its own that knows no other.
    const QByteArray forced = qgetenv("LINKWELL_TEST_FONT");
    if (forced.isEmpty() && !family.isEmpty()) {
        const QStringList installed = QFontDatabase::families();
        if (!std::any_of(installed.begin(), installed.end(), [&](const QString& f) { return f.startsWith(family); }))
            QSKIP(qPrintable(family + " is not installed here"));
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LINKWELL_TEST_FONT", family);
        run.setProcessEnvironment(env);
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("textsShowWhole:installed fonts, %1").arg(dialog ? "TForm2" : "TForm1")});
        QVERIFY(run.waitForFinished(60000));
        QVERIFY2(run.exitCode() == 0, run.readAll().constData());
        return;
    }
    if (!forced.isEmpty() && !family.isEmpty())
        QSKIP("tried by the run of the installed fonts");
    QTemporaryDir dir;
    testing::RecordingNotices notices;
    MainWindow form(notices, dir.path());
    NewEntryDialog newEntry(notices);
    QWidget& window = dialog ? static_cast<QWidget&>(newEntry) : static_cast<QWidget&>(form);
    if (!forced.isEmpty())
        QVERIFY2(QFontInfo(window.font()).family().startsWith(QString::fromUtf8(forced)), qPrintable(QFontInfo(window.font()).family()));

    // The counts at every value they can hold; everything else at its own text.
    const auto texts = [&](const QString& name) -> QStringList {
        if (name == "Label7" || name == "Label18")
            return countTexts(100);
        if ((!dialog && (name == "Label3" || name == "Label4")) || (dialog && (name == "Label5" || name == "Label6")))
            return countTexts(255);
        return {};
    };
    QList<QWidget*> shown;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        auto* label = qobject_cast<QLabel*>(w);
        auto* button = qobject_cast<QAbstractButton*>(w);
        if ((!label && !button) || w->objectName() == "Image1")
            continue;
        shown << w;
        QStringList all = texts(w->objectName());
        if (all.isEmpty())
            all << (label ? label->text() : button->text());
        for (const QString& text : all) {
            const int width = w->fontMetrics().horizontalAdvance(text);
            QVERIFY2(
                width <= textRoom(w, w->width()),
                qPrintable(QStringLiteral("%1 \"%2\": %3 px in %4 px").arg(w->objectName(), text).arg(width).arg(textRoom(w, w->width()))));
        }
    }
    // Nor does a grown control cover its neighbour.
    for (QWidget* w : shown) {
        for (QWidget* other : window.findChildren<QWidget*>()) {
            const bool frame = other->metaObject() == &QFrame::staticMetaObject || other->objectName() == "Image1";
            if (other == w || frame || other->parentWidget() != &window)
                continue;
            QVERIFY2(!w->geometry().intersects(other->geometry()), qPrintable(w->objectName() + " covers " + other->objectName()));
        }
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
