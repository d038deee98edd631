#pragma once

#include <QString>
#include <cstdint>
#include <functional>

namespace linkwell {

class FavouritesStore;
class Notices;
class PhoneLibrary;

// Appends one line to the communication history (the "* " is the history's own).
using HistorySink = std::function<void(const QString& message)>;

enum class DownloadOutcome {
    LinkFailed,   // the link did not open; nothing else happened
    NotLoaded,    // the link opened, but the phone's image was refused ("Bad header")
    Loaded,       // the store now holds the phone's entries (possibly none)
};

// Reads the phone's favourites into the store, reporting every library result
// in the history. A download that does not load leaves the store's entries as
// they were, so a wrong port or a silent phone never costs the user their list.
DownloadOutcome DownloadFavourites(FavouritesStore& store, PhoneLibrary& phone,
                                   const HistorySink& history, Notices& notices,
                                   std::uint8_t port);

// Replaces the phone's favourites with the image of the store. True when the
// link opened and both the clear and the write succeeded; a failed write
// beeps and reports no upload.
bool UploadFavourites(FavouritesStore& store, PhoneLibrary& phone, const HistorySink& history,
                      Notices& notices, std::uint8_t port);

} // namespace linkwell
