#include "imagefile.h"

#include "favouritesstore.h"
#include "notices.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace linkwell {

ImageFileLoad loadImageFile(const QString& path, FavouritesStore& store, Notices& notices)
{
    // The file is read into a scratch store: the caller's list changes only
    // when the whole file is accepted.
    FavouritesStore loaded(notices);
    loaded.ClearAll();
    loaded.DataSize = 0;
    if (!QFileInfo::exists(path))
        notices.message(QStringLiteral("File not exists."));

    QFile file(path);
    qint64 read = -1;
    if (file.open(QIODevice::ReadOnly)) {
        read = file.read(loaded.RxBuffer.data(), limits::BufferSize);
        file.close();
    }
    if (read < 0) {
        notices.beep();
        notices.message(QStringLiteral("Error reading binary file."));
        return ImageFileLoad::ReadFailed;
    }
    loaded.DataSize = std::int32_t(read);

    loaded.ParseSection();
    if (loaded.BadHeaderFlag) {
        notices.beep();
        return ImageFileLoad::Refused;
    }
    loaded.BuildSection();
    if (loaded.OverflowFlag) {
        // An image that does not fit is refused as a whole.
        notices.beep();
        notices.message(QStringLiteral("Too many characters."));
        return ImageFileLoad::Refused;
    }
    store.adoptLoaded(loaded);
    return ImageFileLoad::Loaded;
}

bool writeImageFile(const QString& path, const char* data, qint64 size, const ImageWriter& writer)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const qint64 written = writer ? writer(file, data, size) : file.write(data, size);
    // The bytes wait in the device's buffer until a flush: a full disk shows up
    // there, and commit() alone would not notice and would put a short file in
    // place of the old one.
    if (written != size || !file.flush()) {
        file.cancelWriting(); // the temporary file goes with `file`
        return false;
    }
    return file.commit();
}

} // namespace linkwell
