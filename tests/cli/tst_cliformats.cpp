#include "cli/bookmarks.h"
#include "cli/cp1250text.h"

#include <QTest>

using namespace linkwell::cli;

namespace {

using Pairs = QList<QPair<QString, QString>>;

Pairs pairsOf(const Bookmarks& bookmarks)
{
    Pairs out;
    for (const Bookmark& b : bookmarks)
        out.append({b.name, b.url});
    return out;
}

const QByteArray Doctype = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n";

// Texts that stress every writer: Czech letters, markup characters, white
// space HTML would fold, a vBookmark line break, '=' and ';'.
const Pairs Awkward{
    {QStringLiteral("Počasí"), QStringLiteral("http://pocasi.cz/?a=1&b=2;c")},
    {QStringLiteral("Žluťoučký kůň úpěl ďábelské ódy"), QStringLiteral("http://kun.cz/")},
    {QStringLiteral("<b>\"quoted\" & 'single'</b>"), QStringLiteral("http://x.cz/?q=\"a\"&r='b'")},
    {QStringLiteral("  two  spaces, lead and trail "), QStringLiteral("http://s.cz/")},
    {QStringLiteral("tab\there\r\nand lines"), QStringLiteral("http://t.cz/")},
    {QString(), QStringLiteral("http://empty.name/")},
    {QStringLiteral("€ ‰ „quotes“ – dash"), QStringLiteral("wap://€")},
};

Bookmarks bookmarksOf(const Pairs& pairs)
{
    Bookmarks out;
    for (const auto& [name, url] : pairs)
        out.append({name, url, QStringLiteral("test"), int(out.size()) + 1});
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Pairs)

class TestCliFormats : public QObject {
    Q_OBJECT

private slots:
    void cp1250EncodesAllItsCharacters()
    {
        QVERIFY(cp1250Available());
        // Every non-zero byte decodes to one character that encodes back to it.
        for (int b = 1; b < 256; ++b) {
            const QByteArray byte(1, char(b));
            const QString text = decodeCp1250(byte);
            QCOMPARE(text.size(), 1);
            QByteArray back;
            char32_t bad = 0;
            QVERIFY2(encodeCp1250(text, &back, &bad), qPrintable(QString::number(b)));
            QCOMPARE(back, byte);
        }
        QByteArray bytes;
        char32_t bad = 0;
        QVERIFY(encodeCp1250(QStringLiteral("Žluťoučký kůň"), &bytes, &bad));
        QCOMPARE(bytes, QByteArray("\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2"));
    }

    void cp1250NamesTheRefusedCharacter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("named");
        QTest::newRow("n tilde") << QStringLiteral("Señor") << QStringLiteral("\"ñ\" (U+00F1)");
        QTest::newRow("arrow") << QStringLiteral("a→b") << QStringLiteral("\"→\" (U+2192)");
        QTest::newRow("outside the BMP") << QStringLiteral("ok 😀") << QStringLiteral("\"😀\" (U+1F600)");
        QTest::newRow("zero") << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b"))
                              << QStringLiteral("U+0000");
    }
    void cp1250NamesTheRefusedCharacter()
    {
        QFETCH(QString, text);
        QFETCH(QString, named);
        QByteArray bytes;
        char32_t bad = 0;
        QVERIFY(!encodeCp1250(text, &bytes, &bad));
        QCOMPARE(describeCharacter(bad), named);
    }

    void htmlReadsEveryLink_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<Pairs>("expected");

