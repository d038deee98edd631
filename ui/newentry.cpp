#include "newentry.h"

#include "store/limits.h"

namespace linkwell {

QString InsertRefusal(int entries, std::int32_t imageSize)
{
    if (entries >= limits::MaxEntries)
        return QStringLiteral("Too many entries (100=max)");
    if (imageSize >= limits::InsertRefusedSize)
        return QStringLiteral("Not enough memory");
    return {};
}

QString AddToListRefusal(const QByteArray& name, const QByteArray& url, std::int32_t baseSize)
{
    if (name.isEmpty())
        return QStringLiteral("Name section is empty.");
    if (url.isEmpty())
        return QStringLiteral("URL section is empty.");
    // In 64 bits, so no base size can wrap the sum round.
    const std::int64_t size =
        std::int64_t(name.size()) + baseSize + std::int64_t(url.size()) + limits::RecordOverhead;
    if (size > limits::MaxImageSize)
        return QStringLiteral("Too many characters.");
    return {};
}

} // namespace linkwell
