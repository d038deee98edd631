#include "favouritesstore.h"

#include <string>

namespace linkwell {

namespace {

std::string indexErrorText(int index)
{
    return "List index out of bounds (" + std::to_string(index) + ")";
}

QList<QByteArray> column(const ImageEntries& entries, QByteArray ImageEntries::value_type::*field)
{
    QList<QByteArray> out;
    out.reserve(entries.size());
    for (const auto& entry : entries)
        out.append(entry.*field);
    return out;
}

} // namespace

ListIndexError::ListIndexError(int index) : std::out_of_range(indexErrorText(index)), index_(index) {}

QList<QByteArray> FavouritesStore::NameList() const
{
    return column(entries_, &ImageEntries::value_type::first);
}

QList<QByteArray> FavouritesStore::UrlList() const
{
    return column(entries_, &ImageEntries::value_type::second);
}

void FavouritesStore::checkIndex(int index) const
{
    if (index < 0 || index >= count())
        throw ListIndexError(index);
}

const QByteArray& FavouritesStore::name(int index) const
{
    checkIndex(index);
    return entries_[index].first;
}

const QByteArray& FavouritesStore::url(int index) const
{
    checkIndex(index);
    return entries_[index].second;
}

void FavouritesStore::replace(int index, const QByteArray& name, const QByteArray& url)
{
    checkIndex(index);
    entries_[index] = {name, url};
}

void FavouritesStore::removeAt(int index)
{
    checkIndex(index);
    entries_.removeAt(index);
}

void FavouritesStore::exchange(int first, int second)
{
    checkIndex(first);
    checkIndex(second);
    entries_.swapItemsAt(first, second);
}

void FavouritesStore::insert(int index, const QByteArray& name, const QByteArray& url)
{
    if (index < 0 || index > count())
        throw ListIndexError(index);
    entries_.insert(index, {name, url});
}

void FavouritesStore::append(const QByteArray& name, const QByteArray& url)
{
    entries_.append({name, url});
}

BuiltImage FavouritesStore::BuildSection()
{
    BuiltImage image = linkwell::BuildSection(entries_);
    // The image shares the entries; resizing to the same size would still
    // detach them and leave references into the store pointing at the image's copy.
    if (image.entriesDropped > 0)
        entries_.resize(entries_.size() - image.entriesDropped);
    return image;
}

} // namespace linkwell
