#include "files.h"
#include "windowhistory.h"
#include "cli/commands.h"
#include "entries.h"
#include "recordingnotices.h"
#include "scriptedphone.h"

#include "ui/mainwindow.h"
#include "ui/controls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>

using namespace linkwell;
using namespace linkwell::cli;
using namespace linkwell::testing;

namespace {

// A phone in a known state, made twice: once for the window, once for the tool.
struct PhoneState {
    QByteArray file;
    QList<std::int32_t> init, read, clear, write;

    void applyTo(ScriptedPhone& phone) const
    {
        phone.file = file;
        phone.initResults = init;
        phone.readResults = read;
        phone.clearResults = clear;
        phone.writeResults = write;
        // A link the library already holds is one a phone answers on.
        phone.linkOpen = init.value(0) == -1;
    }
};

struct Run {
    int status = -1;
    QStringList out;
    QString err;
    QStringList questions;
};

struct Tool {
    ScriptedPhone phone;
    QStringList questions;
    // The answer typed at the terminal; nullopt: no terminal.
    std::optional<QString> answer;

    Run run(const QStringList& arguments)
    {
        QString out;
        QString err;
        QTextStream o(&out);
        QTextStream e(&err);
        CliNotices::AnswerReader answers;
        if (answer)
            answers = [this](const QString& q) -> std::optional<QString> {
                questions << q;
                return answer;
            };
        // The test keeps the phone, so the tool gets it without ownership.
        CliContext context{o, e, answers, [this] { return std::shared_ptr<PhoneLibrary>(&phone, [](PhoneLibrary*) {}); }};
        const int status = runCli(QStringList{QStringLiteral("linkwell-cli")} + arguments, context);
        o.flush();
        e.flush();
        return {status, out.split(u'\n', Qt::SkipEmptyParts), err, questions};
    }
};

// The history lines a window appends for one click.
struct Window {
    QTemporaryDir dir;
    RecordingNotices notices;
    ScriptedPhone phone;
    std::unique_ptr<MainWindow> form = std::make_unique<MainWindow>(notices, dir.path());

    Window() { form->setPhone(phone); }

    QStringList history() const { return historyLines(*form); }

    QStringList click(QPushButton* button)
    {
        const qsizetype before = history().size();
        button->click();
        return history().mid(before);
    }
};

const Entries Three{{"Seznam", "wap.seznam.cz"},
                    {"Po\xE8"
                     "as\xED",
                     "wap.pocasi.cz"},
                    {"Idos", "wap.idos.cz"}};
// What an upload puts on a phone that held Three.
const Entries Fresh{{"Nove", "wap.nove.cz"}};

} // namespace

Q_DECLARE_METATYPE(PhoneState)

