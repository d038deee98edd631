#include "files.h"
#include "cli/commands.h"
#include "entries.h"

#include "store/favouritesstore.h"
#include "store/notices.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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

Run run(QStringList arguments)
{
    Run result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    CliContext context{out, err, {}, {}};
    arguments.prepend(QStringLiteral("linkwell-cli"));
    result.status = runCli(arguments, context);
    out.flush();
    err.flush();
    return result;
}

// The same entries in Unicode and as the phone's Windows-1250 bytes, the
// bytes written out here rather than taken from the converter under test.
const QList<QPair<QString, QString>> Czech{
    {QStringLiteral("Počasí"), QStringLiteral("http://pocasi.cz/")},
    {QStringLiteral("Žluťoučký kůň"), QStringLiteral("http://kun.cz/?a=1&b=2")},
    {QStringLiteral("Zprávy & <ČT24>"), QStringLiteral("wap://ct24.cz/")},
};
const Entries CzechBytes{
    {"Po\xE8" "as\xED", "http://pocasi.cz/"},
    {"\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2", "http://kun.cz/?a=1&b=2"},
    {"Zpr\xE1vy & <\xC8T24>", "wap://ct24.cz/"},
};

QByteArray jsonOf(const QList<QPair<QString, QString>>& entries)
{
    QJsonArray array;
    for (const auto& [name, url] : entries)
        array.append(QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("url"), url}});
    return QJsonDocument(array).toJson();
}

QByteArray htmlOf(const QList<QPair<QString, QString>>& entries)
{
    QByteArray html = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><H3>Folder</H3>\n<DL><p>\n";
    for (const auto& [name, url] : entries)
        html += "<DT><A HREF=\"" + url.toHtmlEscaped().toUtf8() + "\" ADD_DATE=\"1\">" +
                name.toHtmlEscaped().toUtf8() + "</A>\n";
    return html + "</DL><p>\n</DL><p>\n";
}

QByteArray vbmOf(const QList<QPair<QString, QString>>& entries)
{
    QByteArray vbm;
    for (const auto& [name, url] : entries)
        vbm += "BEGIN:VBKM\r\nVERSION:1.0\r\nTITLE;CHARSET=UTF-8:" + name.toUtf8() + "\r\nURL:" + url.toUtf8() +
               "\r\nEND:VBKM\r\n";
    return vbm;
}

Bookmarks bookmarks(const QList<QPair<QString, QString>>& entries)
{
    Bookmarks out;
    for (const auto& [name, url] : entries)
        out.append({name, url, QStringLiteral("in"), int(out.size()) + 1});
    return out;
}

// The image the window's builder makes of these entries.
QByteArray windowImage(const Entries& entries)
{
    SilentNotices notices;
    FavouritesStore store(notices);
    testing::fill(store, entries);
    store.BuildSection();
    return QByteArray(store.TxBuffer.data(), store.DataSize);
}

