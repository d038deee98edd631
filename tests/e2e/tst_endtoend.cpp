// The window, our phone library and the emulator process together, over a
// real pseudo-terminal.
#include "windowhistory.h"
#include "entries.h"
#include "phone/gbpphonelibrary.h"
#include "phonesimprocess.h"
#include "recordingnotices.h"
#include "ui/mainwindow.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <utility>

using namespace linkwell;
using namespace linkwell::testing;

namespace {

const Entries Seeded{{"Seznam", "wap.seznam.example"}, {"Po\xe8\x61\x73\xed", "wap.pocasi.example"}, {"Two  blanks", "wap.blanks.example"}};

struct Rig {
    explicit Rig(const QStringList& phoneOptions, const Entries& seed = Seeded)
    {
        QFile seedFile(dir.filePath("seed.bin"));
        seedFile.open(QIODevice::WriteOnly);
        seedFile.write(imageOf(seed));
        seedFile.close();
        QVERIFY(sim.start(QStringList{"--dir", dir.filePath("phone"), "--seed", seedFile.fileName()} + phoneOptions));
        qputenv("LINKWELL_COM1", sim.device().toLocal8Bit());
        form = std::make_unique<MainWindow>(notices, dir.path());
        form->setPhone(phone);
    }

    QStringList history() const { return historyLines(*form); }

    QByteArray phoneFile() const
    {
        QFile f(dir.filePath("phone/nvm_2_1.bin"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
    PhonesimProcess sim{QStringLiteral(PHONESIM_PATH)};
    RecordingNotices notices;
    GbpPhoneLibrary phone;
    std::unique_ptr<MainWindow> form;
};

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void downloadEditUploadAndReadBack();
    void failingPhoneLosesNothing_data();
    void failingPhoneLosesNothing();
    void clicksDuringADownloadAreDropped();
};

void TestEndToEnd::downloadEditUploadAndReadBack()
{
    Rig rig({});
    MainWindow& w = *rig.form;
    control<QPushButton>(w, "btnDownload")->click();
    QCOMPARE(entriesOf(w.store()), Seeded);
    QCOMPARE(control<ListBox>(w, "ListBox1")->itemTexts(), (QList<QByteArray>{"Seznam", "Po\xe8\x61\x73\xed", "Two  blanks"}));
    QCOMPARE(rig.history().mid(1),
             (QStringList{"* Everything OK, GBP mode is initialized.", "* Real size of received NVM file: 96 byte(s).",
                          "* Actual data size: 96", "* Everything OK, GBP mode closed."}));

    // Edit the second entry in place, insert one after it, delete the first.
    control<ListBox>(w, "ListBox1")->setItemIndex(1);
    w.ShowSelected();
    control<CheckBox>(w, "EditStyle")->setChecked(true);
    control<TextBox>(w, "Memo2")->setText("wap.pocasi.example/praha");
    control<CheckBox>(w, "EditStyle")->setChecked(false);
    w.setNewEntryOpener([](std::int32_t) { return std::optional<EntNameUrl>({"New", "wap.new.example"}); });
    control<QPushButton>(w, "btnNew")->click();
    control<ListBox>(w, "ListBox1")->setItemIndex(0);
    rig.notices.confirmAnswers << true;
    control<QPushButton>(w, "btnDelete")->click();
    const Entries edited{
        {"Po\xe8\x61\x73\xed", "wap.pocasi.example/praha"}, {"New", "wap.new.example"}, {"Two  blanks", "wap.blanks.example"}};
    QCOMPARE(entriesOf(w.store()), edited);

    control<QPushButton>(w, "btnUpload")->click();
    const QByteArray image = imageOf(edited);
    QCOMPARE(rig.phoneFile(), image + QByteArray(2000 - image.size(), '\0'));
    QCOMPARE(rig.history().mid(5),
             (QStringList{"* Everything OK, GBP mode is initialized.", "* Everything OK, your data are now stored in the phone.",
                          QStringLiteral("* Uploaded %1/2000 bytes (max. 1998).").arg(image.size()), "* Everything OK, GBP mode closed."}));

    // A second window reads back what the first one wrote.
    RecordingNotices otherNotices;
    MainWindow other(otherNotices, rig.dir.path());
    other.setPhone(rig.phone);
    control<QPushButton>(other, "btnDownload")->click();
    QCOMPARE(entriesOf(other.store()), edited);
    QCOMPARE(other.windowTitle(), QStringLiteral("Linkwell: downloaded phone data"));
    QVERIFY(rig.notices.log.size() == 1 && otherNotices.log.isEmpty()); // the delete question only
}

void TestEndToEnd::failingPhoneLosesNothing_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("history");
    QTest::addColumn<QStringList>("notices");
    QTest::addColumn<int>("boundMs");

    QTest::newRow("silent phone") << QStringList{"--silent"}
                                  << QStringList{"* The phone does not respond to AT commands. May be it's not properly connected."}
                                  << QStringList{"beep"} << 3000;
    QTest::newRow("phone that stops mid-transfer")
        << QStringList{"--stop-after", "3", "--oversize", "6000"}
        << QStringList{"* Everything OK, GBP mode is initialized.",
                       "* Communication error. An error occured in the GBP protocol (bad checksum etc.).", "* Actual data size: 0",
                       "* Everything OK, GBP mode closed."}
        << QStringList{"beep", "message: Bad header"} << 6000;
}

void TestEndToEnd::failingPhoneLosesNothing()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, history);
    QFETCH(QStringList, notices);
    QFETCH(int, boundMs);

