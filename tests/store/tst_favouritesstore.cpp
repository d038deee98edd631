#include "recordingnotices.h"
#include "entries.h"
#include "store/favouritesstore.h"

#include <QRandomGenerator>
#include <QTest>
#include <cstring>

using namespace linkwell;
using namespace linkwell::testing;

namespace {

QByteArray filled(int size, char c = 'x')
{
    return QByteArray(size, c);
}

QByteArray signature()
{
    return QByteArray(limits::Signature.data(), limits::SignatureSize);
}

void loadRx(FavouritesStore& store, const QByteArray& bytes, int dataSize)
{
    store.RxBuffer.fill('\0');
    std::memcpy(store.RxBuffer.data(), bytes.constData(),
                size_t(std::min<qsizetype>(bytes.size(), limits::BufferSize)));
    store.DataSize = dataSize;
}

QByteArray txImage(const FavouritesStore& store)
{
    return QByteArray(store.TxBuffer.data(), store.DataSize);
}

} // namespace

class TestFavouritesStore : public QObject {
    Q_OBJECT

private slots:
    void buildsExactBytes_data();
    void buildsExactBytes();
    void buildLimits_data();
    void buildLimits();
    void buildDropsEntriesOverHundred_data();
    void buildDropsEntriesOverHundred();
    void builtImagesParseBack();
    void parsesImages_data();
    void parsesImages();
    void parseNeverReadsPastBuffer_data();
    void parseNeverReadsPastBuffer();
    void badHeaderLeavesStoreAlone();
    void clearAllEmptiesOnlyStoreAndRx();
    void outOfRangeAccessFails_data();
    void outOfRangeAccessFails();
    void mutationsKeepListsParallel();
};

void TestFavouritesStore::buildsExactBytes_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("dataSize");

    QTest::newRow("empty store: signature only, size 0") << Entries{} << signature() << 0;
    QTest::newRow("A/B: 13 bytes")
        << Entries{{"A", "B"}} << signature() + QByteArray("B\0=A\0\x01", 6) << 13;
    QTest::newRow("URL comes before name, records back to back")
        << Entries{{"Seznam", "wap.seznam.cz"}, {"Idnes", "wap.idnes.cz"}}
        << signature() + QByteArray("wap.seznam.cz\0=Seznam\0\x01wap.idnes.cz\0=Idnes\0\x01", 44)
        << 51;
    QTest::newRow("empty name is written as a record")
        << Entries{{"", "u"}} << signature() + QByteArray("u\0=\0\x01", 5) << 12;
    QTest::newRow("Windows-1250 bytes pass untouched")
        << Entries{{"\x8a\xe8\xf8", "\x9e"}} << signature() + QByteArray("\x9e\0=\x8a\xe8\xf8\0\x01", 8)
        << 15;
}

void TestFavouritesStore::buildsExactBytes()
{
    QFETCH(Entries, entries);
    QFETCH(QByteArray, image);
    QFETCH(int, dataSize);

    RecordingNotices notices;
    FavouritesStore store(notices);
    fill(store, entries);
    store.TxBuffer.fill('\x55'); // stale bytes must not survive a build
    store.BuildSection();

    QCOMPARE(store.DataSize, dataSize);
    QCOMPARE(store.OverflowFlag, std::uint8_t(0));
    QCOMPARE(QByteArray(store.TxBuffer.data(), image.size()), image);
    const QByteArray rest(store.TxBuffer.data() + image.size(), limits::BufferSize - image.size());
    QCOMPARE(rest, QByteArray(rest.size(), '\0'));
    QVERIFY(notices.log.isEmpty());
}

