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

// The image bytes taken by everything except the selected entry, from the
// image size of the whole store.
std::int32_t OtherSizeOf(std::int32_t dataSize, const QByteArray& name, const QByteArray& url);

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

// The controls whose enabled state the list view and its callers switch as
// groups.
enum Control : unsigned {
    ListBox1Control = 1u << 0,
    ShowStyleControl = 1u << 1,
    EditStyleControl = 1u << 2,
    DeleteControl = 1u << 3,
    UpControl = 1u << 4,
    DownControl = 1u << 5,
    SaveFileControl = 1u << 6,
    UploadControl = 1u << 7,
    NewControl = 1u << 8,
    DownloadControl = 1u << 9,
    OpenFileControl = 1u << 10,
};
using Controls = unsigned;

// Enabled when the list has been filled, and by an insertion.
inline constexpr Controls EntryControls =
    SaveFileControl | UploadControl | DeleteControl | ShowStyleControl | EditStyleControl | UpControl | DownControl;
// Disabled in edit mode, and enabled again when it ends: all that could change
// the store or the selection. "Edit" itself and the port buttons stay.
inline constexpr Controls EditLockedControls = ShowStyleControl | DownloadControl | UploadControl | NewControl
                                               | DeleteControl | SaveFileControl | OpenFileControl | UpControl
                                               | DownControl | ListBox1Control;
// Disabled when the last entry has been deleted.
inline constexpr Controls EmptyListControls =
    DeleteControl | EditStyleControl | ShowStyleControl | SaveFileControl | UpControl | DownControl;

} // namespace linkwell