QList<QPair<QString, QString>> numbered(int count)
{
    QList<QPair<QString, QString>> out;
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
        const QByteArray image = buildImage(bookmarks(Czech), false).bytes;
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
        const QString in = path(QStringLiteral("in.") + format);
        QVERIFY(writeFile(in, input));

        Run built = run({QStringLiteral("build"), in, QStringLiteral("-o"), path(QStringLiteral("image.bin"))});
        QCOMPARE(built.status, 0);
        QCOMPARE(built.err, QString());
        QCOMPARE(readAll(path(QStringLiteral("image.bin"))), imageOf(CzechBytes));

        const QString out = path(QStringLiteral("out.") + format);
        Run exported = run({QStringLiteral("export"), path(QStringLiteral("image.bin")), QStringLiteral("--format"),
                            format, QStringLiteral("-o"), out});
        QCOMPARE(exported.status, 0);
        const Bookmarks back = readInputFile(out);
        QCOMPARE(back.size(), Czech.size());
        for (int i = 0; i < Czech.size(); ++i) {
            QCOMPARE(back[i].name, Czech[i].first);
            QCOMPARE(back[i].url, Czech[i].second);
        }

        // And the exported file builds the very same image again.
        QCOMPARE(run({QStringLiteral("build"), out, QStringLiteral("-o"), path(QStringLiteral("again.bin"))}).status, 0);
        QCOMPARE(readAll(path(QStringLiteral("again.bin"))), imageOf(CzechBytes));
    }

    void buildJoinsInputsInOrder()
    {
        QVERIFY(writeFile(path(QStringLiteral("a.html")), htmlOf(Czech.mid(0, 1))));
        QVERIFY(writeFile(path(QStringLiteral("b.vbm")), vbmOf(Czech.mid(1, 1))));
        QVERIFY(writeFile(path(QStringLiteral("c")), jsonOf(Czech.mid(2, 1))));
        const Run built = run({QStringLiteral("build"), path(QStringLiteral("a.html")), path(QStringLiteral("b.vbm")),
                               path(QStringLiteral("c")), QStringLiteral("-o"), path(QStringLiteral("x.bin"))});
        QCOMPARE(built.status, 0);
        QCOMPARE(readAll(path(QStringLiteral("x.bin"))), imageOf(CzechBytes));
    }

    void listPrintsTheEntries()
    {
        QVERIFY(writeFile(path(QStringLiteral("i.bin")), imageOf(CzechBytes)));
        const Run tabs = run({QStringLiteral("list"), path(QStringLiteral("i.bin"))});
        QCOMPARE(tabs.status, 0);
        QCOMPARE(tabs.out, QStringLiteral("1\tPočasí\thttp://pocasi.cz/\n"
                                          "2\tŽluťoučký kůň\thttp://kun.cz/?a=1&b=2\n"
                                          "3\tZprávy & <ČT24>\twap://ct24.cz/\n"));
        const Run json = run({QStringLiteral("list"), path(QStringLiteral("i.bin")), QStringLiteral("--json")});
        QCOMPARE(json.status, 0);
        QCOMPARE(QJsonDocument::fromJson(json.out.toUtf8()), QJsonDocument::fromJson(jsonOf(Czech)));
    }

    void listShowsTheWindowsMessages_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("bad header") << QByteArray("MME20X\0", 7) << 1 << QStringList{"Bad header"};
        QTest::newRow("empty file") << QByteArray() << 1 << QStringList{"Bad header"};
        QTest::newRow("does not fit") << imageOf({{QByteArray(1000, 'n'), QByteArray(1000, 'u')}}) << 1
                                      << QStringList{"Too many characters."};
        QTest::newRow("101 records") << imageOf(testing::numbered(101)) << 0
                                     << QStringList{"No. of entries truncated to 100(=max)."};
        QTest::newRow("signature only") << QByteArray("MME20C\0", 7) << 0 << QStringList{};
    }
    void listShowsTheWindowsMessages()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, status);
        QFETCH(QStringList, messages);
        const QString image = path(QStringLiteral("m.bin"));
        QVERIFY(writeFile(image, file));
        const Run listed = run({QStringLiteral("list"), image});
        QCOMPARE(listed.status, status);
        QStringList expected;
        for (const QString& m : messages)
            expected << QStringLiteral("linkwell-cli: ") + image + QStringLiteral(": ") + m;
        QCOMPARE(listed.err.split(u'\n', Qt::SkipEmptyParts), expected);
        if (status != 0)
            QCOMPARE(listed.out, QString());
    }

    void listOfAMissingFile()
    {
        const Run listed = run({QStringLiteral("list"), path(QStringLiteral("none.bin"))});
        QCOMPARE(listed.status, 1);
        QVERIFY(listed.err.contains(QStringLiteral("none.bin: File not exists.")));
        QVERIFY(listed.err.contains(QStringLiteral("none.bin: Error reading binary file.")));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("reason");

        QTest::newRow("character outside Windows-1250")
            << "in.json" << jsonOf({{QStringLiteral("ok"), QStringLiteral("http://a/")},
                                    {QStringLiteral("Mañana"), QStringLiteral("http://b/")}})
            << "in.json: entry 2 (\"Mañana\"): the character \"ñ\" (U+00F1) in its name cannot be written in Windows-1250";
        QTest::newRow("character outside Windows-1250 in a URL")
            << "in.html" << htmlOf({{QStringLiteral("arrow"), QStringLiteral("http://a/→")}})
            << "in.html: entry 1 (\"arrow\"): the character \"→\" (U+2192) in its URL";
        QTest::newRow("101 entries") << "in.json" << jsonOf(numbered(101))
                                     << "101 entries, 1 more than the 100 the phone holds";
        QTest::newRow("1999 bytes")
            << "in.json" << jsonOf({{QString(988, u'n'), QString(1000, u'u')}})
            << "the entries need 1 bytes more than the 1998 the image holds";
        QTest::newRow("a URL past its last offset")
            << "in.json" << jsonOf({{QString(), QString(1987, u'u')}})
            << "need 1 bytes more than the 1998";
        QTest::newRow("empty URL") << "in.json" << jsonOf({{QStringLiteral("a"), QString()}})
                                   << "in.json: entry 1 (\"a\"): the URL is empty";
        QTest::newRow("malformed HTML") << "in.html" << QByteArray("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<A HREF=\"x\">x")
                                        << "in.html: not a valid bookmark file";
        QTest::newRow("malformed vBookmark") << "in.vbm" << QByteArray("BEGIN:VBKM\r\nTITLE:x\r\n")
                                             << "in.vbm: not a valid vBookmark file";
        QTest::newRow("unknown content") << "in.txt" << QByteArray("hello") << "in.txt: not a JSON";
    }
    void refusals()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, input);
        QFETCH(QString, reason);
        QVERIFY(writeFile(path(name), input));
        const QString image = path(QStringLiteral("refused.bin"));
        const Run built = run({QStringLiteral("build"), path(name), QStringLiteral("-o"), image});
        QCOMPARE(built.status, 1);
        QVERIFY2(built.err.startsWith(QStringLiteral("linkwell-cli: ")), qPrintable(built.err));
        QVERIFY2(built.err.contains(reason), qPrintable(built.err));
        QCOMPARE(built.err.count(u'\n'), 1);
        QVERIFY(!QFile::exists(image));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    }

    void refusalLeavesAnOldImageAlone()
    {
        const QString image = path(QStringLiteral("old.bin"));
        QVERIFY(writeFile(image, imageOf(CzechBytes)));
        QVERIFY(writeFile(path(QStringLiteral("in.json")), jsonOf(numbered(101))));
        QCOMPARE(run({QStringLiteral("build"), path(QStringLiteral("in.json")), QStringLiteral("-o"), image}).status, 1);
        QCOMPARE(readAll(image), imageOf(CzechBytes));
    }

    void missingInputIsNamed()
    {
        const Run built = run({QStringLiteral("build"), path(QStringLiteral("gone.html")), QStringLiteral("-o"),
                               path(QStringLiteral("x.bin"))});
        QCOMPARE(built.status, 1);
        QVERIFY(built.err.contains(QStringLiteral("gone.html: no such file")));
        QVERIFY(!QFile::exists(path(QStringLiteral("x.bin"))));
    }

    void theLimitsThemselvesBuild_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("100 entries") << jsonOf(numbered(100));
        QTest::newRow("1998 bytes") << jsonOf({{QString(987, u'n'), QString(1000, u'u')}});
        QTest::newRow("URL to offset 1992, empty name") << jsonOf({{QString(), QString(1986, u'u')}});
    }
    void theLimitsThemselvesBuild()
    {
        QFETCH(QByteArray, input);
        QVERIFY(writeFile(path(QStringLiteral("in.json")), input));
        const Run built = run({QStringLiteral("build"), path(QStringLiteral("in.json")), QStringLiteral("-o"),
                               path(QStringLiteral("x.bin"))});
        QCOMPARE(built.status, 0);
        QCOMPARE(built.err, QString());
        const Run listed = run({QStringLiteral("list"), path(QStringLiteral("x.bin")), QStringLiteral("--json")});
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
        QCOMPARE(imageExcess(entries), excess);
        SilentNotices notices;
        FavouritesStore store(notices);
        testing::fill(store, entries);
        store.BuildSection();
        QCOMPARE(bool(store.OverflowFlag), excess > 0);
    }

    void truncateCutsAsTheWindowDoes_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("kept");
        QTest::addColumn<QString>("said");
        QTest::newRow("120 entries") << jsonOf(numbered(120)) << 100
                                     << "No. of entries truncated to 100(=max).: the last 20 of 120 entries are left out";
        QTest::newRow("too many bytes")
            << jsonOf({{QStringLiteral("first"), QString(900, u'a')},
                       {QStringLiteral("second"), QString(900, u'b')},
                       {QStringLiteral("third"), QString(900, u'c')}})
            << 3 << "Too many characters. Truncated.: the image is 1998 bytes; 3 of 3 entries kept, the last of them cut short";
    }
    void truncateCutsAsTheWindowDoes()
    {
        QFETCH(QByteArray, input);
        QFETCH(int, kept);
        QFETCH(QString, said);
        QVERIFY(writeFile(path(QStringLiteral("in.json")), input));
        const QString image = path(QStringLiteral("cut.bin"));
        const Run built = run({QStringLiteral("build"), path(QStringLiteral("in.json")), QStringLiteral("-o"), image,
                               QStringLiteral("--truncate")});
        QCOMPARE(built.status, 0);
        QCOMPARE(built.err, QStringLiteral("linkwell-cli: ") + image + QStringLiteral(": ") + said + u'\n');

        Entries entries;
        for (const Bookmark& b : readInputFile(path(QStringLiteral("in.json"))))
            entries.append({b.name.toLatin1(), b.url.toLatin1()});
        QCOMPARE(readAll(image), windowImage(entries));
        const Run listed = run({QStringLiteral("list"), image});
        QCOMPARE(listed.status, 0);
        QCOMPARE(listed.out.count(u'\n'), kept);
    }

    void anEmptyListBuildsAnImageThatOpens()
    {
        QVERIFY(writeFile(path(QStringLiteral("e.html")), "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p></DL><p>\n"));
        QCOMPARE(run({QStringLiteral("build"), path(QStringLiteral("e.html")), QStringLiteral("-o"),
                      path(QStringLiteral("e.bin"))}).status, 0);
        QCOMPARE(readAll(path(QStringLiteral("e.bin"))), QByteArray("MME20C\0", 7));
        const Run listed = run({QStringLiteral("list"), path(QStringLiteral("e.bin"))});
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
        QTest::newRow("export unknown format") << QStringList{"export", "i.bin", "--format", "csv", "-o", "x"}
                                               << "unknown format \"csv\"";
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

    // The real executable: exit statuses, standard error and the files left behind.
    void theProgramFromBrowserFileToImageAndBack()
    {
        QVERIFY(writeFile(path(QStringLiteral("bookmarks.html")), htmlOf(Czech)));
        QProcess build;
        build.start(QStringLiteral(LINKWELL_CLI_PATH),
                    {QStringLiteral("build"), path(QStringLiteral("bookmarks.html")), QStringLiteral("-o"),
                     path(QStringLiteral("phone.bin"))});
        QVERIFY(build.waitForFinished(30000));
        QCOMPARE(build.exitStatus(), QProcess::NormalExit);
        QCOMPARE(build.exitCode(), 0);
        QCOMPARE(readAll(path(QStringLiteral("phone.bin"))), imageOf(CzechBytes));

        QProcess list;
        list.start(QStringLiteral(LINKWELL_CLI_PATH), {QStringLiteral("list"), path(QStringLiteral("phone.bin"))});
        QVERIFY(list.waitForFinished(30000));
        QCOMPARE(list.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(list.readAllStandardOutput()).split(u'\n').first(),
                 QStringLiteral("1\tPočasí\thttp://pocasi.cz/"));
    }

    void theProgramRefusesWithStatusAndNoFile_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("refused build") << QStringList{"build", "@in.json", "-o", "@out.bin"} << 1
                                       << "101 entries";
        QTest::newRow("missing image") << QStringList{"export", "@nothing.bin", "--format", "html", "-o", "@out.bin"}
                                       << 1 << "nothing.bin: File not exists.";
        QTest::newRow("usage") << QStringList{"build", "@in.json"} << 2 << "-o OUTPUT is missing";
        QTest::newRow("upload with nobody to ask")
            << QStringList{"upload", "--port", "1", "@image.bin"} << 1 << "pass --yes";
    }
    void theProgramRefusesWithStatusAndNoFile()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        QVERIFY(writeFile(path(QStringLiteral("in.json")), jsonOf(numbered(101))));
        QVERIFY(writeFile(path(QStringLiteral("image.bin")), imageOf(CzechBytes)));
        for (QString& a : arguments)
            if (a.startsWith(u'@'))
                a = path(a.mid(1));
        QProcess p;
        p.setStandardInputFile(QProcess::nullDevice());
        p.start(QStringLiteral(LINKWELL_CLI_PATH), arguments);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), status);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.contains(said), qPrintable(err));
        QVERIFY(!err.contains(QStringLiteral("terminate called")));
        QCOMPARE(p.readAllStandardOutput(), QByteArray());
        QVERIFY(!QFile::exists(path(QStringLiteral("out.bin"))));
    }
};

QTEST_GUILESS_MAIN(TestCliCommands)
#include "tst_clicommands.moc"
