#include "transfercommands.h"

#include "commands.h"
#include "outputfile.h"

#include "phone/favouritestransfer.h"
#include "phone/phonelibrary.h"
#include "phone/imagemessages.h"
#include "store/favouritesstore.h"
#include "store/imagefile.h"
#include "store/limits.h"

#include <cstring>
#include <optional>

namespace linkwell::cli {

namespace {

HistorySink printHistory(QTextStream& out)
{
    return [&out](const QString& line) {
        out << "* " << line << Qt::endl; // flushed: a slow phone shows each step as it goes
    };
}

std::shared_ptr<PhoneLibrary> openPhone(CliContext& context)
{
    std::shared_ptr<PhoneLibrary> phone = context.openPhone ? context.openPhone() : nullptr;
    if (!phone)
        throw CliError(QStringLiteral("the phone service library is not available"));
    return phone;
}

// The phone as the sequences see it, with what each call answered kept, so
// that the tool can say afterwards why a transfer failed and whether the
// phone's file was touched. The sequences stay the window's.
class WatchedPhone : public PhoneLibrary {
public:
    explicit WatchedPhone(PhoneLibrary& phone) : phone_(phone) {}

    std::int32_t InitGBPMode(std::uint8_t port) override { return *(init = phone_.InitGBPMode(port)); }
    std::int32_t EndGBPMode() override { return phone_.EndGBPMode(); }
    std::int32_t ReadNVMFile(std::int32_t section, std::int32_t subsection, char* buffer, std::int32_t size) override
    {
        read = phone_.ReadNVMFile(section, subsection, buffer, size);
        if (*read > 0)
            readHead = QByteArray(buffer, std::min(*read, std::int32_t(limits::SignatureSize)));
        return *read;
    }
    std::int32_t WriteNVMFile(std::int32_t section, std::int32_t subsection, const char* data, std::int32_t size) override
    {
        return *(write = phone_.WriteNVMFile(section, subsection, data, size));
    }
    std::int32_t ClearNVMFile(std::int32_t section, std::int32_t subsection) override
    {
        return *(clear = phone_.ClearNVMFile(section, subsection));
    }

