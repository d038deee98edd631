#pragma once

// The byte level of the phone link: CRC-16, frames and their stuffing. Pure
// functions and one incremental decoder, shared by the library and the
// emulator. No I/O; nothing but the standard library.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

namespace gbp::protocol {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t Flag = 0x7E;
inline constexpr std::uint8_t Escape = 0x7D;
inline constexpr std::uint8_t EscapeXor = 0x20;

// Header: command, sequence, status, payload length (2 bytes, little-endian).
inline constexpr std::size_t HeaderSize = 5;
inline constexpr std::size_t CrcSize = 2;
inline constexpr std::size_t MaxPayload = 600;
inline constexpr std::size_t MaxBody = HeaderSize + MaxPayload + CrcSize;
// The most file bytes one read answer or one write request carries.
inline constexpr std::size_t ChunkSize = 512;

// Commands a host sends. An answer carries its request's command with the
// top bit set, the same sequence number, and the phone's status.
enum Command : std::uint8_t {
    FileSize = 0x10,   // section(4) subsection(4)            -> size(4)
    ReadChunk = 0x11,  // section(4) subsection(4) offset(4) count(2) -> data
    WriteChunk = 0x12, // section(4) subsection(4) offset(4) total(4) data
    ClearFile = 0x13,  // section(4) subsection(4)            -> nothing
    Leave = 0x1F,      // nothing                            -> nothing
};
inline constexpr std::uint8_t AnswerBit = 0x80;

enum Status : std::uint8_t {
    Ok = 0x00,
    NoSuchFile = 0x01,
    BadArgument = 0x02,
    UnknownCommand = 0x03,
    BadRequest = 0x04,
};

struct Frame {
    std::uint8_t command = 0;
    std::uint8_t sequence = 0;
    std::uint8_t status = 0;
    Bytes payload;

    bool operator==(const Frame& other) const
    {
        return command == other.command && sequence == other.sequence && status == other.status && payload == other.payload;
    }
    bool operator!=(const Frame& other) const { return !(*this == other); }
};

// Why bytes between two flags were not a frame.
enum class FrameError {
    TooShort,       // fewer bytes than a header and a CRC
    TooLong,        // more than MaxBody bytes before the closing flag
    BadEscape,      // an escape byte right before the closing flag
    LengthMismatch, // the length field disagrees with the bytes received
    BadCrc,
};

const char* describe(FrameError error);

// CRC-16/CCITT: polynomial 0x1021, initial value 0xFFFF, no reflection, no
// final XOR ("123456789" gives 0x29B1).
std::uint16_t crc16(const std::uint8_t* data, std::size_t size, std::uint16_t crc = 0xFFFF);

// The bytes on the line for one frame: flag, stuffed body, flag. A payload
// longer than MaxPayload is a caller's fault and yields nothing.
std::optional<Bytes> encode(const Frame& frame);

using DecodeResult = std::variant<Frame, FrameError>;

// Finds frames in a byte stream fed in pieces of any size. Bytes before the
// first flag are skipped; every flag both closes the frame before it and
// opens the next, so the decoder is back in step at the first flag after any
// noise. Empty bodies (two flags in a row) are ignored.
class Decoder {
public:
    // Appends what the bytes complete to `out`.
    void feed(const std::uint8_t* data, std::size_t size, std::vector<DecodeResult>& out);
    void feed(std::string_view bytes, std::vector<DecodeResult>& out)
    {
        feed(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), out);
    }
    // Forgets any partial frame and hunts for the next flag.
    void reset();
    // True while bytes since the last flag are being gathered.
    bool inFrame() const { return state_ != State::Hunting; }

private:
    enum class State { Hunting, Body, Escaped, Overlong };
    DecodeResult finish() const;

    State state_ = State::Hunting;
    Bytes body_;
};

// Everything found in one complete piece of bytes.
std::vector<DecodeResult> decodeAll(const std::uint8_t* data, std::size_t size);

// Little-endian fields of the request payloads.
void putU16(Bytes& out, std::uint16_t value);
void putU32(Bytes& out, std::uint32_t value);
std::uint16_t getU16(const Bytes& in, std::size_t at);
std::uint32_t getU32(const Bytes& in, std::size_t at);

} // namespace gbp::protocol
