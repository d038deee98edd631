#include "files.h"
#include "cli/commands.h"
#include "timebound.h"
#include "cli/imagebuilder.h"
#include "entries.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace linkwell;
using linkwell::testing::readAll;
using linkwell::testing::writeFile;
using namespace linkwell::cli;
using linkwell::testing::Entries;
using linkwell::testing::imageOf;

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

// Entries as the readers give them: (name, URL) pairs.
using Links = QList<QPair<QString, QString>>;

QStringList lines(const QString& text)
{
    return text.split(u'\n', Qt::SkipEmptyParts);
}

// The lines standard error should hold: each message after the program's name.
QStringList errorLines(const QStringList& messages, const QString& prefix = QString())
{
    QStringList out;
    for (const QString& m : messages)
        out << QStringLiteral("linkwell-cli: ") + prefix + m;
    return out;
}

Links pairsOf(const Bookmarks& bookmarks)
{
    Links out;
    for (const Bookmark& b : bookmarks)
        out.append({b.name, b.url});
    return out;
}

// The same entries in Unicode and as the phone's Windows-1250 bytes, the
// bytes written out here rather than taken from the converter under test.
const Links Czech{
    {QStringLiteral("Počasí"), QStringLiteral("http://pocasi.cz/")},
    {QStringLiteral("Žluťoučký kůň"), QStringLiteral("http://kun.cz/?a=1&b=2")},
    {QStringLiteral("Zprávy & <ČT24>"), QStringLiteral("wap://ct24.cz/")},
};
const Entries CzechBytes{
    {"Po\xE8"
     "as\xED",
     "http://pocasi.cz/"},
    {"\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2", "http://kun.cz/?a=1&b=2"},
    {"Zpr\xE1vy & <\xC8T24>", "wap://ct24.cz/"},
};

QByteArray jsonOf(const Links& entries)
{
    QJsonArray array;
    for (const auto& [name, url] : entries)
        array.append(QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("url"), url}});
    return QJsonDocument(array).toJson();
}

QByteArray htmlOf(const Links& entries)
{
    QByteArray html = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><H3>Folder</H3>\n<DL><p>\n";
    for (const auto& [name, url] : entries)
        html += "<DT><A HREF=\"" + url.toHtmlEscaped().toUtf8() + "\" ADD_DATE=\"1\">" + name.toHtmlEscaped().toUtf8() + "</A>\n";
    return html + "</DL><p>\n</DL><p>\n";
}

QByteArray vbmOf(const Links& entries)
{
    QByteArray vbm;
    for (const auto& [name, url] : entries)
        vbm += "BEGIN:VBKM\r\nVERSION:1.0\r\nTITLE;CHARSET=UTF-8:" + name.toUtf8() + "\r\nURL:" + url.toUtf8() + "\r\nEND:VBKM\r\n";
    return vbm;
}

Bookmarks bookmarks(const Links& entries)
{
    Bookmarks out;
    for (const auto& [name, url] : entries)
        out.append({name, url, QStringLiteral("in"), int(out.size()) + 1});
    return out;
}

// The image the window's builder makes of these entries.
QByteArray windowImage(const Entries& entries)
{
    const BuiltImage image = BuildSection(entries);
    return image.bytes.left(image.size);
}

// Entries whose records take exactly `bytes` bytes of an image, none of
// them longer than 255 characters.
Links filler(int bytes)
{
    Links out;
    while (bytes > 459) {
        out.append({QString(50, u'n'), QString(200, u'u')});
        bytes -= 254;
    }
    const int url = std::min(200, bytes - 4);
    out.append({QString(bytes - 4 - url, u'm'), QString(url, u'v')});
    return out;
}

Links numbered(int count)
{
    Links out;
    for (int i = 1; i <= count; ++i)
        out.append({QStringLiteral("n%1").arg(i), QStringLiteral("u%1").arg(i)});
    return out;
}

} // namespace

class TestCliCommands : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }
    // Messages name inputs by the path given; the tests write them relative.
    QString relative(QString text) const { return text.replace(dir_.path() + u'/', QString()); }
    // The arguments with each "@name" made the path of that file in the test's folder.
    QStringList at(QStringList arguments) const
    {
        for (QString& a : arguments)
            if (a.startsWith(u'@'))
                a = path(a.mid(1));
        return arguments;
    }

    Run run(const QStringList& arguments, QByteArray* standardOutput = nullptr) const
    {
        Run result;
        QTextStream out(&result.out);
        QTextStream err(&result.err);
        QBuffer raw(standardOutput);
        if (standardOutput)
            raw.open(QIODevice::WriteOnly);
        CliContext context{out, err, {}, {}, standardOutput ? &raw : nullptr};
        result.status = runCli(QStringList{QStringLiteral("linkwell-cli")} + at(arguments), context);
        out.flush();
        err.flush();
        return result;
    }

    // The real executable, run to its end with nothing on standard input.
    bool runProgram(QProcess& program, const QStringList& arguments) const
    {
        program.setStandardInputFile(QProcess::nullDevice());
        program.start(QStringLiteral(LINKWELL_CLI_PATH), at(arguments));
        return program.waitForFinished(30000);
    }

