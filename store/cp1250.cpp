#include "cp1250.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>

namespace linkwell::cp1250 {

namespace {

constexpr const char* CodecName = "windows-1250";
constexpr short Missing = -1;

// The byte of every UTF-16 unit the code page holds, taken once from Qt's
// decoder: a text then costs one look-up per character, never a converter.
// Built from the decoding direction so that only characters that read back
// unchanged count as held.
const std::array<short, 0x10000>& table()
{
    static const std::array<short, 0x10000> bytes = [] {
        std::array<short, 0x10000> t;
        t.fill(Missing);
        QStringDecoder decoder(CodecName);
        if (!decoder.isValid())
            return t;
        for (int b = 0; b < 256; ++b) {
            const QString c = decoder.decode(QByteArray(1, char(b)));
            if (c.size() == 1 && !c[0].isSurrogate() && c[0] != QChar::ReplacementCharacter)
                t[c[0].unicode()] = short(b);
        }
        return t;
    }();
    return bytes;
}

} // namespace

bool available()
{
    return QStringEncoder(CodecName).isValid() && QStringDecoder(CodecName).isValid();
}

QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder(CodecName);
    return decoder.decode(bytes);
}

QByteArray encode(const QString& text)
{
    return encode(text, nullptr);
}

QByteArray encode(const QString& text, QList<qsizetype>* missing)
{
    const std::array<short, 0x10000>& t = table();
    QByteArray out;
    out.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t u = text[i].unicode();
        const short b = t[u];
        if (b != Missing) {
            out += char(b);
            continue;
        }
        // Qt's own stand-in is 0x1A, itself a character of the code page; a '?'
        // cannot be mistaken for text that was there.
        if (missing)
            missing->append(i);
        out += '?';
        if (QChar::isHighSurrogate(u) && i + 1 < size && QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i;
    }
    return out;
}

bool canEncode(QChar c)
{
    return table()[c.unicode()] != Missing;
}

} // namespace linkwell::cp1250
