#include "bookmarks.h"

#include <QStringDecoder>

#include <algorithm>

namespace linkwell::cli {

namespace {

enum class Encoding { Plain, QuotedPrintable, Base64 };

struct Property {
    QByteArray name; // upper case, without a group prefix
    QByteArray charset = "UTF-8";
    Encoding encoding = Encoding::Plain;
    QByteArray value;
    int line = 0;
};

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// An '=' that starts no escape stays, as the phones that write such values
// mean it.
QByteArray decodeQuotedPrintable(const QByteArray& in)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const int hi = in[i] == '=' && i + 2 < in.size() ? hexValue(in[i + 1]) : -1;
        const int lo = hi >= 0 ? hexValue(in[i + 2]) : -1;
        if (lo >= 0) {
            out += char(hi * 16 + lo);
            i += 2;
        } else {
            out += in[i];
        }
    }
    return out;
}

bool isControl(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
}

// Values a vBookmark line cannot carry as they are: line breaks and other
// control characters, and white space at an end, which transports trim.
bool needsQuotedPrintable(const QByteArray& utf8)
{
    if (!utf8.isEmpty() && (utf8.front() == ' ' || utf8.back() == ' '))
        return true;
    return std::any_of(utf8.begin(), utf8.end(), isControl);
}

QByteArray encodeQuotedPrintable(const QByteArray& in, bool all)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        const bool endSpace = c == ' ' && (i == 0 || i + 1 == in.size());
        if (isControl(c) || (all && (c == '=' || endSpace)))
            out += '=' + QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0').toUpper();
        else
            out += c;
    }
    return out;
}

bool isAscii(const QByteArray& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

class VbmReader {
public:
    VbmReader(const QByteArray& content, const QString& source, const BookmarkSink& sink)
        : content_(content), source_(source), sink_(sink)
    {
        if (content_.startsWith("\xEF\xBB\xBF"))
            pos_ = 3;
    }

    void read()
    {
        int handed = 0;
        int objectLine = 0;
        bool hasUrl = false;
        Bookmark current;
        QByteArray line;
        while (nextLine(&line)) {
            if (line.trimmed().isEmpty())
                continue;
            const Property property = readProperty(line);
            const QByteArray value = property.value.trimmed().toUpper();
            if (objectLine == 0) {
                if (property.name != "BEGIN" || value != "VBKM")
                    fail(property.line, QStringLiteral("\"%1\" stands outside a BEGIN:VBKM ... END:VBKM object")
                                            .arg(QString::fromUtf8(line)));
                objectLine = property.line;
                hasUrl = false;
                current = Bookmark{};
                continue;
            }
            bool ends = property.name == "END";
            if (property.name == "BEGIN") {
                if (value == "VBKM")
                    fail(property.line, QStringLiteral("a BEGIN:VBKM inside the object of line %1").arg(objectLine));
                // The ENV part phones add, or anything else nested: its lines
                // are not ours and need not even be properties.
                if (skipNested(value, property.line))
                    continue;
                ends = true; // it ran into END:VBKM
            } else if (ends && value != "VBKM") {
                fail(property.line, QStringLiteral("END:%1 where END:VBKM belongs")
                                        .arg(QString::fromUtf8(property.value.trimmed())));
            }
            if (ends) {
                if (!hasUrl)
                    fail(property.line, QStringLiteral("the object of line %1 has no URL").arg(objectLine));
                current.source = source_;
                current.position = ++handed;
                if (!sink_(std::move(current)))
                    return;
                objectLine = 0;
            } else if (property.name == "URL" && !hasUrl) {
                current.url = decode(property);
                hasUrl = true;
            } else if (property.name == "TITLE") {
                current.name = decode(property);
            }
        }
        if (objectLine != 0)
            fail(objectLine, QStringLiteral("BEGIN:VBKM is never ended by END:VBKM"));
        if (handed == 0)
            throw CliError(source_ + QStringLiteral(": not a valid vBookmark file: it holds no BEGIN:VBKM object"));
    }

private:
    [[noreturn]] void fail(int line, const QString& what) const
    {
        throw CliError(source_ + QStringLiteral(": not a valid vBookmark file: line %1: ").arg(line) + what);
    }

    // The next physical line without its line end; false at the end.
    bool nextLine(QByteArray* line)
    {
        if (pos_ >= content_.size())
            return false;
        qsizetype end = content_.indexOf('\n', pos_);
        const qsizetype next = end < 0 ? content_.size() : end + 1;
        if (end < 0)
            end = content_.size();
        if (end > pos_ && content_[end - 1] == '\r')
            --end;
        *line = content_.mid(pos_, end - pos_);
        pos_ = next;
        ++lineNumber_;
        return true;
    }

    char peekFirst() const { return pos_ < content_.size() ? content_[pos_] : '\0'; }

    bool atLineEnd() const
    {
        const char c = peekFirst();
        return pos_ >= content_.size() || c == '\n' || c == '\r';
    }

    // Lines up to the END of the nested part opened by BEGIN:`name`. False
    // when END:VBKM comes first; a broken envelope need not cost the entry.
    bool skipNested(const QByteArray& name, int beginLine)
    {
        QByteArray line;
        while (nextLine(&line)) {
            const QByteArray upper = line.trimmed().toUpper();
            if (upper == "END:" + name)
                return true;
            if (upper == "END:VBKM")
                return false;
        }
        fail(beginLine, QStringLiteral("BEGIN:%1 is never ended").arg(QString::fromUtf8(name)));
    }

    // One property from `line`, with the continuation lines of its kind:
    // soft line breaks only in a quoted-printable value, the indented lines
    // of a BASE64 value, folded lines otherwise.
    Property readProperty(const QByteArray& line)
    {
        Property property;
        property.line = lineNumber_;
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            fail(property.line, QStringLiteral("\"%1\" has no \":\"").arg(QString::fromUtf8(line)));
        const QList<QByteArray> parts = line.left(colon).split(';');
        property.name = parts.first().trimmed().toUpper();
        if (const qsizetype dot = property.name.lastIndexOf('.'); dot >= 0)
            property.name = property.name.mid(dot + 1); // a vCard group, "item1.URL"
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QByteArray param = parts[i].trimmed();
            const QByteArray upper = param.toUpper();
            const QByteArray encoding = upper.startsWith("ENCODING=") ? upper.mid(9) : upper;
            if (encoding == "QUOTED-PRINTABLE")
                property.encoding = Encoding::QuotedPrintable;
            else if (encoding == "BASE64" || encoding == "B")
                property.encoding = Encoding::Base64;
            else if (upper.startsWith("CHARSET="))
                property.charset = param.mid(8);
            else if (upper.startsWith("ENCODING=") && encoding != "8BIT" && encoding != "7BIT")
                fail(property.line, QStringLiteral("unknown ENCODING %1").arg(QString::fromLatin1(param.mid(9))));
        }
        property.value = line.mid(colon + 1);
        QByteArray next;
        switch (property.encoding) {
        case Encoding::QuotedPrintable:
            while (property.value.endsWith('=') && pos_ < content_.size()) {
                property.value.chop(1);
                nextLine(&next);
                property.value += next;
            }
            break;
        case Encoding::Base64:
            // vCard 2.1 writes the value on indented lines and ends it with
            // an empty one.
            while ((peekFirst() == ' ' || peekFirst() == '\t') && nextLine(&next))
                property.value += next;
            if (atLineEnd() && pos_ < content_.size())
                nextLine(&next);
            break;
        case Encoding::Plain:
            while ((peekFirst() == ' ' || peekFirst() == '\t') && nextLine(&next))
                property.value += next.mid(1);
            break;
        }
        return property;
    }

    QString decode(const Property& property) const
    {
        QByteArray bytes = property.value;
        if (property.encoding == Encoding::QuotedPrintable) {
            bytes = decodeQuotedPrintable(bytes);
        } else if (property.encoding == Encoding::Base64) {
            bytes.replace(' ', "").replace('\t', "");
            auto decoded = QByteArray::fromBase64Encoding(bytes, QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded)
                fail(property.line,
                     QStringLiteral("the %1 is not valid BASE64").arg(QString::fromLatin1(property.name)));
            bytes = *decoded;
        }
        QStringDecoder decoder(property.charset.constData());
        if (!decoder.isValid())
            fail(property.line, QStringLiteral("unknown CHARSET %1").arg(QString::fromLatin1(property.charset)));
        const QString text = decoder.decode(bytes);
        if (decoder.hasError())
            fail(property.line, QStringLiteral("the %1 is not valid %2")
                                    .arg(QString::fromLatin1(property.name), QString::fromLatin1(property.charset)));
        return text;
    }

    const QByteArray& content_;
    const QString& source_;
    const BookmarkSink& sink_;
    qsizetype pos_ = 0;
    int lineNumber_ = 0;
};

