#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// The checks on entries that need no widget: showing, editing, deleting and
// inserting entries. The window and the new-entry dialog call these and only
// show the results.
namespace linkwell {

// Each run of blanks (0x20 only) becomes one blank, wherever it stands.
QByteArray CollapseSpaces(const QByteArray& text);

// What leaving edit mode makes of the edited texts. The checks run in this
// order and the first that fails decides.
enum class EditExit { Commit, TooManyCharacters, NameEmpty, UrlEmpty };
EditExit CheckEditExit(const QByteArray& name, const QByteArray& url, std::int32_t otherSize);
// The message of a refusal; empty for Commit.
QString EditExitMessage(EditExit verdict);

// The confirmation asked before an entry is deleted, from its stored texts.
QByteArray DeleteQuestion(const QByteArray& name, const QByteArray& url);

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
