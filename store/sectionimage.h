#pragma once

#include "limits.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <cstdint>

// The byte image the phone keeps its favourites in, and the entries it holds,
// as values: nothing here keeps state or tells anyone anything.
namespace linkwell {

// (name, URL) pairs of Windows-1250 bytes, in the order they go into an image.
using ImageEntries = QList<QPair<QByteArray, QByteArray>>;

struct ParsedImage {
    ImageEntries entries;
    // The first seven bytes are not the signature; no entry was read.
    bool badHeader = false;
};

// The entries of the first `reportedSize` bytes of `received`. A phone may
// report more than it sent, so bytes past the end of `received` read as 0x00;
// a size of 0 or less reads no entry. No limit is applied here.
ParsedImage ParseSection(const QByteArray& received, std::int32_t reportedSize);

struct BuiltImage {
    // The signature and the records; the bare signature for no entries.
    QByteArray bytes;
    // The size the image counts as: that of `bytes`, or 0 when it holds no entry.
    std::int32_t size = 0;
    // Entries past the 100th, which no image holds.
    int entriesDropped = 0;
    // A limit cut a text or left out a record.
    bool cut = false;
    // The entries the image was built from (at most 100, full texts), which
    // the read-back check holds the bytes against.
    ImageEntries entries;
};

// The image of the first 100 entries, cut at the limits.
BuiltImage BuildSection(const ImageEntries& entries);

// The size an image of `sizeWithout` bytes counts with one more record of
// these texts: what the edit check and the insertion check measure against
// 1998 (an entry changed is the image without it, plus its new record). Not
// cut, and in 64 bits, so no size a caller brings can wrap round.
qint64 imageSizeWithRecord(qint64 sizeWithout, qint64 nameSize, qint64 urlSize);
inline qint64 imageSizeWithRecord(qint64 sizeWithout, const QByteArray& name, const QByteArray& url)
{
    return imageSizeWithRecord(sizeWithout, name.size(), url.size());
}
// The other way: what an image of `size` bytes takes without this record.
qint64 imageSizeWithoutRecord(qint64 size, const QByteArray& name, const QByteArray& url);

// The whole transfer buffer a phone write sends: the image, then zeros.
QByteArray transferBuffer(const BuiltImage& image);

} // namespace linkwell
