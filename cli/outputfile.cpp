#include "outputfile.h"

#include "bookmarks.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace linkwell::cli {

namespace {

[[noreturn]] void fail(const QString& path, const QString& reason)
{
    throw CliError(path + QStringLiteral(": cannot be written: ") + reason);
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void writeDevice(const QString& path, QIODevice& device, const QByteArray& bytes)
{
    if (device.write(bytes) != bytes.size())
        fail(path, device.errorString());
    if (auto* file = qobject_cast<QFileDevice*>(&device); file && !file->flush())
        fail(path, file->errorString());
}

} // namespace

void writeOutputFile(const QString& path, const QByteArray& bytes, QIODevice* standardOutput)
{
    if (path == QLatin1String("-")) {
        if (!standardOutput)
            fail(QStringLiteral("standard output"), QStringLiteral("not available here"));
        writeDevice(QStringLiteral("standard output"), *standardOutput, bytes);
        return;
    }

    // stat() follows a symbolic link, as the write will: /dev/stdout is a link
    // to whatever standard output is.
    struct stat info {};
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            fail(path, systemReason(EISDIR));
        if (!S_ISREG(info.st_mode)) {
            // Opened by hand: QFile would truncate and seek, which a device or
            // a pipe does not do.
            const int fd = ::open(native.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
            if (fd < 0)
                fail(path, systemReason(errno));
            QFile device;
            if (!device.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
                ::close(fd);
                fail(path, device.errorString());
            }
            writeDevice(path, device, bytes);
            return;
        }
    }

    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        // QSaveFile's text names its temporary file; the cause is errno's.
        fail(path, errno != 0 ? systemReason(errno) : file.errorString());
    }
    // As writeImageFile: a full disk shows up at the flush, which commit()
    // alone would not see.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(path, reason);
    }
    if (!file.commit())
        fail(path, file.errorString());
}

} // namespace linkwell::cli
