#pragma once

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>

// Names, URLs and history lines are Windows-1250 bytes; the widgets and the
// files of other programs hold Unicode. Qt's converter holds the table: it
// turns every non-zero byte into a character and back unchanged (the five
// bytes the code page leaves undefined become the C1 control of the same
// number), so a text shown and read back is the text stored.
namespace linkwell::cp1250 {

// Whether this Qt has the converter at all; nothing here works without it.
bool available();

QString decode(const QByteArray& bytes);
// Characters the code page cannot hold are replaced; callers that must not
// lose anything check canEncode first.
QByteArray encode(const QString& text);
// The same in one pass, with the position in `text` of each character the
// code page cannot hold (written as one '?', a surrogate pair too) appended
// to *missing.
QByteArray encode(const QString& text, QList<qsizetype>* missing);
bool canEncode(QChar c);

} // namespace linkwell::cp1250
