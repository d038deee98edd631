#include "bookmarks.h"

#include <QStringDecoder>
#include <QStringList>

namespace linkwell::cli {

namespace {

struct Property {
    QByteArray name; // upper case
    QByteArray charset = "UTF-8";
    bool quotedPrintable = false;
    QByteArray value;
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

QByteArray decodeQuotedPrintable(const QByteArray& in)
{
    QByteArray out;
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

// Values a vBookmark line cannot carry as they are.
bool needsQuotedPrintable(const QByteArray& utf8)
{
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f)
            return true;
    }
    return false;
}

QByteArray encodeQuotedPrintable(const QByteArray& in)
{
    QByteArray out;
    for (const char c : in) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || c == '=')
            out += '=' + QByteArray::number(u, 16).rightJustified(2, '0').toUpper();
        else
            out += c;
    }
    return out;
}

bool isAscii(const QByteArray& bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

class VbmReader {
public:
    VbmReader(const QByteArray& content, QString source) : source_(std::move(source))
    {
        QByteArray text = content;
        if (text.startsWith("\xEF\xBB\xBF"))
            text.remove(0, 3);
        lines_ = text.split('\n');
        for (QByteArray& line : lines_)
            if (line.endsWith('\r'))
                line.chop(1);
    }

    Bookmarks bookmarks()
    {
        Bookmarks out;
        int objectLine = 0;
        int nested = 0;
        bool hasUrl = false;
        Bookmark current;
        for (index_ = 0; index_ < lines_.size();) {
            const int lineNumber = index_ + 1;
            const QByteArray raw = lines_[index_];
            if (raw.trimmed().isEmpty()) {
                ++index_;
                continue;
            }
            const Property property = readProperty();
            const QByteArray value = property.value.trimmed().toUpper();
            if (objectLine == 0) {
                if (property.name != "BEGIN" || value != "VBKM")
                    fail(lineNumber, QStringLiteral("\"%1\" stands outside a BEGIN:VBKM ... END:VBKM object")
                                         .arg(QString::fromUtf8(raw)));
                objectLine = lineNumber;
                hasUrl = false;
                current = Bookmark{};
                continue;
            }
            if (property.name == "BEGIN") {
                if (value == "VBKM")
                    fail(lineNumber, QStringLiteral("a BEGIN:VBKM inside the object of line %1").arg(objectLine));
                ++nested; // such as the ENV part some phones add; its lines are not ours
            } else if (property.name == "END" && nested > 0) {
                --nested;
            } else if (property.name == "END") {
                if (value != "VBKM")
                    fail(lineNumber, QStringLiteral("END:%1 where END:VBKM belongs")
                                         .arg(QString::fromUtf8(property.value.trimmed())));
                if (!hasUrl)
                    fail(lineNumber, QStringLiteral("the object of line %1 has no URL").arg(objectLine));
                current.source = source_;
                current.position = int(out.size()) + 1;
                out.append(current);
                objectLine = 0;
            } else if (nested == 0 && (property.name == "TITLE" || property.name == "URL")) {
                const QString text = decode(property, lineNumber);
                if (property.name == "URL" && !hasUrl) {
                    current.url = text;
                    hasUrl = true;
                } else if (property.name == "TITLE") {
                    current.name = text;
                }
            }
        }
        if (objectLine != 0)
            fail(objectLine, QStringLiteral("BEGIN:VBKM is never ended by END:VBKM"));
        if (out.isEmpty())
            throw CliError(source_ + QStringLiteral(": not a valid vBookmark file: it holds no BEGIN:VBKM object"));
        return out;
    }

private:
    [[noreturn]] void fail(int line, const QString& what) const
    {
        throw CliError(source_ + QStringLiteral(": not a valid vBookmark file: line %1: ").arg(line) + what);
    }

    // One property from the line at index_, with its folded and soft-broken
    // continuation lines; index_ moves past all of them.
    Property readProperty()
    {
        const int lineNumber = index_ + 1;
        QByteArray line = lines_[index_++];
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            fail(lineNumber, QStringLiteral("\"%1\" has no \":\"").arg(QString::fromUtf8(line)));
        Property property;
        const QList<QByteArray> parts = line.left(colon).split(';');
        property.name = parts.first().trimmed().toUpper();
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QByteArray param = parts[i].trimmed().toUpper();
            if (param == "QUOTED-PRINTABLE" || param == "ENCODING=QUOTED-PRINTABLE")
                property.quotedPrintable = true;
            else if (param.startsWith("CHARSET="))
                property.charset = parts[i].trimmed().mid(8);
        }
        property.value = line.mid(colon + 1);
        for (;;) {
            if (property.quotedPrintable && property.value.endsWith('=') && index_ < lines_.size()) {
                property.value.chop(1);
                property.value += lines_[index_++];
            } else if (index_ < lines_.size() && !lines_[index_].isEmpty() &&
                       (lines_[index_][0] == ' ' || lines_[index_][0] == '\t')) {
                property.value += lines_[index_++].mid(1);
            } else {
                break;
            }
        }
        return property;
    }

    QString decode(const Property& property, int lineNumber) const
    {
        const QByteArray bytes =
            property.quotedPrintable ? decodeQuotedPrintable(property.value) : property.value;
        QStringDecoder decoder(property.charset.constData());
        if (!decoder.isValid())
            fail(lineNumber, QStringLiteral("unknown CHARSET %1").arg(QString::fromLatin1(property.charset)));
        const QString text = decoder.decode(bytes);
        if (decoder.hasError())
            fail(lineNumber, QStringLiteral("the %1 is not valid %2")
                                 .arg(QString::fromLatin1(property.name), QString::fromLatin1(property.charset)));
        return text;
    }

    QString source_;
    QList<QByteArray> lines_;
    int index_ = 0;
};

QByteArray propertyLine(const char* name, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray line = name;
    if (!isAscii(utf8))
        line += ";CHARSET=UTF-8";
    if (needsQuotedPrintable(utf8))
        line += ";ENCODING=QUOTED-PRINTABLE:" + encodeQuotedPrintable(utf8);
    else
        line += ':' + utf8;
    return line + "\r\n";
}

} // namespace

Bookmarks readVbm(const QByteArray& content, const QString& source)
{
    return VbmReader(content, source).bookmarks();
}

QByteArray writeVbm(const Bookmarks& bookmarks)
{
    QByteArray out;
    for (const Bookmark& b : bookmarks) {
        out += "BEGIN:VBKM\r\nVERSION:1.0\r\n";
        out += propertyLine("TITLE", b.name);
        out += propertyLine("URL", b.url);
        out += "END:VBKM\r\n";
    }
    return out;
}

} // namespace linkwell::cli
