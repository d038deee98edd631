#pragma once

#include "bookmarks.h"
#include "clinotices.h"

#include "store/sectionimage.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <memory>

class QIODevice;

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
    // Where "-o -" writes its bytes; none: "-o -" is refused.
    QIODevice* standardOutput = nullptr;
};

// The whole program: arguments as main() gets them (the first is the
// program's name), the exit status back.
int runCli(const QStringList& arguments, CliContext& context);

// Reads one input file of build, in the format its name or content says,
// handing each entry to the sink until it says stop.
void readInputFile(const QString& path, const BookmarkSink& sink);
Bookmarks readInputFile(const QString& path);

// The store's entries as Unicode text.
Bookmarks bookmarksOf(const FavouritesStore& store, const QString& source);

// The bytes of a built image, which for no entries are the bare signature,
// so that every file written here opens again; throws CliError naming what
// differs when they would not read back as their entries, so no such image is
// written or sent.
QByteArray checkedImageBytes(const BuiltImage& image, const QString& what);

// Prints a CliError or a message that may quote an input: one line per line
// of text, each made printable.
void printError(QTextStream& err, const QString& text);

} // namespace linkwell::cli
