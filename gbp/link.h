#pragma once

#include "protocol.h"
#include "serialport.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace gbp {

// Every wait of the link. docs/phone-protocol.md states the same figures;
// change both together.
namespace timing {
using namespace std::chrono_literals;
inline constexpr auto AtReply = 400ms;           // for "OK" after one AT command
inline constexpr int AtTries = 3;                // per AT command
inline constexpr auto FrameReply = 500ms;        // for the first answer byte after a request
inline constexpr auto FrameGap = 100ms;          // longest pause inside an answer once it flows
inline constexpr auto FrameAttempt = 2000ms;     // one attempt, however busy the line
inline constexpr int FrameTries = 3;             // per request, the first send included
inline constexpr int LeaveTries = 1;             // leaving service mode is best effort
inline constexpr auto LeaveAttempt = FrameReply; // and takes one reply wait at most
inline constexpr auto Write = 1000ms;            // for the request bytes to leave the port

// The factor every wait above is taken with: LINKWELL_GBP_TIMEOUT_SCALE from
// the environment, read once, when it is a number above 0 and at most 1;
// else 1. Only shorter: the tests run their failures fast with it, and no
// setting makes a call wait longer than the documented times.
double scale();
Clock::duration scaled(std::chrono::milliseconds wait);
} // namespace timing

// One open link to a phone: the port, the service mode, the exchanges. The C
// functions of gbp.h forward to the one instance, one call at a time; results
// are those of gbp.h.
class Link {
public:
    Link();
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    std::int32_t open(unsigned port);
    std::int32_t close();
    std::int32_t fileSize(std::int32_t section, std::int32_t subsection);
    std::int32_t read(std::int32_t section, std::int32_t subsection, char* buffer, std::int32_t size);
    std::int32_t write(std::int32_t section, std::int32_t subsection, const char* data, std::int32_t size);
    std::int32_t clear(std::int32_t section, std::int32_t subsection);

private:
    struct Answer {
        std::int32_t result = 0; // 0, or the failure to hand back
        protocol::Frame frame;
    };
    static std::int32_t failureOf(const Answer& answer);
    // A request that names a file and nothing else; the answer's result is
    // its failure (GBP_NOT_OPEN with no link open), 0 when it succeeded.
    Answer fileRequest(std::uint8_t command, std::int32_t section, std::int32_t subsection);

    bool send(const protocol::Bytes& bytes);
    void discardInput();
    bool atCommand(const std::string& command);
    Answer exchange(std::uint8_t command, const protocol::Bytes& payload, int tries = timing::FrameTries,
                    std::chrono::milliseconds attempt = timing::FrameAttempt);
    // Waits for the answer to (command, sequence): true with the frame, false
    // when the attempt is over (bad frame, silence, time up).
    bool awaitAnswer(std::uint8_t command, std::uint8_t sequence, Clock::duration attempt, protocol::Frame& answer);
    void drop();

    std::unique_ptr<SerialPort> port_;
    protocol::Decoder decoder_;
    std::uint8_t sequence_ = 0;
};

} // namespace gbp