    Rig rig(options);
    MainWindow& w = *rig.form;
    fill(w.store(), {{"mine", "my.url"}, {"unsaved", "work.url"}});
    w.FillListBox();
    w.ShowSelected();

    QElapsedTimer clock;
    clock.start();
    control<QPushButton>(w, "btnDownload")->click();
    QVERIFY2(clock.elapsed() < boundMs, qPrintable(QString::number(clock.elapsed())));

    QCOMPARE(rig.history().mid(1), history);
    QCOMPARE(rig.notices.log, notices);
    QCOMPARE(entriesOf(w.store()), (Entries{{"mine", "my.url"}, {"unsaved", "work.url"}}));
    QCOMPARE(control<ListBox>(w, "ListBox1")->itemTexts(), (QList<QByteArray>{"mine", "unsaved"}));
    QCOMPARE(control<TextBox>(w, "Memo1")->text(), QByteArray("mine"));
}

namespace {

// Our library, with a user who clicks while it works: the clicks wait in the
// queue behind the blocked event loop, as a real user's do.
class ImpatientPhone : public GbpPhoneLibrary {
public:
    QList<QWidget*> clickedWhileReading;
    int opens = 0;

    std::int32_t InitGBPMode(std::uint8_t port) override
    {
        ++opens;
        return GbpPhoneLibrary::InitGBPMode(port);
    }
    std::int32_t ReadNVMFile(std::int32_t section, std::int32_t subsection, char* buffer, std::int32_t size) override
    {
        // Once: a window that did act on them would otherwise be clicked for ever.
        for (QWidget* w : std::exchange(clickedWhileReading, {})) {
            const QPointF at = QRectF(w->rect()).center();
            QCoreApplication::postEvent(
                w, new QMouseEvent(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
            QCoreApplication::postEvent(
                w, new QMouseEvent(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        }
        return GbpPhoneLibrary::ReadNVMFile(section, subsection, buffer, size);
    }
};

} // namespace

void TestEndToEnd::clicksDuringADownloadAreDropped()
{
    Rig rig({"--baud", "9600"});
    MainWindow& w = *rig.form;
    ImpatientPhone phone;
    w.setPhone(phone);
    fill(w.store(), {{"mine", "my.url"}});
    w.FillListBox();
    w.ShowSelected();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    phone.clickedWhileReading = {control<QPushButton>(w, "btnDownload"), control<CheckBox>(w, "chShowStyle")};

    QTest::mouseClick(control<QPushButton>(w, "btnDownload"), Qt::LeftButton);
    QCoreApplication::processEvents(); // whatever is still queued gets its turn now

    QCOMPARE(phone.opens, 1);
    QVERIFY(!control<CheckBox>(w, "chShowStyle")->isChecked());
    QCOMPARE(entriesOf(w.store()), Seeded);
    // The window takes clicks again once the phone is done.
    QTest::mouseClick(control<CheckBox>(w, "chShowStyle"), Qt::LeftButton);
    QVERIFY(control<CheckBox>(w, "chShowStyle")->isChecked());
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