void TestFavouritesStore::buildLimits_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<int>("dataSize");
    QTest::addColumn<bool>("overflow");
    QTest::addColumn<Entries>("written"); // what the image holds, cut fields as cut

    // One record takes 7 + URL + 2 + name + 2 bytes.
    const QByteArray n = "n";
    QTest::newRow("last URL byte at 1992 fits")
        << Entries{{n, filled(1986)}} << 1998 << false << Entries{{n, filled(1986)}};
    QTest::newRow("URL byte at 1993 is cut")
        << Entries{{n, filled(1987)}} << 1998 << true << Entries{{n, filled(1986)}};
    QTest::newRow("last name byte at 1995 fits")
        << Entries{{filled(1986, 'm'), "u"}} << 1998 << false << Entries{{filled(1986, 'm'), "u"}};
    QTest::newRow("name byte at 1996 is cut")
        << Entries{{filled(1987, 'm'), "u"}} << 1998 << true << Entries{{filled(1986, 'm'), "u"}};
    QTest::newRow("cut URL keeps its name, later records dropped")
        << Entries{{"ab", filled(2000)}, {"later", "x"}} << 1998 << true
        << Entries{{"a", filled(1986)}};
    QTest::newRow("cut name, later records dropped")
        << Entries{{filled(300, 'm'), filled(1700)}, {"later", "x"}} << 1998 << true
        << Entries{{filled(1996 - 1709, 'm'), filled(1700)}};
    QTest::newRow("record starting at 1992 keeps one URL byte")
        << Entries{{"a", filled(1980)}, {"name", "url"}} << 1998 << true
        << Entries{{"a", filled(1980)}, {"n", "u"}};
    // The first record ends at 1993: a second one has no room for a URL byte,
    // and its terminators alone would pass 1998.
    QTest::newRow("no room for another URL byte: record dropped")
        << Entries{{"a", filled(1981)}, {"b", "c"}} << 1993 << true << Entries{{"a", filled(1981)}};
    QTest::newRow("full 1998 image followed by an entry")
        << Entries{{n, filled(1986)}, {"b", "c"}} << 1998 << true << Entries{{n, filled(1986)}};
}

void TestFavouritesStore::buildLimits()
{
    QFETCH(Entries, entries);
    QFETCH(int, dataSize);
    QFETCH(bool, overflow);
    QFETCH(Entries, written);

    RecordingNotices notices;
    FavouritesStore store(notices);
    fill(store, entries);
    store.BuildSection();

    QCOMPARE(store.DataSize, dataSize);
    QCOMPARE(store.OverflowFlag, std::uint8_t(overflow));
    QVERIFY(store.DataSize <= limits::MaxImageSize);
    QCOMPARE(entriesOf(store), entries); // the store keeps the full texts

    FavouritesStore reread(notices);
    loadRx(reread, txImage(store), store.DataSize);
    reread.ParseSection();
    QCOMPARE(entriesOf(reread), written);
    QVERIFY(notices.log.isEmpty());
}

void TestFavouritesStore::buildDropsEntriesOverHundred_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("messages");
    QTest::newRow("100 kept whole") << 100 << 0;
    QTest::newRow("101") << 101 << 1;
    QTest::newRow("103") << 103 << 3;
}

void TestFavouritesStore::buildDropsEntriesOverHundred()
{
    QFETCH(int, entries);
    QFETCH(int, messages);

    RecordingNotices notices;
    FavouritesStore store(notices);
    for (int i = 0; i < entries; ++i)
        store.append(QByteArray::number(i), "u");
    store.BuildSection();

    QCOMPARE(notices.log,
             QStringList(messages, QStringLiteral("message: No. of entries truncated to 100(=max).")));
    QCOMPARE(store.count(), 100);
    QCOMPARE(store.NameList().last(), QByteArray("99"));
    QCOMPARE(store.UrlList().size(), 100);
}

void TestFavouritesStore::builtImagesParseBack()
{
    // Random stores of up to 100 entries whose image fits: the parse of the
    // built image is the store itself, order and duplicates included.
    QRandomGenerator random(20261208);
    RecordingNotices notices;
    for (int round = 0; round < 300; ++round) {
        FavouritesStore store(notices);
        const int entries = int(random.bounded(101));
        int size = limits::SignatureSize;
        for (int i = 0; i < entries; ++i) {
            QByteArray name(int(random.bounded(40)), '\0');
            QByteArray url(1 + int(random.bounded(40)), '\0');
            // Any byte but 0x00 and 0x01 may stand in a text.
            for (char& c : name)
                c = char(2 + random.bounded(254));
            for (char& c : url)
                c = char(1 + random.bounded(255));
            if (size + name.size() + url.size() + limits::RecordOverhead > limits::MaxImageSize)
                break;
            size += int(name.size() + url.size()) + limits::RecordOverhead;
            store.append(name, url);
        }
        store.BuildSection();
        QCOMPARE(store.OverflowFlag, std::uint8_t(0));
        QCOMPARE(store.DataSize, store.count() ? size : 0);

        FavouritesStore reread(notices);
        loadRx(reread, QByteArray(store.TxBuffer.data(), limits::BufferSize), store.DataSize);
        reread.ParseSection();
        QCOMPARE(entriesOf(reread), entriesOf(store));
    }
    QVERIFY(notices.log.isEmpty());
}

