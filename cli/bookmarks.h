#pragma once

#include <QByteArray>
#include <QList>
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

// Each reader throws CliError naming `source` and what is wrong.
Bookmarks readJson(const QByteArray& content, const QString& source);
Bookmarks readHtml(const QByteArray& content, const QString& source);
Bookmarks readVbm(const QByteArray& content, const QString& source);
Bookmarks readBookmarks(Format format, const QByteArray& content, const QString& source);

using BookmarkSink = std::function<bool(Bookmark&& bookmark)>;   // false: stop reading
void readBookmarks(Format format, const QByteArray& content, const QString& source, const BookmarkSink& sink);

QByteArray writeJson(const Bookmarks& bookmarks);
QByteArray writeHtml(const Bookmarks& bookmarks);
QByteArray writeVbm(const Bookmarks& bookmarks);
QByteArray writeBookmarks(Format format, const Bookmarks& bookmarks);

} // namespace linkwell::cli
