#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace linkwell::cli {

// Writes the bytes as the whole of `path`:
// - "-" is standard output (`standardOutput`; when none is given, "-" is
//   refused);
// - a path that exists but is not a regular file (a device such as /dev/null,
//   a FIFO, /dev/stdout) is opened and written in place, since renaming a new
//   file over it would replace the device node or the pipe with a file;
// - a regular file, or a new one, is written atomically as the window's
//   "Save to file..." writes (writeImageFile): the old file stays as it was
//   until the new one is complete.
// Throws CliError "PATH: cannot be written: REASON" (the system's reason,
// such as "No space left on device").
void writeOutputFile(const QString& path, const QByteArray& bytes, QIODevice* standardOutput);

} // namespace linkwell::cli
