// The frame codec on arbitrary bytes: whatever it decodes must encode and
// decode back to itself, and any payload it encodes must come back out, also
// behind noise.

#include "gbp/protocol.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace gbp::protocol;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void roundTrip(const Frame& frame, const Bytes& prefix)
{
    const auto encoded = encode(frame);
    check(encoded.has_value());
    Bytes line = prefix;
    line.insert(line.end(), encoded->begin(), encoded->end());
    const auto found = decodeAll(line.data(), line.size());
    // Noise may yield bad frames of its own, but the frame itself comes last.
    check(!found.empty());
    const Frame* back = std::get_if<Frame>(&found.back());
    check(back && *back == frame);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Arbitrary bytes as a line: every frame found must survive a re-encode.
    for (const DecodeResult& result : decodeAll(data, size)) {
        if (const Frame* frame = std::get_if<Frame>(&result)) {
            check(frame->payload.size() <= MaxPayload);
            roundTrip(*frame, {});
        }
    }

    // The same bytes as a frame to send: the first three are the header, up
    // to MaxPayload of the rest the payload, and the remainder noise before it.
    if (size >= 3) {
        Frame frame;
        frame.command = data[0];
        frame.sequence = data[1];
        frame.status = data[2];
        const std::size_t payloadSize = std::min(size - 3, MaxPayload);
        frame.payload.assign(data + 3, data + 3 + payloadSize);
        roundTrip(frame, {});
        roundTrip(frame, Bytes(data + 3 + payloadSize, data + size));
        roundTrip(frame, Bytes(data, data + size));
    }
    return 0;
}
