// The library against linkwell-phonesim over a real pseudo-terminal: every
// result code provoked for real, and the time each failure may take.

#include <algorithm>
#include "gbp/gbp.h"
#include "phonesimprocess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <thread>
#include <vector>

using linkwell::testing::PhonesimProcess;

namespace {

// LINKWELL_GBP_TIMEOUT_SCALE, read as the library reads it: the ctest run
// shortens every wait, and a second run keeps the documented ones (see
// CMakeLists.txt).
double timeScale()
{
    bool ok = false;
    const double value = qEnvironmentVariable("LINKWELL_GBP_TIMEOUT_SCALE").toDouble(&ok);
    return ok && value > 0.0 && value <= 1.0 ? value : 1.0;
}

// A documented wait of `ms` milliseconds as this run has it.
qint64 scaled(qint64 ms)
{
    return qRound64(double(ms) * timeScale());
}

// Room for a loaded 2-core machine on top of a stated wait.
constexpr qint64 Slack = 800;
constexpr qint64 QuickBound = 500; // below one reply time-out: nothing was waited out

// Within a documented upper bound.
bool atMost(qint64 elapsed, qint64 documentedMs)
{
    return elapsed < scaled(documentedMs) + Slack;
}

// A wait that runs out in full: not cut short either, so a time-out that
// shrank shows as much as one that grew.
bool waitedOut(qint64 elapsed, qint64 documentedMs)
{
    return elapsed >= scaled(documentedMs) * 9 / 10 && atMost(elapsed, documentedMs);
}

// A clock that runs from its construction.
struct Clock : QElapsedTimer {
    Clock() { start(); }
};

QString ms(const QElapsedTimer& clock)
{
    return QStringLiteral("%1 ms (time-out scale %2)").arg(clock.elapsed()).arg(timeScale());
}

// Every byte value, so stuffing and the CRC meet flags and escapes too.
QByteArray pattern(int size, int salt = 0)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + salt) & 0xFF);
    return bytes;
}

QByteArray favouritesImage(int size)
{
    return QByteArray("MME20C", 7) + pattern(size - 7);
}

using Operation = std::function<std::int32_t()>;

char readBuffer[4096];
const QByteArray writeData = pattern(2000, 3);

Operation operation(const QString& name)
{
    if (name == "size")
        return [] { return GetNVMFileSize(2, 1); };
    if (name == "read")
        return [] { return ReadNVMFile(2, 1, readBuffer, 2000); };
    if (name == "write")
        return [] { return WriteNVMFile(2, 1, writeData.constData(), 2000); };
    if (name == "clear")
        return [] { return ClearNVMFile(2, 1); };
    return [] { return EndGBPMode(); };
}

// One row for each operation named, under its name.
void operationRows(std::initializer_list<const char*> names = {"size", "read", "write", "clear"})
{
    QTest::addColumn<QString>("name");
    for (const char* name : names)
        QTest::newRow(name) << name;
}

} // namespace

class TestGbpLink : public QObject {
    Q_OBJECT

private:
    // Starts the emulator with `arguments` and points COM1 at it.
    bool startPhone(const QStringList& arguments)
    {
        phone_ = std::make_unique<PhonesimProcess>(QStringLiteral(PHONESIM_PATH));
        if (!phone_->start(arguments))
            return false;
        qputenv("LINKWELL_COM1", phone_->device().toLocal8Bit());
        return true;
    }

    // The emulator as startPhone starts it, with the link to it open; the
    // code of a refused open goes to the log.
    bool openPhone(const QStringList& arguments)
    {
        if (!startPhone(arguments))
            return false;
        const std::int32_t result = InitGBPMode(1);
        if (result != GBP_OK)
            qWarning("InitGBPMode(1) gave %d", int(result));
        return result == GBP_OK;
    }

    QTemporaryDir folder_;
    std::unique_ptr<PhonesimProcess> phone_;

private slots:
    void cleanup()
    {
        EndGBPMode();
        phone_.reset();
        qunsetenv("LINKWELL_COM1");
    }

    void opensOnceAndCloses()
    {
        QVERIFY(openPhone({}));
        QCOMPARE(InitGBPMode(1), GBP_ALREADY_OPEN);
        QCOMPARE(GetNVMFileSize(2, 1), 0); // the link opened first is still usable
        QCOMPARE(EndGBPMode(), GBP_OK);
        QCOMPARE(EndGBPMode(), GBP_NOT_OPEN);
        QCOMPARE(GetNVMFileSize(2, 1), GBP_NOT_OPEN);
        QCOMPARE(InitGBPMode(1), GBP_OK); // and opens again after the close
    }

