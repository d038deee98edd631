#pragma once

#include <QByteArray>
#include <QString>

namespace linkwell::cli {

// The phone's texts are Windows-1250 bytes; everything outside the image is
// Unicode. Qt's converters hold the table, so it is not kept a second time.
bool cp1250Available();

QString decodeCp1250(const QByteArray& bytes);

// The bytes of the text, or false with the first character the code page
// cannot hold (or U+0000, which would end a field in the image) in *bad.
bool encodeCp1250(const QString& text, QByteArray* bytes, char32_t* bad);

// "Ω" (U+03A9): how a refused character is named in a message.
QString describeCharacter(char32_t c);

} // namespace linkwell::cli
