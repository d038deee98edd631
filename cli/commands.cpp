#include "commands.h"

#include "cp1250text.h"
#include "transfercommands.h"

#include "store/favouritesstore.h"
#include "store/imagefile.h"
#include "store/limits.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include <algorithm>
#include <cstring>

namespace linkwell::cli {

namespace {

const char* const ProgramHelp =
    "Usage: linkwell-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "The favourites (WAP bookmarks) of a Sony CMD-J6 phone, from the command line.\n"
    "\n"
    "Commands:\n"
    "  list IMAGE [--json]                      print the entries of an image file\n"
    "  build INPUT... -o IMAGE [--truncate]     make an image from JSON, bookmark HTML or .vbm files\n"
    "  export IMAGE --format html|vbm|json -o OUT\n"
    "                                           write the entries for a browser, a phone or a script\n"
    "  download --port N -o IMAGE               read the phone's favourites into an image file\n"
    "  upload --port N IMAGE [--yes]            replace the phone's favourites with an image file\n"
    "\n"
    "Run \"linkwell-cli COMMAND --help\" for the details of one command.\n"
    "Exit status: 0 done, 1 refused or failed (nothing written), 2 wrong command line.\n";

const char* const ListHelp =
    "Usage: linkwell-cli list IMAGE [--json]\n"
    "\n"
    "Loads IMAGE as the window's \"Open file...\" does, with the same checks and messages,\n"
    "and prints its entries in order as NUMBER<TAB>NAME<TAB>URL lines (UTF-8).\n"
    "\n"
    "  --json     print a JSON array of {\"name\": ..., \"url\": ...} objects instead\n";

const char* const BuildHelp =
    "Usage: linkwell-cli build INPUT... -o IMAGE [--truncate]\n"
    "\n"
    "Makes an image file from the entries of every INPUT, in order. An INPUT is a JSON array\n"
    "as \"list --json\" prints it (.json), a browser's bookmark export in the Netscape bookmark\n"
    "format (.html, .htm; every link in document order, folders flattened) or vBookmark\n"
    "objects (.vbm). Other names are recognised by their content.\n"
    "Texts are converted to Windows-1250; a character it cannot hold is an error.\n"
    "\n"
    "  -o, --output IMAGE   the image file to write (replaced only once complete)\n"
    "  --truncate           cut an image over 100 entries or 1998 bytes as the window\n"
    "                       does, instead of refusing it\n";

const char* const ExportHelp =
    "Usage: linkwell-cli export IMAGE --format html|vbm|json -o OUT\n"
    "\n"
    "Loads IMAGE as \"list\" does and writes its entries to OUT as a Netscape bookmark HTML\n"
    "file (every desktop browser imports it), vBookmark objects or a JSON array.\n"
    "\n"
    "  --format FORMAT      html, vbm or json\n"
    "  -o, --output OUT     the file to write (replaced only once complete)\n";

const char* const DownloadHelp =
    "Usage: linkwell-cli download --port N -o IMAGE\n"
    "\n"
    "Reads the favourites of the phone on COM port N, as the window's \"Download\" does,\n"
    "printing each line of the communication history as it happens, and saves them\n"
    "to IMAGE as \"Save to file...\" does.\n"
    "\n"
    "  --port N             the COM port of the phone (1 to 255)\n"
    "  -o, --output IMAGE   the image file to write\n";

const char* const UploadHelp =
    "Usage: linkwell-cli upload --port N IMAGE [--yes]\n"
    "\n"
    "Replaces the favourites of the phone on COM port N with the entries of IMAGE, as the\n"
    "window's \"Upload\" does, printing each line of the communication history.\n"
    "Upload actual data from PC to (->) phone, do it at your peril !!!\n"
    "It asks first when run on a terminal.\n"
    "\n"
    "  --port N             the COM port of the phone (1 to 255)\n"
    "  --yes                do not ask (needed when standard input is not a terminal)\n";

int usageError(CliContext& context, const QString& command, const QString& text)
{
    context.err << "linkwell-cli: " << text << Qt::endl;
    context.err << "Run \"linkwell-cli " << (command.isEmpty() ? QString() : command + u' ')
                << "--help\" for help." << Qt::endl;
    return ExitUsage;
}

// The command's options parsed, or an exit status when parsing ends the run
// (--help, a wrong command line).
struct Parsed {
    QCommandLineParser parser;
    int exitStatus = -1;
};

const QCommandLineOption HelpOption({QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("Show the help"));
const QCommandLineOption OutputOption({QStringLiteral("o"), QStringLiteral("output")},
                                      QStringLiteral("Output file"), QStringLiteral("file"));

void parse(Parsed& parsed, CliContext& context, const QString& command, const QStringList& arguments,
           const QList<QCommandLineOption>& options, const char* help, int minPositional,
           int maxPositional)
{
    QCommandLineParser& parser = parsed.parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(HelpOption);
    parser.addOptions(options);
    QStringList withName = arguments;
    withName.prepend(QStringLiteral("linkwell-cli ") + command);
    if (!parser.parse(withName)) {
        parsed.exitStatus = usageError(context, command, parser.errorText());
        return;
    }
    if (parser.isSet(HelpOption)) {
        context.out << help;
        context.out.flush();
        parsed.exitStatus = ExitOk;
        return;
    }
    const int count = int(parser.positionalArguments().size());
    if (count < minPositional)
        parsed.exitStatus = usageError(context, command, QStringLiteral("%1: a file is missing").arg(command));
    else if (maxPositional >= 0 && count > maxPositional)
        parsed.exitStatus = usageError(context, command,
                                       QStringLiteral("%1: unexpected argument \"%2\"")
                                           .arg(command, parser.positionalArguments().at(maxPositional)));
}

bool requireOutput(Parsed& parsed, CliContext& context, const QString& command, QString* output)
{
    *output = parsed.parser.value(OutputOption);
    if (output->isEmpty()) {
        parsed.exitStatus = usageError(context, command, command + QStringLiteral(": -o OUTPUT is missing"));
        return false;
    }
    return true;
}

// Loads the image file into the store as the window's "Open file..." does;
// its messages name the file.
bool loadImage(const QString& path, FavouritesStore& store, CliNotices& notices)
{
    notices.setSubject(path);
    const bool loaded = loadImageFile(path, store, notices) == ImageFileLoad::Loaded;
    notices.setSubject({});
    return loaded;
}

void writeOutput(const QString& path, const QByteArray& bytes)
{
    if (!writeImageFile(path, bytes.constData(), bytes.size()))
        throw CliError(path + QStringLiteral(": cannot be written"));
}

int listCommand(const QStringList& arguments, CliContext& context)
{
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("JSON"));
    Parsed parsed;
    parse(parsed, context, QStringLiteral("list"), arguments, {json}, ListHelp, 1, 1);
    if (parsed.exitStatus >= 0)
        return parsed.exitStatus;

    const QString path = parsed.parser.positionalArguments().first();
    CliNotices notices(context.err, {});
    FavouritesStore store(notices);
    if (!loadImage(path, store, notices))
        return ExitFailed;

    const Bookmarks bookmarks = bookmarksOf(store, path);
    if (parsed.parser.isSet(json)) {
        context.out << QString::fromUtf8(writeJson(bookmarks));
    } else {
        for (const Bookmark& b : bookmarks)
            context.out << b.position << '\t' << b.name << '\t' << b.url << '\n';
    }
    context.out.flush();
    return ExitOk;
}

int buildCommand(const QStringList& arguments, CliContext& context)
{
    const QCommandLineOption truncate(QStringLiteral("truncate"), QStringLiteral("Cut"));
    Parsed parsed;
    parse(parsed, context, QStringLiteral("build"), arguments, {OutputOption, truncate}, BuildHelp,
          1, -1);
    if (parsed.exitStatus >= 0)
        return parsed.exitStatus;
    QString output;
    if (!requireOutput(parsed, context, QStringLiteral("build"), &output))
        return parsed.exitStatus;

    Bookmarks bookmarks;
    for (const QString& input : parsed.parser.positionalArguments())
        bookmarks += readInputFile(input);
    const BuiltImage image = buildImage(bookmarks, parsed.parser.isSet(truncate));
    writeOutput(output, image.bytes);
    for (const QString& line : image.truncation)
        context.err << "linkwell-cli: " << output << ": " << line << Qt::endl;
    return ExitOk;
}

int exportCommand(const QStringList& arguments, CliContext& context)
{
    const QCommandLineOption formatOption(QStringLiteral("format"), QStringLiteral("Format"),
                                          QStringLiteral("format"));
    Parsed parsed;
    parse(parsed, context, QStringLiteral("export"), arguments, {formatOption, OutputOption},
          ExportHelp, 1, 1);
    if (parsed.exitStatus >= 0)
        return parsed.exitStatus;
    Format format;
    if (!parsed.parser.isSet(formatOption))
        return usageError(context, QStringLiteral("export"),
                          QStringLiteral("export: --format html|vbm|json is missing"));
    if (!formatFromName(parsed.parser.value(formatOption), &format) ||
        parsed.parser.value(formatOption).toLower() == QLatin1String("htm"))
        return usageError(context, QStringLiteral("export"),
                          QStringLiteral("export: unknown format \"%1\" (html, vbm or json)")
                              .arg(parsed.parser.value(formatOption)));
    QString output;
    if (!requireOutput(parsed, context, QStringLiteral("export"), &output))
        return parsed.exitStatus;

    const QString path = parsed.parser.positionalArguments().first();
    CliNotices notices(context.err, {});
    FavouritesStore store(notices);
    if (!loadImage(path, store, notices))
        return ExitFailed;
    writeOutput(output, writeBookmarks(format, bookmarksOf(store, path)));
    return ExitOk;
}

bool parsePort(const QString& text, std::uint8_t* port)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value < 1 || value > 255)
        return false;
    *port = std::uint8_t(value);
    return true;
}

