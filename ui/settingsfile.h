#pragma once

#include <QString>
#include <cstdint>

namespace linkwell {

class Notices;

// "Linkwell.ini": its first byte is the COM port digit "1" to "6". Further
// bytes are ignored on reading and left as they are on writing; the file is
// never truncated.
class SettingsFile {
public:
    static constexpr char FileName[] = "Linkwell.ini";

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

} // namespace linkwell
