#include "link.h"

#include "gbp.h"
#include "portname.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <algorithm>
#include <cstring>

namespace gbp {

using namespace protocol;

namespace {

qint64 msLeft(const QDeadlineTimer& deadline)
{
    return std::max<qint64>(0, deadline.remainingTime());
}

QByteArray toQByteArray(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

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

} // namespace

Link::Link() = default;
Link::~Link()
{
    drop();
}

void Link::drop()
{
    if (port_) {
        port_->close();
        port_.reset();
    }
    decoder_.reset();
}

bool Link::send(const QByteArray& bytes)
{
    if (port_->write(bytes) != bytes.size())
        return false;
    const QDeadlineTimer deadline(timing::Write);
    while (port_->bytesToWrite() > 0) {
        if (deadline.hasExpired() || !port_->waitForBytesWritten(int(msLeft(deadline))))
            return false;
    }
    return true;
}

bool Link::waitForBytes(const QDeadlineTimer& deadline)
{
    if (port_->bytesAvailable() > 0)
        return true;
    const qint64 left = msLeft(deadline);
    if (left == 0)
        return false;
    if (port_->waitForReadyRead(int(left)))
        return true;
    // A port that has failed would answer every wait at once: end the
    // attempt instead of spinning until the deadline.
    if (port_->error() != QSerialPort::NoError && port_->error() != QSerialPort::TimeoutError) {
        port_->clearError();
        return false;
    }
    return port_->bytesAvailable() > 0;
}

bool Link::atCommand(const QByteArray& command)
{
    for (int attempt = 0; attempt < timing::AtTries; ++attempt) {
        port_->clear(QSerialPort::Input);
        port_->readAll();
        if (!send(command + '\r'))
            return false;
        const QDeadlineTimer deadline(timing::AtReply);
        QByteArray text;
        while (waitForBytes(deadline)) {
            text += port_->readAll();
            // Only whole lines count; the phone ends them in CR LF and may
            // send blank ones.
            qsizetype start = 0;
            for (qsizetype i = 0; i < text.size(); ++i) {
                if (text[i] != '\r' && text[i] != '\n')
                    continue;
                if (text.mid(start, i - start).trimmed() == "OK")
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
    const QString device = portDeviceName(port);
    if (device.isEmpty())
        return GBP_NO_DEVICE;
    port_ = std::make_unique<QSerialPort>();
    port_->setPortName(device);
    port_->setBaudRate(QSerialPort::Baud115200);
    port_->setDataBits(QSerialPort::Data8);
    port_->setParity(QSerialPort::NoParity);
    port_->setStopBits(QSerialPort::OneStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    if (!port_->open(QIODevice::ReadWrite)) {
        port_.reset();
        return GBP_NO_DEVICE;
    }

    // A phone left in service mode by a link that broke off ignores AT
    // commands; a blind Leave frame brings it back, and the CR after it ends
    // whatever a phone in command mode has gathered. Neither needs an answer.
    Frame leave;
    leave.command = Leave;
    QByteArray wake = toQByteArray(*encode(leave));
    wake += '\r';
    if (!send(wake) || !atCommand("AT") || !atCommand("AT+GBP")) {
        drop();
        return GBP_NO_ANSWER;
    }
    port_->clear(QSerialPort::Input);
    port_->readAll();
    decoder_.reset();
    sequence_ = 0;
    return GBP_OK;
}

std::int32_t Link::close()
{
    if (!port_)
        return GBP_NOT_OPEN;
    exchange(Leave, {}, timing::LeaveTries);
    drop();
    return GBP_OK;
}

bool Link::awaitAnswer(std::uint8_t command, std::uint8_t sequence, Frame& answer)
{
    const QDeadlineTimer attemptEnd(timing::FrameAttempt);
    QDeadlineTimer quietEnd(timing::FrameReply);
    std::vector<DecodeResult> found;
    for (;;) {
        for (DecodeResult& result : found) {
            if (std::holds_alternative<FrameError>(result)) {
                // A spoilt answer, or noise that held a flag. The good answer
                // may be right behind it; if the line stays quiet instead,
                // ask again soon rather than wait out the full reply time.
                quietEnd = QDeadlineTimer(timing::FrameGap);
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
        const QDeadlineTimer deadline = std::min(attemptEnd, quietEnd);
        if (!waitForBytes(deadline))
            return false;
        const QByteArray bytes = port_->readAll();
        decoder_.feed(std::string_view(bytes.constData(), size_t(bytes.size())), found);
        // While bytes flow the answer is on its way, however slow the line.
        const QDeadlineTimer gapEnd(timing::FrameGap);
        if (gapEnd > quietEnd)
            quietEnd = gapEnd;
    }
}

Link::Answer Link::exchange(std::uint8_t command, const Bytes& payload, int tries)
{
    Frame request;
    request.command = command;
    request.sequence = ++sequence_;
    request.payload = payload;
    const auto encoded = encode(request);
    if (!encoded)
        return {GBP_PROTOCOL_ERROR, {}};
    const QByteArray bytes = toQByteArray(*encoded);

    // Whatever is still on the line belongs to an earlier exchange.
    port_->clear(QSerialPort::Input);
    port_->readAll();
    decoder_.reset();

    Answer answer;
    for (int attempt = 0; attempt < tries; ++attempt) {
        // A repeat keeps the sequence number, so the phone can tell it from a
        // new request and answer it again without acting twice.
        if (!send(bytes))
            break;
        if (awaitAnswer(command, request.sequence, answer.frame))
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

std::int32_t Link::fileSize(std::int32_t section, std::int32_t subsection)
{
    if (!port_)
        return GBP_NOT_OPEN;
    const Answer answer = exchange(FileSize, fileAddress(section, subsection));
    if (const std::int32_t failure = failureOf(answer))
        return failure;
    if (answer.frame.payload.size() != 4)
        return GBP_PROTOCOL_ERROR;
    const std::uint32_t size = getU32(answer.frame.payload, 0);
    if (size > std::uint32_t(INT32_MAX))
        return GBP_PROTOCOL_ERROR;
    return std::int32_t(size);
}

std::int32_t Link::read(std::int32_t section, std::int32_t subsection, char* buffer,
                        std::int32_t size)
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

std::int32_t Link::write(std::int32_t section, std::int32_t subsection, const char* data,
                         std::int32_t size)
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
    if (!port_)
        return GBP_NOT_OPEN;
    const Answer answer = exchange(ClearFile, fileAddress(section, subsection));
    if (const std::int32_t failure = failureOf(answer))
        return failure;
    return GBP_OK;
}

} // namespace gbp
