#include "entrychecks.h"

#include "store/limits.h"
#include "store/sectionimage.h"

namespace linkwell {

QByteArray CollapseSpaces(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size());
    char previous = '\0';
    for (const char c : text) {
        if (!(c == ' ' && previous == ' '))
            out += c;
        previous = c;
    }
    return out;
}

EditExit CheckEditExit(const QByteArray& name, const QByteArray& url, std::int32_t otherSize)
{
    if (imageSizeWithRecord(otherSize, name, url) > limits::MaxImageSize)
        return EditExit::TooManyCharacters;
    if (name.isEmpty())
        return EditExit::NameEmpty;
    if (url.isEmpty())
        return EditExit::UrlEmpty;
    return EditExit::Commit;
}

QString EditExitMessage(EditExit verdict)
{
    switch (verdict) {
    case EditExit::TooManyCharacters: return QStringLiteral("Too many characters.");
    case EditExit::NameEmpty: return QStringLiteral("Name section is clear!");
    case EditExit::UrlEmpty: return QStringLiteral("URL section is clear!");
    case EditExit::Commit: break;
    }
    return {};
}

QByteArray DeleteQuestion(const QByteArray& name, const QByteArray& url)
{
    return "Delete entry?\r\nName: " + CollapseSpaces(name) + "\r\n" + "URL: " + CollapseSpaces(url);
}

QString InsertRefusal(int entries, std::int32_t imageSize)
{
    if (entries >= limits::MaxEntries)
        return QStringLiteral("Too many entries (100=max)");
    if (imageSize >= limits::InsertRefusedSize)
        return QStringLiteral("Not enough memory");
    return {};
}

QString AddToListRefusal(const QByteArray& name, const QByteArray& url, std::int32_t baseSize)
{
    if (name.isEmpty())
        return QStringLiteral("Name section is empty.");
    if (url.isEmpty())
        return QStringLiteral("URL section is empty.");
    if (imageSizeWithRecord(baseSize, name, url) > limits::MaxImageSize)
        return QStringLiteral("Too many characters.");
    return {};
}

} // namespace linkwell
