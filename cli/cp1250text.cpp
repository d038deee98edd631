#include "cp1250text.h"

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
    QStringDecoder decoder(CodecName);
    return decoder.decode(bytes);
}

bool encodeCp1250(const QString& text, QByteArray* bytes, char32_t* bad)
{
    QByteArray out;
    out.reserve(text.size());
    // One code point at a time, so the refused one can be named; a fresh
    // encoder for each keeps one error from hiding behind another.
    for (const uint code : text.toUcs4()) {
        const char32_t c = code;
        if (c == 0) {
            *bad = c;
            return false;
        }
        QStringEncoder encoder(CodecName);
        const QString one = QString::fromUcs4(&c, 1);
        const QByteArray encoded = encoder.encode(one);
        if (encoder.hasError() || encoded.size() != 1) {
            *bad = c;
            return false;
        }
        out += encoded;
    }
    *bytes = out;
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