int transferCommand(const QString& command, const QStringList& arguments, CliContext& context)
{
    const bool upload = command == QLatin1String("upload");
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("COM port"),
                                        QStringLiteral("N"));
    const QCommandLineOption yes(QStringLiteral("yes"), QStringLiteral("Do not ask"));
    Parsed parsed;
    if (upload)
        parse(parsed, context, command, arguments, {portOption, yes}, UploadHelp, 1, 1);
    else
        parse(parsed, context, command, arguments, {portOption, OutputOption}, DownloadHelp, 0, 0);
    if (parsed.exitStatus >= 0)
        return parsed.exitStatus;
    std::uint8_t port = 0;
    if (!parsed.parser.isSet(portOption))
        return usageError(context, command, command + QStringLiteral(": --port N is missing"));
    if (!parsePort(parsed.parser.value(portOption), &port))
        return usageError(context, command,
                          QStringLiteral("%1: the port \"%2\" is not a number from 1 to 255")
                              .arg(command, parsed.parser.value(portOption)));
    QString output;
    if (!upload && !requireOutput(parsed, context, command, &output))
        return parsed.exitStatus;

    TransferRequest request;
    request.port = port;
    request.image = upload ? parsed.parser.positionalArguments().first() : output;
    request.confirmed = upload && parsed.parser.isSet(yes);
    return upload ? uploadCommand(request, context) : downloadCommand(request, context);
}

} // namespace

