#include "favouritestransfer.h"

#include "gbpresulttext.h"
#include "phonelibrary.h"
#include "store/favouritesstore.h"
#include "store/imagecheck.h"
#include "imagemessages.h"
#include "notices.h"

#include <stdexcept>

namespace linkwell {

namespace {

bool linkOpened(std::int32_t result)
{
    // -1 is a link the library already holds open; it serves as well as a new one.
    return result == 0 || result == -1;
}

std::int32_t openLink(PhoneLibrary& phone, const HistorySink& history, Notices& notices, std::uint8_t port)
{
    const std::int32_t result = phone.InitGBPMode(port);
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

Download DownloadFavourites(PhoneLibrary& phone, const HistorySink& history, Notices& notices, std::uint8_t port)
{
    Download out;
    if (!linkOpened(openLink(phone, history, notices, port)))
        return out;

    QByteArray buffer(limits::TransferSize, '\0');
    const std::int32_t size = phone.ReadNVMFile(FavouritesSection, FavouritesSubsection, buffer.data(), limits::TransferSize);
    history(GbpResultText(QStringLiteral("ReadNVMFile"), size));

    // After a failed read the buffer is still all zero, so this shows "Bad header".
    const ParsedImage parsed = ParseSection(buffer, size);
    const bool loaded = reportParsed(parsed, notices);

    // Built only to measure: the entries keep their full texts, fitting or not.
    FavouritesStore received;
    received.adopt(parsed.entries);
    const BuiltImage image = received.BuildSection();
    reportBuilt(image, notices, {});
    history(QStringLiteral("Actual data size: ") + QString::number(image.size));

    closeLink(phone, history);

    if (loaded) {
        out.outcome = DownloadOutcome::Loaded;
        out.entries = received.entries();
    } else {
        out.outcome = DownloadOutcome::NotLoaded;
    }
    return out;
}

bool UploadFavourites(const BuiltImage& image, PhoneLibrary& phone, const HistorySink& history, Notices& notices, std::uint8_t port)
{
    if (!linkOpened(openLink(phone, history, notices, port)))
        return false;

    reportBuilt(image, notices, QStringLiteral("Too many characters. Truncated"));
    // Nothing reaches the phone that would not read back as the list.
    try {
        requireReadsBack(image, "nothing was sent to the phone");
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
    const QByteArray buffer = transferBuffer(image);
    const std::int32_t written = phone.WriteNVMFile(FavouritesSection, FavouritesSubsection, buffer.constData(), limits::TransferSize);
    history(GbpResultText(QStringLiteral("WriteNVMFile"), written));
    if (written == 0)
        history(QStringLiteral("Uploaded ") + QString::number(image.size) + QStringLiteral("/2000 bytes (max. 1998)."));
    else
        notices.beep(); // nothing was uploaded, and the history must not say otherwise

    closeLink(phone, history);
    return written == 0;
}

} // namespace linkwell
