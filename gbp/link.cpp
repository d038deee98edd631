#include "link.h"

#include "gbp.h"
#include "portname.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace gbp {

using namespace protocol;

namespace timing {

double scale()
{
    static const double factor = [] {
        const char* text = std::getenv("LINKWELL_GBP_TIMEOUT_SCALE");
        if (!text || !*text)
            return 1.0;
        char* end = nullptr;
        const double value = std::strtod(text, &end);
        return (*end == '\0' && value > 0.0 && value <= 1.0) ? value : 1.0;
    }();
    return factor;
}

Clock::duration scaled(std::chrono::milliseconds wait)
{
    return std::chrono::duration_cast<Clock::duration>(wait * scale());
}

} // namespace timing

namespace {

Bytes fileAddress(std::int32_t section, std::int32_t subsection)
{
    Bytes payload;
    putU32(payload, std::uint32_t(section));
    putU32(payload, std::uint32_t(subsection));
    return payload;
}

std::int32_t statusResult(std::uint8_t status)
{
    return GBP_STATUS_RESULT(status);
}

// A line with the blanks around it taken off.
std::string trimmed(const std::string& text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

} // namespace

Link::Link() = default;
Link::~Link()
{
    drop();
}

void Link::drop()
{
    port_.reset();
    decoder_.reset();
}

bool Link::send(const Bytes& bytes)
{
    return port_->write(bytes.data(), bytes.size(), Clock::now() + timing::scaled(timing::Write));
}

void Link::discardInput()
{
    port_->discardInput();
    decoder_.reset();
}

bool Link::atCommand(const std::string& command)
{
    const std::string line = command + '\r';
    const Bytes bytes(line.begin(), line.end());
    for (int attempt = 0; attempt < timing::AtTries; ++attempt) {
        discardInput();
        if (!send(bytes))
            return false;
        const Clock::time_point deadline = Clock::now() + timing::scaled(timing::AtReply);
        Bytes received;
        std::size_t start = 0;
        while (port_->read(received, deadline) == SerialPort::Wait::Ready) {
            // Only whole lines count; the phone ends them in CR LF and may
            // send blank ones.
            for (std::size_t i = start; i < received.size(); ++i) {
                if (received[i] != '\r' && received[i] != '\n')
                    continue;
                if (trimmed(std::string(received.begin() + std::ptrdiff_t(start), received.begin() + std::ptrdiff_t(i))) == "OK")
                    return true;
                start = i + 1;
            }
        }
    }
    return false;
}

std::int32_t Link::open(unsigned port)
{
    if (port_)
        return GBP_ALREADY_OPEN;
    const std::string device = portDeviceName(port);
    if (device.empty())
        return GBP_NO_DEVICE;
    port_ = SerialPort::open(device);
    if (!port_)
        return GBP_NO_DEVICE;

    // A phone left in service mode by a link that broke off ignores AT
    // commands; a blind Leave frame brings it back, and the CR after it ends
    // whatever a phone in command mode has gathered. Neither needs an answer.
    Frame leave;
    leave.command = Leave;
    Bytes wake = *encode(leave);
    wake.push_back('\r');
    if (!send(wake) || !atCommand("AT") || !atCommand("AT+GBP")) {
        drop();
        return GBP_NO_ANSWER;
    }
    discardInput();
    sequence_ = 0;
    return GBP_OK;
}

std::int32_t Link::close()
{
    if (!port_)
        return GBP_NOT_OPEN;
    // However busy the line, the caller gets its port back within one reply
    // wait: an attempt that saw noise would otherwise run to FrameAttempt.
    exchange(Leave, {}, timing::LeaveTries, timing::LeaveAttempt);
    drop();
    return GBP_OK;
}

bool Link::awaitAnswer(std::uint8_t command, std::uint8_t sequence, Clock::duration attempt, Frame& answer)
{
    const Clock::time_point attemptEnd = Clock::now() + attempt;
    Clock::time_point quietEnd = Clock::now() + timing::scaled(timing::FrameReply);
    std::vector<DecodeResult> found;
    Bytes bytes;
    for (;;) {
        for (DecodeResult& result : found) {
            if (std::holds_alternative<FrameError>(result)) {
                // A spoilt answer, or noise that held a flag. The good answer
                // may be right behind it; if the line stays quiet instead,
                // ask again soon rather than wait out the full reply time.
                quietEnd = Clock::now() + timing::scaled(timing::FrameGap);
                continue;
            }
            Frame& frame = std::get<Frame>(result);
            // An answer to an earlier request, late or repeated, is skipped.
            if (frame.command == (command | AnswerBit) && frame.sequence == sequence) {
                answer = std::move(frame);
                return true;
            }
        }
        found.clear();
        bytes.clear();
        // A port that has failed would answer every wait at once: end the
        // attempt instead of spinning until the deadline.
        if (port_->read(bytes, std::min(attemptEnd, quietEnd)) != SerialPort::Wait::Ready)
            return false;
        decoder_.feed(bytes.data(), bytes.size(), found);
        // While bytes flow the answer is on its way, however slow the line.
        quietEnd = std::max(quietEnd, Clock::now() + timing::scaled(timing::FrameGap));
    }
}

Link::Answer Link::exchange(std::uint8_t command, const Bytes& payload, int tries, std::chrono::milliseconds attempt)
{
    Frame request;
    request.command = command;
    request.sequence = ++sequence_;
    request.payload = payload;
    const auto encoded = encode(request);
    if (!encoded)
        return {GBP_PROTOCOL_ERROR, {}};

    // Whatever is still on the line belongs to an earlier exchange.
    discardInput();

    Answer answer;
    for (int i = 0; i < tries; ++i) {
        // A repeat keeps the sequence number, so the phone can tell it from a
        // new request and answer it again without acting twice.
        if (!send(*encoded))
            break;
        if (awaitAnswer(command, request.sequence, timing::scaled(attempt), answer.frame))
            return answer;
    }
    answer.result = GBP_PROTOCOL_ERROR;
    return answer;
}

// What an answer hands back when it is not a success: the exchange's own
// failure, or the result of a non-zero status byte; 0 for a good answer.
std::int32_t Link::failureOf(const Answer& answer)
{
    if (answer.result != 0)
        return answer.result;
    return answer.frame.status != Ok ? statusResult(answer.frame.status) : 0;
}

Link::Answer Link::fileRequest(std::uint8_t command, std::int32_t section, std::int32_t subsection)
{
    if (!port_)
        return {GBP_NOT_OPEN, {}};
    Answer answer = exchange(command, fileAddress(section, subsection));
    answer.result = failureOf(answer);
    return answer;
}

std::int32_t Link::fileSize(std::int32_t section, std::int32_t subsection)
{
    const Answer answer = fileRequest(FileSize, section, subsection);
    if (answer.result != 0)
        return answer.result;
    if (answer.frame.payload.size() != 4)
        return GBP_PROTOCOL_ERROR;
    const std::uint32_t size = getU32(answer.frame.payload, 0);
    if (size > std::uint32_t(INT32_MAX))
        return GBP_PROTOCOL_ERROR;
    return std::int32_t(size);
}

std::int32_t Link::read(std::int32_t section, std::int32_t subsection, char* buffer, std::int32_t size)
{
    if (!port_)
        return GBP_NOT_OPEN;
    if (!buffer || size < 0)
        return GBP_BAD_ARGUMENT;
    const std::int32_t total = fileSize(section, subsection);
    if (total <= 0)
        return total;
    // The chunks gather here and reach the caller's buffer only when all have
    // arrived: a read that breaks off leaves the buffer as it was, so a caller
    // never mistakes the first chunk of a file for the whole of it.
    const std::int32_t wanted = std::min(total, size);
    Bytes received(std::size_t(wanted), 0);
    for (std::int32_t offset = 0; offset < wanted;) {
        const std::int32_t count = std::min<std::int32_t>(std::int32_t(ChunkSize), wanted - offset);
        Bytes payload = fileAddress(section, subsection);
        putU32(payload, std::uint32_t(offset));
        putU16(payload, std::uint16_t(count));
        const Answer answer = exchange(ReadChunk, payload);
        if (const std::int32_t failure = failureOf(answer))
            return failure;
        if (answer.frame.payload.size() != std::size_t(count))
            return GBP_PROTOCOL_ERROR;
        std::memcpy(received.data() + offset, answer.frame.payload.data(), std::size_t(count));
        offset += count;
    }
    // Nothing asked for is nothing copied: an empty vector's data() may be
    // null, which memcpy must not see even for zero bytes.
    if (!received.empty())
        std::memcpy(buffer, received.data(), received.size());
    return total;
}

std::int32_t Link::write(std::int32_t section, std::int32_t subsection, const char* data, std::int32_t size)
{
    if (!port_)
        return GBP_NOT_OPEN;
    if (!data || size < 0)
        return GBP_BAD_ARGUMENT;
    std::int32_t offset = 0;
    do {
        const std::int32_t count = std::min<std::int32_t>(std::int32_t(ChunkSize), size - offset);
        Bytes payload = fileAddress(section, subsection);
        putU32(payload, std::uint32_t(offset));
        putU32(payload, std::uint32_t(size));
        payload.insert(payload.end(), data + offset, data + offset + count);
        const Answer answer = exchange(WriteChunk, payload);
        if (const std::int32_t failure = failureOf(answer))
            return failure;
        offset += count;
    } while (offset < size);
    return GBP_OK;
}

std::int32_t Link::clear(std::int32_t section, std::int32_t subsection)
{
    const std::int32_t failure = fileRequest(ClearFile, section, subsection).result;
    return failure != 0 ? failure : GBP_OK;
}

} // namespace gbp
