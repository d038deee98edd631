#include "settingsfile.h"

#include "phone/notices.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace linkwell {

namespace {

// An open descriptor of the settings file, closed on every path out.
class SettingsDescriptor {
public:
    SettingsDescriptor(const QString& path, int flags)
    {
        // O_NOFOLLOW refuses a symbolic link; O_NONBLOCK keeps a FIFO from
        // holding the window up before fstat can turn it away.
        do {
            fd_ = ::open(QFile::encodeName(path).constData(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
        } while (fd_ < 0 && errno == EINTR);
        struct stat st {};
        if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~SettingsDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SettingsDescriptor(const SettingsDescriptor&) = delete;
    SettingsDescriptor& operator=(const SettingsDescriptor&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Closes now, so that a failing close counts as a failure.
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd >= 0 && ::close(fd) == 0;
    }

private:
    int fd_ = -1;
};

bool entryExists(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

SettingsFile::SettingsFile(const QString& folder, Notices& notices)
    : path_(QDir(folder).filePath(QString::fromLatin1(FileName))), notices_(notices)
{
}

char SettingsFile::readPortDigit()
{
    char digit = 0;
    if (entryExists(path_)) {
        // Opened for writing too, as at close: a file we could not write back
        // is reported now rather than silently at the end.
        SettingsDescriptor file(path_, O_RDWR);
        bool ok = file.isOpen();
        if (ok) {
            ssize_t got;
            do {
                got = ::read(file.fd(), &digit, 1);
            } while (got < 0 && errno == EINTR);
            ok = got == 1;
            if (!ok)
                digit = 0;
        }
        ok = file.close() && ok;
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
    const char digit = QByteArray::number(port).at(0);
    // The user's configuration folder may not exist yet on a first run.
    bool ok = QDir().mkpath(QFileInfo(path_).absolutePath());
    if (ok) {
        // In place, or created; never truncated.
        SettingsDescriptor file(path_, O_RDWR | O_CREAT);
        ssize_t put = -1;
        if (file.isOpen()) {
            do {
                put = ::pwrite(file.fd(), &digit, 1, 0);
            } while (put < 0 && errno == EINTR);
        }
        ok = file.close() && put == 1;
    }
    if (!ok) {
        notices_.beep();
        notices_.message(QStringLiteral("Error writing *.ini file."));
    }
}

bool folderIsWritable(const QString& folder)
{
    return !folder.isEmpty() && ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

QString settingsFolderFor(const QString& programFolder, const QString& userFolder)
{
    const QString beside = QDir(programFolder).filePath(QString::fromLatin1(SettingsFile::FileName));
    if (entryExists(beside) || folderIsWritable(programFolder))
        return programFolder;
    return userFolder;
}

QString initialFileFolder(const QString& programFolder, const QString& homeFolder)
{
    return folderIsWritable(programFolder) ? programFolder : homeFolder;
}

} // namespace linkwell
