#include "bookmarks.h"
#include "hexdigit.h"
#include "printable.h"

#include <QStringDecoder>

#include <algorithm>

namespace linkwell::cli {

namespace {

enum class Encoding { Plain, QuotedPrintable, Base64 };

// Views into the file, or into `joined` once continuation lines are added;
// filled in place, never copied, so the views stay valid.
struct Property {
    QByteArrayView name; // without a group prefix
    QByteArrayView charset = "UTF-8";
    Encoding encoding = Encoding::Plain;
    QByteArrayView value;
    QByteArray joined;
    int line = 0;
};

bool is(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString latin1(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.data(), bytes.size());
}

// An '=' that starts no escape stays, as the phones that write such values
// mean it.
QByteArray decodeQuotedPrintable(const QByteArray& in)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const int hi = in[i] == '=' && i + 2 < in.size() ? hexDigitValue(in[i + 1]) : -1;
        const int lo = hi >= 0 ? hexDigitValue(in[i + 2]) : -1;
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
    VbmReader(const QByteArray& content, const QString& source, const BookmarkSink& sink) : content_(content), source_(source), sink_(sink)
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
        QByteArrayView line;
        while (nextLine(&line)) {
            if (line.trimmed().isEmpty())
                continue;
            Property property;
            readProperty(line, &property);
            const QByteArrayView value = property.value.trimmed();
            if (objectLine == 0) {
                if (!is(property.name, "BEGIN") || !is(value, "VBKM"))
                    fail(property.line,
                         QStringLiteral("\"%1\" stands outside a BEGIN:VBKM ... END:VBKM object").arg(quoted(QString::fromUtf8(line))));
                objectLine = property.line;
                hasUrl = false;
                current = Bookmark{};
                continue;
            }
            bool ends = is(property.name, "END");
            if (is(property.name, "BEGIN")) {
                if (is(value, "VBKM"))
                    fail(property.line, QStringLiteral("a BEGIN:VBKM inside the object of line %1").arg(objectLine));
                // The ENV part phones add, or anything else nested: its lines
                // are not ours and need not even be properties.
                if (skipNested(value, property.line))
                    continue;
                ends = true; // it ran into END:VBKM
            } else if (ends && !is(value, "VBKM")) {
                fail(property.line, QStringLiteral("END:%1 where END:VBKM belongs").arg(quoted(QString::fromUtf8(value))));
            }
            if (ends) {
                if (!hasUrl)
                    fail(property.line, QStringLiteral("the object of line %1 has no URL").arg(objectLine));
                current.source = source_;
                current.position = ++handed;
                if (!sink_(std::move(current)))
                    return;
                objectLine = 0;
            } else if (is(property.name, "URL") && !hasUrl) {
                current.url = decode(property);
                hasUrl = true;
            } else if (is(property.name, "TITLE")) {
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
    bool nextLine(QByteArrayView* line)
    {
        if (pos_ >= content_.size())
            return false;
        qsizetype end = content_.indexOf('\n', pos_);
        const qsizetype next = end < 0 ? content_.size() : end + 1;
        if (end < 0)
            end = content_.size();
        if (end > pos_ && content_[end - 1] == '\r')
            --end;
        *line = QByteArrayView(content_.constData() + pos_, end - pos_);
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
    bool skipNested(QByteArrayView name, int beginLine)
    {
        const QByteArray end = "END:" + name.toByteArray();
        QByteArrayView line;
        while (nextLine(&line)) {
            const QByteArrayView trimmed = line.trimmed();
            if (is(trimmed, end))
                return true;
            if (is(trimmed, "END:VBKM"))
                return false;
        }
        fail(beginLine, QStringLiteral("BEGIN:%1 is never ended").arg(quoted(QString::fromUtf8(name))));
    }

    // One property from `line`, with the continuation lines of its kind:
    // soft line breaks only in a quoted-printable value, the indented lines
    // of a BASE64 value, folded lines otherwise.
    void readProperty(QByteArrayView line, Property* property)
    {
        property->line = lineNumber_;
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            fail(property->line, QStringLiteral("\"%1\" has no \":\"").arg(quoted(QString::fromUtf8(line))));
        const QByteArrayView head = line.first(colon);
        qsizetype semicolon = head.indexOf(';');
        property->name = (semicolon < 0 ? head : head.first(semicolon)).trimmed();
        if (const qsizetype dot = property->name.lastIndexOf('.'); dot >= 0)
            property->name = property->name.sliced(dot + 1); // a vCard group, "item1.URL"
        while (semicolon >= 0) {
            const qsizetype next = head.indexOf(';', semicolon + 1);
            const QByteArrayView param = head.sliced(semicolon + 1, (next < 0 ? head.size() : next) - semicolon - 1).trimmed();
            semicolon = next;
            const bool named = param.size() >= 9 && is(param.first(9), "ENCODING=");
            const QByteArrayView encoding = named ? param.sliced(9) : param;
            if (is(encoding, "QUOTED-PRINTABLE"))
                property->encoding = Encoding::QuotedPrintable;
            else if (is(encoding, "BASE64") || is(encoding, "B"))
                property->encoding = Encoding::Base64;
            else if (param.size() >= 8 && is(param.first(8), "CHARSET="))
                property->charset = param.sliced(8);
            else if (named && !is(encoding, "8BIT") && !is(encoding, "7BIT"))
                fail(property->line, QStringLiteral("unknown ENCODING %1").arg(latin1(encoding)));
        }
        property->value = line.sliced(colon + 1);
        QByteArrayView next;
        auto join = [property](QByteArrayView more) {
            if (property->joined.isEmpty())
                property->joined = property->value.toByteArray();
            property->joined += more;
            property->value = property->joined;
        };
        switch (property->encoding) {
        case Encoding::QuotedPrintable:
            while (property->value.endsWith('=') && pos_ < content_.size()) {
                if (property->joined.isEmpty())
                    property->joined = property->value.toByteArray();
                property->joined.chop(1);
                property->value = property->joined;
                nextLine(&next);
                join(next);
            }
            break;
        case Encoding::Base64:
            // vCard 2.1 writes the value on indented lines and ends it with
            // an empty one.
            while ((peekFirst() == ' ' || peekFirst() == '\t') && nextLine(&next))
                join(next);
            if (atLineEnd() && pos_ < content_.size())
                nextLine(&next);
            break;
        case Encoding::Plain:
            while ((peekFirst() == ' ' || peekFirst() == '\t') && nextLine(&next))
                join(next.sliced(1));
            break;
        }
    }

    QString decode(const Property& property) const
    {
        QByteArray bytes = property.value.toByteArray();
        if (property.encoding == Encoding::QuotedPrintable) {
            bytes = decodeQuotedPrintable(bytes);
        } else if (property.encoding == Encoding::Base64) {
            bytes.replace(' ', "").replace('\t', "");
            auto decoded = QByteArray::fromBase64Encoding(bytes, QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded)
                fail(property.line, QStringLiteral("the %1 is not valid BASE64").arg(latin1(property.name).toUpper()));
            bytes = *decoded;
        }
        const QByteArray charset = property.charset.toByteArray();
        QStringDecoder decoder(charset.constData());
        if (!decoder.isValid())
            fail(property.line, QStringLiteral("unknown CHARSET %1").arg(latin1(charset)));
        const QString text = decoder.decode(bytes);
        if (decoder.hasError())
            fail(property.line, QStringLiteral("the %1 is not valid %2").arg(latin1(property.name).toUpper(), latin1(charset)));
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
