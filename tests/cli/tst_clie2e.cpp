// linkwell-cli against linkwell-phonesim through our gbp library: the printed
// history beside the window's for the same phone, and the road from a
// browser's bookmarks into the phone and back.
#include "files.h"
#include "windowhistory.h"
#include "cli/bookmarks.h"
#include "entries.h"
#include "phonesimprocess.h"
#include "recordingnotices.h"

#include "phone/gbpphonelibrary.h"
#include "ui/mainwindow.h"
#include "ui/controls.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace linkwell;
using namespace linkwell::testing;

namespace {

struct Cli {
    int status = -1;
    QStringList out;
    QString err;
    qint64 ms = 0;
};

Cli runCli(const QStringList& arguments)
{
    Cli r;
    QProcess p;
    p.setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    p.start(QStringLiteral(LINKWELL_CLI_PATH), arguments);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(3000);
        r.err = QStringLiteral("<no end within 60 s>");
        return r;
    }
    r.ms = timer.elapsed();
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The lines the window adds to its history for one click, on the phone the
// emulator plays.
QStringList windowHistory(const QString& settingsFolder, const char* button)
{
    RecordingNotices notices;
    GbpPhoneLibrary library;
    MainWindow form(notices, settingsFolder);
    form.setPhone(library);
    const auto lines = [&form] { return historyLines(form); };
    const qsizetype before = lines().size();
    notices.confirmAnswers << true; // the window's list is empty, and it asks before an upload clears the phone
    control<QPushButton>(form, QByteArray(button) == "download" ? "btnDownload" : "btnUpload")->click();
    return lines().mid(before);
}

// The emulator on COM1 for as long as it lives.
struct Emulator {
    PhonesimProcess process{QStringLiteral(PHONESIM_PATH)};
    bool started = false;
    explicit Emulator(const QStringList& arguments)
    {
        started = process.start(arguments);
        if (started)
            qputenv("LINKWELL_COM1", process.device().toLocal8Bit());
    }
    ~Emulator()
    {
        qunsetenv("LINKWELL_COM1");
        process.stop();
    }
};

const Entries Phone{{"Seznam", "wap.seznam.cz"},
                    {"Po\xE8"
                     "as\xED",
                     "wap.pocasi.cz"}};

QByteArray padded(const QByteArray& image)
{
    return image + QByteArray(2000 - image.size(), '\0');
}

} // namespace

