#pragma once

#include <QString>

namespace linkwell {

struct BuiltImage;
struct ParsedImage;
class FavouritesStore;
class Notices;

// What a caller tells the user about an image it built: "No. of entries
// truncated to 100(=max)." once for each entry past the 100th, then, when a
// limit cut the image, a beep and `cutMessage` (each command has its own
// wording). An empty cutMessage says nothing of a cut.
void reportBuilt(const BuiltImage& image, Notices& notices, const QString& cutMessage);

// Beeps and shows "Bad header" for an image without the signature; true when
// the image has it.
bool reportParsed(const ParsedImage& image, Notices& notices);

enum class ImageFileLoad {
    ReadFailed, // the file could not be read; nothing else was looked at
    Refused,    // read, but "Bad header" or an image that does not fit
    Loaded,     // the store now holds the file's entries (possibly none)
};

// Takes the entries of an image file into the store, with every check and
// message of "Open file...": "File not exists.", "Error reading binary file.",
// "Bad header", the truncation to 100 entries, "Too many characters.". Only a
// Loaded file changes the store.
ImageFileLoad loadImageFile(const QString& path, FavouritesStore& store, Notices& notices);

} // namespace linkwell
