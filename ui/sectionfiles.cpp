#include "sectionfiles.h"

#include "phone/imagemessages.h"
#include "phone/notices.h"
#include "store/favouritesstore.h"
#include "store/imagecheck.h"

#include <QFileInfo>
#include <QStringList>

#include <stdexcept>

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
        filters << (description.contains(u'(' + patterns + u')') ? description : description + QStringLiteral(" (") + patterns + u')');
    }
    return filters.join(QStringLiteral(";;"));
}

SectionFiles::SectionFiles(FavouritesStore& store, Notices& notices, SectionFilesView& view, QString initialFolder)
    : store_(store), notices_(notices), view_(view), folder_(std::move(initialFolder))
{
}

void SectionFiles::save()
{
    const QString path = notices_.saveFileName({qtFileFilter(ImageFilter), QStringLiteral("bin"), folder_});
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path) && !notices_.confirm(QStringLiteral("File exists.\r\nOverwrite file?")))
        return;

    const BuiltImage image = store_.BuildSection();
    reportBuilt(image, notices_, QStringLiteral("Too many characters. Truncated."));
    requireReadsBack(image, "nothing was written");
    // An empty store is saved as the bare signature: a file of no bytes
    // would be refused with "Bad header" when opened again.
    if (!writeImageFile(path, image.bytes, writer_)) {
        notices_.beep();
        notices_.message(QStringLiteral("Error writing binary file."));
        return;
    }
    folder_ = QFileInfo(path).absolutePath();
    view_.setCaption(captionFor(path));
}

void SectionFiles::open()
{
    const QString path = notices_.openFileName({qtFileFilter(ImageFilter), QString(), folder_});
    if (path.isEmpty())
        return;
    const ImageFileLoad result = loadImageFile(path, store_, notices_);
    if (result == ImageFileLoad::ReadFailed)
        return;
    folder_ = QFileInfo(path).absolutePath();
    // A refused file leaves the user's list, so the caption keeps naming it.
    if (result != ImageFileLoad::Loaded)
        return;
    view_.setCaption(captionFor(path));
    view_.showLoadedList();
}

} // namespace linkwell