    void deviceUnavailable_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("port");
        QTest::newRow("no such device") << "/nonexistent/ttyLinkwell" << 1;
        QTest::newRow("port 0") << "" << 0;
        QTest::newRow("held by another program") << "held" << 1;
    }

    void deviceUnavailable()
    {
        QFETCH(QString, device);
        QFETCH(int, port);
        QSerialPort holder;
        if (device == "held") {
            QVERIFY(startPhone({}));
            holder.setPortName(phone_->device());
            QVERIFY(holder.open(QIODevice::ReadWrite));
        } else if (!device.isEmpty()) {
            qputenv("LINKWELL_COM1", device.toLocal8Bit());
        }
        const Clock clock;
        QCOMPARE(InitGBPMode(std::uint8_t(port)), GBP_NO_DEVICE);
        QVERIFY2(clock.elapsed() < QuickBound, qPrintable(ms(clock)));
        QCOMPARE(EndGBPMode(), GBP_NOT_OPEN);
    }

    void silentPhone()
    {
        QVERIFY(startPhone({"--silent"}));
        const Clock clock;
        QCOMPARE(InitGBPMode(1), GBP_NO_ANSWER);
        QVERIFY2(waitedOut(clock.elapsed(), 3 * 400), qPrintable(ms(clock))); // three tries of the first AT
        QCOMPARE(EndGBPMode(), GBP_NOT_OPEN);                                 // the port was let go
    }

    void phoneLeftInServiceMode()
    {
        // A link that broke off without leaving service mode: the next open
        // must still get through.
        QVERIFY(startPhone({}));
        {
            QSerialPort port(phone_->device());
            QVERIFY(port.open(QIODevice::ReadWrite));
            port.write("AT+GBP\r");
            QVERIFY(port.waitForBytesWritten(1000));
            QByteArray reply;
            while (!reply.contains("OK\r\n") && port.waitForReadyRead(2000))
                reply += port.readAll();
            QVERIFY(reply.contains("OK\r\n"));
        }
        QCOMPARE(InitGBPMode(1), GBP_OK);
        QCOMPARE(GetNVMFileSize(2, 1), 0);
    }

    void withoutLink_data() { operationRows({"size", "read", "write", "clear", "end"}); }

    void withoutLink()
    {
        QFETCH(QString, name);
        QCOMPARE(operation(name)(), GBP_NOT_OPEN);
    }

    void badArguments_data()
    {
        QTest::addColumn<bool>("reading");
        QTest::addColumn<bool>("nullBuffer");
        QTest::addColumn<int>("size");
        QTest::newRow("read into null") << true << true << 2000;
        QTest::newRow("read negative size") << true << false << -1;
        QTest::newRow("write from null") << false << true << 2000;
        QTest::newRow("write negative size") << false << false << -5;
    }

    void badArguments()
    {
        QFETCH(bool, reading);
        QFETCH(bool, nullBuffer);
        QFETCH(int, size);
        QVERIFY(openPhone({}));
        char buffer[16] = {};
        const std::int32_t result =
            reading ? ReadNVMFile(2, 1, nullBuffer ? nullptr : buffer, size) : WriteNVMFile(2, 1, nullBuffer ? nullptr : buffer, size);
        QCOMPARE(result, GBP_BAD_ARGUMENT);
        QCOMPARE(GetNVMFileSize(2, 1), 0); // the link is unharmed
    }

    void statusErrors_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("expected");
        QTest::newRow("read status") << QStringList{"--read-status", "5"} << "read" << GBP_STATUS_RESULT(5);
        QTest::newRow("size status") << QStringList{"--read-status", "255"} << "size" << GBP_STATUS_RESULT(255);
        QTest::newRow("write status") << QStringList{"--write-status", "9"} << "write" << GBP_STATUS_RESULT(9);
        QTest::newRow("clear status") << QStringList{"--clear-status", "1"} << "clear" << GBP_STATUS_RESULT(1);
    }

    void statusErrors()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, name);
        QFETCH(int, expected);
        QVERIFY(openPhone(options));
        const Clock clock;
        QCOMPARE(operation(name)(), expected);
        QVERIFY2(clock.elapsed() < QuickBound, qPrintable(ms(clock)));
    }

    void missingFile_data()
    {
        QTest::addColumn<int>("section");
        QTest::newRow("section 9") << 9;
        QTest::newRow("section -1") << -1;
    }

    void missingFile()
    {
        QFETCH(int, section);
        QVERIFY(openPhone({}));
        char buffer[8];
        QCOMPARE(ReadNVMFile(section, 1, buffer, 8), GBP_STATUS_RESULT(1));
        QCOMPARE(WriteNVMFile(section, 1, buffer, 8), GBP_STATUS_RESULT(1));
        QCOMPARE(ClearNVMFile(section, 1), GBP_STATUS_RESULT(1));
    }

    void phoneStopsAnswering_data()
    {
        QTest::addColumn<int>("answers");
        QTest::addColumn<QString>("name");
        QTest::newRow("size") << 0 << "size";
        QTest::newRow("read, before the size") << 0 << "read";
        QTest::newRow("read, after two chunks") << 3 << "read";
        QTest::newRow("write, first chunk") << 0 << "write";
        QTest::newRow("write, after two chunks") << 2 << "write";
        QTest::newRow("clear") << 0 << "clear";
    }

    void phoneStopsAnswering()
    {
        QFETCH(int, answers);
        QFETCH(QString, name);
        QVERIFY(openPhone({"--seed", seedFile(2000), "--stop-after", QString::number(answers)}));
        Clock clock;
        QCOMPARE(operation(name)(), GBP_PROTOCOL_ERROR);
        QVERIFY2(waitedOut(clock.elapsed(), 3 * 500), qPrintable(ms(clock))); // three sends of one request
        clock.restart();
        QCOMPARE(EndGBPMode(), GBP_OK); // one try only, then the port is let go
        QVERIFY2(waitedOut(clock.elapsed(), 500), qPrintable(ms(clock)));
    }

    void phoneGoesAway_data() { operationRows(); }

    void phoneGoesAway()
    {
        // The far end of the line closes (a pulled adapter): the calls fail
        // at once instead of waiting on a port that answers every wait.
        QVERIFY(openPhone({"--seed", seedFile(2000)}));
        phone_->stop();
        QFETCH(QString, name);
        const Clock clock;
        QCOMPARE(operation(name)(), GBP_PROTOCOL_ERROR);
        QCOMPARE(EndGBPMode(), GBP_OK);
        QVERIFY2(clock.elapsed() < scaled(500), qPrintable(ms(clock))); // not even one reply wait
    }

    void brokenReadLeavesTheBufferAlone()
    {
        // Two chunks arrive, then the phone falls silent: the caller must not
        // find a signature and a part of the file in its buffer.
        QVERIFY(openPhone({"--seed", seedFile(2000), "--stop-after", "3"}));
        std::vector<char> buffer(2000, '\x55');
        QCOMPARE(ReadNVMFile(2, 1, buffer.data(), 2000), GBP_PROTOCOL_ERROR);
        QVERIFY(std::all_of(buffer.begin(), buffer.end(), [](char c) { return c == '\x55'; }));
    }

    void answersStayCorrupt_data() { operationRows(); }

    void answersStayCorrupt()
    {
        QFETCH(QString, name);
        QVERIFY(openPhone({"--corrupt", "all"}));
        const Clock clock;
        QCOMPARE(operation(name)(), GBP_PROTOCOL_ERROR);
        // A spoilt answer is asked for again soon, not waited out.
        QVERIFY2(atMost(clock.elapsed(), 3 * 100), qPrintable(ms(clock)));
    }

    void recovers_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("corrupt size answer") << QStringList{"--corrupt", "1"};
        QTest::newRow("corrupt chunk answer") << QStringList{"--corrupt", "3"};
        QTest::newRow("two corrupt answers in a row") << QStringList{"--corrupt", "2-3"};
        QTest::newRow("noise before one answer") << QStringList{"--garbage", "2"};
        QTest::newRow("noise before every answer") << QStringList{"--garbage", "all"};
        QTest::newRow("long noise") << QStringList{"--garbage", "1", "--garbage-bytes", "3000"};
        QTest::newRow("noise and a spoilt answer") << QStringList{"--garbage", "all", "--corrupt", "2"};
    }

    void recovers()
    {
        QFETCH(QStringList, options);
        const QByteArray image = favouritesImage(1998);
        QVERIFY(openPhone(QStringList{"--seed", seedFile(1998)} + options));
        QByteArray buffer(2000, '\0');
        const Clock clock;
        QCOMPARE(ReadNVMFile(2, 1, buffer.data(), 2000), 1998);
        QVERIFY2(atMost(clock.elapsed(), 3 * 100), qPrintable(ms(clock)));
        QCOMPARE(buffer.left(1998), image);
        QCOMPARE(WriteNVMFile(2, 1, writeData.constData(), 2000), GBP_OK);
        QCOMPARE(ReadNVMFile(2, 1, buffer.data(), 2000), 2000);
        QCOMPARE(buffer, writeData);
    }

    void writeFails_data()
    {
        // Every way a write can break off, as an upload that keeps a backup
        // must meet them; the phone's old file must outlive each.
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("expected");
        QTest::newRow("line stops before the first chunk") << QStringList{"--stop-after", "0"} << GBP_PROTOCOL_ERROR;
        QTest::newRow("line stops after two chunks") << QStringList{"--stop-after", "2"} << GBP_PROTOCOL_ERROR;
        QTest::newRow("every answer spoilt") << QStringList{"--corrupt", "all"} << GBP_PROTOCOL_ERROR;
        QTest::newRow("spoilt from the third chunk") << QStringList{"--corrupt", "3-"} << GBP_PROTOCOL_ERROR;
        QTest::newRow("first chunk refused") << QStringList{"--write-status", "2"} << GBP_STATUS_RESULT(2);
        QTest::newRow("fourth chunk refused") << QStringList{"--write-status", "7", "--write-status-from", "4"} << GBP_STATUS_RESULT(7);
        // 1200 baud still carries the AT commands in time, but a chunk of
        // 530 bytes needs 4.4 s to arrive, far past the reply time-out.
        QTest::newRow("line too slow") << QStringList{"--baud", "1200"} << GBP_PROTOCOL_ERROR;
    }

    void writeFails()
    {
        QFETCH(QStringList, options);
        QFETCH(int, expected);
        QTemporaryDir nvm;
        QVERIFY(openPhone(QStringList{"--seed", seedFile(321), "--dir", nvm.path()} + options));
        const Clock clock;
        QCOMPARE(WriteNVMFile(2, 1, writeData.constData(), 2000), expected);
        QVERIFY2(atMost(clock.elapsed(), 3 * 500), qPrintable(ms(clock)));
        QCOMPARE(savedFavourites(nvm.path()), favouritesImage(321));
    }

    void twoThreadsShareTheLink_data()
    {
        QTest::addColumn<QString>("other");
        QTest::newRow("two readers") << "read";
        QTest::newRow("a reader and a size") << "size";
    }

    void twoThreadsShareTheLink()
    {
        // Each call waits for the other thread's to end, so neither takes
        // the other's answers off the line.
        QFETCH(QString, other);
        QVERIFY(openPhone({"--seed", seedFile(1998)}));
        constexpr int Rounds = 8;
        std::vector<std::int32_t> results[2];
        std::vector<QByteArray> contents[2];
        auto run = [&](int who, bool reading) {
            for (int i = 0; i < Rounds; ++i) {
                QByteArray buffer(2000, '\0');
                results[who].push_back(reading ? ReadNVMFile(2, 1, buffer.data(), 2000) : GetNVMFileSize(2, 1));
                contents[who].push_back(reading ? buffer.left(1998) : QByteArray());
            }
        };
        std::thread first(run, 0, true);
        std::thread second(run, 1, other == "read");
        first.join();
        second.join();
        const QByteArray image = favouritesImage(1998);
        for (int who = 0; who < 2; ++who) {
            QCOMPARE(results[who], std::vector<std::int32_t>(Rounds, 1998));
            for (const QByteArray& bytes : contents[who])
                QCOMPARE(bytes, (who == 0 || other == "read") ? image : QByteArray());
        }
    }

    void keepsSendingNoise()
    {
        // Noise without a flag, thousands of bytes before every answer at a
        // rate that never pauses: each attempt runs to its end.
        QVERIFY(openPhone({"--baud", "9600", "--garbage", "all", "--garbage-bytes", "100000"}));
        const Clock clock;
        QCOMPARE(GetNVMFileSize(2, 1), GBP_PROTOCOL_ERROR);
        QVERIFY2(waitedOut(clock.elapsed(), 3 * 2000), qPrintable(ms(clock)));
    }

    void endOnNoisyLine()
    {
        // Leaving is one try of one reply wait, however busy the line.
        QVERIFY(openPhone({"--baud", "9600", "--garbage", "all", "--garbage-bytes", "100000"}));
        const Clock clock;
        QCOMPARE(EndGBPMode(), GBP_OK);
        QVERIFY2(waitedOut(clock.elapsed(), 500), qPrintable(ms(clock)));
        QCOMPARE(EndGBPMode(), GBP_NOT_OPEN);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("unpaced") << QStringList{};
        QTest::newRow("115200 baud") << QStringList{"--baud", "115200"};
    }

    void roundTrip()
    {
        QFETCH(QStringList, options);
        QTemporaryDir nvm;
        const QByteArray image = favouritesImage(321);
        QVERIFY(openPhone(QStringList{"--seed", seedFile(321), "--dir", nvm.path()} + options));

        QByteArray buffer(2000, '\0');
        QCOMPARE(ReadNVMFile(2, 1, buffer.data(), 2000), 321);
        QCOMPARE(buffer.left(321), image);
        QCOMPARE(buffer.mid(321), QByteArray(2000 - 321, '\0'));

        QCOMPARE(ClearNVMFile(2, 1), GBP_OK);
        QCOMPARE(ReadNVMFile(2, 1, buffer.data(), 2000), 0);
        QCOMPARE(savedFavourites(nvm.path()), QByteArray());

        QCOMPARE(WriteNVMFile(2, 1, writeData.constData(), 2000), GBP_OK);
        QCOMPARE(GetNVMFileSize(2, 1), 2000);
        buffer.fill('\0');
        QCOMPARE(ReadNVMFile(2, 1, buffer.data(), 2000), 2000);
        QCOMPARE(buffer, writeData);
        QCOMPARE(EndGBPMode(), GBP_OK);
        QCOMPARE(savedFavourites(nvm.path()), writeData);

        // The phone keeps its files across a restart from the same folder.
        QVERIFY(openPhone({"--dir", nvm.path()}));
        buffer.fill('\0');
        QCOMPARE(ReadNVMFile(2, 1, buffer.data(), 2000), 2000);
        QCOMPARE(buffer, writeData);
    }

    void writeSizes_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {0, 1, 511, 512, 513, 1024, 5000})
            QTest::newRow(qPrintable(QString::number(size))) << size;
    }

    void writeSizes()
    {
        QFETCH(int, size);
        QVERIFY(openPhone({"--seed", seedFile(100)}));
        const QByteArray data = pattern(size, 11);
        QCOMPARE(WriteNVMFile(2, 1, data.constData(), size), GBP_OK);
        QByteArray back(size + 8, '\x55');
        QCOMPARE(ReadNVMFile(2, 1, back.data(), size + 8), size);
        QCOMPARE(back.left(size), data);
        QCOMPARE(back.mid(size), QByteArray(8, '\x55'));
    }

    void fileLargerThanBuffer_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("nothing asked for") << 0;
        QTest::newRow("one byte") << 1;
        QTest::newRow("less than one chunk") << 300;
        QTest::newRow("the favourites size") << 2000;
    }

    void fileLargerThanBuffer()
    {
        QFETCH(int, size);
        QVERIFY(openPhone({"--seed", seedFile(1998), "--oversize", "2600"}));
        QByteArray expected = favouritesImage(1998) + QByteArray(2600 - 1998, '\0');
        QByteArray buffer(2048, '\x55');
        QCOMPARE(ReadNVMFile(2, 1, buffer.data(), size), 2600);
        QCOMPARE(buffer.left(size), expected.left(size));
        QCOMPARE(buffer.mid(size), QByteArray(2048 - size, '\x55')); // nothing past the size given
        QCOMPARE(GetNVMFileSize(2, 1), 2600);                        // and the link is still in step
    }

private:
    QString seedFile(int size)
    {
        const QString path = folder_.filePath(QStringLiteral("seed%1.bin").arg(size));
        QFile file(path);
        if (!file.exists() && file.open(QIODevice::WriteOnly))
            file.write(favouritesImage(size));
        return path;
    }

    static QByteArray savedFavourites(const QString& folder)
    {
        QFile file(folder + QStringLiteral("/nvm_2_1.bin"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
    }
};

QTEST_GUILESS_MAIN(TestGbpLink)
#include "tst_gbplink.moc"
