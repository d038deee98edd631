// Arbitrary bytes as vBookmark files: properties, their encodings and charsets, envelopes
// and continuation lines.
// Every accepted file must also survive the round trip of formatcheck.h.
#include "formatcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzcheck::readAndRoundTrip(linkwell::cli::Format::Vbm, data, size);
    return 0;
}