void TestFavouritesStore::parsesImages_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("dataSize");
    QTest::addColumn<Entries>("entries");

    const QByteArray sig = signature();
    QTest::newRow("signature then 0x00: empty")
        << sig + QByteArray(1, '\0') << 8 << Entries{};
    QTest::newRow("signature only") << sig << 7 << Entries{};
    QTest::newRow("two records")
        << sig + QByteArray("u1\0=n1\0\x01u2\0=n2\0\x01", 16) << 23 << Entries{{"n1", "u1"}, {"n2", "u2"}};
    QTest::newRow("empty URL ends the list")
        << sig + QByteArray("u1\0=n1\0\x01\0=n2\0\x01", 14) << 21 << Entries{{"n1", "u1"}};
    QTest::newRow("empty name gives an entry")
        << sig + QByteArray("u1\0=\0\x01u2\0=n2\0\x01", 14) << 21 << Entries{{"", "u1"}, {"n2", "u2"}};
    QTest::newRow("second terminator byte of the URL is not examined")
        << sig + QByteArray("u1\0Xn1\0\x01", 8) << 15 << Entries{{"n1", "u1"}};
    QTest::newRow("name stops before a byte followed by 0x01")
        << sig + QByteArray("u1\0=abc\x01u2\0=n2\0\x01", 16) << 23 << Entries{{"ab", "u1"}, {"n2", "u2"}};
    QTest::newRow("record running into DataSize mid-URL")
        << sig + QByteArray("u1\0=n1\0\x01longurl\0=nm\0\x01", 21) << 19
        << Entries{{"n1", "u1"}, {"", "long"}};
    QTest::newRow("record running into DataSize mid-name")
        << sig + QByteArray("u1\0=name\0\x01", 10) << 14 << Entries{{"nam", "u1"}};
    QTest::newRow("DataSize 0 stops after the signature")
        << sig + QByteArray("u1\0=n1\0\x01", 8) << 0 << Entries{};
    QTest::newRow("negative DataSize stops after the signature")
        << sig + QByteArray("u1\0=n1\0\x01", 8) << -5 << Entries{};
    QTest::newRow("bytes past DataSize are ignored")
        << sig + QByteArray("u1\0=n1\0\x01u2\0=n2\0\x01", 16) << 15 << Entries{{"n1", "u1"}};
}

void TestFavouritesStore::parsesImages()
{
    QFETCH(QByteArray, image);
    QFETCH(int, dataSize);
    QFETCH(Entries, entries);

    RecordingNotices notices;
    FavouritesStore store(notices);
    loadRx(store, image, dataSize);
    store.BadHeaderFlag = 1; // a parse clears a flag left over from earlier
    store.ParseSection();
    QCOMPARE(store.BadHeaderFlag, std::uint8_t(0));
    QCOMPARE(entriesOf(store), entries);
    QVERIFY(notices.log.isEmpty());
}

void TestFavouritesStore::parseNeverReadsPastBuffer_data()
{
    QTest::addColumn<int>("dataSize");
    QTest::addColumn<int>("urlLength"); // of the record that runs to the buffer's end
    QTest::newRow("2048") << 2048 << 2048 - 7 - 6;
    QTest::newRow("2049") << 2049 << 2048 - 7 - 6;
    QTest::newRow("22000, as a phone may report") << 22000 << 2048 - 7 - 6;
    QTest::newRow("0") << 0 << -1;
    QTest::newRow("-1") << -1 << -1;
}

