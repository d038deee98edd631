// Arbitrary bytes as JSON arrays: the streaming reader's own grammar, strings and escapes.
// Every accepted file must also survive the round trip of formatcheck.h.
#include "formatcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzcheck::readAndRoundTrip(linkwell::cli::Format::Json, data, size);
    return 0;
}
