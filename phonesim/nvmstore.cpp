#include "nvmstore.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace phonesim {

NvmStore::NvmStore(QString folder) : folder_(std::move(folder))
{
    files_[Favourites] = QByteArray();
}

QString NvmStore::fileName(Key key)
{
    return QStringLiteral("nvm_%1_%2.bin").arg(key.first).arg(key.second);
}

bool NvmStore::load(QString* error)
{
    if (folder_.isEmpty())
        return true;
    QDir dir(folder_);
    if (!dir.exists() && !dir.mkpath(QStringLiteral("."))) {
        if (error)
            *error = QStringLiteral("cannot create folder %1").arg(folder_);
        return false;
    }
    static const QRegularExpression pattern(QStringLiteral("^nvm_(-?\\d+)_(-?\\d+)\\.bin$"));
    const QStringList names = dir.entryList(QDir::Files);
    for (const QString& name : names) {
        const auto match = pattern.match(name);
        if (!match.hasMatch())
            continue;
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("cannot read %1").arg(file.fileName());
            return false;
        }
        files_[{match.captured(1).toInt(), match.captured(2).toInt()}] = file.read(MaxFileSize);
    }
    return true;
}

QByteArray NvmStore::file(Key key) const
{
    const auto found = files_.find(key);
    return found == files_.end() ? QByteArray() : found->second;
}

bool NvmStore::setFile(Key key, const QByteArray& bytes)
{
    files_[key] = bytes.left(MaxFileSize);
    return save(key);
}

bool NvmStore::save(Key key) const
{
    if (folder_.isEmpty())
        return true;
    QSaveFile file(QDir(folder_).filePath(fileName(key)));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(files_.at(key));
    return file.commit();
}

} // namespace phonesim
