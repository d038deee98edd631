#include "sectionfiles.h"

#include "store/favouritesstore.h"
#include "store/notices.h"

#include <QFileInfo>
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
    : store_(store), notices_(notices), view_(view), initialFolder_(std::move(initialFolder))
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

    if (!writeImageFile(path, store_.TxBuffer.data(), store_.DataSize, writer_)) {
        notices_.beep();
        notices_.message(QStringLiteral("Error writing binary file."));
        return;
    }
    view_.setCaption(captionFor(path));
}

void SectionFiles::open()
{
    const QString path = notices_.openFileName({qtFileFilter(ImageFilter), QString(), initialFolder_});
    if (path.isEmpty())
        return;
    const ImageFileLoad result = loadImageFile(path, store_, notices_);
    if (result == ImageFileLoad::ReadFailed)
        return;
    view_.setCaption(captionFor(path));
    if (result == ImageFileLoad::Loaded && store_.count() > 0) {
        view_.FillListBox();
        view_.ShowSelected();
    }
}

} // namespace linkwell
