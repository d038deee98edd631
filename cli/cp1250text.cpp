#include "cp1250text.h"

#include "store/cp1250.h"

#include <QList>

#include <QStringDecoder>
#include <QStringEncoder>

namespace linkwell::cli {

namespace {

constexpr const char* CodecName = "windows-1250";

} // namespace

bool cp1250Available()
{
    return QStringEncoder(CodecName).isValid() && QStringDecoder(CodecName).isValid();
}

QString decodeCp1250(const QByteArray& bytes)
{
    return cp1250::decode(bytes);
}

bool encodeCp1250(const QString& text, QByteArray* bytes, char32_t* bad)
{
    // One code point at a time, so the refused one can be named.
    for (const uint code : text.toUcs4()) {
        const char32_t c = code;
        if (c == 0 || c > 0xFFFF || !cp1250::canEncode(QChar(char16_t(c)))) {
            *bad = c;
            return false;
        }
    }
    *bytes = cp1250::encode(text);
    return true;
}

QString describeCharacter(char32_t c)
{
    const QString code = QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    if (c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0))
        return code;
    return QStringLiteral("\"%1\" (%2)").arg(QString::fromUcs4(&c, 1), code);
}

} // namespace linkwell::cli
