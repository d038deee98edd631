#include "phone/favouritestransfer.h"
#include "recordingnotices.h"
#include "entries.h"
#include "scriptedphone.h"
#include "store/favouritesstore.h"

#include <QTest>

using namespace linkwell;
using namespace linkwell::testing;

namespace {

const QString InitOk = QStringLiteral("Everything OK, GBP mode is initialized.");
const QString InitBusy = QStringLiteral(
    "The library is already accessed to some port, it cannot use "
    "two ports at once. Call the EndGBPMode first.");
const QString InitNoPort = QStringLiteral(
    "Unable to access the specified device (port). May be the "
    "bad port number (i.e. it does not exist).");
const QString InitSilent = QStringLiteral(
    "The phone does not respond to AT commands. May be it's not "
    "properly connected.");
const QString ReadFailed = QStringLiteral(
    "Communication error. An error occured in the GBP protocol "
    "(bad checksum etc.).");
const QString EndOk = QStringLiteral("Everything OK, GBP mode closed.");
const QString WriteOk = QStringLiteral("Everything OK, your data are now stored in the phone.");
const QString WriteFailed = QStringLiteral(
    "Communication error. This means that some went wrong in the communication protocol, i.e. "
    "wrong checksum, timeout, etc. or the specified section/subsection does not exist.");
const QString ClearFailed = QStringLiteral("Some error. Favourites section may be cleared.Try click again.");

QString received(int size)
{
    return QStringLiteral("Real size of received NVM file: %1 byte(s).").arg(size);
}

// One test's world: the store with what the window held before, the phone and
// the history the sequences write.
struct Bench {
    RecordingNotices notices;
    FavouritesStore store;
    ScriptedPhone phone;
    QStringList history;
    HistorySink sink = [this](const QString& line) { history << line; };

    DownloadOutcome download(std::uint8_t port = 1)
    {
        // As the window does: only a loaded download replaces the list.
        Download download = DownloadFavourites(phone, sink, notices, port);
        if (download.outcome == DownloadOutcome::Loaded)
            store.adopt(download.entries);
        else if (!download.entries.isEmpty())
            qFatal("a download that did not load gave entries");
        return download.outcome;
    }
    bool upload(std::uint8_t port = 1) { return UploadFavourites(BuildSection(store.entries()), phone, sink, notices, port); }
};

// A transfer goes ahead on a link it opens and on one that is open already.
void linkRows()
{
    QTest::addColumn<int>("initResult");
    QTest::addColumn<QString>("initLine");
    QTest::newRow("fresh link") << 0 << InitOk;
    QTest::newRow("link already open counts as success") << -1 << InitBusy;
}

} // namespace

class TestFavouritesTransfer : public QObject {
    Q_OBJECT

private slots:
    void downloadsThreeEntries_data() { linkRows(); }

    void downloadsThreeEntries()
    {
        QFETCH(int, initResult);
        QFETCH(QString, initLine);

        Bench b;
        b.store.append("old", "old.url");
        const Entries entries{{"Seznam", "wap.seznam.cz"}, {"Idnes", "wap.idnes.cz"}, {"Po\xe8\x61\x73\xed", "wap.pocasi.cz"}};
        const QByteArray image = imageOf(entries);
        b.phone.file = image + QByteArray(2000 - image.size(), '\0');
        b.phone.initResults << initResult;
        b.phone.linkOpen = true;

        QCOMPARE(b.download(3), DownloadOutcome::Loaded);

        QCOMPARE(b.history, (QStringList{initLine, received(2000), QStringLiteral("Actual data size: %1").arg(image.size()), EndOk}));
        QCOMPARE(b.phone.calls, (QStringList{"InitGBPMode(3)", "ReadNVMFile(2,1,2000)", "EndGBPMode()"}));
        QCOMPARE(entriesOf(b.store), entries);
        QVERIFY(b.notices.log.isEmpty());
    }

