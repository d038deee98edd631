#include "imagefile.h"

#include "limits.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace linkwell {

ImageFileBytes readImageFile(const QString& path)
{
    ImageFileBytes out;
    out.existed = QFileInfo::exists(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    out.bytes.resize(limits::BufferSize);
    const qint64 read = file.read(out.bytes.data(), limits::BufferSize);
    out.read = read >= 0;
    out.bytes.resize(qsizetype(std::max<qint64>(read, 0)));
    return out;
}

bool writeImageFile(const QString& path, const QByteArray& bytes, const ImageWriter& writer)
{
    const char* data = bytes.constData();
    const qint64 size = bytes.size();
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
