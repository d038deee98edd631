#include "protocol.h"

namespace gbp::protocol {

const char* describe(FrameError error)
{
    switch (error) {
    case FrameError::TooShort: return "frame too short";
    case FrameError::TooLong: return "frame too long";
    case FrameError::BadEscape: return "escape before flag";
    case FrameError::LengthMismatch: return "length field mismatch";
    case FrameError::BadCrc: return "bad CRC";
    }
    return "unknown frame error";
}

namespace {

// The CRC of each byte value, worked out by the compiler: a table look-up a
// byte instead of a branch a bit, which is what makes the fuzzer's runs of
// long frames slow (every branch is a traced comparison there).
struct CrcTable {
    std::uint16_t entry[256] = {};
    constexpr CrcTable()
    {
        for (int byte = 0; byte < 256; ++byte) {
            std::uint16_t crc = std::uint16_t(byte << 8);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc & 0x8000) ? std::uint16_t((crc << 1) ^ 0x1021) : std::uint16_t(crc << 1);
            entry[byte] = crc;
        }
    }
};
constexpr CrcTable crcTable;

} // namespace

std::uint16_t crc16(const std::uint8_t* data, std::size_t size, std::uint16_t crc)
{
    for (std::size_t i = 0; i < size; ++i)
        crc = std::uint16_t((crc << 8) ^ crcTable.entry[(crc >> 8) ^ data[i]]);
    return crc;
}

namespace {

void putStuffed(Bytes& out, std::uint8_t byte)
{
    if (byte == Flag || byte == Escape) {
        out.push_back(Escape);
        out.push_back(std::uint8_t(byte ^ EscapeXor));
    } else {
        out.push_back(byte);
    }
}

} // namespace

std::optional<Bytes> encode(const Frame& frame)
{
    if (frame.payload.size() > MaxPayload)
        return std::nullopt;
    Bytes body;
    body.reserve(HeaderSize + frame.payload.size() + CrcSize);
    body.push_back(frame.command);
    body.push_back(frame.sequence);
    body.push_back(frame.status);
    putU16(body, std::uint16_t(frame.payload.size()));
    body.insert(body.end(), frame.payload.begin(), frame.payload.end());
    const std::uint16_t crc = crc16(body.data(), body.size());
    body.push_back(std::uint8_t(crc >> 8));
    body.push_back(std::uint8_t(crc & 0xFF));

    Bytes out;
    out.reserve(body.size() + body.size() / 8 + 2);
    out.push_back(Flag);
    for (std::uint8_t byte : body)
        putStuffed(out, byte);
    out.push_back(Flag);
    return out;
}

void Decoder::reset()
{
    state_ = State::Hunting;
    body_.clear();
}

DecodeResult Decoder::finish() const
{
    if (state_ == State::Overlong)
        return FrameError::TooLong;
    if (state_ == State::Escaped)
        return FrameError::BadEscape;
    if (body_.size() < HeaderSize + CrcSize)
        return FrameError::TooShort;
    const std::size_t payloadSize = body_.size() - HeaderSize - CrcSize;
    if (getU16(body_, 3) != payloadSize)
        return FrameError::LengthMismatch;
    const std::size_t crcAt = body_.size() - CrcSize;
    const std::uint16_t expected = std::uint16_t((body_[crcAt] << 8) | body_[crcAt + 1]);
    if (crc16(body_.data(), crcAt) != expected)
        return FrameError::BadCrc;
    Frame frame;
    frame.command = body_[0];
    frame.sequence = body_[1];
    frame.status = body_[2];
    frame.payload.assign(body_.begin() + HeaderSize, body_.begin() + std::ptrdiff_t(crcAt));
    return frame;
}

void Decoder::feed(const std::uint8_t* data, std::size_t size, std::vector<DecodeResult>& out)
{
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t byte = data[i];
        if (byte == Flag) {
            if (state_ != State::Hunting && (state_ != State::Body || !body_.empty()))
                out.push_back(finish());
            body_.clear();
            state_ = State::Body;
            continue;
        }
        switch (state_) {
        case State::Hunting:
        case State::Overlong: break;
        case State::Escaped:
        case State::Body: {
            std::uint8_t value = byte;
            if (state_ == State::Escaped) {
                value = std::uint8_t(byte ^ EscapeXor);
                state_ = State::Body;
            } else if (byte == Escape) {
                state_ = State::Escaped;
                break;
            }
            if (body_.size() >= MaxBody) {
                body_.clear();
                state_ = State::Overlong;
                break;
            }
            body_.push_back(value);
            break;
        }
        }
    }
}

std::vector<DecodeResult> decodeAll(const std::uint8_t* data, std::size_t size)
{
    Decoder decoder;
    std::vector<DecodeResult> out;
    decoder.feed(data, size, out);
    return out;
}

void putU16(Bytes& out, std::uint16_t value)
{
    out.push_back(std::uint8_t(value & 0xFF));
    out.push_back(std::uint8_t(value >> 8));
}

void putU32(Bytes& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(std::uint8_t((value >> shift) & 0xFF));
}

std::uint16_t getU16(const Bytes& in, std::size_t at)
{
    return std::uint16_t(in.at(at) | (in.at(at + 1) << 8));
}

std::uint32_t getU32(const Bytes& in, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | in.at(at + std::size_t(i));
    return value;
}

} // namespace gbp::protocol
