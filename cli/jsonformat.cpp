#include "bookmarks.h"
#include "hexdigit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include <vector>

namespace linkwell::cli {

namespace {

// Reads the array one element at a time straight from the bytes: a whole
// QJsonDocument of a large file costs several times the file in memory and
// the time to build values nobody keeps.
class JsonReader {
public:
    JsonReader(const QByteArray& content, const QString& source, const BookmarkSink& sink)
        : content_(content), source_(source), sink_(sink), p_(content.constData()), end_(content.constData() + content.size())
    {
    }

    void read()
    {
        if (content_.startsWith("\xEF\xBB\xBF"))
            p_ += 3;
        skipSpace();
        if (p_ == end_)
            syntax(QStringLiteral("the file is empty"));
        if (*p_ != '[') {
            if (*p_ == '{' || startsValue(*p_))
                throw CliError(source_ + QStringLiteral(": expected an array of {\"name\", \"url\"} objects"));
            syntax(QStringLiteral("a value was expected"));
        }
        ++p_;
        skipSpace();
        if (p_ < end_ && *p_ == ']') {
            ++p_;
        } else {
            for (int index = 1;; ++index) {
                skipSpace();
                if (p_ == end_)
                    syntax(QStringLiteral("the array is never closed"));
                if (*p_ != '{') {
                    if (startsValue(*p_))
                        throw CliError(source_ + QStringLiteral(": element %1 is not an object").arg(index));
                    syntax(QStringLiteral("a value was expected"));
                }
                Bookmark bookmark = readEntry(index);
                if (!sink_(std::move(bookmark)))
                    return;
                if (!moreBefore(']'))
                    break;
            }
        }
        skipSpace();
        if (p_ != end_)
            syntax(QStringLiteral("something follows the array"));
    }

private:
    static bool startsValue(char c)
    {
        return c == '"' || c == '[' || c == '{' || c == '-' || (c >= '0' && c <= '9') || c == 't' || c == 'f' || c == 'n';
    }

    [[noreturn]] void syntax(const QString& what) const
    {
        const qsizetype offset = p_ - content_.constData();
        const QByteArrayView before(content_.constData(), offset);
        const qsizetype line = before.count('\n') + 1;
        const qsizetype column = offset - (before.lastIndexOf('\n') + 1) + 1;
        throw CliError(
            source_ + QStringLiteral(": not valid JSON: %1 at line %2, column %3 (offset %4)").arg(what).arg(line).arg(column).arg(offset));
    }

    void skipSpace()
    {
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r'))
            ++p_;
    }

    void expect(char c, const char* what)
    {
        skipSpace();
        if (p_ == end_ || *p_ != c)
            syntax(QString::fromLatin1(what));
        ++p_;
    }

    Bookmark readEntry(int index)
    {
        Bookmark bookmark;
        bookmark.source = source_;
        bookmark.position = index;
        bool hasName = false;
        bool hasUrl = false;
        ++p_; // '{'
        skipSpace();
        if (p_ < end_ && *p_ == '}') {
            ++p_;
        } else {
            for (;;) {
                const QString key = readKey(true);
                skipSpace();
                const bool isName = key == QLatin1String("name");
                const bool isUrl = key == QLatin1String("url");
                if (p_ == end_)
                    syntax(QStringLiteral("a value was expected"));
                if (isName || isUrl) {
                    if (*p_ != '"')
                        wrongKey(index, isName ? "name" : "url");
                    (isName ? bookmark.name : bookmark.url) = readString(true);
                    (isName ? hasName : hasUrl) = true;
                } else {
                    skipValue();
                }
                if (!moreBefore('}'))
                    break;
            }
        }
        if (!hasName)
            wrongKey(index, "name");
        if (!hasUrl)
            wrongKey(index, "url");
        return bookmark;
    }

    [[noreturn]] void wrongKey(int index, const char* key) const
    {
        throw CliError(source_ + QStringLiteral(": element %1: \"%2\" is missing or not a string").arg(index).arg(QLatin1String(key)));
    }

    char16_t readHex4()
    {
        if (end_ - p_ < 4)
            syntax(QStringLiteral("\\u needs four hex digits"));
        int code = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hexDigitValue(p_[i]);
            if (digit < 0)
                syntax(QStringLiteral("\\u needs four hex digits"));
            code = code * 16 + digit;
        }
        p_ += 4;
        return char16_t(code);
    }

