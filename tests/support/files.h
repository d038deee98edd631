#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace linkwell::testing {

// The whole file, or "<missing>" when it cannot be read, so a comparison
// failure says which.
inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

} // namespace linkwell::testing