        QTest::newRow("nested folders flattened in document order")
            << Doctype + "<DL><p>\n<DT><A HREF=\"http://a/\">A</A>\n"
                         "<DT><H3>Folder</H3>\n<DL><p>\n<DT><A HREF=\"http://b/\">B</A>\n"
                         "<DT><H3>Inner</H3><DL><p><DT><A HREF=\"http://c/\">C</A></DL><p>\n"
                         "</DL><p>\n<DT><A HREF=\"http://d/\">D</A>\n</DL><p>\n"
            << Pairs{{"A", "http://a/"}, {"B", "http://b/"}, {"C", "http://c/"}, {"D", "http://d/"}};
        QTest::newRow("entities in text and attribute")
            << Doctype + "<A HREF=\"http://x/?a=1&amp;b=&#50;&#x33;\">Tom &amp; Jerry &lt;3&gt; &quot;q&quot; "
                         "&#39;s&#39; &#x10D;&#269; &nbsp;x &bogus; AT&T</A>"
            << Pairs{{QStringLiteral("Tom & Jerry <3> \"q\" 's' čč \u00A0x &bogus; AT&T"),
                      "http://x/?a=1&b=23"}};
        QTest::newRow("attribute order, case and quoting")
            << Doctype + "<a add_date=\"1\" icon='data:x' href='http://single/'>one</a>\n"
                         "<A LAST_MODIFIED=2 HREF=http://bare/?x=1 TAGS=\"a>b\">two</A>\n"
                         "<A\n  HREF = \"http://spaced/\"\n>three</A>"
            << Pairs{{"one", "http://single/"}, {"two", "http://bare/?x=1"}, {"three", "http://spaced/"}};
        QTest::newRow("white space folded, inner tags dropped, UTF-8 text")
            << Doctype + "<A HREF=\"http://p/\">\n   Po\xC4\x8D" "as\xC3\xAD   <b>dnes</b>\n</A>"
            << Pairs{{QStringLiteral("Počasí dnes"), "http://p/"}};
        QTest::newRow("comments, separators and descriptions carry no links")
            << "\xEF\xBB\xBF  " + Doctype +
                   "<!-- <A HREF=\"http://hidden/\">no</A> -->\n<HR>\n"
                   "<DT><A HREF=\"http://seen/\">yes</A>\n<DD>a description &amp; more\n"
            << Pairs{{"yes", "http://seen/"}};
        QTest::newRow("no links") << Doctype + "<TITLE>Bookmarks</TITLE><H1>Bookmarks</H1><DL><p></DL><p>"
                                  << Pairs{};
    }
    void htmlReadsEveryLink()
    {
        QFETCH(QByteArray, html);
        QFETCH(Pairs, expected);
        const Bookmarks read = readHtml(html, QStringLiteral("in.html"));
        QCOMPARE(pairsOf(read), expected);
        for (int i = 0; i < read.size(); ++i)
            QCOMPARE(read[i].position, i + 1);
    }

    void htmlRefusesMalformedFiles_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no doctype") << QByteArray("<html><A HREF=\"x\">x</A></html>")
                                    << QStringLiteral("NETSCAPE-Bookmark-file-1");
        QTest::newRow("link never closed") << Doctype + "\n<A HREF=\"http://a/\">a\n"
                                           << QStringLiteral("<A> on line 3 is never closed");
        QTest::newRow("link without HREF") << Doctype + "<A NAME=\"x\">a</A>" << QStringLiteral("no HREF");
        QTest::newRow("tag never closed") << Doctype + "<DT><A HREF=\"http://a/\"" << QStringLiteral("never closed");
        QTest::newRow("quote never closed") << Doctype + "<A HREF=\"http://a/>a</A>"
                                            << QStringLiteral("quoted HREF");
        QTest::newRow("link inside a link") << Doctype + "<A HREF=\"1\">a<A HREF=\"2\">b</A></A>"
                                            << QStringLiteral("inside the link");
        QTest::newRow("stray close") << Doctype + "x</A>" << QStringLiteral("closes no link");
        QTest::newRow("comment never closed") << Doctype + "<!-- x" << QStringLiteral("comment");
        QTest::newRow("not UTF-8") << Doctype + "<A HREF=\"x\">Po\xE8" "as\xED</A>" << QStringLiteral("UTF-8");
    }
    void htmlRefusesMalformedFiles()
    {
        QFETCH(QByteArray, html);
        QFETCH(QString, reason);
        try {
            readHtml(html, QStringLiteral("bad.html"));
            QFAIL("accepted");
        } catch (const CliError& e) {
            QVERIFY2(e.text().startsWith(QStringLiteral("bad.html: ")), qPrintable(e.text()));
            QVERIFY2(e.text().contains(reason), qPrintable(e.text()));
        }
    }

    void writersRoundTrip_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("html") << int(Format::Html);
        QTest::newRow("vbm") << int(Format::Vbm);
        QTest::newRow("json") << int(Format::Json);
    }
    void writersRoundTrip()
    {
        QFETCH(int, format);
        const QByteArray written = writeBookmarks(Format(format), bookmarksOf(Awkward));
        QCOMPARE(pairsOf(readBookmarks(Format(format), written, QStringLiteral("x"))), Awkward);
    }

    void htmlWriterMakesABrowserFile()
    {
        const QString html = QString::fromUtf8(writeHtml(bookmarksOf(Awkward)));
        QVERIFY(html.startsWith(QStringLiteral("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n")));
        QVERIFY(html.contains(QStringLiteral("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">")));
        QCOMPARE(html.count(QStringLiteral("<DT><A HREF=\"")), Awkward.size());
        QVERIFY(html.contains(QStringLiteral(
            "<DT><A HREF=\"http://x.cz/?q=&quot;a&quot;&amp;r=&#39;b&#39;\">&lt;b&gt;&quot;quoted&quot; &amp; "
            "&#39;single&#39;&lt;/b&gt;</A>")));
        QVERIFY(html.contains(QStringLiteral("<DT><A HREF=\"http://pocasi.cz/?a=1&amp;b=2;c\">Počasí</A>")));
    }

    void vbmWriterWritesOneObjectPerEntryWithCrlf()
    {
        const QByteArray vbm = writeVbm(bookmarksOf(Awkward));
        QCOMPARE(vbm.count("BEGIN:VBKM\r\n"), Awkward.size());
        QCOMPARE(vbm.count("END:VBKM\r\n"), Awkward.size());
        QCOMPARE(vbm.count('\n'), vbm.count("\r\n"));
        QVERIFY(vbm.startsWith("BEGIN:VBKM\r\nVERSION:1.0\r\nTITLE;CHARSET=UTF-8:Po\xC4\x8D" "as\xC3\xAD\r\n"
                               "URL:http://pocasi.cz/?a=1&b=2;c\r\nEND:VBKM\r\n"));
    }

    void vbmReadsPhoneFiles_data()
    {
        QTest::addColumn<QByteArray>("vbm");
        QTest::addColumn<Pairs>("expected");
        QTest::newRow("plain, LF lines")
            << QByteArray("BEGIN:VBKM\nVERSION:1.0\nTITLE:Seznam\nURL:http://seznam.cz\nEND:VBKM\n")
            << Pairs{{"Seznam", "http://seznam.cz"}};
        QTest::newRow("ENV part, lower case, no title")
            << QByteArray("begin:vbkm\r\nversion:1.0\r\nurl:http://a/\r\nBEGIN:ENV\r\n"
                          "X-IRMC-URL;QUOTED-PRINTABLE:=\r\n[InternetShortcut]=0D=0A=\r\nURL=http://other/\r\n"
                          "END:ENV\r\nend:vbkm\r\n\r\nBEGIN:VBKM\r\nTITLE:B\r\nURL:http://b/\r\nEND:VBKM\r\n")
            << Pairs{{"", "http://a/"}, {"B", "http://b/"}};
        QTest::newRow("quoted-printable with soft breaks, Windows-1250")
            << QByteArray("BEGIN:VBKM\r\nTITLE;CHARSET=windows-1250;ENCODING=QUOTED-PRINTABLE:Po=E8as=\r\n"
                          "=ED\r\nURL:http://p/\r\nEND:VBKM\r\n")
            << Pairs{{QStringLiteral("Počasí"), "http://p/"}};
        QTest::newRow("folded line")
            << QByteArray("BEGIN:VBKM\r\nTITLE:long\r\nURL:http://example.com/\r\n a/b\r\nEND:VBKM\r\n")
            << Pairs{{"long", "http://example.com/a/b"}};
    }
    void vbmReadsPhoneFiles()
    {
        QFETCH(QByteArray, vbm);
        QFETCH(Pairs, expected);
        QCOMPARE(pairsOf(readVbm(vbm, QStringLiteral("in.vbm"))), expected);
    }

    void vbmRefusesMalformedFiles_data()
    {
        QTest::addColumn<QByteArray>("vbm");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << QByteArray("\r\n") << QStringLiteral("no BEGIN:VBKM");
        QTest::newRow("not ended") << QByteArray("BEGIN:VBKM\r\nURL:http://a/\r\n")
                                   << QStringLiteral("line 1: BEGIN:VBKM is never ended");
        QTest::newRow("outside an object") << QByteArray("TITLE:x\r\n") << QStringLiteral("line 1: \"TITLE:x\" stands outside");
        QTest::newRow("no URL") << QByteArray("BEGIN:VBKM\r\nTITLE:x\r\nEND:VBKM\r\n") << QStringLiteral("has no URL");
        QTest::newRow("no colon") << QByteArray("BEGIN:VBKM\r\nrubbish\r\nEND:VBKM\r\n")
                                  << QStringLiteral("line 2: \"rubbish\" has no \":\"");
        QTest::newRow("nested object") << QByteArray("BEGIN:VBKM\r\nBEGIN:VBKM\r\n") << QStringLiteral("inside");
        QTest::newRow("unknown charset") << QByteArray("BEGIN:VBKM\r\nURL;CHARSET=nonsense-7:x\r\nEND:VBKM\r\n")
                                         << QStringLiteral("unknown CHARSET nonsense-7");
    }
    void vbmRefusesMalformedFiles()
    {
        QFETCH(QByteArray, vbm);
        QFETCH(QString, reason);
        try {
            readVbm(vbm, QStringLiteral("bad.vbm"));
            QFAIL("accepted");
        } catch (const CliError& e) {
            QVERIFY2(e.text().startsWith(QStringLiteral("bad.vbm: ")), qPrintable(e.text()));
            QVERIFY2(e.text().contains(reason), qPrintable(e.text()));
        }
    }

    void jsonRefusesWrongShapes_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not JSON") << QByteArray("[{\"name\": ") << QStringLiteral("not valid JSON");
        QTest::newRow("an object") << QByteArray("{\"name\": \"a\", \"url\": \"b\"}") << QStringLiteral("an array");
        QTest::newRow("element not an object") << QByteArray("[\"a\"]") << QStringLiteral("element 1 is not an object");
        QTest::newRow("url missing") << QByteArray("[{\"name\":\"a\",\"url\":\"b\"},{\"name\":\"c\"}]")
                                     << QStringLiteral("element 2: \"url\" is missing");
        QTest::newRow("name a number") << QByteArray("[{\"name\":1,\"url\":\"b\"}]")
                                       << QStringLiteral("\"name\" is missing or not a string");
    }
    void jsonRefusesWrongShapes()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, reason);
        try {
            readJson(json, QStringLiteral("bad.json"));
            QFAIL("accepted");
        } catch (const CliError& e) {
            QVERIFY2(e.text().startsWith(QStringLiteral("bad.json: ")) && e.text().contains(reason),
                     qPrintable(e.text()));
        }
    }

    void detectsTheFormat_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("format");
        QTest::newRow("by extension, whatever the content") << "a.JSON" << QByteArray("BEGIN:VBKM") << int(Format::Json);
        QTest::newRow("htm") << "b.htm" << QByteArray() << int(Format::Html);
        QTest::newRow("vbm") << "c.vbm" << QByteArray() << int(Format::Vbm);
        QTest::newRow("sniffed json") << "d" << QByteArray("  [ ]") << int(Format::Json);
        QTest::newRow("sniffed html") << "bookmarks.txt" << Doctype << int(Format::Html);
        QTest::newRow("sniffed vbm") << "e.txt" << QByteArray("\r\nbegin:VBKM\r\n") << int(Format::Vbm);
    }
    void detectsTheFormat()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, content);
        QFETCH(int, format);
        QCOMPARE(int(detectFormat(path, content)), format);
    }

    void unknownContentIsNamed()
    {
        QVERIFY_THROWS_EXCEPTION(CliError, detectFormat(QStringLiteral("notes.txt"), "hello"));
    }
};

QTEST_GUILESS_MAIN(TestCliFormats)
#include "tst_cliformats.moc"
