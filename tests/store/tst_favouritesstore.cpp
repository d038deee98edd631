#include "entries.h"
#include "store/favouritesstore.h"
#include "store/imagecheck.h"

#include <QRandomGenerator>
#include <QTest>

using namespace linkwell;
using namespace linkwell::testing;

namespace {

QByteArray filled(int size, char c = 'x')
{
    return QByteArray(size, c);
}

// The signature, written out rather than taken from limits.h so that a
// changed one shows.
const QByteArray Sig("MME20C", 7);

} // namespace

class TestFavouritesStore : public QObject {
    Q_OBJECT

private slots:
    void buildsExactBytes_data()
    {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<int>("dataSize");

        QTest::newRow("empty store: signature only, size 0") << Entries{} << Sig << 0;
        QTest::newRow("A/B: 13 bytes") << Entries{{"A", "B"}} << Sig + QByteArray("B\0=A\0\x01", 6) << 13;
        QTest::newRow("URL comes before name, records back to back")
            << Entries{{"Seznam", "wap.seznam.cz"}, {"Idnes", "wap.idnes.cz"}}
            << Sig + QByteArray("wap.seznam.cz\0=Seznam\0\x01wap.idnes.cz\0=Idnes\0\x01", 44) << 51;
        QTest::newRow("empty name is written as a record") << Entries{{"", "u"}} << Sig + QByteArray("u\0=\0\x01", 5) << 12;
        QTest::newRow("Windows-1250 bytes pass untouched")
            << Entries{{"\x8a\xe8\xf8", "\x9e"}} << Sig + QByteArray("\x9e\0=\x8a\xe8\xf8\0\x01", 8) << 15;
    }

    void buildsExactBytes()
    {
        QFETCH(Entries, entries);
        QFETCH(QByteArray, image);
        QFETCH(int, dataSize);

        const BuiltImage built = BuildSection(entries);

        QCOMPARE(built.size, dataSize);
        QVERIFY(!built.cut);
        QCOMPARE(built.entriesDropped, 0);
        QCOMPARE(built.bytes, image);
        QCOMPARE(readBackMismatch(built), QString());
        // What a phone write sends: the image, then zeros to 2000 bytes.
        QCOMPARE(transferBuffer(built), image + QByteArray(limits::TransferSize - image.size(), '\0'));
    }

    void buildLimits_data()
    {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<int>("dataSize");
        QTest::addColumn<bool>("overflow");
        QTest::addColumn<Entries>("written"); // what the image holds, cut fields as cut

        // One record takes 7 + URL + 2 + name + 2 bytes.
        const QByteArray n = "n";
        QTest::newRow("last URL byte at 1992 fits") << Entries{{n, filled(1986)}} << 1998 << false << Entries{{n, filled(1986)}};
        QTest::newRow("URL byte at 1993 is cut") << Entries{{n, filled(1987)}} << 1998 << true << Entries{{n, filled(1986)}};
        QTest::newRow("last name byte at 1995 fits")
            << Entries{{filled(1986, 'm'), "u"}} << 1998 << false << Entries{{filled(1986, 'm'), "u"}};
        QTest::newRow("name byte at 1996 is cut") << Entries{{filled(1987, 'm'), "u"}} << 1998 << true << Entries{{filled(1986, 'm'), "u"}};
        QTest::newRow("cut URL keeps its name, later records dropped")
            << Entries{{"ab", filled(2000)}, {"later", "x"}} << 1998 << true << Entries{{"a", filled(1986)}};
        QTest::newRow("cut name, later records dropped") << Entries{{filled(300, 'm'), filled(1700)}, {"later", "x"}} << 1998 << true
                                                         << Entries{{filled(1996 - 1709, 'm'), filled(1700)}};
        QTest::newRow("record starting at 1992 keeps one URL byte")
            << Entries{{"a", filled(1980)}, {"name", "url"}} << 1998 << true << Entries{{"a", filled(1980)}, {"n", "u"}};
        // The first record ends at 1993: a second one has no room for a URL byte,
        // and its terminators alone would pass 1998.
        QTest::newRow("no room for another URL byte: record dropped")
            << Entries{{"a", filled(1981)}, {"b", "c"}} << 1993 << true << Entries{{"a", filled(1981)}};
        QTest::newRow("full 1998 image followed by an entry")
            << Entries{{n, filled(1986)}, {"b", "c"}} << 1998 << true << Entries{{n, filled(1986)}};
    }

