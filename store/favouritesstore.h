#pragma once

#include "sectionimage.h"

#include <QByteArray>
#include <QList>
#include <stdexcept>

namespace linkwell {

// The failure of an access to the store outside 0 to count - 1. Its text is
// what the generic error box shows.
class ListIndexError : public std::out_of_range {
public:
    explicit ListIndexError(int index);
    int index() const { return index_; }

private:
    int index_;
};

// The favourites held while the program runs: names and URLs as
// Windows-1250 bytes, in list order, duplicates allowed. The store only holds
// and answers; whoever changes it shows what happened.
class FavouritesStore {
public:
    const ImageEntries& entries() const { return entries_; }
    QList<QByteArray> NameList() const;
    QList<QByteArray> UrlList() const;
    int count() const { return int(entries_.size()); }

    // Each of these throws ListIndexError for an index outside the store.
    const QByteArray& name(int index) const;
    const QByteArray& url(int index) const;
    void replace(int index, const QByteArray& name, const QByteArray& url);
    void removeAt(int index);
    void exchange(int first, int second);
    // index may be count() to append.
    void insert(int index, const QByteArray& name, const QByteArray& url);
    void append(const QByteArray& name, const QByteArray& url);

    void ClearAll() { entries_.clear(); }
    // Takes the entries of a download or an opened file in place of its own.
    void adopt(ImageEntries entries) { entries_ = std::move(entries); }

    // The image of the store. Entries past the 100th leave the store as they
    // leave the image; the result says how many went.
    BuiltImage BuildSection();

private:
    void checkIndex(int index) const;

    ImageEntries entries_;
};

} // namespace linkwell
