#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace linkwell {

using ImageEntries = QList<QPair<QByteArray, QByteArray>>;
struct BuiltImage;

// Whether the bytes can stand in a name or URL of the image: 0x00 ends a field
// and "a byte followed by 0x01" ends a name when read back, so neither byte can
// ever be part of one.
bool isStorableText(const QByteArray& text);

// Empty when the image holds exactly the expected entries (the kept ones, the
// last possibly cut as the builder cuts: at most 100 entries, no record that
// starts where no URL byte may stand, the URL cut at 1993 and the name at
// 1996, nothing after a cut), else what differs, in one line. The image is
// read back with the store's own parser, so whatever that parser would make
// of it is what is judged; an image over 1998 bytes or without the signature
// always differs.
QString imageMismatch(const QByteArray& image, const ImageEntries& expected);

// imageMismatch of a built image against the entries it was built from.
QString readBackMismatch(const BuiltImage& image);
// Throws std::runtime_error "The image does not read back as the list (...);
// " followed by `nothingDone` when readBackMismatch finds a difference.
void requireReadsBack(const BuiltImage& image, const char* nothingDone);

} // namespace linkwell
