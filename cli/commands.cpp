#include "commands.h"

#include "cp1250text.h"
#include "imagebuilder.h"
#include "outputfile.h"
#include "printable.h"
#include "transfercommands.h"

#include "phone/imagemessages.h"
#include "store/favouritesstore.h"
#include "store/imagecheck.h"
#include "store/imagefile.h"
#include "store/limits.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include <algorithm>
#include <cstring>
#include <optional>

namespace linkwell::cli {

namespace {

const char* const ProgramHelp =
    "Usage: linkwell-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "The favourites (WAP bookmarks) of a Sony CMD-J6 phone, from the command line.\n"
    "\n"
    "Commands:\n"
    "  list IMAGE [--json]                      print the entries of an image file\n"
    "  build INPUT... -o IMAGE [OPTIONS]        make an image from JSON, bookmark HTML or .vbm files\n"
    "  export IMAGE --format html|vbm|json -o OUT\n"
    "                                           write the entries for a browser, a phone or a script\n"
    "  download --port N -o IMAGE               read the phone's favourites into an image file\n"
    "  upload --port N IMAGE [--yes] [--backup FILE]\n"
    "                                           replace the phone's favourites with an image file\n"
    "\n"
    "Run \"linkwell-cli COMMAND --help\" for the details of one command,\n"
    "\"linkwell-cli --version\" for the version.\n"
    "Exit status: 0 done, 1 refused or failed (nothing written), 2 wrong command line.\n";

const char* const ListHelp =
    "Usage: linkwell-cli list IMAGE [--json]\n"
    "\n"
    "Loads IMAGE as the window's \"Open file...\" does, with the same checks and messages,\n"
    "and prints its entries in order as NUMBER<TAB>NAME<TAB>URL lines (UTF-8). Control\n"
    "characters in a name or URL are shown escaped (\\t, \\n, \\x1b), so each entry is one line.\n"
    "\n"
    "  --json     print a JSON array of {\"name\": ..., \"url\": ...} objects instead\n";

const char* const BuildHelp =
    "Usage: linkwell-cli build INPUT... -o IMAGE [--truncate] [--transliterate] [--keep-all]\n"
    "                          [--allow-empty]\n"
    "\n"
    "Makes an image file from the entries of every INPUT, in order. An INPUT is a JSON array\n"
    "as \"list --json\" prints it (.json), a browser's bookmark export in the Netscape bookmark\n"
    "format (.html, .htm; every link in document order, folders flattened) or vBookmark\n"
    "objects (.vbm). Other names are recognised by their content.\n"
    "Texts are converted to Windows-1250; a character it cannot hold, and the control\n"
    "characters U+0000 and U+0001, are an error. An untitled link takes its URL as its name.\n"
    "Links a WAP phone cannot open (place:, javascript:, data:, about:, chrome:, file: and\n"
    "links with no URL) are left out and counted on standard error. Only the entries that\n"
    "go onto the phone are judged. Every image is read back and compared with its entries\n"
    "before it is written.\n"
    "\n"
    "  -o, --output IMAGE   the image file to write (replaced only once complete; a device\n"
    "                       or a FIFO is written in place; \"-\" is standard output)\n"
    "  --truncate           keep what fits as the window does (100 entries, 1998 bytes, 255\n"
    "                       characters a name or URL) instead of refusing the rest\n"
    "  --transliterate      write a Latin reading of characters Windows-1250 lacks\n"
    "                       (\"Дезертир\" as \"Dezertir\"), \"?\" where there is none;\n"
    "                       every entry so changed is listed on standard error\n"
    "  --keep-all           keep the links a WAP phone cannot open (not those with no URL)\n"
    "  --allow-empty        write an image of no entries (it clears the phone on upload)\n";

const char* const ExportHelp =
    "Usage: linkwell-cli export IMAGE --format html|vbm|json -o OUT\n"
    "\n"
    "Loads IMAGE as \"list\" does and writes its entries to OUT as a Netscape bookmark HTML\n"
    "file (every desktop browser imports it), vBookmark objects or a JSON array.\n"
    "\n"
    "  --format FORMAT      html, vbm or json\n"
    "  -o, --output OUT     the file to write (replaced only once complete; a device or a\n"
    "                       FIFO is written in place; \"-\" is standard output). With\n"
    "                       --format vbm, a folder (OUT ending in \"/\", or an existing\n"
    "                       folder) gets one NN-title.vbm file per entry, for a phone\n"
    "                       that imports one object at a time\n";

const char* const DownloadHelp =
    "Usage: linkwell-cli download --port N -o IMAGE\n"
    "\n"
    "Reads the favourites of the phone on COM port N, as the window's \"Download\" does,\n"
    "printing each line of the communication history as it happens, and saves them\n"
    "to IMAGE as \"Save to file...\" does. A download that fails ends with one line\n"
    "saying why.\n"
    "\n"
    "  --port N             the COM port of the phone (1 to 255)\n"
    "  -o, --output IMAGE   the image file to write\n";

const char* const UploadHelp =
    "Usage: linkwell-cli upload --port N IMAGE [--yes] [--backup FILE]\n"
    "\n"
    "Replaces the favourites of the phone on COM port N with the entries of IMAGE, as the\n"
    "window's \"Upload\" does, printing each line of the communication history.\n"
    "Upload actual data from PC to (->) phone, do it at your peril !!!\n"
    "The phone's favourites are cleared before they are written: an upload that fails\n"
    "after that may leave them empty, and running the same upload again restores them.\n"
    "It asks first when run on a terminal; answering no writes nothing (exit status 1).\n"
    "\n"
    "  --port N             the COM port of the phone (1 to 255)\n"
    "  --yes                do not ask (needed when standard input is not a terminal)\n"
    "  --backup FILE        first download the phone's favourites into FILE (replaced only\n"
    "                       once complete); if that fails, the phone is not touched\n";

int usageError(CliContext& context, const QString& command, const QString& text)
{
    context.err << "linkwell-cli: " << text << Qt::endl;
    context.err << "Run \"linkwell-cli " << (command.isEmpty() ? QString() : command + u' ') << "--help\" for help." << Qt::endl;
    return ExitUsage;
}

// The command's options parsed, or an exit status when parsing ends the run
// (--help, a wrong command line).
struct Parsed {
    QCommandLineParser parser;
    int exitStatus = -1;
};

const QCommandLineOption HelpOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show the help"));
const QCommandLineOption OutputOption({QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("Output file"),
                                      QStringLiteral("file"));

void parse(Parsed& parsed, CliContext& context, const QString& command, const QStringList& arguments,
           const QList<QCommandLineOption>& options, const char* help, int minPositional, int maxPositional)
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
        parsed.exitStatus =
            usageError(context, command,
                       QStringLiteral("%1: unexpected argument \"%2\"").arg(command, parser.positionalArguments().at(maxPositional)));
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

// The entries of the image file at `path`, loaded as the window's "Open
// file..." loads it; its messages name the file. None when it does not load.
std::optional<Bookmarks> loadBookmarks(const QString& path, CliContext& context)
{
    CliNotices notices(context.err, {});
    FavouritesStore store;
    notices.setSubject(path);
    const bool loaded = loadImageFile(path, store, notices) == ImageFileLoad::Loaded;
    notices.setSubject({});
    if (!loaded)
        return std::nullopt;
    return bookmarksOf(store, path);
}

// What list prints of a field: one line per entry, whatever the field holds.
QString listField(const QString& text)
{
    return printable(text);
}

int listCommand(const QStringList& arguments, CliContext& context)
{
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("JSON"));
    Parsed parsed;
    parse(parsed, context, QStringLiteral("list"), arguments, {json}, ListHelp, 1, 1);
    if (parsed.exitStatus >= 0)
        return parsed.exitStatus;

    const std::optional<Bookmarks> bookmarks = loadBookmarks(parsed.parser.positionalArguments().first(), context);
    if (!bookmarks)
        return ExitFailed;
    if (parsed.parser.isSet(json)) {
        context.out << QString::fromUtf8(writeJson(*bookmarks));
    } else {
        for (const Bookmark& b : *bookmarks)
            context.out << b.position << '\t' << listField(b.name) << '\t' << listField(b.url) << '\n';
    }
    context.out.flush();
    return ExitOk;
}

int buildCommand(const QStringList& arguments, CliContext& context)
{
    const QCommandLineOption truncate(QStringLiteral("truncate"), QStringLiteral("Cut"));
    const QCommandLineOption transliterate(QStringLiteral("transliterate"), QStringLiteral("Latin reading"));
    const QCommandLineOption keepAll(QStringLiteral("keep-all"), QStringLiteral("Keep every link"));
    const QCommandLineOption allowEmpty(QStringLiteral("allow-empty"), QStringLiteral("Write no entries"));
    Parsed parsed;
    parse(parsed, context, QStringLiteral("build"), arguments, {OutputOption, truncate, transliterate, keepAll, allowEmpty}, BuildHelp, 1,
          -1);
    if (parsed.exitStatus >= 0)
        return parsed.exitStatus;
    QString output;
    if (!requireOutput(parsed, context, QStringLiteral("build"), &output))
        return parsed.exitStatus;

    BuildOptions options;
    options.truncate = parsed.parser.isSet(truncate);
    options.transliterate = parsed.parser.isSet(transliterate);
    options.keepAll = parsed.parser.isSet(keepAll);
    options.allowEmpty = parsed.parser.isSet(allowEmpty);
    ImageBuilder builder(options);
    bool more = true;
    for (const QString& input : parsed.parser.positionalArguments()) {
        readInputFile(input, [&builder, &more](Bookmark&& b) { return more = builder.add(std::move(b)); });
        if (!more)
            break;
    }
    const BuildResult image = builder.finish();
    for (const QString& line : image.notes)
        printError(context.err, line);
    if (!image.refusal.isEmpty()) {
        for (const QString& line : image.refusal)
            printError(context.err, line);
        return ExitFailed;
    }
    writeOutputFile(output, image.bytes, context.standardOutput);
    return ExitOk;
}

int exportCommand(const QStringList& arguments, CliContext& context)
{
    const QCommandLineOption formatOption(QStringLiteral("format"), QStringLiteral("Format"), QStringLiteral("format"));
    Parsed parsed;
    parse(parsed, context, QStringLiteral("export"), arguments, {formatOption, OutputOption}, ExportHelp, 1, 1);
    if (parsed.exitStatus >= 0)
        return parsed.exitStatus;
    Format format;
    if (!parsed.parser.isSet(formatOption))
        return usageError(context, QStringLiteral("export"), QStringLiteral("export: --format html|vbm|json is missing"));
    if (!formatFromName(parsed.parser.value(formatOption), &format) || parsed.parser.value(formatOption).toLower() == QLatin1String("htm"))
        return usageError(context, QStringLiteral("export"),
                          QStringLiteral("export: unknown format \"%1\" (html, vbm or json)").arg(parsed.parser.value(formatOption)));
    QString output;
    if (!requireOutput(parsed, context, QStringLiteral("export"), &output))
        return parsed.exitStatus;

    const std::optional<Bookmarks> bookmarks = loadBookmarks(parsed.parser.positionalArguments().first(), context);
    if (!bookmarks)
        return ExitFailed;
    if (format == Format::Vbm && (output.endsWith(u'/') || QFileInfo(output).isDir())) {
        if (!QDir().mkpath(output))
            throw CliError(output + QStringLiteral(": the folder cannot be made"));
        for (const auto& [name, bytes] : writeVbmObjects(*bookmarks))
            writeOutputFile(QDir(output).filePath(name), bytes, nullptr);
        return ExitOk;
    }
    writeOutputFile(output, writeBookmarks(format, *bookmarks), context.standardOutput);
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
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("COM port"), QStringLiteral("N"));
    const QCommandLineOption yes(QStringLiteral("yes"), QStringLiteral("Do not ask"));
    const QCommandLineOption backup(QStringLiteral("backup"), QStringLiteral("Download first"), QStringLiteral("file"));
    Parsed parsed;
    if (upload)
        parse(parsed, context, command, arguments, {portOption, yes, backup}, UploadHelp, 1, 1);
    else
        parse(parsed, context, command, arguments, {portOption, OutputOption}, DownloadHelp, 0, 0);
    if (parsed.exitStatus >= 0)
        return parsed.exitStatus;
    std::uint8_t port = 0;
    if (!parsed.parser.isSet(portOption))
        return usageError(context, command, command + QStringLiteral(": --port N is missing"));
    if (!parsePort(parsed.parser.value(portOption), &port))
        return usageError(
            context, command,
            QStringLiteral("%1: the port \"%2\" is not a number from 1 to 255").arg(command, parsed.parser.value(portOption)));
    QString output;
    if (!upload && !requireOutput(parsed, context, command, &output))
        return parsed.exitStatus;
    // The history goes to standard output, so the image cannot.
    if (!upload && output == QLatin1String("-"))
        return usageError(context, command,
                          QStringLiteral("download: -o - is not possible: the history is "
                                         "printed on standard output"));
    if (upload && parsed.parser.isSet(backup) && parsed.parser.value(backup).isEmpty())
        return usageError(context, command, QStringLiteral("upload: --backup needs a file"));

