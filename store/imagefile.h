#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

namespace linkwell {

struct ImageFileBytes {
    bool existed = false; // the path named a file when the read began
    bool read = false;    // false when the file could not be opened or read
    QByteArray bytes;     // at most the first 2048 bytes
};

// Reads at most the first 2048 bytes of an image file; what it says of the
// file is left to the caller.
ImageFileBytes readImageFile(const QString& path);

// The one write of a save; tests put a failing device here to see a save
// break off half-way.
using ImageWriter = std::function<qint64(QIODevice& file, const char* data, qint64 size)>;

// Writes the bytes as the whole file, atomically: the old file is replaced only
// once the new one is completely on disk. False on any failure, which leaves
// the old file as it was.
bool writeImageFile(const QString& path, const QByteArray& bytes, const ImageWriter& writer = {});

} // namespace linkwell
