#pragma once

#include "bookmarks.h"
#include "clinotices.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <memory>

namespace linkwell {
class FavouritesStore;
class PhoneLibrary;
} // namespace linkwell

namespace linkwell::cli {

// Exit statuses.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailed = 1; // a file refused, a phone that failed, nothing written
inline constexpr int ExitUsage = 2;  // the command line itself is wrong

// What a run of the program is connected to; tests give their own.
struct CliContext {
    QTextStream& out;
    QTextStream& err;
    // Asks on the terminal; empty when standard input is not one.
    CliNotices::AnswerReader answers;
    // The phone service library, opened on demand; empty when the program was
    // built without one.
    std::function<std::shared_ptr<PhoneLibrary>()> openPhone;
};

// The whole program: arguments as main() gets them (the first is the
// program's name), the exit status back.
int runCli(const QStringList& arguments, CliContext& context);

// Reads one input file of build, in the format its name or content says.
Bookmarks readInputFile(const QString& path);

// Windows-1250 (name, URL) pairs for the store, in order; throws CliError
// naming the entry and the character for text the code page cannot hold.
QList<QPair<QByteArray, QByteArray>> encodeBookmarks(const Bookmarks& bookmarks);

// How many bytes too many the image of these entries (at most 100) would be,
// 0 when the window's image builder keeps every byte of them.
int imageExcess(const QList<QPair<QByteArray, QByteArray>>& entries);

struct BuiltImage {
    QByteArray bytes;
    int entries = 0;        // entries the image holds
    QStringList truncation; // what --truncate cut, one line each; empty when nothing
};

// The image the window would build for these entries. Without `truncate`
// more than 100 entries or more than 1998 bytes is a CliError that says by
// how much; with it the image is cut exactly as the window cuts it.
BuiltImage buildImage(const Bookmarks& bookmarks, bool truncate);

// The store's entries as Unicode text.
Bookmarks bookmarksOf(const FavouritesStore& store, const QString& source);

// The bytes an image file is written with for the store: the window's image,
// and the bare signature for an empty store, so that every file written here
// opens again.
QByteArray imageFileBytes(FavouritesStore& store);

} // namespace linkwell::cli
