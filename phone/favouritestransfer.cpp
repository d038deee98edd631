#include "favouritestransfer.h"

#include "gbpresulttext.h"
#include "phonelibrary.h"
#include "store/favouritesstore.h"
#include "store/imagecheck.h"
#include "store/notices.h"

#include <stdexcept>

namespace linkwell {

namespace {

bool linkOpened(std::int32_t result)
{
    // -1 is a link the library already holds open; it serves as well as a new one.
    return result == 0 || result == -1;
}

std::int32_t openLink(FavouritesStore& store, PhoneLibrary& phone, const HistorySink& history,
                      Notices& notices, std::uint8_t port)
{
    const std::int32_t result = phone.InitGBPMode(port);
    store.DataSize = result;
    history(GbpResultText(QStringLiteral("InitGBPMode"), result));
    if (!linkOpened(result))
        notices.beep();
    return result;
}

void closeLink(PhoneLibrary& phone, const HistorySink& history)
{
    history(GbpResultText(QStringLiteral("EndGBPMode"), phone.EndGBPMode()));
}

} // namespace

DownloadOutcome DownloadFavourites(FavouritesStore& store, PhoneLibrary& phone,
                                   const HistorySink& history, Notices& notices,
                                   std::uint8_t port)
{
    if (!linkOpened(openLink(store, phone, history, notices, port)))
        return DownloadOutcome::LinkFailed;

    FavouritesStore received(notices);
    received.ClearAll();
    received.DataSize = phone.ReadNVMFile(FavouritesSection, FavouritesSubsection,
                                          received.RxBuffer.data(), limits::TransferSize);
    store.DataSize = received.DataSize;
    history(GbpResultText(QStringLiteral("ReadNVMFile"), received.DataSize));

    // After a failed read the buffer is still all zero, so this shows "Bad header".
    received.ParseSection();
    const bool loaded = !received.BadHeaderFlag;
    received.BadHeaderFlag = 0;

    // Only to measure: the store keeps every downloaded entry, fitting or not.
    received.BuildSection();
    received.OverflowFlag = 0;
    store.DataSize = received.DataSize;
    history(QStringLiteral("Actual data size: ") + QString::number(received.DataSize));

    closeLink(phone, history);

    if (!loaded)
        return DownloadOutcome::NotLoaded;
    store.adoptLoaded(received);
    return DownloadOutcome::Loaded;
}

bool UploadFavourites(FavouritesStore& store, PhoneLibrary& phone, const HistorySink& history,
                      Notices& notices, std::uint8_t port)
{
    store.DataSize = 0;
    if (!linkOpened(openLink(store, phone, history, notices, port)))
        return false;

    store.BuildSection();
    const std::int32_t imageSize = store.DataSize;
    if (store.OverflowFlag) {
        notices.beep();
        notices.message(QStringLiteral("Too many characters. Truncated"));
        store.OverflowFlag = 0;
    }
    // Nothing reaches the phone that would not read back as the list.
    try {
        requireBuiltImageReadsBack(store, "nothing was sent to the phone");
    } catch (...) {
        closeLink(phone, history);
        throw;
    }

    if (phone.ClearNVMFile(FavouritesSection, FavouritesSubsection) != 0) {
        // The link stays open: the next command finds it with -1 and goes on over it.
        notices.beep();
        history(QStringLiteral("Some error. Favourites section may be cleared.Try click again."));
        return false;
    }

    // The whole transfer buffer goes: the image, then zeros.
    const std::int32_t written = phone.WriteNVMFile(FavouritesSection, FavouritesSubsection,
                                                    store.TxBuffer.data(), limits::TransferSize);
    history(GbpResultText(QStringLiteral("WriteNVMFile"), written));
    if (written == 0)
        history(QStringLiteral("Uploaded ") + QString::number(imageSize) +
                QStringLiteral("/2000 bytes (max. 1998)."));
    else
        notices.beep(); // nothing was uploaded, and the history must not say otherwise

    closeLink(phone, history);
    return written == 0;
}

} // namespace linkwell
