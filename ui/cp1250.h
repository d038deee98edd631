#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

// Names, URLs and history lines are Windows-1250 bytes; the widgets show
// Unicode. These convert one to the other without loss for every byte value
// (the five bytes the code page leaves undefined map to the C1 control of the
// same number, as Windows does), so a text shown and read back is unchanged.
namespace linkwell::cp1250 {

QString decode(const QByteArray& bytes);
// Characters the code page cannot hold become '?'; callers that must not lose
// anything check canEncode first.
QByteArray encode(const QString& text);
bool canEncode(QChar c);

} // namespace linkwell::cp1250
