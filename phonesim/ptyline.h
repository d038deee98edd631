#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>

namespace phonesim {

// A pseudo-terminal whose far end a program opens like a serial port. Keeps
// its own handle on that end so the line stays up while programs come and go.
class PtyLine {
public:
    PtyLine() = default;
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    bool open(QString* error);
    // The device path a program opens, such as /dev/pts/4.
    const QString& devicePath() const { return path_; }

    // Serves the line until `stop` is set: bytes read go to `phone`, what it
    // gives back is written. With a baud rate, both directions are paced as
    // on a real 8N1 line of that speed: a byte counts as arrived, and an
    // answer byte is written, only when the line could have carried it.
    void serve(const std::function<QByteArray(const QByteArray&)>& phone, int baud, const std::atomic<bool>& stop);

private:
    struct Timed {
        std::int64_t due;
        char byte;
    };
    bool writeAll(const QByteArray& bytes);

    int master_ = -1;
    int slave_ = -1;
    QString path_;
};

} // namespace phonesim
