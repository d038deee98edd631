// Arbitrary bytes as Netscape bookmark HTML: the reader parses it in pieces through Gumbo, so
// the cut points and the UTF-8 check are what is at stake here.
// Every accepted file must also survive the round trip of formatcheck.h.
#include "formatcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzcheck::readAndRoundTrip(linkwell::cli::Format::Html, data, size);
    return 0;
}