    void failedDownloadKeepsTheList_data()
    {
        QTest::addColumn<QList<int>>("initResults");
        QTest::addColumn<QList<int>>("readResults");
        QTest::addColumn<QStringList>("history");
        QTest::addColumn<QStringList>("notices");
        QTest::addColumn<int>("outcome");

        QTest::newRow("no such port") << QList<int>{-2} << QList<int>{} << QStringList{InitNoPort} << QStringList{"beep"}
                                      << int(DownloadOutcome::LinkFailed);
        QTest::newRow("silent phone") << QList<int>{-3} << QList<int>{} << QStringList{InitSilent} << QStringList{"beep"}
                                      << int(DownloadOutcome::LinkFailed);
        QTest::newRow("uncovered init code") << QList<int>{-9} << QList<int>{} << QStringList{QString()} << QStringList{"beep"}
                                             << int(DownloadOutcome::LinkFailed);
        QTest::newRow("read fails") << QList<int>{} << QList<int>{-5} << QStringList{InitOk, ReadFailed, "Actual data size: 0", EndOk}
                                    << QStringList{"beep", "message: Bad header"} << int(DownloadOutcome::NotLoaded);
        QTest::newRow("empty file") << QList<int>{} << QList<int>{0}
                                    << QStringList{InitOk, "Zero-length section.", "Actual data size: 0", EndOk}
                                    << QStringList{"beep", "message: Bad header"} << int(DownloadOutcome::NotLoaded);
    }

    void failedDownloadKeepsTheList()
    {
        QFETCH(QList<int>, initResults);
        QFETCH(QList<int>, readResults);
        QFETCH(QStringList, history);
        QFETCH(QStringList, notices);
        QFETCH(int, outcome);

        Bench b;
        const Entries kept{{"kept", "kept.url"}, {"also kept", "also.url"}};
        fill(b.store, kept);
        b.phone.initResults = initResults;
        b.phone.readResults = readResults;

        QCOMPARE(int(b.download()), outcome);
        QCOMPARE(b.history, history);
        QCOMPARE(b.notices.log, notices);
        QCOMPARE(entriesOf(b.store), kept);
        QVERIFY(!b.phone.linkOpen);
    }

    void downloadOfAnEmptyListEmptiesTheStore()
    {
        Bench b;
        b.store.append("old", "old.url");
        b.phone.file = imageOf({});
        QCOMPARE(b.download(), DownloadOutcome::Loaded);
        QCOMPARE(b.store.count(), 0);
        QCOMPARE(b.history, (QStringList{InitOk, received(7), "Actual data size: 0", EndOk}));
        QVERIFY(b.notices.log.isEmpty());
    }

    void downloadKeepsEntriesThatDoNotFit()
    {
        // A phone may hold an image one byte longer than the program builds; the
        // store keeps it all and the measured size is that of the cut image.
        Bench b;
        const QByteArray longUrl(991, 'u');
        b.phone.file = imageOf({{"a", longUrl}, {"b", longUrl}});
        QCOMPARE(b.phone.file.size(), 1999);
        QCOMPARE(b.download(), DownloadOutcome::Loaded);
        QCOMPARE(b.store.count(), 2);
        QCOMPARE(b.store.url(1), longUrl);
        QCOMPARE(b.history.at(2), QStringLiteral("Actual data size: 1998"));
        QVERIFY(b.notices.log.isEmpty());
    }

    void uploads_data() { linkRows(); }

    void uploads()
    {
        QFETCH(int, initResult);
        QFETCH(QString, initLine);

        Bench b;
        b.store.append("A", "B");
        b.store.append("Seznam", "wap.seznam.cz");
        b.phone.file = "old phone file";
        b.phone.initResults << initResult;
        b.phone.linkOpen = true;

        QVERIFY(b.upload(2));

        QCOMPARE(b.history, (QStringList{initLine, WriteOk, "Uploaded 36/2000 bytes (max. 1998).", EndOk}));
        QCOMPARE(b.phone.calls, (QStringList{"InitGBPMode(2)", "ClearNVMFile(2,1)", "WriteNVMFile(2,1,2000)", "EndGBPMode()"}));
        const QByteArray image = imageOf({{"A", "B"}, {"Seznam", "wap.seznam.cz"}});
        QCOMPARE(b.phone.file, image + QByteArray(2000 - image.size(), '\0'));
        QCOMPARE(b.store.count(), 2);
        QVERIFY(b.notices.log.isEmpty());
    }