    void buildLimits()
    {
        QFETCH(Entries, entries);
        QFETCH(int, dataSize);
        QFETCH(bool, overflow);
        QFETCH(Entries, written);

        FavouritesStore store;
        fill(store, entries);
        const BuiltImage built = store.BuildSection();

        QCOMPARE(built.size, dataSize);
        QCOMPARE(built.bytes.size(), dataSize);
        QCOMPARE(built.cut, overflow);
        QVERIFY(built.size <= limits::MaxImageSize);
        QCOMPARE(entriesOf(store), entries); // the store keeps the full texts

        QCOMPARE(ParseSection(built.bytes, built.size).entries, written);
        QCOMPARE(readBackMismatch(built), QString());
    }

    void buildDropsEntriesOverHundred_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("dropped");
        QTest::newRow("100 kept whole") << 100 << 0;
        QTest::newRow("101") << 101 << 1;
        QTest::newRow("103") << 103 << 3;
    }

    void buildDropsEntriesOverHundred()
    {
        QFETCH(int, entries);
        QFETCH(int, dropped);

        FavouritesStore store;
        for (int i = 0; i < entries; ++i)
            store.append(QByteArray::number(i), "u");
        const BuiltImage built = store.BuildSection();

        QCOMPARE(built.entriesDropped, dropped);
        QCOMPARE(ParseSection(built.bytes, built.size).entries.size(), 100);
        QCOMPARE(store.count(), 100);
        QCOMPARE(store.NameList().last(), QByteArray("99"));
        QCOMPARE(store.UrlList().size(), 100);
    }

    void builtImagesParseBack()
    {
        // Random stores of up to 100 entries whose image fits: the parse of the
        // built image is the store itself, order and duplicates included.
        QRandomGenerator random(20261208);
        for (int round = 0; round < 300; ++round) {
            FavouritesStore store;
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
            const BuiltImage built = store.BuildSection();
            QVERIFY(!built.cut);
            QCOMPARE(built.size, store.count() ? size : 0);
            QCOMPARE(ParseSection(transferBuffer(built), built.size).entries, entriesOf(store));
        }
    }

    void parsesImages_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<int>("dataSize");
        QTest::addColumn<Entries>("entries");

        QTest::newRow("signature then 0x00: empty") << Sig + QByteArray(1, '\0') << 8 << Entries{};
        QTest::newRow("signature only") << Sig << 7 << Entries{};
        QTest::newRow("two records") << Sig + QByteArray("u1\0=n1\0\x01u2\0=n2\0\x01", 16) << 23 << Entries{{"n1", "u1"}, {"n2", "u2"}};
        QTest::newRow("empty URL ends the list") << Sig + QByteArray("u1\0=n1\0\x01\0=n2\0\x01", 14) << 21 << Entries{{"n1", "u1"}};
        QTest::newRow("empty name gives an entry")
            << Sig + QByteArray("u1\0=\0\x01u2\0=n2\0\x01", 14) << 21 << Entries{{"", "u1"}, {"n2", "u2"}};
        QTest::newRow("second terminator byte of the URL is not examined")
            << Sig + QByteArray("u1\0Xn1\0\x01", 8) << 15 << Entries{{"n1", "u1"}};
        QTest::newRow("name stops before a byte followed by 0x01")
            << Sig + QByteArray("u1\0=abc\x01u2\0=n2\0\x01", 16) << 23 << Entries{{"ab", "u1"}, {"n2", "u2"}};
        QTest::newRow("record running into the reported size mid-URL")
            << Sig + QByteArray("u1\0=n1\0\x01longurl\0=nm\0\x01", 21) << 19 << Entries{{"n1", "u1"}, {"", "long"}};
        QTest::newRow("record running into the reported size mid-name")
            << Sig + QByteArray("u1\0=name\0\x01", 10) << 14 << Entries{{"nam", "u1"}};
        QTest::newRow("the reported size 0 stops after the signature") << Sig + QByteArray("u1\0=n1\0\x01", 8) << 0 << Entries{};
        QTest::newRow("negative the reported size stops after the signature") << Sig + QByteArray("u1\0=n1\0\x01", 8) << -5 << Entries{};
        QTest::newRow("bytes past the reported size are ignored")
            << Sig + QByteArray("u1\0=n1\0\x01u2\0=n2\0\x01", 16) << 15 << Entries{{"n1", "u1"}};
    }

    void parsesImages()
    {
        QFETCH(QByteArray, image);
        QFETCH(int, dataSize);
        QFETCH(Entries, entries);

        const ParsedImage parsed = ParseSection(image, dataSize);
        QVERIFY(!parsed.badHeader);
        QCOMPARE(parsed.entries, entries);
    }

    void parseNeverReadsPastBuffer_data()
    {
        QTest::addColumn<int>("dataSize");
        QTest::addColumn<int>("urlLength"); // of the record that runs to the buffer's end
        QTest::newRow("2048") << 2048 << 2048 - 7 - 6;
        QTest::newRow("2049") << 2049 << 2048 - 7 - 6;
        QTest::newRow("22000, as a phone may report") << 22000 << 2048 - 7 - 6;
        QTest::newRow("0") << 0 << -1;
        QTest::newRow("-1") << -1 << -1;
        QTest::newRow("more bytes arrived than the buffer holds") << 4096 << 2048 - 7 - 6;
    }

    void parseNeverReadsPastBuffer()
    {
        QFETCH(int, dataSize);
        QFETCH(int, urlLength);

        // A full buffer with no zero after the first record: the second URL runs
        // to the last byte of the buffer and must stop there.
        QByteArray image = Sig + QByteArray("u\0=n\0\x01", 6);
        image += filled(std::max(dataSize, limits::BufferSize) - int(image.size()), 'z');
        const ImageEntries read = ParseSection(image, dataSize).entries;

        if (urlLength < 0) {
            QCOMPARE(read.size(), 0);
        } else {
            QCOMPARE(read.size(), 2);
            QCOMPARE(read[1].second, filled(urlLength, 'z'));
            QCOMPARE(read[1].first, QByteArray());
        }
    }

    void badHeaderReadsNoEntry()
    {
        const QList<QByteArray> heads{
            QByteArray("MME20CX", 7),                                                // the seventh byte must be 0x00 too
            QByteArray("mME20C\0", 7), QByteArray(7, '\0'), QByteArray("MME20C", 6), // the zero is missing, not taken from past the end
        };
        for (const QByteArray& head : heads) {
            const ParsedImage parsed = ParseSection(head + QByteArray("u\0=n\0\x01", 6), 13);
            QVERIFY2(parsed.badHeader, head.toHex().constData());
            QCOMPARE(parsed.entries, ImageEntries());
        }
    }

    void sizeWithAnEntry_data()
    {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("url");
        QTest::addColumn<int>("size");

        // 7 + (url + 2 + name + 2) per record.
        const Entries two{{"ab", "cde"}, {"f", "g"}};
        QTest::newRow("the entry changed") << two << 0 << QByteArray("x") << QByteArray("y") << 7 + 6 + 6;
        QTest::newRow("the entry grown past the image") << two << 1 << filled(1000) << filled(1000) << 7 + 9 + 2004;
        QTest::newRow("grown to exactly 1998") << two << 1 << filled(990) << filled(988) << 1998;
        QTest::newRow("one more entry") << two << 2 << QByteArray("new") << QByteArray("url") << 7 + 9 + 6 + 10;
        // An empty store's image counts 0, not the seven bytes of its signature.
        QTest::newRow("first entry of an empty store") << Entries{} << 0 << QByteArray("n") << QByteArray("u") << 6;
        // A store whose image is cut counts from the cut size.
        QTest::newRow("changed in a store that is cut")
            << Entries{{"a", filled(1990)}, {"b", "c"}} << 1 << QByteArray("bb") << QByteArray("cc") << 1998 - 6 + 8;
    }

    void sizeWithAnEntry()
    {
        QFETCH(Entries, entries);
        QFETCH(int, index);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, url);
        QFETCH(int, size);

        // Changing an entry is the image without its record, plus the new one.
        const BuiltImage built = BuildSection(entries);
        Entries changed = entries;
        qint64 without = built.size;
        if (index < entries.size()) {
            without = imageSizeWithoutRecord(built.size, entries[index].first, entries[index].second);
            changed[index] = {name, url};
        } else {
            changed.append({name, url});
        }
        const qint64 with = imageSizeWithRecord(without, name, url);
        QCOMPARE(with, qint64(size));
        // Where the changed list fits, the builder agrees to the byte.
        const BuiltImage rebuilt = BuildSection(changed);
        if (!entries.isEmpty() && !built.cut && !rebuilt.cut)
            QCOMPARE(qint64(rebuilt.size), with);
    }

    void outOfRangeAccessFails_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("no selection") << -1;
        QTest::newRow("one past the end") << 2;
        QTest::newRow("far past the end") << 100;
    }

    void outOfRangeAccessFails()
    {
        QFETCH(int, index);
        FavouritesStore store;
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

    void mutationsKeepListsParallel()
    {
        FavouritesStore store;
        store.insert(0, "b", "2");
        store.insert(0, "a", "1");
        store.insert(2, "c", "3");
        store.exchange(0, 2);
        store.replace(1, "B", "22");
        store.removeAt(0);
        QCOMPARE(entriesOf(store), (Entries{{"B", "22"}, {"a", "1"}}));
        QCOMPARE(store.NameList(), (QList<QByteArray>{"B", "a"}));
        QCOMPARE(store.UrlList(), (QList<QByteArray>{"22", "1"}));
        store.ClearAll();
        QCOMPARE(store.count(), 0);
    }
};

QTEST_APPLESS_MAIN(TestFavouritesStore)
#include "tst_favouritesstore.moc"
