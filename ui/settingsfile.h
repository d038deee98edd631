#pragma once

#include <QString>
#include <cstdint>

namespace linkwell {

class Notices;

// "Linkwell.ini": its first byte is the COM port digit "1" to "6". Further
// bytes are ignored on reading and left as they are on writing; the file is
// never truncated. Only a regular file is ever read or written: a symbolic
// link, a FIFO or a device of that name is reported as unreadable or
// unwritable and left alone, so the settings can neither block the window nor
// write through to another file.
class SettingsFile {
public:
    static constexpr char FileName[] = "Linkwell.ini";

    // folder is created, with its parents, when the file is first written.
    SettingsFile(const QString& folder, Notices& notices);

    QString path() const { return path_; }

    // The port digit to select, '1' to '6'. A missing file, or a first byte
    // that is no port digit, gives '1' without a word; a file that exists but
    // cannot be opened for reading and writing, or read, beeps and reports
    // "Error reading *.ini file." first.
    char readPortDigit();

    // Writes the first decimal digit of port as the file's first byte,
    // creating the file when it is missing. A failure beeps and reports
    // "Error writing *.ini file.".
    void writePort(std::uint8_t port);

private:
    QString path_;
    Notices& notices_;
};

// The folder that holds "Linkwell.ini": the program's own folder when the
// file is there already or the folder can be written (a copy run from its own
// folder keeps its settings beside it), otherwise the user's configuration
// folder, since an installed program's folder is not the user's to write.
QString settingsFolderFor(const QString& programFolder, const QString& userFolder);

// Where the first file dialog opens: the program's folder when it can be
// written (so a first save there works), otherwise the user's home.
QString initialFileFolder(const QString& programFolder, const QString& homeFolder);

// Whether this user may create files in folder.
bool folderIsWritable(const QString& folder);

} // namespace linkwell