private slots:
    void init() { QVERIFY(dir_.isValid()); }
    void cleanup()
    {
        QDir d(dir_.path());
        for (const QString& f : d.entryList(QDir::Files | QDir::Hidden))
            d.remove(f);
    }

    void buildGivesTheWindowsImage()
    {
        const QByteArray image = buildImage(bookmarks(Czech), BuildOptions{}).bytes;
        QCOMPARE(image, imageOf(CzechBytes));
        QCOMPARE(image, windowImage(CzechBytes));
    }

    void roundTrips_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("html") << QStringLiteral("html") << htmlOf(Czech);
        QTest::newRow("vbm") << QStringLiteral("vbm") << vbmOf(Czech);
        QTest::newRow("json") << QStringLiteral("json") << jsonOf(Czech);
    }
    void roundTrips()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, input);
        QVERIFY(writeFile(path("in." + format), input));

        const Run built = run({"build", "@in." + format, "-o", "@image.bin"});
        QCOMPARE(built.status, 0);
        QCOMPARE(built.err, QString());
        QCOMPARE(readAll(path("image.bin")), imageOf(CzechBytes));
        QCOMPARE(run({"export", "@image.bin", "--format", format, "-o", "@out." + format}).status, 0);
        QCOMPARE(pairsOf(readInputFile(path("out." + format))), Czech);

        // And the exported file builds the very same image again, which
        // exports to the very same bytes.
        QCOMPARE(run({"build", "@out." + format, "-o", "@again.bin"}).status, 0);
        QCOMPARE(readAll(path("again.bin")), imageOf(CzechBytes));
        QCOMPARE(run({"export", "@again.bin", "--format", format, "-o", "@again." + format}).status, 0);
        QCOMPARE(readAll(path("again." + format)), readAll(path("out." + format)));
    }

    // A phone imports one object at a time: a folder gets a file per entry.
    void vbmExportIntoAFolder()
    {
        QVERIFY(writeFile(path("i.bin"), imageOf(CzechBytes)));
        const QString folder = path("phone-import") + u'/';
        QCOMPARE(run({"export", "@i.bin", "--format", "vbm", "-o", folder}).status, 0);
        const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.size(), Czech.size());
        for (int i = 0; i < files.size(); ++i) {
            QVERIFY2(files[i].startsWith(QStringLiteral("%1-").arg(i + 1, 2, 10, QLatin1Char('0'))), qPrintable(files[i]));
            QVERIFY(files[i].endsWith(QStringLiteral(".vbm")));
            QCOMPARE(readAll(QDir(folder).filePath(files[i])).count("BEGIN:VBKM"), 1);
            QCOMPARE(pairsOf(readInputFile(QDir(folder).filePath(files[i]))), Czech.mid(i, 1));
        }
        QDir(folder).removeRecursively();
    }

    void buildJoinsInputsInOrder()
    {
        QVERIFY(writeFile(path("a.html"), htmlOf(Czech.mid(0, 1))));
        QVERIFY(writeFile(path("b.vbm"), vbmOf(Czech.mid(1, 1))));
        QVERIFY(writeFile(path("c"), jsonOf(Czech.mid(2, 1))));
        QCOMPARE(run({"build", "@a.html", "@b.vbm", "@c", "-o", "@x.bin"}).status, 0);
        QCOMPARE(readAll(path("x.bin")), imageOf(CzechBytes));
    }

    void listPrintsTheEntries()
    {
        QVERIFY(writeFile(path("i.bin"), imageOf(CzechBytes)));
        const Run tabs = run({"list", "@i.bin"});
        QCOMPARE(tabs.status, 0);
        QCOMPARE(tabs.out, QStringLiteral("1\tPočasí\thttp://pocasi.cz/\n"
                                          "2\tŽluťoučký kůň\thttp://kun.cz/?a=1&b=2\n"
                                          "3\tZprávy & <ČT24>\twap://ct24.cz/\n"));
        const Run json = run({"list", "@i.bin", "--json"});
        QCOMPARE(json.status, 0);
        QCOMPARE(QJsonDocument::fromJson(json.out.toUtf8()), QJsonDocument::fromJson(jsonOf(Czech)));
    }

    void listShowsTheWindowsMessages_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("bad header") << QByteArray("MME20X\0", 7) << 1 << QStringList{"Bad header"};
        // A null array stands for no file at all.
        QTest::newRow("missing file") << QByteArray() << 1 << QStringList{"File not exists.", "Error reading binary file."};
        QTest::newRow("empty file") << QByteArray("") << 1 << QStringList{"Bad header"};
        QTest::newRow("does not fit") << imageOf({{QByteArray(1000, 'n'), QByteArray(1000, 'u')}}) << 1
                                      << QStringList{"Too many characters."};
        QTest::newRow("101 records") << imageOf(testing::numbered(101)) << 0
                                     << QStringList{"No. of entries truncated to 100(=max). (1 entry left out)"};
        QTest::newRow("130 records, said once")
            << imageOf(testing::numbered(130)) << 0 << QStringList{"No. of entries truncated to 100(=max). (30 entries left out)"};
        QTest::newRow("signature only") << QByteArray("MME20C\0", 7) << 0 << QStringList{};
    }
    void listShowsTheWindowsMessages()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, status);
        QFETCH(QStringList, messages);
        const QString image = path("m.bin");
        if (!file.isNull())
            QVERIFY(writeFile(image, file));
        const Run listed = run({"list", image});
        QCOMPARE(listed.status, status);
        QCOMPARE(lines(listed.err), errorLines(messages, image + QStringLiteral(": ")));
        if (status != 0)
            QCOMPARE(listed.out, QString());
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("said"); // each line of standard error starts with one of these, in order

        QTest::newRow("character outside Windows-1250")
            << "in.json"
            << jsonOf({{QStringLiteral("ok"), QStringLiteral("http://a/")}, {QStringLiteral("Mañana"), QStringLiteral("http://b/")}})
            << QStringList{}
            << QStringList{
                   "in.json: entry 2 (\"Mañana\"): the character \"ñ\" (U+00F1) in its name cannot be written in "
                   "Windows-1250",
                   "--transliterate"};
        QTest::newRow("character outside Windows-1250 in a URL")
            << "in.html" << htmlOf({{QStringLiteral("arrow"), QStringLiteral("http://a/→")}}) << QStringList{}
            << QStringList{"in.html: entry 1 (\"arrow\"): the character \"→\" (U+2192) in its URL", "--transliterate"};
        QTest::newRow("101 entries")
            << "in.json" << jsonOf(numbered(101)) << QStringList{}
            << QStringList{"too much for the phone: in.json: entry 101 (\"n101\") is one more than the 100 entries it holds"};
        QTest::newRow("1999 bytes") << "in.json"
                                    << jsonOf(Links(4, {QString(200, u'n'), QString(200, u'u')})
                                              + Links{{QString(172, u'n'), QString(200, u'u')}})
                                    << QStringList{} << QStringList{"too much for the phone: up to in.json: entry 5 (\"nnnn"};
        QTest::newRow("size first, then the character, in one pass")
            << "in.json" << jsonOf(Links{{QStringLiteral("Ж"), QStringLiteral("u")}} + numbered(100)) << QStringList{}
            << QStringList{"too much for the phone: in.json: entry 101", "in.json: entry 1 (\"Ж\"): the character \"Ж\"",
                           "--transliterate"};
        QTest::newRow("size, length and character")
            << "in.json"
            << jsonOf(Links{{QString(256, u'x'), QStringLiteral("u")}, {QStringLiteral("Ж"), QStringLiteral("u")}} + numbered(99))
            << QStringList{}
            << QStringList{"too much for the phone: in.json: entry 101", "in.json: entry 1 (\"xxx",
                           "in.json: entry 2 (\"Ж\"): the character", "--transliterate"};
        QTest::newRow("a name over 255 characters")
            << "in.json" << jsonOf({{QString(256, u'n'), QStringLiteral("u")}}) << QStringList{}
            << QStringList{"its name is 256 characters, more than the 255 an entry holds (--truncate cuts it)"};
        QTest::newRow("a URL over 255 characters") << "in.json" << jsonOf({{QStringLiteral("n"), QString(300, u'u')}}) << QStringList{}
                                                   << QStringList{"in.json: entry 1 (\"n\"): its URL is 300 characters"};
        QTest::newRow("untitled with a long URL: the URL is refused, not the name")
            << "in.json" << jsonOf({{QString(), QStringLiteral("http://") + QString(293, u'u')}}) << QStringList{}
            << QStringList{"in.json: entry 1 (\"http://uuu"};
        QTest::newRow("empty URL with --keep-all") << "in.json" << jsonOf({{QStringLiteral("a"), QString()}}) << QStringList{"--keep-all"}
                                                   << QStringList{"in.json: entry 1 (\"a\"): the URL is empty"};
        QTest::newRow("malformed HTML") << "in.html" << QByteArray("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<A HREF=\"x\">x") << QStringList{}
                                        << QStringList{"in.html: not a valid bookmark file"};
        QTest::newRow("malformed vBookmark") << "in.vbm" << QByteArray("BEGIN:VBKM\r\nTITLE:x\r\n") << QStringList{}
                                             << QStringList{"in.vbm: not a valid vBookmark file"};
        QTest::newRow("unknown content") << "in.txt" << QByteArray("hello") << QStringList{} << QStringList{"in.txt: not a JSON"};
    }
    void refusals()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, input);
        QFETCH(QStringList, options);
        QFETCH(QStringList, said);
        QVERIFY(writeFile(path(name), input));
        const QString image = path("refused.bin");
        const Run built = run(QStringList{"build", path(name), "-o", image} + options);
        QCOMPARE(built.status, 1);
        // The path of the input stands first where an entry is named.
        const QStringList err = lines(relative(built.err));
        QCOMPARE(err.size(), said.size());
        for (int i = 0; i < said.size(); ++i) {
            QVERIFY2(err[i].startsWith(QStringLiteral("linkwell-cli: ")), qPrintable(err[i]));
            QVERIFY2(err[i].contains(said[i]), qPrintable(err[i] + QStringLiteral("\n does not say: ") + said[i]));
        }
        QVERIFY(!QFile::exists(image));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    }

    void refusalLeavesAnOldImageAlone()
    {
        const QString image = path("old.bin");
        QVERIFY(writeFile(image, imageOf(CzechBytes)));
        QVERIFY(writeFile(path("in.json"), jsonOf(numbered(101))));
        QCOMPARE(run({"build", "@in.json", "-o", image}).status, 1);
        QCOMPARE(readAll(image), imageOf(CzechBytes));
    }

    void theLimitsThemselvesBuild_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("100 entries") << jsonOf(numbered(100));
        QTest::newRow("1998 bytes") << jsonOf(filler(1991));
        QTest::newRow("URL to offset 1992, one-character name") << jsonOf(filler(1886) + Links{{QStringLiteral("x"), QString(100, u'w')}});
        QTest::newRow("255 characters each") << jsonOf({{QString(255, u'n'), QString(255, u'u')}});
    }
    void theLimitsThemselvesBuild()
    {
        QFETCH(QByteArray, input);
        QVERIFY(writeFile(path("in.json"), input));
        const Run built = run({"build", "@in.json", "-o", "@x.bin"});
        QCOMPARE(built.status, 0);
        QCOMPARE(built.err, QString());
        const Run listed = run({"list", "@x.bin", "--json"});
        QCOMPARE(listed.status, 0);
        QCOMPARE(QJsonDocument::fromJson(listed.out.toUtf8()), QJsonDocument::fromJson(input));
    }

    // The refusal must agree with the window's builder byte for byte, or a
    // build would be refused that the window keeps whole, or the reverse.
    void excessAgreesWithTheWindowsBuilder_data()
    {
        QTest::addColumn<int>("urlSize");
        QTest::addColumn<int>("nameSize");
        QTest::addColumn<int>("excess");
        QTest::newRow("size 1998") << 1000 << 987 << 0;
        QTest::newRow("size 1999") << 1000 << 988 << 1;
        QTest::newRow("size 2010") << 1000 << 999 << 12;
        QTest::newRow("URL ends at 1992, no name") << 1986 << 0 << 0;
        QTest::newRow("URL ends at 1993, no name") << 1987 << 0 << 1;
        QTest::newRow("URL ends at 1993, one-byte name") << 1987 << 1 << 1;
        QTest::newRow("URL ends at 1992, two-byte name") << 1986 << 2 << 1;
        QTest::newRow("URL far past") << 2100 << 5 << 118;
    }
    void excessAgreesWithTheWindowsBuilder()
    {
        QFETCH(int, urlSize);
        QFETCH(int, nameSize);
        QFETCH(int, excess);
        // After a first short entry, so the last record does not start at 7.
        const Entries entries{{"a", "b"}, {QByteArray(nameSize, 'n'), QByteArray(urlSize - 6, 'u')}};
        QCOMPARE(recordExcess(13, urlSize - 6, nameSize), excess);
        QCOMPARE(BuildSection(entries).cut, excess > 0);
    }

    void truncateCutsAsTheWindowDoes_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("kept");
        QTest::addColumn<QString>("said");
        QTest::newRow("120 entries") << jsonOf(numbered(120)) << 100
                                     << "No. of entries truncated to 100(=max).: in.json: entry 101 (\"n101\") and "
                                        "every entry after it are left out";
        Links ten;
        for (int i = 1; i <= 10; ++i)
            ten.append({QStringLiteral("n%1").arg(i), QString(252, QChar(u'a' + i))});
        QTest::newRow("too many bytes")
            << jsonOf(ten) << 8
            << "Too many characters. Truncated.: the image is 1998 bytes with 8 entries; in.json: entry 8 (\"n8\") is "
               "cut short and nothing after it is kept";
        QTest::newRow("no room for the next record")
            << jsonOf(filler(1987) + Links{{QStringLiteral("x"), QStringLiteral("y")}}) << 8
            << "Too many characters. Truncated.: the image is 1994 bytes with 8 entries; in.json: entry 9 (\"x\") and "
               "every entry after it are left out";
    }
    void truncateCutsAsTheWindowDoes()
    {
        QFETCH(QByteArray, input);
        QFETCH(int, kept);
        QFETCH(QString, said);
        QVERIFY(writeFile(path("in.json"), input));
        const QString image = path("cut.bin");
        const Run built = run({"build", "@in.json", "-o", image, "--truncate"});
        QCOMPARE(built.status, 0);
        QCOMPARE(relative(built.err), QStringLiteral("linkwell-cli: ") + said + u'\n');

        Entries entries;
        for (const Bookmark& b : readInputFile(path("in.json")))
            entries.append({b.name.toLatin1(), b.url.toLatin1()});
        QCOMPARE(readAll(image), windowImage(entries));
        const Run listed = run({"list", image});
        QCOMPARE(listed.status, 0);
        QCOMPARE(listed.out.count(u'\n'), kept);
    }

    // An empty image clears the phone on upload; it is written only when asked for.
    void anEmptyInputIsRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("html") << "e.html" << QByteArray("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p></DL><p>\n");
        QTest::newRow("json") << "e.json" << QByteArray("[]");
        QTest::newRow("vbm of links left out") << "e.vbm" << QByteArray("BEGIN:VBKM\r\nTITLE:x\r\nURL:javascript:void(0)\r\nEND:VBKM\r\n");
        QTest::newRow("html of links left out") << "e.html" << htmlOf({{QStringLiteral("h"), QStringLiteral("place:sort=8")}});
    }
    void anEmptyInputIsRefused()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, input);
        QVERIFY(writeFile(path(name), input));
        const Run refused = run({"build", path(name), "-o", "@e.bin"});
        QCOMPARE(refused.status, 1);
        QVERIFY2(lines(refused.err).last()
                     == QStringLiteral("linkwell-cli: no entries: an empty image would clear the phone "
                                       "(--allow-empty writes it anyway)"),
                 qPrintable(refused.err));
        QVERIFY(!QFile::exists(path("e.bin")));
        QCOMPARE(run({"build", path(name), "-o", "@e.bin", "--allow-empty"}).status, 0);
        QCOMPARE(readAll(path("e.bin")), QByteArray("MME20C\0", 7));
        const Run listed = run({"list", "@e.bin"});
        QCOMPARE(listed.status, 0);
        QCOMPARE(listed.out, QString());
    }

    void commandLineMistakes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("said");
        QTest::newRow("no command") << QStringList{} << "a command is missing";
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << "unknown command \"frobnicate\"";
        QTest::newRow("unknown option") << QStringList{"list", "--jsn", "x"} << "Unknown option 'jsn'";
        QTest::newRow("build without -o") << QStringList{"build", "in.json"} << "-o OUTPUT is missing";
        QTest::newRow("build without input") << QStringList{"build", "-o", "x"} << "a file is missing";
        QTest::newRow("export without format") << QStringList{"export", "i.bin", "-o", "x"} << "--format";
        QTest::newRow("export unknown format") << QStringList{"export", "i.bin", "--format", "csv", "-o", "x"} << "unknown format \"csv\"";
        QTest::newRow("list of two") << QStringList{"list", "a", "b"} << "unexpected argument \"b\"";
        QTest::newRow("download without port") << QStringList{"download", "-o", "x"} << "--port N is missing";
        QTest::newRow("upload on port 0") << QStringList{"upload", "--port", "0", "x"} << "not a number from 1 to 255";
    }
    void commandLineMistakes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        const Run r = run(arguments);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(said), qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("--help")));
    }

    void helpForTheProgramAndEachCommand_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("usage");
        QTest::newRow("program") << QStringList{"--help"} << "Usage: linkwell-cli COMMAND";
        for (const char* command : {"list", "build", "export", "download", "upload"})
            QTest::newRow(command) << QStringList{command, "--help"}
                                   << QStringLiteral("Usage: linkwell-cli %1 ").arg(QLatin1String(command));
    }
    void helpForTheProgramAndEachCommand()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, usage);
        const Run r = run(arguments);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.startsWith(usage), qPrintable(r.out));
        QCOMPARE(r.err, QString());
    }

    // U+0001 would end a name early when the image is read back (and U+0000
    // end a field), so every reader's way of writing it is refused.
    void controlBytesAreRefusedFromEveryFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("said");
        const QString second = QStringLiteral(": the character U+0001 in its name cannot be stored in the phone");
        QTest::newRow("json \\u0001") << "in.json"
                                      << QByteArray(
                                             "[{\"name\":\"a\\u0001b\",\"url\":\"http://a/\"},{\"name\":\"two\",\"url\":\"http://b/\"},"
                                             "{\"name\":\"three\",\"url\":\"http://c/\"}]")
                                      << QStringList{} << "in.json: entry 1 (\"a\\x01b\")" + second;
        QTest::newRow("html &#1;") << "in.html"
                                   << QByteArray(
                                          "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><A HREF=\"http://a/\">a&#1;b</A>\n"
                                          "<DT><A HREF=\"http://b/\">two</A>\n<DT><A HREF=\"http://c/\">three</A>\n</DL>\n")
                                   << QStringList{} << "in.html: entry 1 (\"a\\x01b\")" + second;
        QTest::newRow("vbm =01") << "in.vbm"
                                 << QByteArray(
                                        "BEGIN:VBKM\r\nTITLE;ENCODING=QUOTED-PRINTABLE:a=01b\r\nURL:http://a/\r\nEND:VBKM\r\n"
                                        "BEGIN:VBKM\r\nTITLE:two\r\nURL:http://b/\r\nEND:VBKM\r\n"
                                        "BEGIN:VBKM\r\nTITLE:three\r\nURL:http://c/\r\nEND:VBKM\r\n")
                                 << QStringList{} << "in.vbm: entry 1 (\"a\\x01b\")" + second;
        QTest::newRow("vbm raw byte, with every option")
            << "in.vbm" << QByteArray("BEGIN:VBKM\r\nTITLE:x\r\nURL:http://a/\x01\r\nEND:VBKM\r\n")
            << QStringList{"--truncate", "--transliterate", "--keep-all"}
            << "in.vbm: entry 1 (\"x\"): the character U+0001 in its URL cannot be stored in the phone";
        QTest::newRow("html &#1; in the URL of the last entry")
            << "in.html" << htmlOf({{QStringLiteral("a"), QStringLiteral("http://a/")}}).replace("http://a/", "http://a/&#1;")
            << QStringList{} << "in.html: entry 1 (\"a\"): the character U+0001 in its URL cannot be stored in the phone";
    }
    void controlBytesAreRefusedFromEveryFormat()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, input);
        QFETCH(QStringList, options);
        QFETCH(QString, said);
        QVERIFY(writeFile(path(name), input));
        const QString image = path("x.bin");
        const Run built = run(QStringList{"build", path(name), "-o", image} + options);
        QCOMPARE(built.status, 1);
        QCOMPARE(relative(built.err), QStringLiteral("linkwell-cli: ") + said + u'\n');
        QVERIFY(!QFile::exists(image));
    }

    // Only what goes onto the phone is judged: a title past the cut does not
    // matter, one before it does.
    void truncateJudgesOnlyWhatIsKept_data()
    {
        QTest::addColumn<int>("foreign"); // the link with a Cyrillic title
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("past the cut") << 248 << QStringList{"--truncate"} << 0
                                      << QStringList{"No. of entries truncated to 100(=max).: in.html: entry 101"};
        QTest::newRow("past the cut, without --truncate")
            << 248 << QStringList{} << 1 << QStringList{"too much for the phone: in.html: entry 101"};
        QTest::newRow("before the cut") << 50 << QStringList{"--truncate"} << 1
                                        << QStringList{"in.html: entry 50 (\"Дезертир\"): the character \"Д\" (U+0414)", "--transliterate"};
        QTest::newRow("before the cut, without --truncate")
            << 50 << QStringList{} << 1
            << QStringList{"too much for the phone: in.html: entry 101", "in.html: entry 50 (\"Дезертир\")", "--transliterate"};
        QTest::newRow("before the cut, transliterated")
            << 50 << QStringList{"--truncate", "--transliterate"} << 0
            << QStringList{"in.html: entry 50: name \"Дезертир\" written as \"Dezertir\"", "No. of entries truncated to 100(=max)."};
    }
    void truncateJudgesOnlyWhatIsKept()
    {
        QFETCH(int, foreign);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QStringList, said);
        Links links = numbered(300);
        links[foreign - 1].first = QStringLiteral("Дезертир");
        QVERIFY(writeFile(path("in.html"), htmlOf(links)));
        const QString image = path("cut.bin");
        const Run built = run(QStringList{"build", "@in.html", "-o", image} + options);
        QCOMPARE(built.status, status);
        const QStringList err = lines(relative(built.err));
        QCOMPARE(err.size(), said.size());
        for (int i = 0; i < said.size(); ++i)
            QVERIFY2(err[i].startsWith(QStringLiteral("linkwell-cli: ") + said[i]), qPrintable(err[i]));
        QCOMPARE(QFile::exists(image), status == 0);
        if (status == 0) {
            const Run listed = run({"list", image});
            QCOMPARE(lines(listed.out).size(), 100);
            QCOMPARE(lines(listed.out).at(foreign < 100 ? foreign - 1 : 99),
                     foreign < 100 ? QStringLiteral("%1\tDezertir\tu%1").arg(foreign) : QStringLiteral("100\tn100\tu100"));
        }
    }

    // Reading stops once the outcome is settled: what comes after the cut is
    // never read, even an entry that would fail the reader.
    void readingStopsOnceSettled()
    {
        // How many entries the builder takes before it asks for no more.
        const auto taken = [](ImageBuilder& builder, const std::function<Bookmark(int)>& entry) {
            int i = 1;
            while (i < 100000 && builder.add(entry(i)))
                ++i;
            return i;
        };
        ImageBuilder builder(BuildOptions{true, false, false, false});
        QCOMPARE(taken(builder, [](int i) { return Bookmark{QStringLiteral("n%1").arg(i), QStringLiteral("u%1").arg(i), "in", i}; }), 101);
        QCOMPARE(builder.finish().entries, 100);

        ImageBuilder refusing{BuildOptions{}};
        QCOMPARE(taken(refusing,
                       [](int i) {
                           return Bookmark{QString(100, u'n'), QString(200, u'u'), "in", i};
                       }),
                 7); // 7 + 6 * 304 bytes fit, the 7th record does not
        QCOMPARE(refusing.finish().refusal.size(), 1);
    }

    void transliterateWritesALatinReading_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("written"); // the name as list prints it
        QTest::addColumn<QString>("writtenUrl");
        const QString a = QStringLiteral("http://a/");
        QTest::newRow("cyrillic") << "Дезертир" << a << "Dezertir" << a;
        QTest::newRow("greek") << "Αθήνα" << a << "Athena" << a;
        QTest::newRow("cjk") << "日本" << a << "ri ben" << a;
        QTest::newRow("emoji has no reading") << "ok 😀" << QStringLiteral("http://a/😀") << "ok ?" << QStringLiteral("http://a/?");
        QTest::newRow("mixed with letters Windows-1250 holds") << "Žluťoučký – € ” Ærø" << a << "Žluťoučký – € ” AEro" << a;
        QTest::newRow("nothing to replace") << "Łódź Straße Győr" << QStringLiteral("http://ä/") << "Łódź Straße Győr"
                                            << QStringLiteral("http://ä/");
    }
    void transliterateWritesALatinReading()
    {
        QFETCH(QString, name);
        QFETCH(QString, url);
        QFETCH(QString, written);
        QFETCH(QString, writtenUrl);
        QVERIFY(writeFile(path("in.json"), jsonOf({{QStringLiteral("first"), QStringLiteral("http://f/")}, {name, url}})));
        const QString image = path("t.bin");
        const Run built = run({"build", "@in.json", "-o", image, "--transliterate"});
        QCOMPARE(built.status, 0);
        QStringList expected;
        if (written != name)
            expected << QStringLiteral("linkwell-cli: in.json: entry 2: name \"%1\" written as \"%2\"").arg(name, written);
        if (writtenUrl != url)
            expected << QStringLiteral("linkwell-cli: in.json: entry 2: URL \"%1\" written as \"%2\"").arg(url, writtenUrl);
        QCOMPARE(lines(relative(built.err)), expected);
        const Run listed = run({"list", image});
        QCOMPARE(lines(listed.out), (QStringList{"1\tfirst\thttp://f/", QStringLiteral("2\t%1\t%2").arg(written, writtenUrl)}));
    }

    void transliterationIsNeededToWriteThem()
    {
        QVERIFY(writeFile(path("in.json"), jsonOf({{QStringLiteral("Αθήνα"), QStringLiteral("http://a/")}})));
        const Run built = run({"build", "@in.json", "-o", "@t.bin"});
        QCOMPARE(built.status, 1);
        QCOMPARE(lines(relative(built.err)),
                 (QStringList{"linkwell-cli: in.json: entry 1 (\"Αθήνα\"): the character \"Α\" (U+0391) in its name cannot be "
                              "written in Windows-1250",
                              "linkwell-cli: --transliterate writes a Latin reading of the characters Windows-1250 lacks instead"}));
    }

    // A 10 MB name is refused in about the time it takes to read it.
    void aHugeNameIsRefusedQuickly()
    {
        QString name(10 * 1024 * 1024, u'a');
        name[name.size() - 1] = QChar(0x0416);
        QElapsedTimer timer;
        timer.start();
        const BuildResult image = buildImage({{name, QStringLiteral("http://a/"), QStringLiteral("in"), 1}}, BuildOptions{});
        QVERIFY2(timer.elapsed() < testing::timeBound(1500), qPrintable(QString::number(timer.elapsed())));
        // Too big for the image, and too long for an entry; the character
        // past both limits is not reached.
        QCOMPARE(image.refusal.size(), 2);
        QVERIFY(image.refusal[0].startsWith(QStringLiteral("too much for the phone")));
        QVERIFY(image.refusal[1].contains(QStringLiteral("its name is 10485760 characters")));
        for (const QString& line : image.refusal)
            QVERIFY(line.size() < 300);
    }

    void linksAPhoneCannotOpen_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("left out") << QStringList{} << 0
                                  << QStringList{
                                         "left out 9 links a WAP phone cannot open (2 place:, 2 javascript:, 1 data:, "
                                         "1 about:, 1 chrome:, 1 file:, 1 with no URL); --keep-all keeps them"};
        QTest::newRow("--keep-all still refuses the empty URL")
            << QStringList{"--keep-all"} << 1 << QStringList{"in.json: entry 11 (\"\"): the URL is empty"};
    }
    void linksAPhoneCannotOpen()
    {
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QStringList, said);
        const Links links{{"a", "http://a/"},
                          {"p", "place:sort=8&maxResults=10"},
                          {"j", "javascript:void(0)"},
                          {"J", "JavaScript:x()"},
                          {"d", "data:text/html,hi"},
                          {"b", "about:blank"},
                          {"c", "chrome://settings"},
                          {"f", "file:///etc/passwd"},
                          {"P", "place:folder=TOOLBAR"},
                          {"w", "wap.seznam.cz"},
                          {"", ""}};
        QVERIFY(writeFile(path("in.json"), jsonOf(links)));
        const QString image = path("s.bin");
        const Run built = run(QStringList{"build", "@in.json", "-o", image} + options);
        QCOMPARE(built.status, status);
        QCOMPARE(lines(relative(built.err)), errorLines(said));
        if (status != 0)
            return;
        const Run listed = run({"list", image});
        QCOMPARE(lines(listed.out), (QStringList{"1\ta\thttp://a/", "2\tw\twap.seznam.cz"}));
    }

    void keepAllKeepsThem()
    {
        QVERIFY(writeFile(path("in.json"), jsonOf({{"j", "javascript:void(0)"}, {"", "about:blank"}, {"f", "file:///x"}})));
        const Run built = run({"build", "@in.json", "-o", "@k.bin", "--keep-all"});
        QCOMPARE(built.status, 0);
        QCOMPARE(built.err, QString());
        QCOMPARE(readAll(path("k.bin")), imageOf({{"j", "javascript:void(0)"}, {"about:blank", "about:blank"}, {"f", "file:///x"}}));
    }

    // An untitled link is named by its URL, the name cut to what the window
    // lets anyone type; --truncate cuts an over-long field and says so.
    void untitledAndLongFields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QByteArray>("stored"); // name, then URL, as the image holds them
        QTest::addColumn<QByteArray>("storedUrl");
        QTest::addColumn<QStringList>("said");
        const QString longUrl = QStringLiteral("http://") + QString(293, u'u');
        QTest::newRow("untitled") << QString() << "http://wap.idos.cz/" << QByteArray("http://wap.idos.cz/")
                                  << QByteArray("http://wap.idos.cz/") << QStringList{};
        QTest::newRow("untitled, long URL") << QString() << longUrl << longUrl.left(255).toLatin1() << longUrl.left(255).toLatin1()
                                            << QStringList{"in.json: entry 1: its URL of 300 characters cut to 255"};
        QTest::newRow("long name") << QString(256, u'n') << "u" << QByteArray(255, 'n') << QByteArray("u")
                                   << QStringList{"in.json: entry 1: its name of 256 characters cut to 255"};
        QTest::newRow("255 stays") << QString(255, u'n') << QString(255, u'u') << QByteArray(255, 'n') << QByteArray(255, 'u')
                                   << QStringList{};
        // What the cut drops is not judged, nor listed as transliterated.
        QTest::newRow("a foreign character past the cut")
            << QString(255, u'n') + QStringLiteral("Ж") << "u" << QByteArray(255, 'n') << QByteArray("u")
            << QStringList{"in.json: entry 1: its name of 256 characters cut to 255"};
        QTest::newRow("one before the cut, transliterated")
            << QString(254, u'n') + QStringLiteral("日") << "u" << QByteArray(254, 'n') + "r" << QByteArray("u")
            << QStringList{"in.json: entry 1: its name of 256 characters cut to 255",
                           "in.json: entry 1: name \"" + QString(80, u'n') + "...\" written as \"" + QString(80, u'n') + "...\""};
    }
    void untitledAndLongFields()
    {
        QFETCH(QString, name);
        QFETCH(QString, url);
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, storedUrl);
        QFETCH(QStringList, said);
        QVERIFY(writeFile(path("in.json"), jsonOf({{name, url}})));
        const QString image = path("l.bin");
        const Run built = run({"build", "@in.json", "-o", image, "--truncate", "--transliterate"});
        QCOMPARE(built.status, 0);
        QCOMPARE(lines(relative(built.err)), errorLines(said));
        QCOMPARE(readAll(image), imageOf({{stored, storedUrl}}));
    }

    // A device or a FIFO is written in place; renaming a new file over it
    // would replace the node with a regular file.
    void outputsThatAreNotRegularFiles_data()
    {
        QTest::addColumn<QStringList>("input");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("build") << QStringList{"build", "@in.json"} << imageOf(CzechBytes);
        QTest::newRow("export") << QStringList{"export", "@i.bin", "--format", "json"} << writeJson(bookmarks(Czech));
    }
    void outputsThatAreNotRegularFiles()
    {
        QFETCH(QStringList, input);
        QFETCH(QByteArray, expected);
        QVERIFY(writeFile(path("in.json"), jsonOf(Czech)));
        QVERIFY(writeFile(path("i.bin"), imageOf(CzechBytes)));

        // "-o -": standard output.
        QByteArray standardOutput;
        const Run toStdout = run(input + QStringList{"-o", "-"}, &standardOutput);
        QCOMPARE(toStdout.status, 0);
        QCOMPARE(standardOutput, expected);
        QVERIFY(!QFile::exists(path("-")));

        // A FIFO, read by a child while the tool writes.
        const QString fifo = path("fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QProcess reader;
        reader.start(QStringLiteral("cat"), {fifo});
        QVERIFY(reader.waitForStarted());
        QCOMPARE(run(input + QStringList{"-o", fifo}).status, 0);
        QVERIFY(reader.waitForFinished(10000));
        QCOMPARE(reader.readAllStandardOutput(), expected);
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(fifo).constData(), &info), 0);
        QVERIFY(S_ISFIFO(info.st_mode));
        QFile::remove(fifo);
    }

    void aPrivateNullDeviceStaysADevice()
    {
        const QString node = path("null");
        if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("cannot make a device node here (needs root): the /dev/null case is not run");
        QVERIFY(writeFile(path("i.bin"), imageOf(CzechBytes)));
        const Run exported = run({"export", "@i.bin", "--format", "html", "-o", node});
        QCOMPARE(exported.status, 0);
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(node).constData(), &info), 0);
        QVERIFY(S_ISCHR(info.st_mode));
        QCOMPARE(info.st_rdev, makedev(1, 3));
    }

    // A failed write says why, after the program's own sentence.
    void aFailedWriteNamesItsReason()
    {
        QVERIFY(writeFile(path("i.bin"), imageOf(CzechBytes)));
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("adir")));
        const Run toDir = run({"export", "@i.bin", "--format", "html", "-o", "@adir"});
        QDir(path("adir")).removeRecursively();
        QCOMPARE(toDir.status, 1);
        QCOMPARE(toDir.err, QStringLiteral("linkwell-cli: %1: cannot be written: Is a directory\n").arg(path("adir")));

        QTemporaryDir mountPoint;
        if (QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=8k", "tmpfs", mountPoint.path()}) != 0)
            QSKIP("cannot mount a small tmpfs here (needs root): the full disk case is not run");
        const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {mountPoint.path()}); });
        QVERIFY(writeFile(mountPoint.filePath(QStringLiteral("filler")), QByteArray(5000, 'f')));
        QVERIFY(writeFile(path("many.bin"), imageOf(testing::numbered(100))));
        const QString full = mountPoint.filePath(QStringLiteral("out.html"));
        const Run noSpace = run({"export", "@many.bin", "--format", "html", "-o", full});
        QCOMPARE(noSpace.status, 1);
        QCOMPARE(noSpace.err, QStringLiteral("linkwell-cli: %1: cannot be written: No space left on device\n").arg(full));
    }
    void aWriteIntoALockedFolderNamesItsReason()
    {
        if (::geteuid() == 0)
            QSKIP("root may write into a read-only folder: the permission case is run as a user only");
        QVERIFY(writeFile(path("in.json"), jsonOf(numbered(1))));
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("locked")));
        QVERIFY(QFile::setPermissions(path("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const QString locked = path("locked/out.bin");
        const Run denied = run({"build", "@in.json", "-o", locked});
        QCOMPARE(denied.status, 1);
        QCOMPARE(denied.err, QStringLiteral("linkwell-cli: %1: cannot be written: Permission denied\n").arg(locked));
    }

    // Nothing printed echoes raw bytes from an input.
    void printedTextIsEscaped_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QString>("listed");
        QTest::newRow("tab and line breaks") << imageOf({{"a\tb\nc\r", "u\t1"}, {"two", "u2"}}) << "1\ta\\tb\\nc\\r\tu\\t1\n2\ttwo\tu2\n";
        QTest::newRow("escape sequence") << imageOf({{"\x1b[31mred\x1b[0m", "u\x07"}}) << "1\t\\x1b[31mred\\x1b[0m\tu\\x07\n";
    }
    void printedTextIsEscaped()
    {
        QFETCH(QByteArray, image);
        QFETCH(QString, listed);
        QVERIFY(writeFile(path("e.bin"), image));
        const Run r = run({"list", "@e.bin"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, listed);
    }

    void messagesQuotingAnInputAreEscaped_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("said");
        QTest::newRow("a refused entry") << "in.json" << jsonOf({{QStringLiteral("\x1b]0;pwned\x07Ж"), QStringLiteral("u")}})
                                         << "entry 1 (\"\\x1b]0;pwned\\x07Ж\")";
        QTest::newRow("a long refused name is cut")
            << "in.json" << jsonOf({{QString(100, u'x') + QStringLiteral("Ж"), QStringLiteral("u")}})
            << "entry 1 (\"" + QString(40, u'x') + "...\")";
        QTest::newRow("a right-to-left override")
            << "in.json" << jsonOf({{QStringLiteral("\u202Etxt.exe Ж"), QStringLiteral("u")}}) << "entry 1 (\"\\u{202E}txt.exe Ж\")";
        QTest::newRow("a quoted vBookmark line") << "in.vbm" << QByteArray("\x1b[2JBEGIN:VBKM\r\n") << "\\x1b[2J";
    }
    void messagesQuotingAnInputAreEscaped()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, input);
        QFETCH(QString, said);
        QVERIFY(writeFile(path(name), input));
        const Run r = run({"build", path(name), "-o", "@x.bin"});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(said), qPrintable(r.err));
        for (const QChar c : r.err)
            QVERIFY2(c == u'\n' || (c >= u' ' && c != QChar(0x7f) && c != QChar(0x202E)), qPrintable(r.err));
    }

    void version()
    {
        const Run r = run({"--version"});
        QCOMPARE(r.status, 0);
        QVERIFY2(QRegularExpression(QStringLiteral("^linkwell-cli \\d+\\.\\d+\\.\\d+\n$")).match(r.out).hasMatch(), qPrintable(r.out));
    }

    // The real executable: exit statuses, standard error and the files left behind.
    void theProgramFromBrowserFileToImageAndBack()
    {
        QVERIFY(writeFile(path("bookmarks.html"), htmlOf(Czech)));
        QProcess build;
        QVERIFY(runProgram(build, {"build", "@bookmarks.html", "-o", "@phone.bin"}));
        QCOMPARE(build.exitStatus(), QProcess::NormalExit);
        QCOMPARE(build.exitCode(), 0);
        QCOMPARE(readAll(path("phone.bin")), imageOf(CzechBytes));

        QProcess list;
        QVERIFY(runProgram(list, {"list", "@phone.bin"}));
        QCOMPARE(list.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(list.readAllStandardOutput()).split(u'\n').first(), QStringLiteral("1\tPočasí\thttp://pocasi.cz/"));
    }

    // The executable's own standard output, as "-" and through /dev/stdout.
    void theProgramWritesToStandardOutput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("build -o -") << QStringList{"build", "@in.json", "-o", "-"} << imageOf(CzechBytes);
        QTest::newRow("export -o /dev/stdout") << QStringList{"export", "@i.bin", "--format", "json", "-o", "/dev/stdout"}
                                               << writeJson(bookmarks(Czech));
    }
    void theProgramWritesToStandardOutput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, expected);
        QVERIFY(writeFile(path("in.json"), jsonOf(Czech)));
        QVERIFY(writeFile(path("i.bin"), imageOf(CzechBytes)));
        QProcess p;
        QVERIFY(runProgram(p, arguments));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardError(), QByteArray());
        QCOMPARE(p.readAllStandardOutput(), expected);
    }

    void theProgramRefusesWithStatusAndNoFile_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("refused build") << QStringList{"build", "@in.json", "-o", "@out.bin"} << 1
                                       << "entry 101 (\"n101\") is one more than the 100 entries";
        QTest::newRow("missing input") << QStringList{"build", "@gone.html", "-o", "@out.bin"} << 1 << "gone.html: no such file";
        QTest::newRow("missing image") << QStringList{"export", "@nothing.bin", "--format", "html", "-o", "@out.bin"} << 1
                                       << "nothing.bin: File not exists.";
        QTest::newRow("usage") << QStringList{"build", "@in.json"} << 2 << "-o OUTPUT is missing";
        QTest::newRow("upload with nobody to ask") << QStringList{"upload", "--port", "1", "@image.bin"} << 1 << "pass --yes";
    }
    void theProgramRefusesWithStatusAndNoFile()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        QVERIFY(writeFile(path("in.json"), jsonOf(numbered(101))));
        QVERIFY(writeFile(path("image.bin"), imageOf(CzechBytes)));
        QProcess p;
        QVERIFY(runProgram(p, arguments));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), status);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.contains(said), qPrintable(err));
        QVERIFY(!err.contains(QStringLiteral("terminate called")));
        QCOMPARE(p.readAllStandardOutput(), QByteArray());
        QVERIFY(!QFile::exists(path("out.bin")));
    }
};

QTEST_GUILESS_MAIN(TestCliCommands)
#include "tst_clicommands.moc"