class TestCliTransfer : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void cleanup()
    {
        QFile::remove(path("phone.bin"));
        QFile::remove(path("upload.bin"));
    }

    void downloadPrintsTheWindowsHistory_data()
    {
        QTest::addColumn<PhoneState>("phone");
        QTest::addColumn<int>("status");
        QTest::newRow("three entries") << PhoneState{imageOf(Three), {}, {}, {}, {}} << 0;
        QTest::newRow("no entries") << PhoneState{imageOf({}), {}, {}, {}, {}} << 0;
        QTest::newRow("101 entries") << PhoneState{imageOf(numbered(101)), {}, {}, {}, {}} << 0;
        QTest::newRow("link already open") << PhoneState{imageOf(Three), {-1}, {}, {}, {}} << 0;
        QTest::newRow("silent phone") << PhoneState{imageOf(Three), {-3}, {}, {}, {}} << 1;
        QTest::newRow("no port") << PhoneState{imageOf(Three), {-2}, {}, {}, {}} << 1;
        QTest::newRow("read fails") << PhoneState{imageOf(Three), {}, {-5}, {}, {}} << 1;
        QTest::newRow("empty section") << PhoneState{QByteArray(), {}, {}, {}, {}} << 1;
        QTest::newRow("bad header") << PhoneState{QByteArray("MME20X\0\0", 8), {}, {}, {}, {}} << 1;
    }
    void downloadPrintsTheWindowsHistory()
    {
        QFETCH(PhoneState, phone);
        QFETCH(int, status);

        Window window;
        phone.applyTo(window.phone);
        const QStringList windowHistory = window.click(control<QPushButton>(*window.form, "btnDownload"));
        QVERIFY(!windowHistory.isEmpty());

        Tool tool;
        phone.applyTo(tool.phone);
        const QString image = path("phone.bin");
        const Run r = tool.run({"download", "--port", "1", "-o", image});
        QCOMPARE(r.out, windowHistory);
        QCOMPARE(tool.phone.calls, window.phone.calls);
        QCOMPARE(r.status, status);
        if (status != 0) {
            QVERIFY(!QFile::exists(image));
            return;
        }
        // Saved as "Save to file..." saves the window's list.
        window.notices.saveAnswers << window.dir.filePath(QStringLiteral("saved.bin"));
        control<QPushButton>(*window.form, "btnSaveFile")->setEnabled(true);
        control<QPushButton>(*window.form, "btnSaveFile")->click();
        const QByteArray saved = readAll(window.dir.filePath(QStringLiteral("saved.bin")));
        QCOMPARE(readAll(image), saved.isEmpty() ? QByteArray("MME20C\0", 7) : saved);
    }

    void uploadPrintsTheWindowsHistory_data()
    {
        QTest::addColumn<PhoneState>("phone");
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<int>("status");
        QTest::newRow("three entries") << PhoneState{} << imageOf(Three) << 0;
        QTest::newRow("no entries") << PhoneState{} << imageOf({}) << 0;
        QTest::newRow("silent phone") << PhoneState{QByteArray("old"), {-3}, {}, {}, {}} << imageOf(Three) << 1;
        QTest::newRow("clear fails") << PhoneState{QByteArray("old"), {}, {}, {-5}, {}} << imageOf(Three) << 1;
        QTest::newRow("write fails") << PhoneState{QByteArray("old"), {}, {}, {}, {-5}} << imageOf(Three) << 1;
        QTest::newRow("link already open") << PhoneState{QByteArray("old"), {-1}, {}, {}, {}} << imageOf(Three) << 0;
    }
    void uploadPrintsTheWindowsHistory()
    {
        QFETCH(PhoneState, phone);
        QFETCH(QByteArray, image);
        QFETCH(int, status);
        const QString file = path("upload.bin");
        QVERIFY(writeFile(file, image));

        Window window;
        window.notices.openAnswers << file;
        control<QPushButton>(*window.form, "btnOpenFile")->click();
        phone.applyTo(window.phone);
        if (image == imageOf({}))
            window.notices.confirmAnswers << true; // the window asks before it clears the phone; --yes answers
        const QStringList windowHistory = window.click(control<QPushButton>(*window.form, "btnUpload"));

        Tool tool;
        phone.applyTo(tool.phone);
        const Run r = tool.run({"upload", "--port", "1", file, "--yes"});
        QCOMPARE(r.out, windowHistory);
        QCOMPARE(tool.phone.calls, window.phone.calls);
        QCOMPARE(tool.phone.file, window.phone.file);
        QCOMPARE(r.status, status);
        QVERIFY(r.questions.isEmpty());
    }

    void uploadOfARefusedImageTouchesNoPhone()
    {
        QVERIFY(writeFile(path("upload.bin"), QByteArray("not an image")));
        Tool tool;
        const Run r = tool.run({"upload", "--port", "1", path("upload.bin"), "--yes"});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(QStringLiteral("upload.bin: Bad header")));
        QVERIFY(tool.phone.calls.isEmpty());
    }

    void uploadAsksOnATerminal_data()
    {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<bool>("uploads");
        QTest::newRow("yes") << std::optional<QString>(QStringLiteral("y")) << true;
        QTest::newRow("Yes spelt out") << std::optional<QString>(QStringLiteral(" YES\n")) << true;
        QTest::newRow("no") << std::optional<QString>(QStringLiteral("n")) << false;
        QTest::newRow("just Enter") << std::optional<QString>(QString()) << false;
        QTest::newRow("not a terminal") << std::optional<QString>() << false;
    }
    void uploadAsksOnATerminal()
    {
        QFETCH(std::optional<QString>, answer);
        QFETCH(bool, uploads);
        QVERIFY(writeFile(path("upload.bin"), imageOf(Three)));
        Tool tool;
        tool.answer = answer;
        tool.phone.file = "old";
        const Run r = tool.run({"upload", "--port", "2", path("upload.bin")});
        QCOMPARE(r.status, uploads ? 0 : 1);
        if (answer) {
            QCOMPARE(r.questions.size(), 1);
            QVERIFY(r.questions.first().contains(QStringLiteral("do it at your peril")));
            QVERIFY(r.questions.first().contains(QStringLiteral("COM2 with the 3 entries")));
        } else {
            QVERIFY(r.err.contains(QStringLiteral("--yes")));
        }
        QCOMPARE(tool.phone.calls.isEmpty(), !uploads);
        QCOMPARE(tool.phone.file.startsWith(imageOf(Three)), uploads);
        if (answer && !uploads)
            QCOMPARE(r.err, QStringLiteral("linkwell-cli: upload cancelled: nothing written; the phone was not touched\n"));
    }

    // After the history, one line that says why; "Bad header" alone is not a reason.
    void aFailedDownloadSaysWhy_data()
    {
        QTest::addColumn<PhoneState>("phone");
        QTest::addColumn<QString>("why");
        QTest::newRow("silent phone") << PhoneState{imageOf(Three), {-3}, {}, {}, {}} << "the phone does not answer (InitGBPMode -3)";
        QTest::newRow("no port") << PhoneState{imageOf(Three), {-2}, {}, {}, {}} << "the port cannot be opened (InitGBPMode -2)";
        QTest::newRow("link broken") << PhoneState{imageOf(Three), {}, {-5}, {}, {}}
                                     << "the link broke: no valid answer from the phone (ReadNVMFile -5)";
        QTest::newRow("phone's status") << PhoneState{imageOf(Three), {}, {-256 - 7}, {}, {}}
                                        << "the phone answered ReadNVMFile with status 7";
        QTest::newRow("empty file") << PhoneState{QByteArray(), {}, {}, {}, {}} << "the phone's favourites file is empty (0 bytes)";
        QTest::newRow("not an image") << PhoneState{QByteArray("MME20X\0\0", 8), {}, {}, {}, {}}
                                      << "the phone's favourites file (8 bytes) does not begin with the MME20C signature";
    }
    void aFailedDownloadSaysWhy()
    {
        QFETCH(PhoneState, phone);
        QFETCH(QString, why);
        Tool tool;
        phone.applyTo(tool.phone);
        const Run r = tool.run({"download", "--port", "3", "-o", path("phone.bin")});
        QCOMPARE(r.status, 1);
        const QStringList err = r.err.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(err.last(), QStringLiteral("linkwell-cli: COM3: download failed: ") + why);
        QCOMPARE(err.filter(QStringLiteral("download failed")).size(), 1);
        QVERIFY(!QFile::exists(path("phone.bin")));
    }

    // The sequence clears the phone's file before it writes it; a failure
    // after the clear says so, and the same upload again restores the file.
    void aFailedUploadSaysThePhoneMayBeEmpty_data()
    {
        QTest::addColumn<PhoneState>("phone");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("write fails") << PhoneState{imageOf(Three), {}, {}, {}, {-5}}
                                     << "the upload failed after the phone's favourites were cleared: they may now be "
                                        "empty; running the same upload again restores them"
                                     << true;
        QTest::newRow("phone's status") << PhoneState{imageOf(Three), {}, {}, {}, {-256 - 3}} << "may now be empty" << true;
        QTest::newRow("clear fails") << PhoneState{imageOf(Three), {}, {}, {-5}, {}} << "may now be empty" << false;
        QTest::newRow("silent phone") << PhoneState{imageOf(Three), {-3}, {}, {}, {}}
                                      << "upload failed: the phone does not answer (InitGBPMode -3); the phone was not touched" << false;
    }
    void aFailedUploadSaysThePhoneMayBeEmpty()
    {
        QFETCH(PhoneState, phone);
        QFETCH(QString, said);
        QFETCH(bool, cleared);
        QVERIFY(writeFile(path("upload.bin"), imageOf(Fresh)));
        Tool tool;
        phone.applyTo(tool.phone);
        const QStringList upload{"upload", "--port", "1", path("upload.bin"), "--yes"};
        const Run failed = tool.run(upload);
        QCOMPARE(failed.status, 1);
        QVERIFY2(failed.err.startsWith(QStringLiteral("linkwell-cli: COM1: ")), qPrintable(failed.err));
        QVERIFY2(failed.err.contains(said), qPrintable(failed.err));
        QCOMPARE(failed.err.count(u'\n'), 1);
        QCOMPARE(tool.phone.file.isEmpty(), cleared);

        const Run again = tool.run(upload);
        QCOMPARE(again.status, 0);
        QCOMPARE(again.err, QString());
        QVERIFY(tool.phone.file.startsWith(imageOf(Fresh)));
    }

    // --backup downloads the phone's favourites first; without them the phone
    // is not touched.
    void uploadWithABackup_data()
    {
        QTest::addColumn<PhoneState>("phone");
        QTest::addColumn<QString>("backup"); // file name in the test folder
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("backedUp");
        QTest::addColumn<bool>("touched"); // ClearNVMFile or WriteNVMFile called
        QTest::addColumn<QString>("said");
        QTest::newRow("done") << PhoneState{imageOf(Three), {}, {}, {}, {}} << "old.bin" << 0 << true << true << "";
        QTest::newRow("backup read fails") << PhoneState{imageOf(Three), {}, {-5}, {}, {}} << "old.bin" << 1 << false << false
                                           << "no backup in @old.bin: nothing written; the phone was not touched";
        QTest::newRow("silent phone") << PhoneState{imageOf(Three), {-3}, {}, {}, {}} << "old.bin" << 1 << false << false
                                      << "the backup download failed: the phone does not answer";
        QTest::newRow("backup cannot be saved")
            << PhoneState{imageOf(Three), {}, {}, {}, {}} << "adir" << 1 << false << false << "@adir: cannot be written: Is a directory";
        QTest::newRow("write fails after the backup")
            << PhoneState{imageOf(Three), {}, {}, {}, {-5}} << "old.bin" << 1 << true << true
            << "may now be empty; running the same upload again restores them (the favourites as they were are in "
               "@old.bin)";
    }
    void uploadWithABackup()
    {
        QFETCH(PhoneState, phone);
        QFETCH(QString, backup);
        QFETCH(int, status);
        QFETCH(bool, backedUp);
        QFETCH(bool, touched);
        QFETCH(QString, said);
        QVERIFY(writeFile(path("upload.bin"), imageOf(Fresh)));
        QDir(dir_.path()).mkdir(QStringLiteral("adir"));
        const auto removeDir = qScopeGuard([&] {
            QDir(path("adir")).removeRecursively();
            QFile::remove(path("old.bin"));
        });
        Tool tool;
        phone.applyTo(tool.phone);
        const Run r = tool.run({"upload", "--port", "1", path("upload.bin"), "--yes", "--backup", path(backup)});
        QCOMPARE(r.status, status);
        said.replace(u'@', dir_.path() + u'/');
        QVERIFY2(r.err.contains(said), qPrintable(r.err));
        QCOMPARE(QFileInfo(path(backup)).isFile(), backedUp);
        if (backedUp)
            QCOMPARE(readAll(path(backup)), imageOf(Three));
        const bool called = tool.phone.calls.filter(QRegularExpression(QStringLiteral("^(Clear|Write)NVMFile"))).size() > 0;
        QCOMPARE(called, touched);
        if (!touched)
            QCOMPARE(tool.phone.file, imageOf(Three));
        if (status == 0) {
            QVERIFY(tool.phone.file.startsWith(imageOf(Fresh)));
            // The backup's download runs to its end before the clear.
            const qsizetype read = tool.phone.calls.indexOf(QStringLiteral("ReadNVMFile(2,1,2000)"));
            const qsizetype clear = tool.phone.calls.indexOf(QStringLiteral("ClearNVMFile(2,1)"));
            QVERIFY(read >= 0 && clear > read);
        }
    }
};

QTEST_MAIN(TestCliTransfer)
#include "tst_clitransfer.moc"