    // The string at p_ (on its opening quote); p_ moves past it. Without
    // `keep` it is only checked, for values nobody reads.
    QString readString(bool keep)
    {
        const char* const start = p_;
        ++p_;
        QString out;
        const char* run = p_; // bytes not yet converted
        auto flush = [&](const char* upTo) {
            if (keep && upTo > run) {
                QStringDecoder utf8(QStringDecoder::Utf8);
                out += utf8.decode(QByteArrayView(run, upTo - run));
                if (utf8.hasError()) {
                    p_ = run;
                    syntax(QStringLiteral("a string is not valid UTF-8"));
                }
            }
        };
        for (;;) {
            if (p_ == end_) {
                p_ = start;
                syntax(QStringLiteral("a string is never closed"));
            }
            const auto c = static_cast<unsigned char>(*p_);
            if (c == '"') {
                flush(p_);
                ++p_;
                return out;
            }
            if (c < 0x20)
                syntax(QStringLiteral("a control character stands in a string unescaped"));
            if (c != '\\') {
                ++p_;
                continue;
            }
            flush(p_);
            ++p_;
            if (p_ == end_)
                continue; // reported as never closed
            const char escape = *p_++;
            switch (escape) {
            case '"': out += u'"'; break;
            case '\\': out += u'\\'; break;
            case '/': out += u'/'; break;
            case 'b': out += u'\b'; break;
            case 'f': out += u'\f'; break;
            case 'n': out += u'\n'; break;
            case 'r': out += u'\r'; break;
            case 't': out += u'\t'; break;
            case 'u': {
                const char16_t unit = readHex4();
                // A surrogate is kept only as half of a pair; alone it is no
                // character, and text of ours never holds one.
                if (QChar::isHighSurrogate(unit) && end_ - p_ >= 6 && p_[0] == '\\' && p_[1] == 'u') {
                    const char* const back = p_;
                    p_ += 2;
                    const char16_t low = readHex4();
                    if (QChar::isLowSurrogate(low)) {
                        out += QChar(unit);
                        out += QChar(low);
                    } else {
                        out += QChar(QChar::ReplacementCharacter);
                        p_ = back;
                    }
                } else if (QChar::isSurrogate(unit)) {
                    out += QChar(QChar::ReplacementCharacter);
                } else {
                    out += QChar(unit);
                }
                break;
            }
            default: p_ -= 2; syntax(QStringLiteral("\"\\%1\" is no escape").arg(QChar::fromLatin1(escape)));
            }
            run = p_;
        }
    }

    void readNumber()
    {
        const char* const start = p_;
        auto digits = [this] {
            const char* const from = p_;
            while (p_ < end_ && *p_ >= '0' && *p_ <= '9')
                ++p_;
            return p_ > from;
        };
        if (p_ < end_ && *p_ == '-')
            ++p_;
        if (p_ < end_ && *p_ == '0')
            ++p_;
        else if (!digits()) {
            p_ = start;
            syntax(QStringLiteral("a number was expected"));
        }
        if (p_ < end_ && *p_ == '.') {
            ++p_;
            if (!digits())
                syntax(QStringLiteral("a digit was expected"));
        }
        if (p_ < end_ && (*p_ == 'e' || *p_ == 'E')) {
            ++p_;
            if (p_ < end_ && (*p_ == '+' || *p_ == '-'))
                ++p_;
            if (!digits())
                syntax(QStringLiteral("a digit was expected"));
        }
    }

    void readLiteral()
    {
        for (const char* word : {"true", "false", "null"}) {
            const qsizetype length = qsizetype(qstrlen(word));
            if (end_ - p_ >= length && qstrncmp(p_, word, size_t(length)) == 0) {
                p_ += length;
                return;
            }
        }
        syntax(QStringLiteral("a value was expected"));
    }

    // Any value, checked and dropped; nesting is kept on a stack of our own,
    // so a deep one costs memory in proportion, not the call stack.
    void skipValue()
    {
        std::vector<char> open; // '[' or '{' for each container we are in
        for (;;) {
            skipSpace();
            if (p_ == end_)
                syntax(QStringLiteral("a value was expected"));
            const char c = *p_;
            if (c == '[' || c == '{') {
                ++p_;
                skipSpace();
                if (p_ < end_ && *p_ == (c == '[' ? ']' : '}')) {
                    ++p_;
                } else {
                    open.push_back(c);
                    if (c == '{')
                        readKey();
                    continue;
                }
            } else if (c == '"') {
                readString(false);
            } else if (c == '-' || (c >= '0' && c <= '9')) {
                readNumber();
            } else {
                readLiteral();
            }
            // A value is complete: close what it completes.
            for (;;) {
                if (open.empty())
                    return;
                if (moreBefore(open.back() == '[' ? ']' : '}')) {
                    if (open.back() == '{')
                        readKey();
                    break;
                }
                open.pop_back();
            }
        }
    }

    // A member's key and the colon after it; the key itself only with `keep`.
    QString readKey(bool keep = false)
    {
        skipSpace();
        if (p_ == end_ || *p_ != '"')
            syntax(QStringLiteral("a key in quotes was expected"));
        QString key = readString(keep);
        expect(':', "\":\" was expected after a key");
        return key;
    }

    // After an element or a member: true when a comma says another follows,
    // false when `close` ends the array or object (p_ past either).
    bool moreBefore(char close)
    {
        skipSpace();
        if (p_ < end_ && *p_ == ',') {
            ++p_;
            return true;
        }
        if (p_ < end_ && *p_ == close) {
            ++p_;
            return false;
        }
        syntax(QStringLiteral("\",\" or \"%1\" was expected").arg(QLatin1Char(close)));
    }

    const QByteArray& content_;
    const QString& source_;
    const BookmarkSink& sink_;
    const char* p_;
    const char* const end_;
};

} // namespace

void readJson(const QByteArray& content, const QString& source, const BookmarkSink& sink)
{
    JsonReader(content, source, sink).read();
}

QByteArray writeJson(const Bookmarks& bookmarks)
{
    QJsonArray array;
    for (const Bookmark& b : bookmarks)
        array.append(QJsonObject{{QStringLiteral("name"), b.name}, {QStringLiteral("url"), b.url}});
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

} // namespace linkwell::cli
