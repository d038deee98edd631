#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gbp {

using Clock = std::chrono::steady_clock;

// The one place the library meets the operating system's serial port, so the
// link itself needs no event loop and no thread of its own. The POSIX version
// (termios and poll) is serialport_posix.cpp; a Windows one sits beside it
// behind the same functions.
class SerialPort {
public:
    enum class Wait { Ready, TimedOut, Failed };

    // The device at 115200 baud, 8N1, raw, no flow control, or null when it
    // does not exist, another program holds it, or it may not be opened.
    static std::unique_ptr<SerialPort> open(const std::string& device);

    virtual ~SerialPort() = default;

    // Hands every byte to the port before `deadline`; false when it cannot.
    virtual bool write(const std::uint8_t* data, std::size_t size, Clock::time_point deadline) = 0;
    // Appends what has arrived to `out`, waiting until `deadline` for the
    // first byte. Failed: the port itself has gone (a pulled adapter, a
    // closed pseudo-terminal), and waiting longer would not help.
    virtual Wait read(std::vector<std::uint8_t>& out, Clock::time_point deadline) = 0;
    // Throws away what has arrived and not been read.
    virtual void discardInput() = 0;
};

} // namespace gbp