class TestCliEmulator : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    // The window's history for the same phone, and after it on a failure the
    // reason in one line.
    void printsTheWindowsHistory_data()
    {
        QTest::addColumn<QStringList>("phone"); // the emulator's arguments
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("historyLines");
        QTest::addColumn<QString>("why");        // none: the command succeeds
        QTest::addColumn<QByteArray>("written"); // what out.bin then holds; null: no file
        const QStringList download{"download", "--port", "1", "-o", path("out.bin")};
        QTest::newRow("download") << QStringList{"--seed", path("seed.bin")} << download << 4 << QString() << imageOf(Phone);
        QTest::newRow("download, silent phone")
            << QStringList{"--silent"} << download << 1 << "download failed: the phone does not answer (InitGBPMode -3)" << QByteArray();
        QTest::newRow("upload, silent phone") << QStringList{"--silent"} << QStringList{"upload", "--port", "1", path("up.bin"), "--yes"}
                                              << 1 << "upload failed: the phone does not answer (InitGBPMode -3); the phone was not touched"
                                              << QByteArray();
    }
    void printsTheWindowsHistory()
    {
        QFETCH(QStringList, phone);
        QFETCH(QStringList, arguments);
        QFETCH(int, historyLines);
        QFETCH(QString, why);
        QFETCH(QByteArray, written);
        QVERIFY(writeFile(path("seed.bin"), padded(imageOf(Phone))));
        QVERIFY(writeFile(path("up.bin"), imageOf(Phone)));
        QStringList window;
        {
            Emulator sim(phone);
            QVERIFY(sim.started);
            window = windowHistory(dir_.path(), qPrintable(arguments.first()));
        }
        QCOMPARE(window.size(), historyLines);

        Emulator sim(phone);
        QVERIFY(sim.started);
        QFile::remove(path("out.bin"));
        const Cli r = runCli(arguments);
        QCOMPARE(r.status, why.isEmpty() ? 0 : 1);
        QCOMPARE(r.out, window);
        QCOMPARE(r.err, why.isEmpty() ? QString() : "linkwell-cli: COM1: " + why + "\n");
        QVERIFY2(r.ms < 30000, qPrintable(QString::number(r.ms)));
        if (written.isNull())
            QVERIFY(!QFile::exists(path("out.bin")));
        else
            QCOMPARE(readAll(path("out.bin")), written);
    }

    void browserBookmarksIntoThePhoneAndBack()
    {
        const QByteArray html =
            "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
            "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
            "<DL><p>\n<DT><H3>Zprávy</H3>\n<DL><p>\n"
            "<DT><A HREF=\"http://pocasi.cz/?a=1&amp;b=2\" ADD_DATE=\"1\">Počasí</A>\n"
            "</DL><p>\n<DT><A HREF=\"http://kun.cz/\">Žluťoučký kůň</A>\n</DL><p>\n";
        QVERIFY(writeFile(path("bookmarks.html"), html));
        QVERIFY(writeFile(path("seed.bin"), padded(imageOf(Phone))));
        Emulator sim({"--seed", path("seed.bin")});
        QVERIFY(sim.started);

        QCOMPARE(runCli({"build", path("bookmarks.html"), "-o", path("phone.bin")}).status, 0);
        const Cli up = runCli({"upload", "--port", "1", path("phone.bin"), "--yes"});
        QCOMPARE(up.status, 0);
        QVERIFY(up.out.contains("* Everything OK, your data are now stored in the phone."));
        QCOMPARE(runCli({"download", "--port", "1", "-o", path("back.bin")}).status, 0);
        QCOMPARE(readAll(path("back.bin")), readAll(path("phone.bin")));
        QCOMPARE(runCli({"export", path("back.bin"), "--format", "html", "-o", path("back.html")}).status, 0);

        const cli::Bookmarks back = cli::readHtml(readAll(path("back.html")), "back.html");
        QCOMPARE(back.size(), 2);
        QCOMPARE(back[0].name, QStringLiteral("Počasí"));
        QCOMPARE(back[0].url, QStringLiteral("http://pocasi.cz/?a=1&b=2"));
        QCOMPARE(back[1].name, QStringLiteral("Žluťoučký kůň"));
        QCOMPARE(back[1].url, QStringLiteral("http://kun.cz/"));
    }

    // Each way a write can fail on the line, with --backup: the phone's file
    // is cleared first, so the tool says it may be empty and that the same
    // upload again restores it, and the backup holds what the phone held.
    // A backup that cannot be read leaves the phone untouched.
    void uploadWithABackupOnAFaultyLine_data()
    {
        QTest::addColumn<QStringList>("fault");
        QTest::addColumn<bool>("backedUp");
        QTest::addColumn<QString>("said");
        // Answers 1 to 6 are the backup's download, 7 the clear, 8 to 11 the
        // four write chunks.
        const QString empty = QStringLiteral(
            "they may now be empty; running the same upload again restores them "
            "(the favourites as they were are in ");
        QTest::newRow("falls silent after the first chunk") << QStringList{"--stop-after", "8"} << true << empty;
        QTest::newRow("spoilt answers to the writes") << QStringList{"--corrupt", "9-"} << true << empty;
        QTest::newRow("write status") << QStringList{"--write-status", "5"} << true << empty;
        // 512 bytes take longer than the phone's answer may wait, but a read's
        // answer still streams within its time.
        QTest::newRow("slow line, 4800 baud") << QStringList{"--baud", "4800"} << true << empty;
        QTest::newRow("slower line, 1200 baud: no backup")
            << QStringList{"--baud", "1200"} << false << QStringLiteral("the backup download failed: the link broke");
    }
    void uploadWithABackupOnAFaultyLine()
    {
        QFETCH(QStringList, fault);
        QFETCH(bool, backedUp);
        QFETCH(QString, said);
        QTemporaryDir nvm;
        const Entries fresh{{"Nove", "wap.nove.cz"}, {"Jizdni rady", "wap.idos.cz"}};
        QVERIFY(writeFile(path("seed.bin"), padded(imageOf(Phone))));
        QVERIFY(writeFile(path("new.bin"), imageOf(fresh)));
        QFile::remove(path("old.bin"));
        const QString phoneFile = nvm.filePath("nvm_2_1.bin");
        {
            Emulator sim(QStringList{"--dir", nvm.path(), "--seed", path("seed.bin")} + fault);
            QVERIFY(sim.started);
            const Cli up = runCli({"upload", "--port", "1", path("new.bin"), "--yes", "--backup", path("old.bin")});
            QCOMPARE(up.status, 1);
            QVERIFY2(up.err.contains(said), qPrintable(up.err));
        }
        QCOMPARE(QFile::exists(path("old.bin")), backedUp);
        if (backedUp) {
            QCOMPARE(readAll(path("old.bin")), imageOf(Phone));
            QVERIFY(!readAll(phoneFile).startsWith(imageOf(Phone)));
        } else {
            QCOMPARE(readAll(phoneFile), padded(imageOf(Phone)));
        }

        // The same upload again, on a sound line, puts everything in place.
        Emulator sim({"--dir", nvm.path()});
        QVERIFY(sim.started);
        const Cli again = runCli({"upload", "--port", "1", path("new.bin"), "--yes"});
        QCOMPARE(again.status, 0);
        QCOMPARE(again.err, QString());
        QCOMPARE(runCli({"download", "--port", "1", "-o", path("now.bin")}).status, 0);
        QCOMPARE(readAll(path("now.bin")), imageOf(fresh));
        if (backedUp) {
            // And the backup takes the phone back to where it was.
            QCOMPARE(runCli({"upload", "--port", "1", path("old.bin"), "--yes"}).status, 0);
            QCOMPARE(readAll(phoneFile).left(imageOf(Phone).size()), imageOf(Phone));
        }
    }
};

QTEST_MAIN(TestCliEmulator)
#include "tst_clie2e.moc"
