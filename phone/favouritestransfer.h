#pragma once

#include "store/sectionimage.h"

#include <QString>
#include <cstdint>
#include <functional>

namespace linkwell {

class Notices;
class PhoneLibrary;

// Appends one line to the communication history (the "* " is the history's own).
using HistorySink = std::function<void(const QString& message)>;

enum class DownloadOutcome {
    LinkFailed, // the link did not open; nothing else happened
    NotLoaded,  // the link opened, but the phone's image was refused ("Bad header")
    Loaded,     // `entries` are the phone's (possibly none)
};

struct Download {
    DownloadOutcome outcome = DownloadOutcome::LinkFailed;
    // The phone's entries, at most 100, with the full texts even where their
    // image would not fit; empty unless Loaded.
    ImageEntries entries;
};

// Reads the phone's favourites, reporting every library result in the
// history. Only a Loaded download has anything for the caller to take, so a
// wrong port or a silent phone never costs the user their list.
Download DownloadFavourites(PhoneLibrary& phone, const HistorySink& history, Notices& notices, std::uint8_t port);

// Replaces the phone's favourites with `image` (built by the caller, reported
// here once the link is open). True when the link opened and both the clear
// and the write succeeded; a failed write beeps and reports no upload.
bool UploadFavourites(const BuiltImage& image, PhoneLibrary& phone, const HistorySink& history, Notices& notices, std::uint8_t port);

} // namespace linkwell
