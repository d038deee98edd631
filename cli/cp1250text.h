#pragma once

#include <QByteArray>
#include <QString>

namespace linkwell::cli {

// The phone's texts are Windows-1250 bytes; everything outside the image is
// Unicode. store/cp1250 holds the conversion; this adds what the tool needs
// around it.
bool cp1250Available();

QString decodeCp1250(const QByteArray& bytes);

// The bytes of the text, or false with the first character the code page
// cannot hold (or U+0000, which would end a field in the image) in *bad.
bool encodeCp1250(const QString& text, QByteArray* bytes, char32_t* bad);

// A text converted for the phone in one pass.
struct PhoneText {
    QByteArray bytes;                // a character the code page lacks is one '?'
    qsizetype missingAt = -1;        // byte offset of the first such character; -1: none
    char32_t missing = 0;            // that character
    bool transliterated = false;     // some characters were replaced by a Latin reading
    qsizetype transliteratedAt = -1; // byte offset where the first replacement begins
};

// Without `transliterate` the characters Windows-1250 lacks are marked (the
// first is named); with it each run of them is replaced by its reading
// through ICU's "Any-Latin; Latin-ASCII", and what still has no byte becomes
// '?'. Characters the code page holds are never touched.
PhoneText toPhoneText(const QString& text, bool transliterate);

// "Ω" (U+03A9): how a refused character is named in a message.
QString describeCharacter(char32_t c);

} // namespace linkwell::cli
