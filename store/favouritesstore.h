#pragma once

#include "limits.h"

#include <QByteArray>
#include <QList>
#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>

namespace linkwell {

class Notices;

// The failure of an access to the store outside 0 to count - 1. Its text is
// what the generic error box shows.
class ListIndexError : public std::out_of_range {
public:
    explicit ListIndexError(int index);
    int index() const { return index_; }

private:
    int index_;
};

// The favourites held while the program runs, and their byte image.
//
// Names and URLs are Windows-1250 byte strings kept in two parallel lists;
// every mutation touches both at the same index, so the lists never drift.
// The buffers, DataSize and the two flags are shared working state that the
// phone sequences, the file commands and the editing commands read right after
// the operation that set them.
class FavouritesStore {
public:
    using Buffer = std::array<char, limits::BufferSize>;

    explicit FavouritesStore(Notices& notices);

    Buffer RxBuffer{};
    Buffer TxBuffer{};
    std::int32_t DataSize = 0;
    std::uint8_t OverflowFlag = 0;
    std::uint8_t BadHeaderFlag = 0;

    const QList<QByteArray>& NameList() const { return names_; }
    const QList<QByteArray>& UrlList() const { return urls_; }
    int count() const { return int(names_.size()); }

    // Each of these throws ListIndexError for an index outside the store.
    const QByteArray& name(int index) const;
    const QByteArray& url(int index) const;
    void replace(int index, const QByteArray& name, const QByteArray& url);
    void removeAt(int index);
    void exchange(int first, int second);
    // index may be count() to append.
    void insert(int index, const QByteArray& name, const QByteArray& url);
    void append(const QByteArray& name, const QByteArray& url);

    // Empties both lists and zeroes RxBuffer; nothing else changes. The owner
    // learns of it through the handler so it can empty its list box too.
    void ClearAll();
    void setClearedHandler(std::function<void()> handler) { cleared_ = std::move(handler); }

    // Takes over the entries, buffers and size of a store that a load filled,
    // as if the load had run here. Loads run on a scratch store first so a
    // failed one leaves this store as it was.
    void adoptLoaded(FavouritesStore& loaded);

    // Appends the entries of the first DataSize bytes of RxBuffer.
    void ParseSection();
    // Writes the image of the store into TxBuffer and its size into DataSize.
    void BuildSection();

private:
    void checkIndex(int index) const;

    Notices& notices_;
    QList<QByteArray> names_;
    QList<QByteArray> urls_;
    std::function<void()> cleared_;
};

} // namespace linkwell
