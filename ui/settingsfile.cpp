#include "settingsfile.h"

#include "store/notices.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace linkwell {

SettingsFile::SettingsFile(const QString& folder, Notices& notices)
    : path_(QDir(folder).filePath(QString::fromLatin1(FileName))), notices_(notices)
{
}

char SettingsFile::readPortDigit()
{
    char digit = 0;
    if (QFileInfo::exists(path_)) {
        QFile file(path_);
        // Opened for writing too, as at close: a file we could not write back
        // is reported now rather than silently at the end.
        bool ok = file.open(QIODevice::ReadWrite) && file.getChar(&digit);
        file.close();
        ok = ok && file.error() == QFileDevice::NoError;
        if (!ok) {
            notices_.beep();
            notices_.message(QStringLiteral("Error reading *.ini file."));
        }
    }
    if (digit < '1' || digit > '6')
        digit = '1';
    return digit;
}

void SettingsFile::writePort(std::uint8_t port)
{
    QFile file(path_);
    // ReadWrite opens in place, or creates the file; it never truncates.
    bool ok = file.open(QIODevice::ReadWrite) && file.seek(0)
              && file.putChar(QByteArray::number(port).at(0)) && file.flush();
    file.close();
    ok = ok && file.error() == QFileDevice::NoError;
    if (!ok) {
        notices_.beep();
        notices_.message(QStringLiteral("Error writing *.ini file."));
    }
}

} // namespace linkwell
