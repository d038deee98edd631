// Arbitrary bytes and an arbitrary reported size into ParseSection, then
// BuildSection, then a second parse of the built image. Checks that nothing
// reads outside the buffers (the sanitizers), that the image never passes its
// largest size, and that the second parse gives exactly what was written.
#include "store/favouritesstore.h"
#include "store/imagecheck.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace linkwell;
    if (size < 4)
        return 0;
    std::int32_t dataSize;
    std::memcpy(&dataSize, data, 4);
    // Mostly sizes near the buffer, now and then any value a phone might report.
    if (!(dataSize & 0x40000000))
        dataSize = std::int32_t(std::uint32_t(dataSize) % 2100);
    const QByteArray received(reinterpret_cast<const char*>(data + 4), qsizetype(size - 4));

    const ParsedImage parsed = ParseSection(received, dataSize);
    if (parsed.badHeader)
        return 0;
    FavouritesStore first;
    first.adopt(parsed.entries);

    const BuiltImage built = first.BuildSection();
    check(built.size >= 0 && built.size <= limits::MaxImageSize);
    check(first.count() <= limits::MaxEntries);
    check(readBackMismatch(built).isEmpty());

    const ParsedImage second = ParseSection(transferBuffer(built), built.size);
    check(!second.badHeader);

    const qsizetype kept = first.count();
    const qsizetype written = second.entries.size();
    std::int64_t expectedSize = written ? limits::SignatureSize : 0;
    for (const auto& [name, url] : second.entries)
        expectedSize += name.size() + url.size() + limits::RecordOverhead;
    check(expectedSize == built.size);

    if (!built.cut) {
        check(second.entries == parsed.entries.mid(0, kept));
        return 0;
    }
    // A cut image holds whole records and, at most, one cut record last.
    check(written <= kept);
    for (qsizetype i = 0; i < written; ++i) {
        const auto& [name, url] = second.entries[i];
        const auto& [fullName, fullUrl] = parsed.entries[i];
        if (i < written - 1) {
            check(name == fullName && url == fullUrl);
        } else {
            check(fullUrl.startsWith(url) && !url.isEmpty());
            check(fullName.startsWith(name));
        }
    }
    return 0;
}