int runCli(const QStringList& arguments, CliContext& context)
{
    const QString command = arguments.value(1);
    const QStringList rest = arguments.mid(2);
    try {
        if (command.isEmpty())
            return usageError(context, {}, QStringLiteral("a command is missing"));
        if (command == QLatin1String("-h") || command == QLatin1String("--help") ||
            command == QLatin1String("help")) {
            context.out << ProgramHelp;
            context.out.flush();
            return ExitOk;
        }
        if (!cp1250Available()) {
            context.err << "linkwell-cli: this Qt has no Windows-1250 converter" << Qt::endl;
            return ExitFailed;
        }
        if (command == QLatin1String("list"))
            return listCommand(rest, context);
        if (command == QLatin1String("build"))
            return buildCommand(rest, context);
        if (command == QLatin1String("export"))
            return exportCommand(rest, context);
        if (command == QLatin1String("download") || command == QLatin1String("upload"))
            return transferCommand(command, rest, context);
        return usageError(context, {}, QStringLiteral("unknown command \"%1\"").arg(command));
    } catch (const CliError& error) {
        context.err << "linkwell-cli: " << error.text() << Qt::endl;
    } catch (const std::exception& error) {
        context.err << "linkwell-cli: " << error.what() << Qt::endl;
    }
    return ExitFailed;
}

Bookmarks readInputFile(const QString& path)
{
    QFile file(path);
    if (!QFileInfo::exists(path))
        throw CliError(path + QStringLiteral(": no such file"));
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        throw CliError(path + QStringLiteral(": cannot be read"));
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw CliError(path + QStringLiteral(": cannot be read: ") + file.errorString());
    return readBookmarks(detectFormat(path, content), content, path);
}

