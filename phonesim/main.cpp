// linkwell-phonesim: an emulated phone on a pseudo-terminal, for Linkwell,
// its tests and anyone without the phone at hand.

#include "nvmstore.h"
#include "phonecore.h"
#include "ptyline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void onSignal(int)
{
    stopRequested.store(true);
}

int failWith(const QString& text)
{
    std::fprintf(stderr, "linkwell-phonesim: %s\n", qPrintable(text));
    return 2;
}

bool statusOption(const QCommandLineParser& parser, const QString& name, std::uint8_t& status)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < 1 || value > 255)
        return false;
    status = std::uint8_t(value);
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("linkwell-phonesim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("An emulated Sony CMD-J6 on a pseudo-terminal. Prints the device path on the first line\n"
                       "of its output, then serves the phone protocol until it is stopped (Ctrl+C or SIGTERM).\n"
                       "Point Linkwell at it with LINKWELL_COM1=<path>.\n"
                       "LIST counts answer frames from 1: \"1\", \"2,5\", \"3-4\", \"2-\" (2nd and later), \"all\"."));
    parser.addHelpOption();
    const QList<QCommandLineOption> options{
        {QStringLiteral("link"), QStringLiteral("Make a symbolic link PATH to the device (replaced if it exists, removed at the end)."),
         QStringLiteral("PATH")},
        {QStringLiteral("dir"), QStringLiteral("Keep the NVM files in FOLDER: loaded at start, saved at each change."),
         QStringLiteral("FOLDER")},
        {QStringLiteral("seed"),
         QStringLiteral("Start with the favourites file (section 2, subsection 1) holding the bytes of FILE, a favourites image."),
         QStringLiteral("FILE")},
        {QStringLiteral("oversize"),
         QStringLiteral("Pad the favourites file with zero bytes to BYTES bytes (to have one larger than 2000)."), QStringLiteral("BYTES")},
        {QStringLiteral("baud"), QStringLiteral("Pace the line at RATE baud, 8N1, both ways (default: unpaced)."), QStringLiteral("RATE")},
        {QStringLiteral("silent"), QStringLiteral("Never answer AT commands.")},
        {QStringLiteral("stop-after"), QStringLiteral("Answer N frames, then fall silent for good."), QStringLiteral("N")},
        {QStringLiteral("corrupt"), QStringLiteral("Spoil the CRC of the answers in LIST."), QStringLiteral("LIST")},
        {QStringLiteral("garbage"), QStringLiteral("Send noise bytes before the answers in LIST."), QStringLiteral("LIST")},
        {QStringLiteral("garbage-bytes"), QStringLiteral("How many noise bytes (default 24)."), QStringLiteral("N")},
        {QStringLiteral("read-status"), QStringLiteral("Answer every size and read request with status S (1-255)."), QStringLiteral("S")},
        {QStringLiteral("write-status"), QStringLiteral("Answer every write request with status S (1-255)."), QStringLiteral("S")},
        {QStringLiteral("write-status-from"),
         QStringLiteral("With --write-status: accept the first N-1 write chunks, refuse from the Nth on (default 1)."),
         QStringLiteral("N")},
        {QStringLiteral("clear-status"), QStringLiteral("Answer every clear request with status S (1-255)."), QStringLiteral("S")},
        {QStringLiteral("verbose"), QStringLiteral("Log commands and frames on standard error.")},
    };
    parser.addOptions(options);
    parser.process(app);

    phonesim::Faults faults;
    faults.silentToAt = parser.isSet(QStringLiteral("silent"));
    bool ok = true;
    if (parser.isSet(QStringLiteral("stop-after"))) {
        faults.stopAfterAnswers = parser.value(QStringLiteral("stop-after")).toInt(&ok);
        if (!ok || faults.stopAfterAnswers < 0)
            return failWith(QStringLiteral("--stop-after needs a number of 0 or more"));
    }
    for (const auto& [name, set] :
         {std::pair{QStringLiteral("corrupt"), &faults.corrupt}, std::pair{QStringLiteral("garbage"), &faults.garbage}}) {
        if (!parser.isSet(name))
            continue;
        const auto parsed = phonesim::AnswerSet::parse(parser.value(name));
        if (!parsed)
            return failWith(QStringLiteral("--%1: not a LIST: %2").arg(name, parser.value(name)));
        *set = *parsed;
    }
    if (parser.isSet(QStringLiteral("garbage-bytes"))) {
        faults.garbageBytes = parser.value(QStringLiteral("garbage-bytes")).toInt(&ok);
        if (!ok || faults.garbageBytes < 0 || faults.garbageBytes > 100000)
            return failWith(QStringLiteral("--garbage-bytes needs a number from 0 to 100000"));
    }
    if (!statusOption(parser, QStringLiteral("read-status"), faults.readStatus)
        || !statusOption(parser, QStringLiteral("write-status"), faults.writeStatus)
        || !statusOption(parser, QStringLiteral("clear-status"), faults.clearStatus))
        return failWith(QStringLiteral("a status must be a number from 1 to 255"));
    if (parser.isSet(QStringLiteral("write-status-from"))) {
        faults.writeStatusFrom = parser.value(QStringLiteral("write-status-from")).toInt(&ok);
        if (!ok || faults.writeStatusFrom < 1 || !parser.isSet(QStringLiteral("write-status")))
            return failWith(QStringLiteral("--write-status-from needs --write-status and a number of 1 or more"));
    }
    int baud = 0;
    if (parser.isSet(QStringLiteral("baud"))) {
        baud = parser.value(QStringLiteral("baud")).toInt(&ok);
        if (!ok || baud < 50 || baud > 4000000)
            return failWith(QStringLiteral("--baud needs a rate from 50 to 4000000"));
    }

    phonesim::NvmStore store(parser.value(QStringLiteral("dir")));
    QString error;
    if (!store.load(&error))
        return failWith(error);
    if (parser.isSet(QStringLiteral("seed"))) {
        QFile seed(parser.value(QStringLiteral("seed")));
        if (!seed.open(QIODevice::ReadOnly))
            return failWith(QStringLiteral("cannot read %1").arg(seed.fileName()));
        store.setFile(phonesim::NvmStore::Favourites, seed.read(phonesim::NvmStore::MaxFileSize));
    }
    if (parser.isSet(QStringLiteral("oversize"))) {
        const int size = parser.value(QStringLiteral("oversize")).toInt(&ok);
        if (!ok || size < 0 || size > phonesim::NvmStore::MaxFileSize)
            return failWith(QStringLiteral("--oversize needs a size from 0 to %1").arg(phonesim::NvmStore::MaxFileSize));
        QByteArray bytes = store.file(phonesim::NvmStore::Favourites);
        if (bytes.size() < size)
            bytes.append(QByteArray(size - bytes.size(), '\0'));
        store.setFile(phonesim::NvmStore::Favourites, bytes);
    }

    phonesim::PtyLine line;
    if (!line.open(&error))
        return failWith(error);
    const QString link = parser.value(QStringLiteral("link"));
    if (!link.isEmpty()) {
        QFile::remove(link);
        if (!QFile::link(line.devicePath(), link))
            return failWith(QStringLiteral("cannot make the link %1").arg(link));
    }

    phonesim::PhoneCore phone(store, faults);
    if (parser.isSet(QStringLiteral("verbose"))) {
        phone.setLogger([](const QString& text) { std::fprintf(stderr, "phonesim: %s\n", qPrintable(text)); });
    }

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::printf("%s\n", qPrintable(line.devicePath()));
    std::fflush(stdout);

    line.serve([&phone](const QByteArray& bytes) { return phone.receive(bytes); }, baud, stopRequested);

    if (!link.isEmpty())
        QFile::remove(link);
    return 0;
}
