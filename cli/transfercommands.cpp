#include "transfercommands.h"

#include "commands.h"

#include "phone/favouritestransfer.h"
#include "phone/phonelibrary.h"
#include "store/favouritesstore.h"
#include "store/imagefile.h"

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

} // namespace

int downloadCommand(const TransferRequest& request, CliContext& context)
{
    const std::shared_ptr<PhoneLibrary> phone = openPhone(context);
    CliNotices notices(context.err, context.answers);
    FavouritesStore store(notices);
    store.ClearAll();
    notices.setSubject(QStringLiteral("COM%1").arg(request.port));
    const DownloadOutcome outcome =
        DownloadFavourites(store, *phone, printHistory(context.out), notices, request.port);
    if (outcome != DownloadOutcome::Loaded)
        return ExitFailed;

    // Then as "Save to file..." saves it.
    notices.setSubject(request.image);
    store.DataSize = 0;
    const QByteArray bytes = imageFileBytes(store);
    if (store.OverflowFlag) {
        notices.message(QStringLiteral("Too many characters. Truncated."));
        store.OverflowFlag = 0;
    }
    if (!writeImageFile(request.image, bytes.constData(), bytes.size())) {
        notices.message(QStringLiteral("Error writing binary file."));
        return ExitFailed;
    }
    return ExitOk;
}

int uploadCommand(const TransferRequest& request, CliContext& context)
{
    CliNotices notices(context.err, context.answers);
    FavouritesStore store(notices);
    notices.setSubject(request.image);
    if (loadImageFile(request.image, store, notices) != ImageFileLoad::Loaded)
        return ExitFailed;
    notices.setSubject({});

    if (!request.confirmed) {
        if (!notices.canAsk())
            throw CliError(QStringLiteral("upload replaces the favourites in the phone; "
                                          "run it on a terminal to be asked, or pass --yes"));
        const QString question =
            QStringLiteral("Upload actual data from PC to (->) phone, do it at your peril !!!\n"
                           "Replace the favourites in the phone on COM%1 with the %2 entries of %3?")
                .arg(request.port)
                .arg(store.count())
                .arg(request.image);
        if (!notices.confirm(question)) {
            context.err << "linkwell-cli: upload cancelled; the phone was not touched" << Qt::endl;
            return ExitFailed;
        }
    }

    const std::shared_ptr<PhoneLibrary> phone = openPhone(context);
    notices.setSubject(QStringLiteral("COM%1").arg(request.port));
    return UploadFavourites(store, *phone, printHistory(context.out), notices, request.port)
               ? ExitOk
               : ExitFailed;
}

} // namespace linkwell::cli
