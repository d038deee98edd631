#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>
#include <stdexcept>

namespace linkwell::cli {

// A failure the user is told about in one line; the command ends there and
// writes nothing.
class CliError : public std::runtime_error {
public:
    explicit CliError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};

// One favourite in Unicode, with where it came from for messages.
struct Bookmark {
    QString name;
    QString url;
    QString source;   // the file it was read from
    int position = 0; // 1-based, within that file
};

using Bookmarks = QList<Bookmark>;

enum class Format { Json, Html, Vbm };

// By the file's extension, then by its first bytes; throws CliError naming
// the file when neither tells.
Format detectFormat(const QString& path, const QByteArray& content);
// "html", "vbm", "json"; false for anything else.
bool formatFromName(const QString& name, Format* format);

// Receives the bookmarks of one input in order; returns false to stop reading there.
using BookmarkSink = std::function<bool(Bookmark&& bookmark)>;

// Each reader hands the entries to the sink as it reads them, so a caller
// that has enough can stop early and a large file is never held twice. It
// throws CliError naming `source` and what is wrong, possibly after it has
// handed some entries on.
void readJson(const QByteArray& content, const QString& source, const BookmarkSink& sink);
void readHtml(const QByteArray& content, const QString& source, const BookmarkSink& sink);
void readVbm(const QByteArray& content, const QString& source, const BookmarkSink& sink);
void readBookmarks(Format format, const QByteArray& content, const QString& source, const BookmarkSink& sink);

// The same, collecting every entry.
Bookmarks readJson(const QByteArray& content, const QString& source);
Bookmarks readHtml(const QByteArray& content, const QString& source);
Bookmarks readVbm(const QByteArray& content, const QString& source);
Bookmarks readBookmarks(Format format, const QByteArray& content, const QString& source);

QByteArray writeJson(const Bookmarks& bookmarks);
QByteArray writeHtml(const Bookmarks& bookmarks);
QByteArray writeVbm(const Bookmarks& bookmarks);
QByteArray writeBookmarks(Format format, const Bookmarks& bookmarks);

// vBookmark objects one per entry, for a phone that imports one object at a time:
// (file name "NN-title.vbm", bytes) in entry order. NN is the 1-based position,
// zero-padded to two digits; the title part is made safe for any file system.
QList<QPair<QString, QByteArray>> writeVbmObjects(const Bookmarks& bookmarks);

} // namespace linkwell::cli