QByteArray propertyLine(const char* name, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray line = name;
    if (!isAscii(utf8))
        line += ";CHARSET=UTF-8";
    if (needsQuotedPrintable(utf8))
        line += ";ENCODING=QUOTED-PRINTABLE:" + encodeQuotedPrintable(utf8, true);
    else
        line += ':' + utf8;
    return line + "\r\n";
}

QByteArray objectOf(const Bookmark& b)
{
    QByteArray out = "BEGIN:VBKM\r\nVERSION:1.0\r\n";
    out += propertyLine("TITLE", b.name);
    out += propertyLine("URL", b.url);
    // The Internet shortcut phones and their desktop suites put beside the
    // URL, laid out as they write it; its URL line is taken as it stands, so
    // only what would break the line is escaped.
    out += "BEGIN:ENV\r\nX-IRMC-URL;QUOTED-PRINTABLE:=\r\n[InternetShortcut]=\r\nURL=";
    out += encodeQuotedPrintable(b.url.toUtf8(), false);
    out += "\r\nEND:ENV\r\nEND:VBKM\r\n";
    return out;
}

// A name every file system takes: ASCII letters and digits, accents
// dropped, anything else one '_', at most 40 characters.
QString safeFileTitle(const QString& title)
{
    QString out;
    for (const QChar c : title.normalized(QString::NormalizationForm_KD)) {
        if (c.isMark())
            continue;
        const char16_t u = c.unicode();
        const bool keep = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '-';
        if (keep)
            out += c;
        else if (!out.endsWith(u'_'))
            out += u'_';
        if (out.size() >= 40)
            break;
    }
    while (out.startsWith(u'_'))
        out.remove(0, 1);
    while (out.endsWith(u'_'))
        out.chop(1);
    return out.isEmpty() ? QStringLiteral("untitled") : out;
}

} // namespace

void readVbm(const QByteArray& content, const QString& source, const BookmarkSink& sink)
{
    VbmReader(content, source, sink).read();
}

QByteArray writeVbm(const Bookmarks& bookmarks)
{
    QByteArray out;
    for (const Bookmark& b : bookmarks)
        out += objectOf(b);
    return out;
}

QList<QPair<QString, QByteArray>> writeVbmObjects(const Bookmarks& bookmarks)
{
    QList<QPair<QString, QByteArray>> out;
    for (qsizetype i = 0; i < bookmarks.size(); ++i)
        out.append({QStringLiteral("%1-%2.vbm").arg(i + 1, 2, 10, QLatin1Char('0')).arg(safeFileTitle(bookmarks[i].name)),
                    objectOf(bookmarks[i])});
    return out;
}

} // namespace linkwell::cli
