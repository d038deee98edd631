// The readers over exports as browsers, bookmark services, phones and their
// desktop tools write them (samples/README.md says where each comes from).
#include "cli/bookmarks.h"

#include <QFile>
#include <QTest>

using namespace linkwell::cli;

namespace {

using Pairs = QList<QPair<QString, QString>>;

QByteArray sample(const QString& name)
{
    QFile file(QStringLiteral(LINKWELL_SAMPLES_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("sample %s is missing", qPrintable(name));
    return file.readAll();
}

Pairs pairsOf(const Bookmarks& bookmarks, qsizetype count)
{
    Pairs out;
    for (qsizetype i = 0; i < qMin(count, bookmarks.size()); ++i)
        out.append({bookmarks[i].name, bookmarks[i].url});
    return out;
}

Format formatOf(const QString& name)
{
    Format format = Format::Json;
    formatFromName(name.section(u'.', -1), &format);
    return format;
}

} // namespace

Q_DECLARE_METATYPE(Pairs)

class TestCliSamples : public QObject {
    Q_OBJECT

private slots:
    void readsEachSample_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("count");
        QTest::addColumn<Pairs>("first"); // the first entries, exactly
        QTest::addColumn<Pairs>("last");

        QTest::newRow("Firefox") << "firefox.html" << 11
                                 << Pairs{{"Recent Tags", "place:parent=toolbar_____&sort=12&maxResults=10"},
                                          {"Get Help", "https://support.mozilla.org/products/firefox"},
                                          {"Customize Firefox", "https://www.mozilla.org/firefox/customize/"},
                                          {"About Us", "https://www.mozilla.org/about/"},
                                          {QStringLiteral("Погода в Москве — Гисметео"), "https://www.gismeteo.ru/"},
                                          {QStringLiteral("Lenta.ru: Главные новости"), "https://lenta.ru/"},
                                          {"Most Visited", "place:sort=8&maxResults=10"},
                                          {"", "https://www.seznam.cz/"}}
                                 << Pairs{{"Getting Started", "https://www.mozilla.org/en-US/firefox/central/"}};
        QTest::newRow("Chromium") << "chromium.html" << 6
                                  << Pairs{{"Google", "https://www.google.com/"},
                                           {"YouTube", "https://www.youtube.com/"},
                                           {QStringLiteral("Doručená pošta (3) - jan.novak@example.cz - Gmail"),
                                            "https://mail.google.com/mail/u/0/#inbox"}}
                                  << Pairs{{"Sony Ericsson - Wikipedia", "https://en.wikipedia.org/wiki/Sony_Ericsson"}};
        QTest::newRow("Safari") << "safari.html" << 5
                                << Pairs{{"Apple", "https://www.apple.com/uk/"},
                                         {"BBC News - Home", "https://www.bbc.co.uk/news"},
                                         {"SBB CFF FFS", "https://www.sbb.ch/en"},
                                         {QStringLiteral("České dráhy"), "https://www.cd.cz/"}}
                                << Pairs{{"The long read: why we still love old phones | Technology | The Guardian",
                                          "https://www.theguardian.com/technology/2024/jan/01/example"}};
        QTest::newRow("Delicious") << "delicious.html" << 6
                                   << Pairs{{"Creating Map Visualizations in <10 lines of Python",
                                             "http://example.com/blog/map-visualizations-python"},
                                            {"Converging? < Real Story", "http://example.net/converging"},
                                            {QStringLiteral("朝日新聞デジタル：朝日新聞社のニュースサイト"), "http://www.asahi.com/"},
                                            {QStringLiteral("Η ΚΑΘΗΜΕΡΙΝΗ"), "http://www.kathimerini.gr/"},
                                            {QStringLiteral("Lidovky.cz – „Zprávy“ & komentáře"), "http://www.lidovky.cz/?utm=del&ref=1"}}
                                   << Pairs{{QStringLiteral("Café Mövenpick ”Zürich” æ"), "http://example.org/cafe"}};
        QTest::newRow("Gammu") << "gammu.vbm" << 1 << Pairs{{"Seznam", "http://wap.seznam.cz/"}} << Pairs{};
        QTest::newRow("Nokia, quoted-printable") << "nokia-qp.vbm" << 2 << Pairs{{QStringLiteral("Počasí ČHMÚ"), "http://wap.chmi.cz/?m="}}
                                                 << Pairs{{QStringLiteral("Jízdní řád"), "http://wap.cd.cz/"}};
        QTest::newRow("phones' BASE64 and charsets") << "phone-encodings.vbm" << 3
                                                     << Pairs{{QStringLiteral("iDNES.cz – mobilní zprávy"), "http://mobil.idnes.cz/"},
                                                              {QStringLiteral("Žluťoučký kůň"), "http://kun.cz/"}}
                                                     << Pairs{{QStringLiteral("Škoda Auto"), "http://m.skoda-auto.cz/?lang=cs"}};
        QTest::newRow("our own list --json") << "linkwell-list.json" << 3 << Pairs{{"Seznam", "http://wap.seznam.cz/"}}
                                             << Pairs{{"", "http://wap.cd.cz/"}};
    }
    void readsEachSample()
    {
        QFETCH(QString, file);
        QFETCH(int, count);
        QFETCH(Pairs, first);
        QFETCH(Pairs, last);
        const Bookmarks read = readBookmarks(formatOf(file), sample(file), file);
        QCOMPARE(read.size(), count);
        QCOMPARE(pairsOf(read, first.size()), first);
        QCOMPARE(pairsOf(read.mid(read.size() - last.size()), last.size()), last);
        QCOMPARE(read.last().position, count);
        QCOMPARE(read.last().source, file);
    }

    void refusesBrokenSamples_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("a Firefox export cut short")
            << "truncated-firefox.html"
            << "truncated-firefox.html: not a valid bookmark file: the <A> on line 17 is never closed";
        QTest::newRow("an old export in Windows-1250") << "cp1250-export.html"
                                                       << "cp1250-export.html: not valid UTF-8 (line 6); bookmark files are read as UTF-8";
        QTest::newRow("a vBookmark whose envelope is cut")
            << "envelope-cut.vbm"
            << "envelope-cut.vbm: not a valid vBookmark file: line 5: BEGIN:ENV is never ended";
    }
    void refusesBrokenSamples()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        try {
            readBookmarks(formatOf(file), sample(file), file);
            QFAIL("accepted");
        } catch (const CliError& e) {
            QCOMPARE(e.text(), message);
        }
    }

    // What the writers make of a sample reads back as the same entries, and
    // writing those again gives the same bytes.
    void roundTripsAreByteStable_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("through");
        for (const char* html : {"firefox.html", "chromium.html", "safari.html", "delicious.html"})
            QTest::newRow(qPrintable(QStringLiteral("%1 through json").arg(QLatin1String(html))))
                << QString::fromLatin1(html) << int(Format::Json);
        for (const char* vbm : {"gammu.vbm", "nokia-qp.vbm", "phone-encodings.vbm"})
            QTest::newRow(vbm) << QString::fromLatin1(vbm) << int(Format::Vbm);
        QTest::newRow("linkwell-list.json") << "linkwell-list.json" << int(Format::Json);
    }
    void roundTripsAreByteStable()
    {
        QFETCH(QString, file);
        QFETCH(int, through);
        const Format format = formatOf(file);
        const Bookmarks read = readBookmarks(format, sample(file), file);
        const QByteArray via = writeBookmarks(Format(through), read);
        const Bookmarks viaRead = readBookmarks(Format(through), via, QStringLiteral("via"));
        QCOMPARE(pairsOf(viaRead, viaRead.size()), pairsOf(read, read.size()));
        const QByteArray written = writeBookmarks(format, viaRead);
        const Bookmarks back = readBookmarks(format, written, QStringLiteral("back"));
        QCOMPARE(pairsOf(back, back.size()), pairsOf(read, read.size()));
        QCOMPARE(writeBookmarks(format, back), written);
        QCOMPARE(writeBookmarks(Format(through), back), via);
    }
};

QTEST_GUILESS_MAIN(TestCliSamples)
#include "tst_clisamples.moc"
