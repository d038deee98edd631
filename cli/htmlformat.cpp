#include "bookmarks.h"

#include <QHash>
#include <QStringDecoder>

namespace linkwell::cli {

namespace {

// The named entities browsers write into their exports, and the few a person
// editing one by hand is likely to use. Any other stays as written, as a
// browser shows an entity it does not know.
const QHash<QString, char32_t>& namedEntities()
{
    static const QHash<QString, char32_t> table{
        {QStringLiteral("amp"), U'&'},      {QStringLiteral("lt"), U'<'},
        {QStringLiteral("gt"), U'>'},       {QStringLiteral("quot"), U'"'},
        {QStringLiteral("apos"), U'\''},    {QStringLiteral("nbsp"), 0xA0},
        {QStringLiteral("copy"), 0xA9},     {QStringLiteral("reg"), 0xAE},
        {QStringLiteral("ndash"), 0x2013},  {QStringLiteral("mdash"), 0x2014},
        {QStringLiteral("hellip"), 0x2026}, {QStringLiteral("euro"), 0x20AC},
    };
    return table;
}

QString decodeEntities(QStringView text)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        const qsizetype semicolon = c == u'&' ? text.indexOf(u';', i + 1) : -1;
        if (semicolon < 0 || semicolon - i > 12) {
            out += c;
            ++i;
            continue;
        }
        const QStringView body = text.mid(i + 1, semicolon - i - 1);
        char32_t code = 0;
        bool ok = false;
        if (body.startsWith(u'#')) {
            const bool hex = body.size() > 1 && (body[1] == u'x' || body[1] == u'X');
            code = char32_t(body.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10));
            ok = ok && code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
        } else {
            const auto it = namedEntities().constFind(body.toString());
            ok = it != namedEntities().constEnd();
            if (ok)
                code = *it;
        }
        if (!ok) {
            out += c;
            ++i;
            continue;
        }
        out += QString::fromUcs4(&code, 1);
        i = semicolon + 1;
    }
    return out;
}

QString escape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case '\'': out += QLatin1String("&#39;"); break;
        default: out += c;
        }
    }
    return out;
}

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// HTML's own rule for text: a run of white space is one space, none at the
// ends. It runs before entities are decoded, so a written &#32; or &nbsp; stays.
QString collapseSpace(QStringView raw)
{
    QString out;
    out.reserve(raw.size());
    bool pendingSpace = false;
    for (const QChar c : raw) {
        if (isSpace(c)) {
            pendingSpace = !out.isEmpty();
            continue;
        }
        if (pendingSpace)
            out += u' ';
        pendingSpace = false;
        out += c;
    }
    return out;
}

// A link's text, escaped so that reading it back gives exactly the same
// characters: the white space HTML would fold is written as character
// references.
QString escapeText(const QString& text)
{
    const QString escaped = escape(text);
    QString out;
    out.reserve(escaped.size());
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const QChar c = escaped[i];
        const bool foldable = c == u' ' && (i == 0 || i + 1 == escaped.size() || escaped[i - 1] == u' ' ||
                                           escaped[i + 1] == u' ');
        if (foldable || (isSpace(c) && c != u' '))
            out += QStringLiteral("&#%1;").arg(c.unicode());
        else
            out += c;
    }
    return out;
}

// Reads the document once, tag by tag; the text between the tags of a link
// is its name, whatever folders (<DL>, <H3>) surround it.
class HtmlScanner {
public:
    HtmlScanner(QString text, QString source) : text_(std::move(text)), source_(std::move(source)) {}

    Bookmarks links()
    {
        requireDoctype();
        Bookmarks out;
        bool inLink = false;
        qsizetype linkLine = 0;
        QString href;
        QString name;
        while (pos_ < text_.size()) {
            const qsizetype open = text_.indexOf(u'<', pos_);
            const qsizetype textEnd = open < 0 ? text_.size() : open;
            if (inLink)
                name += QStringView(text_).mid(pos_, textEnd - pos_);
            if (open < 0)
                break;
            pos_ = open;
            if (skipDeclaration())
                continue;
            const Tag tag = readTag();
            if (tag.name == QLatin1String("a")) {
                if (inLink)
                    fail(QStringLiteral("a link opens inside the link of line %1").arg(linkLine));
                if (!tag.hasHref)
                    fail(QStringLiteral("the <A> on line %1 has no HREF").arg(tag.line));
                inLink = true;
                linkLine = tag.line;
                href = tag.href;
                name.clear();
            } else if (tag.name == QLatin1String("/a")) {
                if (!inLink)
                    fail(QStringLiteral("</A> on line %1 closes no link").arg(tag.line));
                inLink = false;
                out.append({decodeEntities(collapseSpace(name)), href, source_, int(out.size()) + 1});
            }
        }
        if (inLink)
            fail(QStringLiteral("the <A> on line %1 is never closed").arg(linkLine));
        return out;
    }

private:
    struct Tag {
        QString name; // lower case, "/a" for a closing tag
        QString href;
        bool hasHref = false;
        qsizetype line = 0;
    };

