#pragma once

#include <QString>
#include <functional>

class QIODevice;

namespace linkwell {

class FavouritesStore;
class Notices;

enum class ImageFileLoad {
    ReadFailed, // the file could not be read; nothing else was looked at
    Refused,    // read, but "Bad header" or an image that does not fit
    Loaded,     // the store now holds the file's entries (possibly none)
};

// Reads at most the first 2048 bytes of an image file and takes its entries
// into the store, with every check and message of "Open file...": "File not
// exists.", "Error reading binary file.", "Bad header", the truncation to 100
// entries, "Too many characters.". Each message that the window beeps before
// is preceded by a beep. Only a Loaded file changes the store.
ImageFileLoad loadImageFile(const QString& path, FavouritesStore& store, Notices& notices);

// The one write of a save; tests put a failing device here to see a save
// break off half-way.
using ImageWriter = std::function<qint64(QIODevice& file, const char* data, qint64 size)>;

// Writes the bytes as the whole file, atomically: the old file is replaced only
// once the new one is completely on disk. False on any failure, which leaves
// the old file as it was.
bool writeImageFile(const QString& path, const char* data, qint64 size,
                    const ImageWriter& writer = {});

} // namespace linkwell
