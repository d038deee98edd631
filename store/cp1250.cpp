#include "cp1250.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace linkwell::cp1250 {

namespace {

constexpr const char* CodecName = "windows-1250";

} // namespace

QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder(CodecName);
    return decoder.decode(bytes);
}

QByteArray encode(const QString& text)
{
    QStringEncoder encoder(CodecName);
    const QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return bytes;
    // Qt's own stand-in is 0x1A, itself a character of the code page; a '?'
    // cannot be mistaken for text that was there.
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text)
        out += canEncode(c) ? encode(QString(c)) : QByteArray("?");
    return out;
}

bool canEncode(QChar c)
{
    if (c.isSurrogate())
        return false;
    QStringEncoder encoder(CodecName);
    const QByteArray bytes = encoder.encode(QString(c));
    return !encoder.hasError() && bytes.size() == 1;
}

} // namespace linkwell::cp1250
