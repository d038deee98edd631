#include "sectionfiles.h"

#include "store/favouritesstore.h"
#include "store/notices.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace linkwell {

namespace {

const QString ImageFilter = QStringLiteral("Binary file (*.bin)|*.bin|All files (*.*)|*.*");

QString captionFor(const QString& path)
{
    return QStringLiteral("Linkwell: ") + QFileInfo(path).fileName();
}

} // namespace

QString qtFileFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        filters << (description.contains(u'(' + patterns + u')')
                        ? description
                        : description + QStringLiteral(" (") + patterns + u')');
    }
    return filters.join(QStringLiteral(";;"));
}

SectionFiles::SectionFiles(FavouritesStore& store, Notices& notices, SectionFilesView& view,
                           QString initialFolder)
    : store_(store), notices_(notices), view_(view), initialFolder_(std::move(initialFolder)),
      writer_([](QIODevice& file, const char* data, qint64 size) { return file.write(data, size); })
{
}

void SectionFiles::save()
{
    const QString path = notices_.saveFileName({qtFileFilter(ImageFilter), QStringLiteral("bin"),
                                                initialFolder_});
    if (path.isEmpty())
        return;
    store_.DataSize = 0;
    if (QFileInfo::exists(path) &&
        !notices_.confirm(QStringLiteral("File exists.\r\nOverwrite file?")))
        return;

    store_.BuildSection();
    if (store_.OverflowFlag) {
        notices_.beep();
        notices_.message(QStringLiteral("Too many characters. Truncated."));
        store_.OverflowFlag = 0;
    }

    if (!writeImage(path)) {
        notices_.beep();
        notices_.message(QStringLiteral("Error writing binary file."));
        return;
    }
    view_.setCaption(captionFor(path));
}

bool SectionFiles::writeImage(const QString& path)
{
    // The old file is replaced only once the new one is complete on disk, so a
    // failed save never costs the user the file it was to replace.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const qint64 size = store_.DataSize;
    // The bytes wait in the device's buffer until a flush: a full disk shows up
    // there, and commit() alone would not notice and would put a short file in
    // place of the old one.
    if (writer_(file, store_.TxBuffer.data(), size) != size || !file.flush()) {
        file.cancelWriting(); // the temporary file goes with `file`
        return false;
    }
    return file.commit();
}

void SectionFiles::open()
{
    const QString path = notices_.openFileName({qtFileFilter(ImageFilter), QString(), initialFolder_});
    if (path.isEmpty())
        return;

    // The file is read into a scratch store: the window's list changes only
    // when the whole file is accepted.
    FavouritesStore loaded(notices_);
    loaded.ClearAll();
    loaded.DataSize = 0;
    if (!QFileInfo::exists(path))
        notices_.message(QStringLiteral("File not exists."));

    QFile file(path);
    qint64 read = -1;
    if (file.open(QIODevice::ReadOnly)) {
        read = file.read(loaded.RxBuffer.data(), limits::BufferSize);
        file.close();
    }
    if (read < 0) {
        notices_.beep();
        notices_.message(QStringLiteral("Error reading binary file."));
        return;
    }
    loaded.DataSize = std::int32_t(read);
    view_.setCaption(captionFor(path));

    loaded.ParseSection();
    if (loaded.BadHeaderFlag) {
        notices_.beep();
        return;
    }
    loaded.BuildSection();
    if (loaded.OverflowFlag) {
        // An image that does not fit is refused as a whole.
        notices_.beep();
        notices_.message(QStringLiteral("Too many characters."));
        return;
    }

    store_.adoptLoaded(loaded);
    if (store_.count() > 0) {
        view_.FillListBox();
        view_.ShowSelected();
    }
}

} // namespace linkwell
