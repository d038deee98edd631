#include "sectionimage.h"

#include <algorithm>
#include <cstring>

namespace linkwell {

ParsedImage ParseSection(const QByteArray& received, std::int32_t reportedSize)
{
    ParsedImage out;
    const int available = int(std::min<qsizetype>(received.size(), limits::BufferSize));
    const char* bytes = received.constData();
    const auto at = [bytes, available](qint64 offset) { return offset < available ? bytes[offset] : '\0'; };
    for (int i = 0; i < limits::SignatureSize; ++i) {
        if (at(i) != limits::Signature[size_t(i)]) {
            out.badHeader = true;
            return out;
        }
    }

    // Bytes past what arrived read as 0x00, so no field runs beyond them
    // whatever size was reported.
    const qint64 end = std::min<qint64>(reportedSize, available);
    qint64 offset = limits::SignatureSize;
    while (offset < end) {
        if (at(offset) == '\0')
            break;

        const qint64 urlStart = offset;
        while (offset < end && at(offset) != '\0')
            ++offset;
        const QByteArray url(bytes + urlStart, qsizetype(offset - urlStart));
        offset += 2;

        // A well-formed name ends at its 0x00; the 0x01 look-ahead also ends a
        // name whose terminator pair lost its zero.
        const qint64 nameStart = offset;
        while (offset < end && at(offset) != '\0' && at(offset + 1) != '\x01')
            ++offset;
        const QByteArray name(bytes + nameStart, qsizetype(std::max<qint64>(0, offset - nameStart)));
        offset += 2;

        out.entries.append({name, url});
    }
    return out;
}

BuiltImage BuildSection(const ImageEntries& entries)
{
    BuiltImage out;
    const qsizetype kept = std::min<qsizetype>(entries.size(), limits::MaxEntries);
    out.entriesDropped = int(entries.size() - kept);

    // Written in place, as the limits keep every image within 1998 bytes.
    QByteArray& image = out.bytes;
    image.resize(limits::MaxImageSize);
    char* tx = image.data();
    std::memcpy(tx, limits::Signature.data(), limits::SignatureSize);
    int offset = limits::SignatureSize;
    // Copies bytes up to the cut offset and reports whether all of them fitted.
    const auto copyField = [tx, &offset](const QByteArray& field, int cutOffset) {
        const int room = std::max(0, cutOffset - offset);
        const int taken = int(std::min<qsizetype>(field.size(), room));
        std::memcpy(tx + offset, field.constData(), size_t(taken));
        offset += taken;
        return taken == field.size();
    };
    const auto terminate = [tx, &offset](const char(&pair)[2]) {
        tx[offset++] = pair[0];
        tx[offset++] = pair[1];
    };

    for (qsizetype i = 0; i < kept; ++i) {
        const auto& [name, url] = entries[i];
        // A record that would start where no URL byte may stand has no room left:
        // its terminators alone would push the image past the largest size, and
        // a record that opens with 0x00 reads back as the end of the list anyway.
        if (offset >= limits::UrlCutOffset) {
            out.cut = true;
            break;
        }
        bool whole = copyField(url, limits::UrlCutOffset);
        terminate(limits::UrlTerminator);
        whole = copyField(name, limits::NameCutOffset) && whole;
        terminate(limits::NameTerminator);
        if (!whole) {
            out.cut = true;
            break;
        }
    }
    image.resize(offset);

    out.size = kept > 0 ? offset : 0;
    out.entries = kept == entries.size() ? entries : entries.mid(0, kept);
    return out;
}

qint64 imageSizeWithRecord(qint64 sizeWithout, qint64 nameSize, qint64 urlSize)
{
    return sizeWithout + nameSize + urlSize + limits::RecordOverhead;
}

qint64 imageSizeWithoutRecord(qint64 size, const QByteArray& name, const QByteArray& url)
{
    return size - (name.size() + url.size() + limits::RecordOverhead);
}

QByteArray transferBuffer(const BuiltImage& image)
{
    QByteArray buffer = image.bytes.left(limits::TransferSize);
    buffer.append(limits::TransferSize - buffer.size(), '\0');
    return buffer;
}

} // namespace linkwell
