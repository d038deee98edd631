#include "favouritesstore.h"

#include "notices.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace linkwell {

namespace {

std::string indexErrorText(int index)
{
    return "List index out of bounds (" + std::to_string(index) + ")";
}

} // namespace

ListIndexError::ListIndexError(int index) : std::out_of_range(indexErrorText(index)), index_(index)
{
}

FavouritesStore::FavouritesStore(Notices& notices) : notices_(notices)
{
}

void FavouritesStore::checkIndex(int index) const
{
    if (index < 0 || index >= count())
        throw ListIndexError(index);
}

const QByteArray& FavouritesStore::name(int index) const
{
    checkIndex(index);
    return names_[index];
}

const QByteArray& FavouritesStore::url(int index) const
{
    checkIndex(index);
    return urls_[index];
}

void FavouritesStore::replace(int index, const QByteArray& name, const QByteArray& url)
{
    checkIndex(index);
    names_[index] = name;
    urls_[index] = url;
}

void FavouritesStore::removeAt(int index)
{
    checkIndex(index);
    names_.removeAt(index);
    urls_.removeAt(index);
}

void FavouritesStore::exchange(int first, int second)
{
    checkIndex(first);
    checkIndex(second);
    names_.swapItemsAt(first, second);
    urls_.swapItemsAt(first, second);
}

void FavouritesStore::insert(int index, const QByteArray& name, const QByteArray& url)
{
    if (index < 0 || index > count())
        throw ListIndexError(index);
    names_.insert(index, name);
    urls_.insert(index, url);
}

void FavouritesStore::append(const QByteArray& name, const QByteArray& url)
{
    names_.append(name);
    urls_.append(url);
}

void FavouritesStore::ClearAll()
{
    names_.clear();
    urls_.clear();
    RxBuffer.fill('\0');
    if (cleared_)
        cleared_();
}

void FavouritesStore::adoptLoaded(FavouritesStore& loaded)
{
    ClearAll();
    names_ = std::move(loaded.names_);
    urls_ = std::move(loaded.urls_);
    loaded.names_.clear();
    loaded.urls_.clear();
    RxBuffer = loaded.RxBuffer;
    TxBuffer = loaded.TxBuffer;
    DataSize = loaded.DataSize;
    OverflowFlag = loaded.OverflowFlag;
    BadHeaderFlag = loaded.BadHeaderFlag;
}

void FavouritesStore::ParseSection()
{
    BadHeaderFlag = 0;
    if (std::memcmp(RxBuffer.data(), limits::Signature.data(), limits::SignatureSize) != 0) {
        notices_.beep();
        notices_.message(QStringLiteral("Bad header"));
        BadHeaderFlag = 1;
        return;
    }

    // A phone may report a file larger than the buffer, and that size lands in
    // DataSize; bytes past the buffer read as 0x00, so no field runs beyond it.
    const int end = std::min<std::int32_t>(DataSize, limits::BufferSize);
    const char* rx = RxBuffer.data();
    const auto lookAhead = [rx](int offset) {
        return offset < limits::BufferSize ? rx[offset] : '\0';
    };

    int offset = limits::SignatureSize;
    while (offset < end) {
        if (rx[offset] == '\0')
            break;

        const int urlStart = offset;
        while (offset < end && rx[offset] != '\0')
            ++offset;
        const QByteArray url(rx + urlStart, offset - urlStart);
        offset += 2;

        // A well-formed name ends at its 0x00; the 0x01 look-ahead also ends a
        // name whose terminator pair lost its zero.
        const int nameStart = offset;
        while (offset < end && rx[offset] != '\0' && lookAhead(offset + 1) != '\x01')
            ++offset;
        const QByteArray name(rx + nameStart, std::max(0, offset - nameStart));
        offset += 2;

        names_.append(name);
        urls_.append(url);
    }
}

void FavouritesStore::BuildSection()
{
    TxBuffer.fill('\0');
    std::memcpy(TxBuffer.data(), limits::Signature.data(), limits::SignatureSize);
    OverflowFlag = 0;

    while (count() > limits::MaxEntries) {
        names_.removeLast();
        urls_.removeLast();
        notices_.message(QStringLiteral("No. of entries truncated to 100(=max)."));
    }

    char* tx = TxBuffer.data();
    int offset = limits::SignatureSize;
    // Copies bytes up to the cut offset and reports whether all of them fitted.
    const auto copyField = [tx, &offset](const QByteArray& field, int cutOffset) {
        const int room = std::max(0, cutOffset - offset);
        const int taken = std::min<int>(int(field.size()), room);
        std::memcpy(tx + offset, field.constData(), size_t(taken));
        offset += taken;
        return taken == field.size();
    };

    for (int i = 0; i < count(); ++i) {
        // A record that would start where no URL byte may stand has no room left:
        // its terminators alone would push the image past the largest size, and
        // a record that opens with 0x00 reads back as the end of the list anyway.
        if (offset >= limits::UrlCutOffset) {
            OverflowFlag = 1;
            break;
        }
        if (!copyField(urls_[i], limits::UrlCutOffset))
            OverflowFlag = 1;
        tx[offset++] = limits::UrlTerminator[0];
        tx[offset++] = limits::UrlTerminator[1];
        if (!copyField(names_[i], limits::NameCutOffset))
            OverflowFlag = 1;
        tx[offset++] = limits::NameTerminator[0];
        tx[offset++] = limits::NameTerminator[1];
        if (OverflowFlag)
            break;
    }

    DataSize = count() > 0 ? offset : 0;
}

} // namespace linkwell