    void uploadRightAfterStartSendsSignatureAndZeros()
    {
        Bench b;
        QVERIFY(b.upload());
        QCOMPARE(b.phone.file, QByteArray("MME20C", 7) + QByteArray(1993, '\0'));
        QCOMPARE(b.history, (QStringList{InitOk, WriteOk, "Uploaded 0/2000 bytes (max. 1998).", EndOk}));
    }

    void failedInitStopsUpload()
    {
        Bench b;
        b.store.append("A", "B");
        b.phone.file = "untouched";
        b.phone.initResults << -3;
        QVERIFY(!b.upload());
        QCOMPARE(b.history, QStringList{InitSilent});
        QCOMPARE(b.notices.log, QStringList{"beep"});
        QCOMPARE(b.phone.calls, QStringList{"InitGBPMode(1)"});
        QCOMPARE(b.phone.file, QByteArray("untouched"));
    }

    void failedClearLeavesLinkOpenForNextCommand()
    {
        Bench b;
        b.store.append("A", "B");
        b.phone.file = imageOf({{"On phone", "phone.url"}});
        b.phone.clearResults << -5;

        QVERIFY(!b.upload());
        QCOMPARE(b.history, (QStringList{InitOk, ClearFailed}));
        QCOMPARE(b.notices.log, QStringList{"beep"});
        QCOMPARE(b.phone.calls, (QStringList{"InitGBPMode(1)", "ClearNVMFile(2,1)"}));
        QVERIFY(b.phone.linkOpen);

        // The next command meets the open link, carries on over it, and closes it.
        b.history.clear();
        QCOMPARE(b.download(), DownloadOutcome::Loaded);
        QCOMPARE(b.history.first(), InitBusy);
        QCOMPARE(b.history.last(), EndOk);
        QCOMPARE(b.store.NameList(), QList<QByteArray>{"On phone"});
        QVERIFY(!b.phone.linkOpen);
    }

    void failedWriteIsNotReportedAsAnUpload()
    {
        Bench b;
        b.store.append("A", "B");
        b.phone.writeResults << -5;
        QVERIFY(!b.upload());
        QCOMPARE(b.history, (QStringList{InitOk, WriteFailed, EndOk}));
        QCOMPARE(b.notices.log, QStringList{"beep"});
        QVERIFY(!b.phone.linkOpen);
    }

    void truncatedUploadSendsTheCutImage()
    {
        Bench b;
        b.store.append("first", QByteArray(1500, 'u'));
        b.store.append("second", QByteArray(1500, 'v'));
        QVERIFY(b.upload());
        QCOMPARE(b.notices.log, (QStringList{"beep", "message: Too many characters. Truncated"}));
        QCOMPARE(b.history.at(2), QStringLiteral("Uploaded 1998/2000 bytes (max. 1998)."));
        QCOMPARE(b.phone.file.size(), 2000);
        // The second record starts at 1516: its URL is cut at 1992, its name at 1995.
        QCOMPARE(b.phone.file.mid(1516, 477), QByteArray(477, 'v'));
        QCOMPARE(b.phone.file.mid(1993), QByteArray("\0=s\0\x01\0\0", 7));
        QCOMPARE(b.store.count(), 2); // the store keeps the full texts
    }

    void entriesPastHundred_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::newRow("download") << false;
        QTest::newRow("upload") << true;
    }

    void entriesPastHundred()
    {
        // One "No. of entries truncated to 100(=max)." for each entry past the
        // 100th, in either direction; only the first 100 go.
        QFETCH(bool, upload);
        Bench b;
        const Entries all = numbered(103);
        if (upload) {
            fill(b.store, all);
            QVERIFY(b.upload());
            QCOMPARE(ParseSection(b.phone.file, 2000).entries, all.mid(0, 100));
            QCOMPARE(b.store.count(), 103); // an upload changes nothing in the store
        } else {
            b.phone.file = imageOf(all);
            QCOMPARE(b.download(), DownloadOutcome::Loaded);
            QCOMPARE(entriesOf(b.store), all.mid(0, 100));
        }
        QCOMPARE(b.notices.log, QStringList(3, QStringLiteral("message: No. of entries truncated to 100(=max).")));
    }
};

QTEST_APPLESS_MAIN(TestFavouritesTransfer)
#include "tst_favouritestransfer.moc"
