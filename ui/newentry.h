#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// The checks of inserting a new entry that need no widget.
namespace linkwell {

// One new entry as the dialog hands it back: the name, then the URL, each as typed.
struct EntNameUrl {
    QByteArray name;
    QByteArray url;
};

// Why "Insert new" does not open the dialog, or an empty text when it may.
// Runs on the store's entry count and the size of its image.
QString InsertRefusal(int entries, std::int32_t imageSize);

// Why "Add to list" keeps the dialog open, or an empty text when the entry is
// accepted. The checks run in this order; only the first that fails counts.
QString AddToListRefusal(const QByteArray& name, const QByteArray& url, std::int32_t baseSize);

} // namespace linkwell
