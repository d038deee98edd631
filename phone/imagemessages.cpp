#include "imagemessages.h"

#include "notices.h"
#include "store/favouritesstore.h"
#include "store/imagefile.h"

namespace linkwell {

void reportBuilt(const BuiltImage& image, Notices& notices, const QString& cutMessage)
{
    for (int i = 0; i < image.entriesDropped; ++i)
        notices.message(QStringLiteral("No. of entries truncated to 100(=max)."));
    if (image.cut && !cutMessage.isEmpty()) {
        notices.beep();
        notices.message(cutMessage);
    }
}

bool reportParsed(const ParsedImage& image, Notices& notices)
{
    if (!image.badHeader)
        return true;
    notices.beep();
    notices.message(QStringLiteral("Bad header"));
    return false;
}

ImageFileLoad loadImageFile(const QString& path, FavouritesStore& store, Notices& notices)
{
    const ImageFileBytes file = readImageFile(path);
    if (!file.existed)
        notices.message(QStringLiteral("File not exists."));
    if (!file.read) {
        notices.beep();
        notices.message(QStringLiteral("Error reading binary file."));
        return ImageFileLoad::ReadFailed;
    }
    const ParsedImage parsed = ParseSection(file.bytes, std::int32_t(file.bytes.size()));
    if (!reportParsed(parsed, notices)) {
        notices.beep();
        return ImageFileLoad::Refused;
    }
    // The file is taken into a scratch store: the caller's list changes only
    // when the whole file is accepted.
    FavouritesStore loaded;
    loaded.adopt(parsed.entries);
    const BuiltImage image = loaded.BuildSection();
    reportBuilt(image, notices, QStringLiteral("Too many characters."));
    // An image that does not fit is refused as a whole.
    if (image.cut)
        return ImageFileLoad::Refused;
    store.adopt(loaded.entries());
    return ImageFileLoad::Loaded;
}

} // namespace linkwell
