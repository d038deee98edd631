#include "imagecheck.h"

#include "limits.h"
#include "sectionimage.h"

#include <algorithm>
#include <stdexcept>
#include <cstring>

namespace linkwell {

namespace {

// The entries an image of `entries` is meant to hold, worked out from the
// record layout alone rather than by the builder the check is there to watch.
ImageEntries expectedContent(const ImageEntries& entries, qint64* size)
{
    ImageEntries out;
    qint64 offset = limits::SignatureSize;
    *size = offset;
    for (const auto& [name, url] : entries) {
        if (out.size() == limits::MaxEntries || offset >= limits::UrlCutOffset)
            break;
        const qint64 urlRoom = limits::UrlCutOffset - offset;
        const QByteArray keptUrl = url.left(qsizetype(std::min<qint64>(url.size(), urlRoom)));
        offset += keptUrl.size() + 2;
        const qint64 nameRoom = std::max<qint64>(0, limits::NameCutOffset - offset);
        const QByteArray keptName = name.left(qsizetype(std::min<qint64>(name.size(), nameRoom)));
        offset += keptName.size() + 2;
        out.append({keptName, keptUrl});
        *size = offset;
        if (keptUrl.size() != url.size() || keptName.size() != name.size())
            break;
    }
    return out;
}

QString shown(const QByteArray& bytes)
{
    // Enough of the field to tell it apart; bytes outside printable ASCII as \xNN.
    QString out;
    for (qsizetype i = 0; i < bytes.size() && i < 40; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7f && c != '\\' && c != '"')
            out += QChar(c);
        else
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    if (bytes.size() > 40)
        out += QStringLiteral("...");
    return u'"' + out + u'"';
}

} // namespace

bool isStorableText(const QByteArray& text)
{
    return !text.contains('\0') && !text.contains('\x01');
}

QString imageMismatch(const QByteArray& image, const ImageEntries& expected)
{
    if (image.size() > limits::MaxImageSize)
        return QStringLiteral("the image is %1 bytes, more than %2").arg(image.size()).arg(limits::MaxImageSize);
    if (image.size() < limits::SignatureSize || std::memcmp(image.constData(), limits::Signature.data(), limits::SignatureSize) != 0)
        return QStringLiteral("the image does not begin with its signature");

    const ImageEntries read = ParseSection(image, std::int32_t(image.size())).entries;

    qint64 meantSize = 0;
    const ImageEntries meant = expectedContent(expected, &meantSize);
    const qsizetype common = std::min(meant.size(), read.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (read[i].second != meant[i].second)
            return QStringLiteral("entry %1: the URL reads back as %2 instead of %3")
                .arg(i + 1)
                .arg(shown(read[i].second), shown(meant[i].second));
        if (read[i].first != meant[i].first)
            return QStringLiteral("entry %1: the name reads back as %2 instead of %3")
                .arg(i + 1)
                .arg(shown(read[i].first), shown(meant[i].first));
    }
    if (read.size() != meant.size())
        return QStringLiteral("the image reads back as %1 entries instead of %2").arg(read.size()).arg(meant.size());
    if (image.size() != meantSize)
        return QStringLiteral("the image is %1 bytes instead of %2").arg(image.size()).arg(meantSize);
    return {};
}

QString readBackMismatch(const BuiltImage& image)
{
    return imageMismatch(image.bytes, image.entries);
}

void requireReadsBack(const BuiltImage& image, const char* nothingDone)
{
    const QString mismatch = readBackMismatch(image);
    if (!mismatch.isEmpty())
        throw std::runtime_error(("The image does not read back as the list (" + mismatch + "); ").toStdString() + nothingDone);
}

} // namespace linkwell