QList<QPair<QByteArray, QByteArray>> encodeBookmarks(const Bookmarks& bookmarks)
{
    QList<QPair<QByteArray, QByteArray>> out;
    out.reserve(bookmarks.size());
    for (const Bookmark& b : bookmarks) {
        const QString entry = QStringLiteral("%1: entry %2 (\"%3\")").arg(b.source).arg(b.position).arg(b.name);
        QByteArray name;
        QByteArray url;
        char32_t bad = 0;
        if (!encodeCp1250(b.name, &name, &bad))
            throw CliError(entry + QStringLiteral(": the character %1 in its name cannot be written in Windows-1250")
                                       .arg(describeCharacter(bad)));
        if (!encodeCp1250(b.url, &url, &bad))
            throw CliError(entry + QStringLiteral(": the character %1 in its URL cannot be written in Windows-1250")
                                       .arg(describeCharacter(bad)));
        // The image ends its list at a record that opens with 0x00, so an
        // entry without a URL would hide itself and every entry after it.
        if (url.isEmpty())
            throw CliError(entry + QStringLiteral(": the URL is empty"));
        out.append({name, url});
    }
    return out;
}

int imageExcess(const QList<QPair<QByteArray, QByteArray>>& entries)
{
    if (entries.isEmpty())
        return 0;
    qint64 offset = limits::SignatureSize;
    qint64 lastUrlEnd = 0;
    for (const auto& [name, url] : entries) {
        lastUrlEnd = offset + url.size();
        offset = lastUrlEnd + 2 + name.size() + 2;
    }
    // Offsets only grow, so the last record is the one that passes a limit
    // first: its URL must end before the URL cut, its name before the name cut.
    const qint64 overUrl = lastUrlEnd - limits::UrlCutOffset;
    const qint64 overSize = offset - limits::MaxImageSize;
    return int(std::max<qint64>({0, overUrl, overSize}));
}

BuiltImage buildImage(const Bookmarks& bookmarks, bool truncate)
{
    const QList<QPair<QByteArray, QByteArray>> entries = encodeBookmarks(bookmarks);
    const int total = int(entries.size());
    if (!truncate) {
        QStringList problems;
        if (total > limits::MaxEntries)
            problems << QStringLiteral("%1 entries, %2 more than the %3 the phone holds")
                            .arg(total)
                            .arg(total - limits::MaxEntries)
                            .arg(limits::MaxEntries);
        const int excess = imageExcess(entries.mid(0, limits::MaxEntries));
        if (excess > 0) {
            const QString which = total > limits::MaxEntries ? QStringLiteral("the first 100 entries")
                                                             : QStringLiteral("the entries");
            problems << QStringLiteral("%1 need %2 bytes more than the %3 the image holds")
                            .arg(which)
                            .arg(excess)
                            .arg(limits::MaxImageSize);
        }
        if (!problems.isEmpty())
            throw CliError(QStringLiteral("too much for the phone: ") + problems.join(QStringLiteral("; ")) +
                           QStringLiteral(" (--truncate cuts it as the window does); nothing written"));
    }

    // The window's own builder makes the image; the notices only count the
    // entries it drops so that they can be told once.
    class CountingNotices : public SilentNotices {
    public:
        void message(const QString&) override { ++messages; }
        int messages = 0;
    } counting;
    FavouritesStore store(counting);
    for (const auto& [name, url] : entries)
        store.append(name, url);
    BuiltImage image;
    image.bytes = imageFileBytes(store);

    if (counting.messages > 0)
        image.truncation << QStringLiteral("No. of entries truncated to 100(=max).: the last %1 of %2 entries are left out")
                                .arg(counting.messages)
                                .arg(total);
    FavouritesStore check(counting);
    std::memcpy(check.RxBuffer.data(), image.bytes.constData(), size_t(image.bytes.size()));
    check.DataSize = std::int32_t(image.bytes.size());
    check.ParseSection();
    image.entries = check.count();
    if (store.OverflowFlag) {
        const int kept = image.entries;
        const int last = kept - 1;
        const bool cut = last >= 0 && (check.name(last) != entries[last].first || check.url(last) != entries[last].second);
        image.truncation << QStringLiteral("Too many characters. Truncated.: the image is %1 bytes; %2 of %3 entries kept%4")
                                .arg(image.bytes.size())
                                .arg(kept)
                                .arg(std::min(total, int(limits::MaxEntries)))
                                .arg(cut ? QStringLiteral(", the last of them cut short") : QString());
    }
    return image;
}

Bookmarks bookmarksOf(const FavouritesStore& store, const QString& source)
{
    Bookmarks out;
    for (int i = 0; i < store.count(); ++i)
        out.append({decodeCp1250(store.NameList().at(i)), decodeCp1250(store.UrlList().at(i)), source, i + 1});
    return out;
}

QByteArray imageFileBytes(FavouritesStore& store)
{
    store.BuildSection();
    const int size = std::max<int>(store.DataSize, limits::SignatureSize);
    return QByteArray(store.TxBuffer.data(), size);
}

} // namespace linkwell::cli