    [[noreturn]] void fail(const QString& what) const
    {
        throw CliError(source_ + QStringLiteral(": not a valid bookmark file: ") + what);
    }

    qsizetype lineAt(qsizetype offset) const
    {
        return QStringView(text_).left(offset).count(u'\n') + 1;
    }

    void requireDoctype()
    {
        if (text_.startsWith(QChar(0xFEFF)))
            pos_ = 1;
        while (pos_ < text_.size() && isSpace(text_[pos_]))
            ++pos_;
        if (!QStringView(text_).mid(pos_).startsWith(QLatin1String("<!DOCTYPE NETSCAPE-Bookmark-file-1"),
                                                    Qt::CaseInsensitive))
            fail(QStringLiteral("it does not begin with <!DOCTYPE NETSCAPE-Bookmark-file-1>"));
    }

    // Comments, the doctype and other <!...> declarations carry no links.
    bool skipDeclaration()
    {
        const QStringView rest = QStringView(text_).mid(pos_);
        if (rest.startsWith(QLatin1String("<!--"))) {
            const qsizetype end = text_.indexOf(QLatin1String("-->"), pos_ + 4);
            if (end < 0)
                fail(QStringLiteral("the comment on line %1 is never closed").arg(lineAt(pos_)));
            pos_ = end + 3;
            return true;
        }
        if (rest.startsWith(QLatin1String("<!"))) {
            const qsizetype end = text_.indexOf(u'>', pos_);
            if (end < 0)
                fail(QStringLiteral("the declaration on line %1 is never closed").arg(lineAt(pos_)));
            pos_ = end + 1;
            return true;
        }
        return false;
    }

    Tag readTag()
    {
        Tag tag;
        tag.line = lineAt(pos_);
        qsizetype i = pos_ + 1;
        const qsizetype nameStart = i;
        if (i < text_.size() && text_[i] == u'/')
            ++i;
        while (i < text_.size() && (text_[i].isLetterOrNumber()))
            ++i;
        tag.name = text_.mid(nameStart, i - nameStart).toLower();
        if (tag.name.isEmpty() || tag.name == QLatin1String("/")) {
            // A "<" that opens no tag is text, as in a browser.
            tag.name.clear();
            pos_ = pos_ + 1;
            return tag;
        }
        for (;;) {
            while (i < text_.size() && (isSpace(text_[i]) || text_[i] == u'/'))
                ++i;
            if (i >= text_.size())
                fail(QStringLiteral("the <%1> tag on line %2 is never closed").arg(tag.name).arg(tag.line));
            if (text_[i] == u'>') {
                pos_ = i + 1;
                return tag;
            }
            const qsizetype keyStart = i;
            while (i < text_.size() && !isSpace(text_[i]) && text_[i] != u'=' && text_[i] != u'>' &&
                   text_[i] != u'/')
                ++i;
            const QString key = text_.mid(keyStart, i - keyStart).toLower();
            while (i < text_.size() && isSpace(text_[i]))
                ++i;
            QString value;
            if (i < text_.size() && text_[i] == u'=') {
                ++i;
                while (i < text_.size() && isSpace(text_[i]))
                    ++i;
                if (i < text_.size() && (text_[i] == u'"' || text_[i] == u'\'')) {
                    const QChar quote = text_[i];
                    const qsizetype close = text_.indexOf(quote, i + 1);
                    if (close < 0)
                        fail(QStringLiteral("a quoted %1 on line %2 is never closed")
                                 .arg(key.toUpper())
                                 .arg(lineAt(i)));
                    value = text_.mid(i + 1, close - i - 1);
                    i = close + 1;
                } else {
                    const qsizetype valueStart = i;
                    while (i < text_.size() && !isSpace(text_[i]) && text_[i] != u'>')
                        ++i;
                    value = text_.mid(valueStart, i - valueStart);
                }
            }
            if (key == QLatin1String("href") && !tag.hasHref) {
                tag.hasHref = true;
                tag.href = decodeEntities(value.trimmed());
            }
        }
    }

    QString text_;
    QString source_;
    qsizetype pos_ = 0;
};

} // namespace

Bookmarks readHtml(const QByteArray& content, const QString& source)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(content);
    if (utf8.hasError())
        throw CliError(source + QStringLiteral(": not valid UTF-8"));
    return HtmlScanner(std::move(text), source).links();
}

QByteArray writeHtml(const Bookmarks& bookmarks)
{
    QString out = QStringLiteral(
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
        "<!-- This is an automatically generated file.\n"
        "     It will be read and overwritten.\n"
        "     DO NOT EDIT! -->\n"
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
        "<TITLE>Bookmarks</TITLE>\n"
        "<H1>Bookmarks</H1>\n"
        "<DL><p>\n");
    for (const Bookmark& b : bookmarks)
        out += QStringLiteral("    <DT><A HREF=\"%1\">%2</A>\n").arg(escapeText(b.url), escapeText(b.name));
    out += QStringLiteral("</DL><p>\n");
    return out.toUtf8();
}

} // namespace linkwell::cli
