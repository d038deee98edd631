#include "printable.h"

namespace linkwell::cli {

namespace {

bool invisibleLayout(char32_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E)
           || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

QString printable(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\t')
            out += QLatin1String("\\t");
        else if (u == '\n')
            out += QLatin1String("\\n");
        else if (u == '\r')
            out += QLatin1String("\\r");
        else if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0))
            out += QStringLiteral("\\x%1").arg(uint(u), 2, 16, QLatin1Char('0'));
        else if (invisibleLayout(u))
            out += QStringLiteral("\\u{%1}").arg(QString::number(uint(u), 16).toUpper());
        else
            out += c;
    }
    return out;
}

QString quoted(QStringView text, qsizetype limit)
{
    // Cut before escaping, on a character boundary, so the quote shows the
    // input's first characters and never half a surrogate pair.
    qsizetype cut = text.size();
    if (cut > limit) {
        cut = limit;
        if (cut > 0 && text[cut - 1].isHighSurrogate())
            --cut;
    }
    QString out = printable(text.left(cut));
    if (cut < text.size())
        out += QLatin1String("...");
    return out;
}

} // namespace linkwell::cli