void TestFavouritesStore::parseNeverReadsPastBuffer()
{
    QFETCH(int, dataSize);
    QFETCH(int, urlLength);

    // A full buffer with no zero after the first record: the second URL runs
    // to the last byte of the buffer and must stop there.
    RecordingNotices notices;
    FavouritesStore store(notices);
    QByteArray image = signature() + QByteArray("u\0=n\0\x01", 6);
    image += filled(limits::BufferSize - int(image.size()), 'z');
    loadRx(store, image, dataSize);
    store.ParseSection();

    if (urlLength < 0) {
        QCOMPARE(store.count(), 0);
    } else {
        QCOMPARE(store.count(), 2);
        QCOMPARE(store.url(1), filled(urlLength, 'z'));
        QCOMPARE(store.name(1), QByteArray());
    }
    QVERIFY(notices.log.isEmpty());
}

void TestFavouritesStore::badHeaderLeavesStoreAlone()
{
    const QList<QByteArray> heads{
        QByteArray("MME20CX", 7), // the seventh byte must be 0x00 too
        QByteArray("mME20C\0", 7),
        QByteArray(7, '\0'),
    };
    for (const QByteArray& head : heads) {
        RecordingNotices notices;
        FavouritesStore store(notices);
        store.append("kept", "kept.url");
        loadRx(store, head + QByteArray("u\0=n\0\x01", 6), 13);
        store.ParseSection();
        QCOMPARE(store.BadHeaderFlag, std::uint8_t(1));
        QCOMPARE(notices.log, (QStringList{"beep", "message: Bad header"}));
        QCOMPARE(entriesOf(store), (Entries{{"kept", "kept.url"}}));
    }
}

void TestFavouritesStore::clearAllEmptiesOnlyStoreAndRx()
{
    RecordingNotices notices;
    FavouritesStore store(notices);
    int cleared = 0;
    store.setClearedHandler([&] { ++cleared; });
    store.append("a", "b");
    store.RxBuffer.fill('\x7f');
    store.TxBuffer.fill('\x7f');
    store.DataSize = 42;
    store.OverflowFlag = 1;
    store.BadHeaderFlag = 1;

    store.ClearAll();

    QCOMPARE(store.count(), 0);
    QCOMPARE(store.UrlList().size(), 0);
    QCOMPARE(QByteArray(store.RxBuffer.data(), limits::BufferSize), QByteArray(limits::BufferSize, '\0'));
    QCOMPARE(QByteArray(store.TxBuffer.data(), limits::BufferSize), QByteArray(limits::BufferSize, '\x7f'));
    QCOMPARE(store.DataSize, 42);
    QCOMPARE(store.OverflowFlag, std::uint8_t(1));
    QCOMPARE(store.BadHeaderFlag, std::uint8_t(1));
    QCOMPARE(cleared, 1);
}

void TestFavouritesStore::outOfRangeAccessFails_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("no selection") << -1;
    QTest::newRow("one past the end") << 2;
    QTest::newRow("far past the end") << 100;
}

void TestFavouritesStore::outOfRangeAccessFails()
{
    QFETCH(int, index);
    RecordingNotices notices;
    FavouritesStore store(notices);
    fill(store, {{"a", "1"}, {"b", "2"}});
    const std::string text = "List index out of bounds (" + std::to_string(index) + ")";

    const auto expectFailure = [&](const std::function<void()>& access) {
        try {
            access();
            QFAIL("no failure");
        } catch (const ListIndexError& e) {
            QCOMPARE(std::string(e.what()), text);
        }
    };
    expectFailure([&] { store.name(index); });
    expectFailure([&] { store.url(index); });
    expectFailure([&] { store.replace(index, "x", "y"); });
    expectFailure([&] { store.removeAt(index); });
    expectFailure([&] { store.exchange(0, index); });
    QCOMPARE(entriesOf(store), (Entries{{"a", "1"}, {"b", "2"}}));
}

void TestFavouritesStore::mutationsKeepListsParallel()
{
    RecordingNotices notices;
    FavouritesStore store(notices);
    store.insert(0, "b", "2");
    store.insert(0, "a", "1");
    store.insert(2, "c", "3");
    store.exchange(0, 2);
    store.replace(1, "B", "22");
    store.removeAt(0);
    QCOMPARE(entriesOf(store), (Entries{{"B", "22"}, {"a", "1"}}));
}

QTEST_APPLESS_MAIN(TestFavouritesStore)
#include "tst_favouritesstore.moc"
