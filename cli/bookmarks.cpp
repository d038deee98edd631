#include "bookmarks.h"

#include <QFileInfo>

namespace linkwell::cli {

bool formatFromName(const QString& name, Format* format)
{
    const QString lower = name.toLower();
    if (lower == QLatin1String("json"))
        *format = Format::Json;
    else if (lower == QLatin1String("html") || lower == QLatin1String("htm"))
        *format = Format::Html;
    else if (lower == QLatin1String("vbm"))
        *format = Format::Vbm;
    else
        return false;
    return true;
}

Format detectFormat(const QString& path, const QByteArray& content)
{
    Format format;
    if (formatFromName(QFileInfo(path).suffix(), &format))
        return format;

    QByteArray head = content.left(1024);
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    head = head.trimmed();
    if (head.startsWith('['))
        return Format::Json;
    if (head.toUpper().contains("NETSCAPE-BOOKMARK-FILE-1"))
        return Format::Html;
    if (head.toUpper().startsWith("BEGIN:VBKM"))
        return Format::Vbm;
    throw CliError(path + QStringLiteral(": not a JSON, bookmark HTML or vBookmark file"));
}

void readBookmarks(Format format, const QByteArray& content, const QString& source, const BookmarkSink& sink)
{
    switch (format) {
    case Format::Json: return readJson(content, source, sink);
    case Format::Html: return readHtml(content, source, sink);
    case Format::Vbm: return readVbm(content, source, sink);
    }
}

namespace {

template <typename Reader> Bookmarks collect(Reader reader, const QByteArray& content, const QString& source)
{
    Bookmarks out;
    reader(content, source, [&out](Bookmark&& bookmark) {
        out.append(std::move(bookmark));
        return true;
    });
    return out;
}

} // namespace

Bookmarks readJson(const QByteArray& content, const QString& source)
{
    return collect(qOverload<const QByteArray&, const QString&, const BookmarkSink&>(&readJson), content, source);
}

Bookmarks readHtml(const QByteArray& content, const QString& source)
{
    return collect(qOverload<const QByteArray&, const QString&, const BookmarkSink&>(&readHtml), content, source);
}

Bookmarks readVbm(const QByteArray& content, const QString& source)
{
    return collect(qOverload<const QByteArray&, const QString&, const BookmarkSink&>(&readVbm), content, source);
}

Bookmarks readBookmarks(Format format, const QByteArray& content, const QString& source)
{
    Bookmarks out;
    readBookmarks(format, content, source, [&out](Bookmark&& bookmark) {
        out.append(std::move(bookmark));
        return true;
    });
    return out;
}

QByteArray writeBookmarks(Format format, const Bookmarks& bookmarks)
{
    switch (format) {
    case Format::Json: return writeJson(bookmarks);
    case Format::Html: return writeHtml(bookmarks);
    case Format::Vbm: return writeVbm(bookmarks);
    }
    return {};
}

} // namespace linkwell::cli