    std::optional<std::int32_t> init, read, write, clear;
    QByteArray readHead;

private:
    PhoneLibrary& phone_;
};

// Why a library call failed, in the user's words: no answer, a broken link,
// or the phone's own status byte.
QString failureReason(const char* operation, std::int32_t code)
{
    if (code <= -256)
        return QStringLiteral("the phone answered %1 with status %2").arg(QLatin1String(operation)).arg(-256 - code);
    switch (code) {
    case -2: return QStringLiteral("the port cannot be opened (%1 %2)").arg(QLatin1String(operation)).arg(code);
    case -3: return QStringLiteral("the phone does not answer (%1 %2)").arg(QLatin1String(operation)).arg(code);
    case -4: return QStringLiteral("the link was not open (%1 %2)").arg(QLatin1String(operation)).arg(code);
    case -5: return QStringLiteral("the link broke: no valid answer from the phone (%1 %2)").arg(QLatin1String(operation)).arg(code);
    default: return QStringLiteral("%1 failed with %2").arg(QLatin1String(operation)).arg(code);
    }
}

QString downloadFailure(const WatchedPhone& phone)
{
    if (phone.init && *phone.init != 0 && *phone.init != -1)
        return failureReason("InitGBPMode", *phone.init);
    if (!phone.read)
        return QStringLiteral("the phone's favourites were not read");
    if (*phone.read < 0)
        return failureReason("ReadNVMFile", *phone.read);
    if (*phone.read == 0)
        return QStringLiteral("the phone's favourites file is empty (0 bytes)");
    return QStringLiteral("the phone's favourites file (%1 bytes) does not begin with the MME20C signature").arg(*phone.read);
}

// The window's download; the store holds the phone's entries when it returns true.
bool download(FavouritesStore& store, PhoneLibrary& library, CliContext& context, CliNotices& notices, std::uint8_t port,
              const QString& purpose)
{
    WatchedPhone phone(library);
    notices.setSubject(QStringLiteral("COM%1").arg(port));
    Download received = DownloadFavourites(phone, printHistory(context.out), notices, port);
    notices.setSubject({});
    if (received.outcome == DownloadOutcome::Loaded) {
        store.adopt(std::move(received.entries));
        return true;
    }
    context.err << "linkwell-cli: COM" << port << ": " << purpose << " failed: " << downloadFailure(phone) << Qt::endl;
    return false;
}

// Then as "Save to file..." saves it; the tool's own output rules on top.
bool save(FavouritesStore& store, const QString& path, CliContext& context, CliNotices& notices)
{
    notices.setSubject(path);
    const BuiltImage image = store.BuildSection();
    const QByteArray bytes = checkedImageBytes(image, path);
    reportBuilt(image, notices, QStringLiteral("Too many characters. Truncated."));
    notices.setSubject({});
    try {
        writeOutputFile(path, bytes, nullptr);
    } catch (const CliError& error) {
        notices.setSubject(path);
        notices.message(QStringLiteral("Error writing binary file."));
        notices.setSubject({});
        printError(context.err, error.text());
        return false;
    }
    return true;
}

} // namespace

int downloadCommand(const TransferRequest& request, CliContext& context)
{
    const std::shared_ptr<PhoneLibrary> phone = openPhone(context);
    CliNotices notices(context.err, context.answers);
    FavouritesStore store;
    if (!download(store, *phone, context, notices, request.port, QStringLiteral("download")))
        return ExitFailed;
    return save(store, request.image, context, notices) ? ExitOk : ExitFailed;
}

int uploadCommand(const TransferRequest& request, CliContext& context)
{
    CliNotices notices(context.err, context.answers);
    FavouritesStore store;
    notices.setSubject(request.image);
    if (loadImageFile(request.image, store, notices) != ImageFileLoad::Loaded)
        return ExitFailed;
    notices.setSubject({});
    // What the sequence is about to send, read back first.
    const BuiltImage image = BuildSection(store.entries());
    checkedImageBytes(image, request.image);

    if (!request.confirmed) {
        if (!notices.canAsk())
            throw CliError(
                QStringLiteral("upload replaces the favourites in the phone; "
                               "run it on a terminal to be asked, or pass --yes"));
        const QString question = QStringLiteral(
                                     "Upload actual data from PC to (->) phone, do it at your peril !!!\n"
                                     "Replace the favourites in the phone on COM%1 with the %2 entries of %3?")
                                     .arg(request.port)
                                     .arg(store.count())
                                     .arg(request.image);
        if (!notices.confirm(question)) {
            context.err << "linkwell-cli: upload cancelled: nothing written; the phone was not touched" << Qt::endl;
            return ExitFailed;
        }
    }

    const std::shared_ptr<PhoneLibrary> library = openPhone(context);
    if (!request.backup.isEmpty()) {
        FavouritesStore old;
        if (!download(old, *library, context, notices, request.port, QStringLiteral("the backup download"))
            || !save(old, request.backup, context, notices)) {
            context.err << "linkwell-cli: no backup in " << request.backup << ": nothing written; the phone was not touched" << Qt::endl;
            return ExitFailed;
        }
    }

    WatchedPhone phone(*library);
    notices.setSubject(QStringLiteral("COM%1").arg(request.port));
    const bool uploaded = UploadFavourites(image, phone, printHistory(context.out), notices, request.port);
    notices.setSubject({});
    if (uploaded)
        return ExitOk;
    if (phone.clear) {
        // The sequence clears the phone's file before writing it.
        context.err << "linkwell-cli: COM" << request.port << ": the upload failed after the phone's favourites "
                    << "were cleared: they may now be empty; running the same upload again restores them";
        if (!request.backup.isEmpty())
            context.err << " (the favourites as they were are in " << request.backup << ")";
        context.err << Qt::endl;
    } else {
        context.err << "linkwell-cli: COM" << request.port << ": upload failed: "
                    << (phone.init && *phone.init != 0 && *phone.init != -1 ? failureReason("InitGBPMode", *phone.init)
                                                                            : QStringLiteral("the link did not open"))
                    << "; the phone was not touched" << Qt::endl;
    }
    return ExitFailed;
}

} // namespace linkwell::cli
