// The check every built image passes before it is written or sent, and the
// one-pass Windows-1250 encoder it is fed by.
#include "entries.h"

#include "store/cp1250.h"
#include "store/imagecheck.h"
#include "store/sectionimage.h"

#include <QStringEncoder>
#include <QTest>

using namespace linkwell;
using linkwell::testing::Entries;
using linkwell::testing::imageOf;

namespace {

QByteArray built(const Entries& entries)
{
    return BuildSection(entries).bytes;
}

} // namespace

class TestImageCheck : public QObject {
    Q_OBJECT

private slots:
    // The builder's own images of entries it can hold: nothing differs,
    // whatever it had to cut.
    void buildersImagesPass_data()
    {
        QTest::addColumn<Entries>("entries");
        QTest::newRow("none") << Entries{};
        QTest::newRow("three") << Entries{{"Po\xE8"
                                           "as\xED",
                                           "wap.pocasi.cz"},
                                          {"", "u"},
                                          {"x", "y"}};
        QTest::newRow("120 entries, 100 kept") << testing::numbered(120);
        QTest::newRow("last URL cut") << Entries{{"a", QByteArray(1000, 'u')}, {"b", QByteArray(1000, 'v')}};
        QTest::newRow("last name cut") << Entries{{QByteArray(900, 'n'), QByteArray(1000, 'u')}};
        QTest::newRow("no room for a record") << Entries{{QByteArray(2, 'n'), QByteArray(1980, 'u')}, {"c", "d"}};
    }
    void buildersImagesPass()
    {
        QFETCH(Entries, entries);
        QCOMPARE(imageMismatch(built(entries), entries), QString());
        QCOMPARE(readBackMismatch(BuildSection(entries)), QString());
    }

    // Images that do not hold what was meant, each for a reason the check names.
    void differencesAreFound_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<Entries>("expected");
        QTest::addColumn<QString>("said");
        const Entries three{{"one", "u1"}, {"two", "u2"}, {"three", "u3"}};
        QByteArray oneByteChanged = imageOf(three);
        oneByteChanged[8] = 'X';
        QTest::newRow("0x01 in a name shifts the rest")
            << built({{"a\x01z", "u1"}, {"two", "u2"}, {"three", "u3"}}) << Entries{{"a\x01z", "u1"}, {"two", "u2"}, {"three", "u3"}}
            << "entry 1: the name reads back as \"\" instead of \"a\\x01z\"";
        QTest::newRow("a changed URL byte") << oneByteChanged << three << "entry 1: the URL reads back as \"uX\"";
        QTest::newRow("an entry missing") << imageOf(three.mid(0, 2)) << three << "reads back as 2 entries instead of 3";
        QTest::newRow("an entry too many") << imageOf(three) << three.mid(0, 2) << "reads back as 3 entries instead of 2";
        QTest::newRow("bytes after the list") << imageOf(three) + QByteArray(3, '\0') << three << "the image is 39 bytes instead of 36";
        QTest::newRow("no signature") << QByteArray("MME20X\0", 7) << Entries{} << "signature";
        QTest::newRow("over 1998 bytes") << imageOf({{QByteArray(1000, 'n'), QByteArray(1000, 'u')}})
                                         << Entries{{QByteArray(1000, 'n'), QByteArray(1000, 'u')}} << "2011 bytes, more than 1998";
        QTest::newRow("uncut where a cut was due") << imageOf({{QByteArray(), QByteArray(1987, 'u')}})
                                                   << Entries{{QByteArray(), QByteArray(1987, 'u')}} << "entry 1: the URL reads back as";
    }
    void differencesAreFound()
    {
        QFETCH(QByteArray, image);
        QFETCH(Entries, expected);
        QFETCH(QString, said);
        const QString mismatch = imageMismatch(image, expected);
        QVERIFY2(mismatch.contains(said), qPrintable(mismatch));
    }

    void storableText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("storable");
        QTest::newRow("plain") << QByteArray("wap.seznam.cz") << true;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("0x02 and 0xff") << QByteArray("\x02\xff") << true;
        QTest::newRow("0x01") << QByteArray("a\x01") << false;
        QTest::newRow("0x00") << QByteArray("a\0b", 3) << false;
    }
    void storableText()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, storable);
        QCOMPARE(isStorableText(text), storable);
    }

    // The table the encoder looks characters up in must say what Qt's
    // converter says, for every UTF-16 unit.
    void encoderAgreesWithQtsConverter()
    {
        int held = 0;
        for (int u = 0; u < 0x10000; ++u) {
            const QChar c{char16_t(u)};
            QStringEncoder encoder("windows-1250");
            const QByteArray bytes = c.isSurrogate() ? QByteArray() : encoder.encode(QString(c));
            const bool qtHolds = !c.isSurrogate() && !encoder.hasError() && bytes.size() == 1;
            if (cp1250::canEncode(c) != qtHolds)
                QFAIL(qPrintable(QStringLiteral("U+%1").arg(u, 4, 16, QLatin1Char('0'))));
            if (qtHolds) {
                ++held;
                QCOMPARE(cp1250::encode(QString(c)), bytes);
            }
        }
        QCOMPARE(held, 256);
    }

    void encoderNamesWhatItCannotHold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<qsizetype>>("missing");
        QTest::newRow("all held") << QStringLiteral("Žluťoučký €") << QByteArray("\x8Elu\x9Dou\xE8k\xFD \x80") << QList<qsizetype>{};
        QTest::newRow("cyrillic") << QStringLiteral("aЖb") << QByteArray("a?b") << QList<qsizetype>{1};
        QTest::newRow("emoji is one character") << QStringLiteral("x\U0001F600y\U0001F600") << QByteArray("x?y?") << QList<qsizetype>{1, 4};
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?") << QList<qsizetype>{0};
    }
    void encoderNamesWhatItCannotHold()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(QList<qsizetype>, missing);
        QList<qsizetype> found;
        QCOMPARE(cp1250::encode(text, &found), bytes);
        QCOMPARE(found, missing);
        QCOMPARE(cp1250::encode(text), bytes);
    }
};

QTEST_GUILESS_MAIN(TestImageCheck)
#include "tst_imagecheck.moc"
