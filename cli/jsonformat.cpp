#include "bookmarks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace linkwell::cli {

Bookmarks readJson(const QByteArray& content, const QString& source)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError)
        throw CliError(source + QStringLiteral(": not valid JSON: %1 at offset %2")
                                    .arg(error.errorString())
                                    .arg(error.offset));
    if (!document.isArray())
        throw CliError(source + QStringLiteral(": expected an array of {\"name\", \"url\"} objects"));

    Bookmarks out;
    const QJsonArray array = document.array();
    for (int i = 0; i < array.size(); ++i) {
        const QString where = source + QStringLiteral(": element %1").arg(i + 1);
        if (!array[i].isObject())
            throw CliError(where + QStringLiteral(" is not an object"));
        const QJsonObject object = array[i].toObject();
        for (const char* key : {"name", "url"}) {
            if (!object.value(QLatin1String(key)).isString())
                throw CliError(where + QStringLiteral(": \"%1\" is missing or not a string")
                                           .arg(QLatin1String(key)));
        }
        out.append({object.value(QLatin1String("name")).toString(),
                    object.value(QLatin1String("url")).toString(), source, i + 1});
    }
    return out;
}

QByteArray writeJson(const Bookmarks& bookmarks)
{
    QJsonArray array;
    for (const Bookmark& b : bookmarks)
        array.append(QJsonObject{{QStringLiteral("name"), b.name}, {QStringLiteral("url"), b.url}});
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

} // namespace linkwell::cli
