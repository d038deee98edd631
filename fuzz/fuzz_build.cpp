// Entries made straight from the fuzzer's bytes, built into an image with the
// window's builder and read back: the image must hold exactly what was meant
// (imageMismatch, the same check the program runs before it writes or sends
// an image). Entries the program refuses (0x00 or 0x01 in a field, an empty
// URL) are left out as the program leaves them out.
#include "store/imagecheck.h"
#include "store/sectionimage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace linkwell;
    // Each field: a length byte, then that many bytes (fewer at the end of the
    // input). Lengths are doubled now and then so fields near 255 and images
    // past 1998 bytes come up often.
    std::size_t at = 0;
    const auto field = [&]() {
        if (at >= size)
            return QByteArray();
        std::size_t length = data[at++];
        if (length & 0x80)
            length = (length & 0x7f) * 4;
        length = std::min(length, size - at);
        const QByteArray out(reinterpret_cast<const char*>(data + at), qsizetype(length));
        at += length;
        return out;
    };

    ImageEntries entries;
    while (at < size && entries.size() < 130) {
        const QByteArray name = field();
        const QByteArray url = field();
        if (!isStorableText(name) || !isStorableText(url) || url.isEmpty())
            continue;
        entries.append({name, url});
    }

    const BuiltImage image = BuildSection(entries);
    const QString mismatch = imageMismatch(image.bytes, entries);
    if (!mismatch.isEmpty()) {
        std::fprintf(stderr, "%s\n", mismatch.toLocal8Bit().constData());
        std::abort();
    }
    return 0;
}
