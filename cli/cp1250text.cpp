#include "cp1250text.h"

#include "bookmarks.h"

#include "store/cp1250.h"

#include <QList>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>

namespace linkwell::cli {

namespace {

// One transliterator for the whole run: ICU builds it from its rule data,
// which takes far longer than using it.
icu::Transliterator& transliterator()
{
    static const std::unique_ptr<icu::Transliterator> instance = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> t(
            icu::Transliterator::createInstance(icu::UnicodeString::fromUTF8("Any-Latin; Latin-ASCII"), UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            t.reset();
        return t;
    }();
    if (!instance)
        throw CliError(QStringLiteral("ICU has no \"Any-Latin; Latin-ASCII\" transliterator on this system"));
    return *instance;
}

QString latinReading(QStringView run)
{
    icu::UnicodeString text(reinterpret_cast<const UChar*>(run.utf16()), int32_t(run.size()));
    transliterator().transliterate(text);
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

char32_t characterAt(const QString& text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(c, text[i + 1]);
    return c.unicode();
}

} // namespace

bool cp1250Available()
{
    return cp1250::available();
}

QString decodeCp1250(const QByteArray& bytes)
{
    return cp1250::decode(bytes);
}

bool encodeCp1250(const QString& text, QByteArray* bytes, char32_t* bad)
{
    QList<qsizetype> missing;
    const QByteArray encoded = cp1250::encode(text, &missing);
    const qsizetype zero = text.indexOf(QChar(0));
    if (!missing.isEmpty() || zero >= 0) {
        const qsizetype first = missing.isEmpty() ? zero : zero < 0 ? missing.first() : std::min(zero, missing.first());
        *bad = characterAt(text, first);
        return false;
    }
    *bytes = encoded;
    return true;
}

PhoneText toPhoneText(const QString& text, bool transliterate)
{
    PhoneText out;
    if (!transliterate) {
        QList<qsizetype> missing;
        out.bytes = cp1250::encode(text, &missing);
        if (!missing.isEmpty()) {
            // Everything before the first missing character is one byte per
            // UTF-16 unit, so its index is its byte offset too.
            out.missingAt = missing.first();
            out.missing = characterAt(text, missing.first());
        }
        return out;
    }

    QString replaced;
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size) {
        qsizetype end = i;
        while (end < size && cp1250::canEncode(text[end]))
            ++end;
        replaced += QStringView(text).mid(i, end - i);
        if (end == size)
            break;
        i = end;
        while (end < size && !cp1250::canEncode(text[end]))
            ++end;
        if (!out.transliterated)
            out.transliteratedAt = replaced.size(); // all one byte a unit before it
        replaced += latinReading(QStringView(text).mid(i, end - i));
        out.transliterated = true;
        i = end;
    }
    out.bytes = out.transliterated ? cp1250::encode(replaced) : cp1250::encode(text);
    return out;
}

QString describeCharacter(char32_t c)
{
    const QString code = QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    if (c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0))
        return code;
    return QStringLiteral("\"%1\" (%2)").arg(QString::fromUcs4(&c, 1), code);
}

} // namespace linkwell::cli
