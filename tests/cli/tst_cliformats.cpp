#include "cli/bookmarks.h"
#include "timebound.h"
#include "cli/cp1250text.h"

#include <QElapsedTimer>
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
// More than the reader parses at once, so that the entries fall in different pieces.
constexpr int PieceFiller = 40000;

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

// The text of the error `read` fails with, or "accepted" when it reads.
template <typename Read> QString refusal(Read read)
{
    try {
        read();
    } catch (const CliError& e) {
        return e.text();
    }
    return QStringLiteral("accepted");
}

// A row of a table of refusals: the content and what the error must say.
void refusalRow(const char* name, const QByteArray& content, const QString& reason)
{
    QTest::newRow(name) << content << reason;
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
        QTest::newRow("zero") << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b")) << QStringLiteral("U+0000");
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
        QTest::newRow("every named reference, with and without its semicolon")
            << Doctype + "<A HREF=\"http://n/?q=&eacute;\">&rdquo;Caf&eacute;&ldquo; &ouml;l &aelig;ther "
                         "&Scaron;koda &hearts; &frac12; &copy 2024 &NotEqualTilde;</A>"
            << Pairs{{QStringLiteral("”Café“ öl æther Škoda ♥ ½ © 2024 \u2242\u0338"), QStringLiteral("http://n/?q=é")}};
        QTest::newRow("a '<' before a digit or a space is text")
            << Doctype + "<DT><A HREF=\"http://maps/\">Creating Map Visualizations in <10 lines of Python</A>\n"
                         "<DT><A HREF=\"http://story/\">Converging? < Real Story</A>\n"
                         "<DT><A HREF=\"http://after/\">after</A>\n"
            << Pairs{{"Creating Map Visualizations in <10 lines of Python", "http://maps/"},
                     {"Converging? < Real Story", "http://story/"},
                     {"after", "http://after/"}};
        QTest::newRow("attribute order, case and quoting")
            << Doctype + "<a add_date=\"1\" icon='data:x' href='http://single/'>one</a>\n"
                         "<A LAST_MODIFIED=2 HREF=http://bare/?x=1 TAGS=\"a>b\">two</A>\n"
                         "<A\n  HREF = \"  http://spaced/\n\"\n>three</A>"
            << Pairs{{"one", "http://single/"}, {"two", "http://bare/?x=1"}, {"three", "http://spaced/"}};
        QTest::newRow("white space folded, inner tags dropped, UTF-8 text")
            << Doctype + "<A HREF=\"http://p/\">\n   Po\xC4\x8D" "as\xC3\xAD   <b>dnes</b>\n</A>"
            << Pairs{{QStringLiteral("Počasí dnes"), "http://p/"}};
        QTest::newRow("comments, separators, scripts and descriptions carry no links")
            << "\xEF\xBB\xBF  " + Doctype +
                   "<!-- <A HREF=\"http://hidden/\">no</A> -->\n<HR>\n<TITLE><A HREF=\"http://title/\">no</A></TITLE>\n"
                   "<DT><A HREF=\"http://seen/\">yes<script>document.write('no')</script></A>\n"
                   "<DD>a description &amp; more\n"
            << Pairs{{"yes", "http://seen/"}};
        QTest::newRow("untitled, anchors without HREF, bookmarklets and smart folders")
            << Doctype + "<DT><A HREF=\"http://untitled/\"></A>\n<A NAME=\"top\">anchor</A>\n"
                         "<DT><A HREF=\"javascript:void(location.href='http://x/?u='+encodeURIComponent(location))\">Share</A>\n"
                         "<DT><A HREF=\"place:sort=8&amp;maxResults=10\">Most Visited</A>\n"
            << Pairs{{"", "http://untitled/"},
                     {"Share", "javascript:void(location.href='http://x/?u='+encodeURIComponent(location))"},
                     {"Most Visited", "place:sort=8&maxResults=10"}};
        QTest::newRow("as a browser repairs tags: a link opened in a link, one the next <DT> closes")
            << Doctype + "<DT><A HREF=\"http://1/\">a<A HREF=\"http://2/\">b</A>\n"
                         "<DT><A HREF=\"http://3/\">c\n<DT><A HREF=\"http://4/\">d</A>\n<p>x</A>"
            << Pairs{{"a", "http://1/"}, {"b", "http://2/"}, {"c", "http://3/"}, {"d", "http://4/"}};
        QTest::newRow("no links, as an empty profile exports")
            << Doctype + "<TITLE>Bookmarks</TITLE><H1>Bookmarks</H1><DL><p></DL><p>" << Pairs{};
        QTest::newRow("only an anchor") << Doctype + "<A NAME=\"x\">a</A>\n" << Pairs{};
        QTest::newRow("links in a table and in foreign content")
            << Doctype + "<table><tr><td><A HREF=\"http://cell/\">cell</A></td></tr></table>"
                         "<svg><a href=\"http://svg/\">svg</a></svg><A HREF=\"http://end/\">end</A>"
            << Pairs{{"cell", "http://cell/"}, {"end", "http://end/"}};
        QTest::newRow("a byte order mark in a name shows as nothing")
            << Doctype + "<A HREF=\"&#65279;http://b/\">&#65279;b\xEF\xBB\xBF" "c &#xFEFF;d</A>" << Pairs{{"bc d", "http://b/"}};
    }
    void htmlReadsEveryLink()
    {
        QFETCH(QByteArray, html);
        QFETCH(Pairs, expected);
        const Bookmarks read = readHtml(html, QStringLiteral("in.html"));
        QCOMPARE(pairsOf(read), expected);
        for (int i = 0; i < read.size(); ++i) {
            QCOMPARE(read[i].position, i + 1);
            QCOMPARE(read[i].source, QStringLiteral("in.html"));
        }
    }

    // The reader parses a long file in pieces; whatever stands across their
    // cuts must read as in one piece.
    void htmlReadsAcrossItsPieces_data()
    {
        QTest::addColumn<QByteArray>("filler");
        QTest::addColumn<Pairs>("inside");
        QTest::newRow("a long comment holding links")
            << "<!-- " + QByteArray("<DT><A HREF=\"http://hidden/\">no</A>\n").repeated(2000) + " -->" << Pairs{};
        QTest::newRow("a long title holding links")
            << "<TITLE>" + QByteArray("<A HREF=\"http://hidden/\">no</A>").repeated(2000) + "</TITLE>" << Pairs{};
        QTest::newRow("a long name with tags in it") << "<DT><A HREF=\"http://long/\">" + QByteArray("<b>word</b> ").repeated(1000) + "</A>"
                                                     << Pairs{{QString(QStringLiteral("word ").repeated(1000)).trimmed(), "http://long/"}};
        QTest::newRow("a name with tags longer than a piece may grow")
            << "<DT><A HREF=\"http://longer/\">" + QByteArray("<b>word</b>\n<i>").repeated(20000) + "</A>"
            << Pairs{{QString(QStringLiteral("word ").repeated(20000)).trimmed(), "http://longer/"}};
        QTest::newRow("a long table of links") << "<table>" + QByteArray("<tr><td><A HREF=\"http://t/\">t</A></td></tr>").repeated(2000)
                                                      + "</table>"
                                               << Pairs(2000, {"t", "http://t/"});
        QTest::newRow("a long ICON attribute") << "<DT><A HREF=\"http://icon/\" ICON=\"data:image/png;base64," + QByteArray(100000, 'Q')
                                                      + "<DT><A HREF=x>\">icon</A>"
                                               << Pairs{{"icon", "http://icon/"}};
    }
    void htmlReadsAcrossItsPieces()
    {
        QFETCH(QByteArray, filler);
        QFETCH(Pairs, inside);
        QByteArray html = Doctype + "<DL><p>\n";
        Pairs expected;
        for (int i = 0; i < 300; ++i) {
            html += QStringLiteral("<DT><A HREF=\"http://%1/\">před %1</A>\n").arg(i).toUtf8();
            expected.append({QStringLiteral("před %1").arg(i), QStringLiteral("http://%1/").arg(i)});
        }
        html += filler;
        expected += inside;
        html += "\n<DT><A HREF=\"http://last/\">last</A>\n</DL><p>\n";
        expected.append({QStringLiteral("last"), QStringLiteral("http://last/")});
        QCOMPARE(pairsOf(readHtml(html, QStringLiteral("in.html"))), expected);
    }

    void htmlRefusesMalformedFiles_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QString>("reason");
        const QString noDoctype = QStringLiteral("does not begin with <!DOCTYPE NETSCAPE-Bookmark-file-1>");
        refusalRow("no doctype", "<html><A HREF=\"x\">x</A></html>", noDoctype);
        refusalRow("another doctype", "<!DOCTYPE html><A HREF=\"x\">x</A>", noDoctype);
        refusalRow("cut short inside a link", Doctype + "\n<A HREF=\"http://a/\">a\n", "the <A> on line 3 is never closed");
        const QString cutShort = QStringLiteral("it ends inside a tag, a comment or a title; is it cut short?");
        refusalRow("cut short inside a tag", Doctype + "<DT><A HREF=\"http://a/\"", cutShort);
        refusalRow("cut short inside a quote", Doctype + "<A HREF=\"http://a/>a</A>", cutShort);
        refusalRow("cut short inside a comment", Doctype + "<!-- <A HREF=\"http://a/\">a</A>", cutShort);
        refusalRow("cut short inside a title", Doctype + "<TITLE>Bookmarks\n<DL>", cutShort);
        refusalRow("cut short in an end tag", Doctype + "<A HREF=\"http://a/\">a</", cutShort);
        refusalRow("cut short inside a link longer than a piece", Doctype + "\n<DT><A HREF=\"x\">" + QByteArray("<b>x</b>").repeated(10000),
                   "the <A> on line 3 is never closed");
        refusalRow("cut short inside a link after many pieces",
                   Doctype + QByteArray("<DT><A HREF=\"http://a/\">a</A>\n").repeated(3000) + "<DT><A HREF=\"x\">x",
                   "the <A> on line 3002 is never closed");
        refusalRow("not UTF-8", Doctype + "\n\n<A HREF=\"x\">Po\xE8" "as\xED</A>", "not valid UTF-8 (line 4)");
        refusalRow("an overlong UTF-8 form", Doctype + "<A HREF=\"x\">\xC0\xAF</A>", "UTF-8");
        refusalRow("a UTF-8 surrogate", Doctype + "<A HREF=\"x\">\xED\xA0\x80</A>", "UTF-8");
    }
    void htmlRefusesMalformedFiles()
    {
        QFETCH(QByteArray, html);
        QFETCH(QString, reason);
        const QString text = refusal([&] { readHtml(html, QStringLiteral("bad.html")); });
        QVERIFY2(text.startsWith(QStringLiteral("bad.html: ")) && text.contains(reason), qPrintable(text));
    }

    // Inputs that took the hand-written reader minutes; each must now take
    // time in proportion to its size. The bound is generous for slow,
    // shared and sanitized builds; the figures in README.md are far below it.
    void readersTakeLinearTime_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("nameLength"); // of the first entry
        const QByteArray first = Doctype + "<DT><A HREF=\"http://a/\">a</A>\n";
        QTest::newRow("10^5 nested folders") << int(Format::Html)
                                             << first + QByteArray("<DL><p>\n").repeated(100000) + "<DT><A HREF=\"http://z/\">z</A>" << 2
                                             << 1;
        QTest::newRow("250 000 tags") << int(Format::Html) << first + QByteArray("<p>x").repeated(250000) << 1 << 1;
        QTest::newRow("250 000 open tags in a table")
            << int(Format::Html) << first + "<table><td>" + QByteArray("<b>x").repeated(250000) << 1 << 1;
        QTest::newRow("250 000 tags in foreign content")
            << int(Format::Html) << first + "<svg>" + QByteArray("<g>").repeated(250000) << 1 << 1;
        QTest::newRow("250 000 tags in one link")
            << int(Format::Html) << Doctype + "<A HREF=\"x\">" + QByteArray("<b>x").repeated(250000) + "</A>" << 1 << 250000;
        QTest::newRow("10^6 '&' in one name") << int(Format::Html) << Doctype + "<A HREF=\"x\">" + QByteArray(1000000, '&') + "</A>" << 1
                                              << 1000000;
        QTest::newRow("a 10 MB JSON name") << int(Format::Json) << "[{\"url\": \"u\", \"name\": \"" + QByteArray(10000000, 'n') + "\"}]"
                                           << 1 << 10000000;
        QTest::newRow("200 000 JSON entries") << int(Format::Json)
                                              << "[" + QByteArray("{\"name\": \"n\", \"url\": \"http://u/\"},\n").repeated(199999)
                                                     + "{\"name\": \"n\", \"url\": \"http://u/\"}]"
                                              << 200000 << 1;
        QTest::newRow("100 000 vBookmarks") << int(Format::Vbm) << writeVbm(Bookmarks(100000, Bookmark{"n", "http://u/?q=", "", 0}))
                                            << 100000 << 1;
    }
    void readersTakeLinearTime()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, content);
        QFETCH(int, count);
        QFETCH(int, nameLength);
        QElapsedTimer timer;
        timer.start();
        const Bookmarks read = readBookmarks(Format(format), content, QStringLiteral("big"));
        const qint64 ms = timer.elapsed();
        qInfo("%lld ms", ms); // the figure README.md quotes
        QCOMPARE(read.size(), count);
        QCOMPARE(read.first().name.size(), nameLength);
        QVERIFY2(ms < linkwell::testing::timeBound(5000), qPrintable(QStringLiteral("%1 ms").arg(ms)));
    }

    void sinkStopsTheReading_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("content");
        // Three entries and then a fault the reader must never reach.
        QTest::newRow("json") << int(Format::Json)
                              << QByteArray(
                                     "[{\"name\":\"1\",\"url\":\"u\"},{\"name\":\"2\",\"url\":\"u\"},"
                                     "{\"name\":\"3\",\"url\":\"u\"}, broken");
        QTest::newRow("vbm") << int(Format::Vbm)
                             << QByteArray(
                                    "BEGIN:VBKM\r\nTITLE:1\r\nURL:u\r\nEND:VBKM\r\n"
                                    "BEGIN:VBKM\r\nTITLE:2\r\nURL:u\r\nEND:VBKM\r\n"
                                    "BEGIN:VBKM\r\nTITLE:3\r\nURL:u\r\nEND:VBKM\r\nbroken\r\n");
        QByteArray html = Doctype;
        for (int i = 1; i <= 3; ++i)
            html += "<DT><A HREF=\"u\">" + QByteArray::number(i) + "</A>\n" + QByteArray(PieceFiller, ' ');
        QTest::newRow("html") << int(Format::Html) << html + "<A HREF=\"u\">never closed";
    }
    void sinkStopsTheReading()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, content);
        QVERIFY_THROWS_EXCEPTION(CliError, readBookmarks(Format(format), content, QStringLiteral("x")));
        QStringList names;
        readBookmarks(Format(format), content, QStringLiteral("x"), [&names](Bookmark&& b) {
            names.append(b.name);
            return names.size() < 2;
        });
        QCOMPARE(names, QStringList({"1", "2"}));
    }

    void writersRoundTrip_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<Pairs>("written");
        QTest::addColumn<Pairs>("expected");
        // HTML folds white space as every browser shows it.
        Pairs folded = Awkward;
        folded[3].first = QStringLiteral("two spaces, lead and trail");
        folded[4].first = QStringLiteral("tab here and lines");
        QTest::newRow("html") << int(Format::Html) << Awkward << folded;
        QTest::newRow("vbm") << int(Format::Vbm) << Awkward << Awkward;
        QTest::newRow("json") << int(Format::Json) << Awkward << Awkward;
        // Characters a parser replaces or drops where they stand as they are
        // (found by fuzz_html).
        const Pairs odd{{QString(QStringLiteral("a") + QChar(0x1A) + QChar(0x7F) + QChar(0x81) + QChar(0xFEFF) + QChar(0xFDD0)
                                 + QChar(0xFFFE) + QStringLiteral("􏿿")),
                         QString(QStringLiteral("http://x/") + QChar(0x01) + QChar(0xFEFF))}};
        Pairs shown = odd;
        shown[0].first.remove(QChar(0xFEFF)); // zero-width, as a browser shows the name
        shown[0].second.remove(QChar(0xFEFF));
        QTest::newRow("html, characters a parser would not keep") << int(Format::Html) << odd << shown;
        QTest::newRow("vbm, the same characters") << int(Format::Vbm) << odd << odd;
    }
    void writersRoundTrip()
    {
        QFETCH(int, format);
        QFETCH(Pairs, written);
        QFETCH(Pairs, expected);
        const QByteArray bytes = writeBookmarks(Format(format), bookmarksOf(written));
        const Bookmarks read = readBookmarks(Format(format), bytes, QStringLiteral("x"));
        QCOMPARE(pairsOf(read), expected);
        QCOMPARE(writeBookmarks(Format(format), read), writeBookmarks(Format(format), bookmarksOf(expected)));
    }

    void htmlWriterMakesABrowserFile()
    {
        const QString html = QString::fromUtf8(writeHtml(bookmarksOf(Awkward)));
        QVERIFY(html.startsWith(QStringLiteral("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n")));
        QVERIFY(html.contains(QStringLiteral("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">")));
        QCOMPARE(html.count(QStringLiteral("<DT><A HREF=\"")), Awkward.size());
        QVERIFY(
            html.contains(QStringLiteral("<DT><A HREF=\"http://x.cz/?q=&quot;a&quot;&amp;r=&#39;b&#39;\">&lt;b&gt;&quot;quoted&quot; &amp; "
                                         "&#39;single&#39;&lt;/b&gt;</A>")));
        QVERIFY(html.contains(QStringLiteral("<DT><A HREF=\"http://pocasi.cz/?a=1&amp;b=2;c\">Počasí</A>")));
    }

    void vbmWriterLaysObjectsOutAsPhonesDo()
    {
        const Bookmarks two = bookmarksOf({{QStringLiteral("Počasí"), QStringLiteral("http://pocasi.cz/?q=")},
                                           {QStringLiteral(" two\r\nlines="), QStringLiteral("http://t/")}});
        QCOMPARE(writeVbm(two), QByteArray("BEGIN:VBKM\r\nVERSION:1.0\r\nTITLE;CHARSET=UTF-8:Po\xC4\x8D"
                                           "as\xC3\xAD\r\n"
                                           "URL:http://pocasi.cz/?q=\r\n"
                                           "BEGIN:ENV\r\nX-IRMC-URL;QUOTED-PRINTABLE:=\r\n[InternetShortcut]=\r\n"
                                           "URL=http://pocasi.cz/?q=\r\nEND:ENV\r\nEND:VBKM\r\n"
                                           "BEGIN:VBKM\r\nVERSION:1.0\r\nTITLE;ENCODING=QUOTED-PRINTABLE:=20two=0D=0Alines=3D\r\n"
                                           "URL:http://t/\r\n"
                                           "BEGIN:ENV\r\nX-IRMC-URL;QUOTED-PRINTABLE:=\r\n[InternetShortcut]=\r\n"
                                           "URL=http://t/\r\nEND:ENV\r\nEND:VBKM\r\n"));
    }

    void vbmObjectsOnePerFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("accents dropped") << QStringLiteral("Počasí dnes") << QStringLiteral("01-Pocasi_dnes.vbm");
        QTest::newRow("untitled") << QString() << QStringLiteral("01-untitled.vbm");
        QTest::newRow("path and reserved characters") << QStringLiteral("../a/b\\c:*?\"<>|") << QStringLiteral("01-a_b_c.vbm");
        QTest::newRow("nothing a file system takes") << QStringLiteral("日本語") << QStringLiteral("01-untitled.vbm");
        QTest::newRow("long") << QString(100, u'x') << QStringLiteral("01-%1.vbm").arg(QString(40, u'x'));
    }
    void vbmObjectsOnePerFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, fileName);
        const Bookmarks one = bookmarksOf({{name, QStringLiteral("http://one/")}});
        const auto objects = writeVbmObjects(one);
        QCOMPARE(objects.size(), 1);
        QCOMPARE(objects[0].first, fileName);
        QCOMPARE(objects[0].second, writeVbm(one));
    }

    void vbmObjectsAreNumberedInOrder()
    {
        Bookmarks many;
        for (int i = 1; i <= 100; ++i)
            many.append({QStringLiteral("n%1").arg(i), QStringLiteral("http://%1/").arg(i), QString(), i});
        const auto objects = writeVbmObjects(many);
        QCOMPARE(objects.size(), 100);
        QCOMPARE(objects[0].first, QStringLiteral("01-n1.vbm"));
        QCOMPARE(objects[8].first, QStringLiteral("09-n9.vbm"));
        QCOMPARE(objects[99].first, QStringLiteral("100-n100.vbm"));
        QByteArray joined;
        for (const auto& object : objects)
            joined += object.second;
        QCOMPARE(joined, writeVbm(many));
    }

    void vbmReadsPhoneFiles_data()
    {
        QTest::addColumn<QByteArray>("vbm");
        QTest::addColumn<Pairs>("expected");
        QTest::newRow("plain, LF lines") << QByteArray("BEGIN:VBKM\nVERSION:1.0\nTITLE:Seznam\nURL:http://seznam.cz\nEND:VBKM\n")
                                         << Pairs{{"Seznam", "http://seznam.cz"}};
        QTest::newRow("ENV part, lower case, no title") << QByteArray(
            "begin:vbkm\r\nversion:1.0\r\nurl:http://a/\r\nBEGIN:ENV\r\n"
            "X-IRMC-URL;QUOTED-PRINTABLE:=\r\n[InternetShortcut]=0D=0A=\r\nURL=http://other/\r\n"
            "END:ENV\r\nend:vbkm\r\n\r\nBEGIN:VBKM\r\nTITLE:B\r\nURL:http://b/\r\nEND:VBKM\r\n")
                                                        << Pairs{{"", "http://a/"}, {"B", "http://b/"}};
        QTest::newRow("URLs ending in '=', in the object and in its envelope")
            << QByteArray(
                   "BEGIN:VBKM\r\nVERSION:1.0\r\nTITLE:Search\r\nURL:http://s/?q=\r\nBEGIN:ENV\r\n"
                   "X-IRMC-URL;QUOTED-PRINTABLE:=\r\n[InternetShortcut] =\r\nURL=http://s/?q=\r\nEND:ENV\r\n"
                   "END:VBKM\r\nBEGIN:VBKM\r\nTITLE:Next\r\nURL:http://n/?a=\r\nEND:VBKM\r\n")
            << Pairs{{"Search", "http://s/?q="}, {"Next", "http://n/?a="}};
        QTest::newRow("quoted-printable with soft breaks, Windows-1250") << QByteArray(
            "BEGIN:VBKM\r\nTITLE;CHARSET=windows-1250;ENCODING=QUOTED-PRINTABLE:Po=E8as=\r\n"
            "=ED\r\nURL:http://p/\r\nEND:VBKM\r\n") << Pairs{{QStringLiteral("Počasí"), "http://p/"}};
        QTest::newRow("bare QUOTED-PRINTABLE, ISO-8859-2, a lone '=' kept") << QByteArray(
            "BEGIN:VBKM\r\nTITLE;QUOTED-PRINTABLE;CHARSET=ISO-8859-2:=A9koda =3D a=b\r\n"
            "URL;QUOTED-PRINTABLE:http://k/?x=3D1\r\nEND:VBKM\r\n") << Pairs{{QStringLiteral("Škoda = a=b"), "http://k/?x=1"}};
        QTest::newRow("UTF-8 quoted-printable over several lines") << QByteArray(
            "BEGIN:VBKM\r\nTITLE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C5=BD=\r\nlu=C5=\r\n"
            "=A5ou=C4=8Dk=C3=BD\r\nURL:http://z/\r\nEND:VBKM\r\n") << Pairs{{QStringLiteral("Žluťoučký"), "http://z/"}};
        QTest::newRow("BASE64 on one line and on indented lines") << QByteArray(
            "BEGIN:VBKM\r\nTITLE;CHARSET=UTF-8;ENCODING=BASE64:UG/EjWFzw60=\r\nURL;BASE64:\r\n"
            "  aHR0cDovL3d3dy5leGFt\r\n  cGxlLmNvbS8=\r\n\r\nEND:VBKM\r\n")
                                                                  << Pairs{{QStringLiteral("Počasí"), "http://www.example.com/"}};
        QTest::newRow("folded line, group prefix, unknown properties") << QByteArray(
            "BEGIN:VBKM\r\nX-NOKIA-FOLDER:Work\r\nitem1.TITLE:long\r\nURL:http://example.com/\r\n"
            " a/b\r\nEND:VBKM\r\n") << Pairs{{"long", "http://example.com/a/b"}};
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
        refusalRow("empty", "\r\n", "no BEGIN:VBKM");
        refusalRow("not ended", "BEGIN:VBKM\r\nURL:http://a/\r\n", "line 1: BEGIN:VBKM is never ended");
        refusalRow("outside an object", "TITLE:x\r\n", "line 1: \"TITLE:x\" stands outside");
        refusalRow("no URL", "BEGIN:VBKM\r\nTITLE:x\r\nEND:VBKM\r\n", "has no URL");
        refusalRow("no colon", "BEGIN:VBKM\r\nrubbish\r\nEND:VBKM\r\n", "line 2: \"rubbish\" has no \":\"");
        refusalRow("nested object", "BEGIN:VBKM\r\nBEGIN:VBKM\r\n", "inside");
        refusalRow("unknown charset", "BEGIN:VBKM\r\nURL;CHARSET=nonsense-7:x\r\nEND:VBKM\r\n", "unknown CHARSET nonsense-7");
        refusalRow("unknown encoding", "BEGIN:VBKM\r\nURL;ENCODING=UUE:x\r\nEND:VBKM\r\n", "line 2: unknown ENCODING UUE");
        refusalRow("broken BASE64", "BEGIN:VBKM\r\nURL;ENCODING=BASE64:a*b\r\nEND:VBKM\r\n", "line 2: the URL is not valid BASE64");
        refusalRow("not the charset it names",
                   "BEGIN:VBKM\r\nURL:x\r\nTITLE;CHARSET=UTF-8:Po\xE8"
                   "as\r\nEND:VBKM\r\n",
                   "line 3: the TITLE is not valid UTF-8");
        refusalRow("envelope never ended", "BEGIN:VBKM\r\nURL:x\r\nBEGIN:ENV\r\nURL=x\r\n", "line 3: BEGIN:ENV is never ended");
        refusalRow("wrong END", "BEGIN:VBKM\r\nURL:x\r\nEND:VCARD\r\n", "END:VCARD where END:VBKM belongs");
        // A quoted line is cut to 80 of its characters, and escaped: it is
        // printed on a terminal.
        refusalRow("a long line quoted short", "BEGIN:VBKM\r\n\x1b[31m" + QByteArray(300, 'x') + "\r\nEND:VBKM\r\n",
                   QStringLiteral("line 2: \"\\x1b[31m") + QString(75, u'x') + QStringLiteral("...\" has no \":\""));
    }
    void vbmRefusesMalformedFiles()
    {
        QFETCH(QByteArray, vbm);
        QFETCH(QString, reason);
        const QString text = refusal([&] { readVbm(vbm, QStringLiteral("bad.vbm")); });
        QVERIFY2(text.startsWith(QStringLiteral("bad.vbm: ")) && text.contains(reason), qPrintable(text));
    }

    void jsonReadsEntries_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<Pairs>("expected");
        QTest::newRow("empty array") << QByteArray(" [ ] \n") << Pairs{};
        QTest::newRow("escapes and a pair of surrogates")
            << QByteArray("[{\"name\": \"a\\\"b\\\\c\\/d\\n\\t\\u010D\\ud83d\\ude00\", \"url\": \"u\"}]")
            << Pairs{{QStringLiteral("a\"b\\c/d\n\tč😀"), "u"}};
        QTest::newRow("a lone surrogate is replaced")
            << QByteArray("[{\"name\": \"x\\ud800y\\udc00\", \"url\": \"u\"}]") << Pairs{{QStringLiteral("x\uFFFDy\uFFFD"), "u"}};
        QTest::newRow("other keys of any shape skipped, key order free, BOM") << QByteArray(
            "\xEF\xBB\xBF[{\"url\": \"http://a/\", \"tags\": [1, -2.5e+3, {\"x\": [true, false, null]}, "
            "[]], \"id\": {}, \"name\": \"Po\xC4\x8D"
            "as\xC3\xAD\"},\n"
            "{\"name\": \"\", \"url\": \"http://b/\"}]") << Pairs{{QStringLiteral("Počasí"), "http://a/"}, {"", "http://b/"}};
        QTest::newRow("the last of a repeated key")
            << QByteArray("[{\"name\": \"first\", \"url\": \"u\", \"name\": \"second\"}]") << Pairs{{"second", "u"}};
    }
    void jsonReadsEntries()
    {
        QFETCH(QByteArray, json);
        QFETCH(Pairs, expected);
        QCOMPARE(pairsOf(readJson(json, QStringLiteral("in.json"))), expected);
    }

    void jsonRefusesWrongShapes_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("reason");
        refusalRow("not JSON", "[{\"name\": ", "not valid JSON: a value was expected at line 1, column 11 (offset 10)");
        refusalRow("an object", "{\"name\": \"a\", \"url\": \"b\"}", "an array");
        refusalRow("element not an object", "[\"a\"]", "element 1 is not an object");
        refusalRow("url missing", "[{\"name\":\"a\",\"url\":\"b\"},{\"name\":\"c\"}]", "element 2: \"url\" is missing");
        refusalRow("name a number", "[{\"name\":1,\"url\":\"b\"}]", "\"name\" is missing or not a string");
        refusalRow("empty file", "  \n", "not valid JSON: the file is empty");
        refusalRow("string never closed, where", "[\n  {\"name\": \"a\", \"url\": \"b\n", "a control character");
        refusalRow("string never closed at the end", "[\n  {\"name\": \"a\", \"url\": \"b", "never closed at line 2, column 24");
        refusalRow("missing comma", "[{\"name\":\"a\",\"url\":\"b\"}\n {\"name\":\"a\",\"url\":\"b\"}]",
                   "\",\" or \"]\" was expected at line 2, column 2 (offset 25)");
        refusalRow("array never closed", "[{\"name\":\"a\",\"url\":\"b\"},", "the array is never closed");
        refusalRow("trailing text", "[] x", "something follows the array");
        refusalRow("bad escape", "[{\"name\":\"\\x\",\"url\":\"b\"}]", "\"\\x\" is no escape at line 1, column 11");
        refusalRow("short \\u", "[{\"name\":\"\\u12\",\"url\":\"b\"}]", "four hex digits");
        refusalRow("not UTF-8",
                   "[{\"name\":\"Po\xE8"
                   "as\",\"url\":\"b\"}]",
                   "a string is not valid UTF-8");
        refusalRow("broken value of another key", "[{\"name\":\"a\",\"url\":\"b\",\"tags\":[1,,2]}]", "a value was expected");
        refusalRow("bad number", "[{\"n\":01,\"name\":\"a\",\"url\":\"b\"}]", "\",\" or \"}\" was expected");
        refusalRow("bad literal", "[{\"n\":nul,\"name\":\"a\",\"url\":\"b\"}]", "a value was expected");
    }
    void jsonRefusesWrongShapes()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, reason);
        const QString text = refusal([&] { readJson(json, QStringLiteral("bad.json")); });
        QVERIFY2(text.startsWith(QStringLiteral("bad.json: ")) && text.contains(reason), qPrintable(text));
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

    void unknownContentIsNamed() { QVERIFY_THROWS_EXCEPTION(CliError, detectFormat(QStringLiteral("notes.txt"), "hello")); }
};

QTEST_GUILESS_MAIN(TestCliFormats)
#include "tst_cliformats.moc"