    TransferRequest request;
    request.port = port;
    request.image = upload ? parsed.parser.positionalArguments().first() : output;
    request.confirmed = upload && parsed.parser.isSet(yes);
    if (upload)
        request.backup = parsed.parser.value(backup);
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
        if (command == QLatin1String("-h") || command == QLatin1String("--help") || command == QLatin1String("help")) {
            context.out << ProgramHelp;
            context.out.flush();
            return ExitOk;
        }
        if (command == QLatin1String("--version") || command == QLatin1String("-V")) {
            context.out << "linkwell-cli " << LINKWELL_VERSION << '\n';
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
        printError(context.err, error.text());
    } catch (const std::exception& error) {
        printError(context.err, QString::fromLocal8Bit(error.what()));
    }
    return ExitFailed;
}

void readInputFile(const QString& path, const BookmarkSink& sink)
{
    QFile file(path);
    if (!QFileInfo::exists(path))
        throw CliError(path + QStringLiteral(": no such file"));
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        throw CliError(path + QStringLiteral(": cannot be read"));
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw CliError(path + QStringLiteral(": cannot be read: ") + file.errorString());
    readBookmarks(detectFormat(path, content), content, path, sink);
}

Bookmarks readInputFile(const QString& path)
{
    Bookmarks out;
    readInputFile(path, [&out](Bookmark&& b) {
        out.append(std::move(b));
        return true;
    });
    return out;
}

Bookmarks bookmarksOf(const FavouritesStore& store, const QString& source)
{
    Bookmarks out;
    for (int i = 0; i < store.count(); ++i)
        out.append({decodeCp1250(store.NameList().at(i)), decodeCp1250(store.UrlList().at(i)), source, i + 1});
    return out;
}

QByteArray checkedImageBytes(const BuiltImage& image, const QString& what)
{
    const QString mismatch = readBackMismatch(image);
    if (!mismatch.isEmpty())
        throw CliError(what + QStringLiteral(": the image built does not read back as its entries: ") + mismatch
                       + QStringLiteral("; nothing written"));
    return image.bytes;
}

void printError(QTextStream& err, const QString& text)
{
    for (const QString& line : text.split(u'\n'))
        err << "linkwell-cli: " << printable(line) << Qt::endl;
}

} // namespace linkwell::cli
