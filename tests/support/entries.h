#pragma once

#include "store/favouritesstore.h"

#include <QByteArray>
#include <QList>
#include <QPair>

namespace linkwell::testing {

// Entries as tests write them: (name, URL) pairs.
using Entries = QList<QPair<QByteArray, QByteArray>>;

// The image bytes of the entries, written out by hand from the record layout
// rather than by the builder under test.
inline QByteArray imageOf(const Entries& entries)
{
    QByteArray image("MME20C", 7);
    for (const auto& [name, url] : entries)
        image += url + QByteArray("\0=", 2) + name + QByteArray("\0\x01", 2);
    return image;
}

// "name1"/"url1" to "nameN"/"urlN".
inline Entries numbered(int count)
{
    Entries out;
    for (int i = 1; i <= count; ++i)
        out << qMakePair("name" + QByteArray::number(i), "url" + QByteArray::number(i));
    return out;
}

inline Entries entriesOf(const FavouritesStore& store)
{
    Entries out;
    for (int i = 0; i < store.count(); ++i)
        out.append({store.NameList().at(i), store.UrlList().at(i)});
    return out;
}

inline void fill(FavouritesStore& store, const Entries& entries)
{
    for (const auto& [name, url] : entries)
        store.append(name, url);
}

} // namespace linkwell::testing
