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

Bookmarks readBookmarks(Format format, const QByteArray& content, const QString& source)
{
    switch (format) {
    case Format::Json:
        return readJson(content, source);
    case Format::Html:
        return readHtml(content, source);
    case Format::Vbm:
        return readVbm(content, source);
    }
    return {};
}

void readBookmarks(Format format, const QByteArray& content, const QString& source, const BookmarkSink& sink)
{
    for (Bookmark& b : readBookmarks(format, content, source))
        if (!sink(std::move(b)))
            return;
}

QByteArray writeBookmarks(Format format, const Bookmarks& bookmarks)
{
    switch (format) {
    case Format::Json:
        return writeJson(bookmarks);
    case Format::Html:
        return writeHtml(bookmarks);
    case Format::Vbm:
        return writeVbm(bookmarks);
    }
    return {};
}

} // namespace linkwell::cli
