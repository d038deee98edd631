#include "files.h"
#include "windowhistory.h"
#include "cli/commands.h"
#include "entries.h"
#include "recordingnotices.h"
#include "scriptedphone.h"

#include "ui/Unit1.h"
#include "ui/controls.h"

#include <QFile>
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

    Run run(QStringList arguments)
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
        arguments.prepend(QStringLiteral("linkwell-cli"));
        Run r;
        r.status = runCli(arguments, context);
        o.flush();
        e.flush();
        r.out = out.split(u'\n', Qt::SkipEmptyParts);
        r.err = err;
        r.questions = questions;
        return r;
    }
};

// The history lines a window appends for one click.
struct Window {
    QTemporaryDir dir;
    RecordingNotices notices;
    ScriptedPhone phone;
    std::unique_ptr<TForm1> form;

    Window()
    {
        form = std::make_unique<TForm1>(notices, dir.path());
        form->setPhone(phone);
    }

    QStringList history() const { return historyLines(*form); }

    QStringList click(QPushButton* button)
    {
        const qsizetype before = history().size();
        button->click();
        return history().mid(before);
    }
};

const Entries Three{{"Seznam", "wap.seznam.cz"}, {"Po\xE8" "as\xED", "wap.pocasi.cz"}, {"Idos", "wap.idos.cz"}};

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
        QFile::remove(path(QStringLiteral("phone.bin")));
        QFile::remove(path(QStringLiteral("upload.bin")));
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
        const QStringList windowHistory = window.click(window.form->btnDownload);
        QVERIFY(!windowHistory.isEmpty());

        Tool tool;
        phone.applyTo(tool.phone);
        const QString image = path(QStringLiteral("phone.bin"));
        const Run r = tool.run({QStringLiteral("download"), QStringLiteral("--port"), QStringLiteral("1"),
                                QStringLiteral("-o"), image});
        QCOMPARE(r.out, windowHistory);
        QCOMPARE(tool.phone.calls, window.phone.calls);
        QCOMPARE(r.status, status);
        if (status != 0) {
            QVERIFY(!QFile::exists(image));
            return;
        }
        // Saved as "Save to file..." saves the window's list.
        window.notices.saveAnswers << window.dir.filePath(QStringLiteral("saved.bin"));
        window.form->btnSaveFile->setEnabled(true);
        window.form->btnSaveFile->click();
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
        const QString file = path(QStringLiteral("upload.bin"));
        QVERIFY(writeFile(file, image));

        Window window;
        window.notices.openAnswers << file;
        window.form->btnOpenFile->click();
        phone.applyTo(window.phone);
        if (image == imageOf({}))
            window.notices.confirmAnswers << true; // the window asks before it clears the phone; --yes answers
        const QStringList windowHistory = window.click(window.form->btnUpload);

        Tool tool;
        phone.applyTo(tool.phone);
        const Run r = tool.run({QStringLiteral("upload"), QStringLiteral("--port"), QStringLiteral("1"), file,
                                QStringLiteral("--yes")});
        QCOMPARE(r.out, windowHistory);
        QCOMPARE(tool.phone.calls, window.phone.calls);
        QCOMPARE(tool.phone.file, window.phone.file);
        QCOMPARE(r.status, status);
        QVERIFY(r.questions.isEmpty());
    }

    void uploadOfARefusedImageTouchesNoPhone()
    {
        QVERIFY(writeFile(path(QStringLiteral("upload.bin")), QByteArray("not an image")));
        Tool tool;
        const Run r = tool.run({QStringLiteral("upload"), QStringLiteral("--port"), QStringLiteral("1"),
                                path(QStringLiteral("upload.bin")), QStringLiteral("--yes")});
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
        QVERIFY(writeFile(path(QStringLiteral("upload.bin")), imageOf(Three)));
        Tool tool;
        tool.answer = answer;
        tool.phone.file = "old";
        const Run r = tool.run({QStringLiteral("upload"), QStringLiteral("--port"), QStringLiteral("2"),
                                path(QStringLiteral("upload.bin"))});
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
    }
};

QTEST_MAIN(TestCliTransfer)
#include "tst_clitransfer.moc"
