// Arbitrary bytes and an arbitrary DataSize into ParseSection, then
// BuildSection, then a second parse of the built image. Checks that nothing
// reads outside the buffers (the sanitizers), that the image never passes its
// largest size, and that the second parse gives exactly what was written.
#include "store/favouritesstore.h"
#include "store/notices.h"

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
    linkwell::SilentNotices notices;
    FavouritesStore first(notices);
    std::int32_t dataSize;
    std::memcpy(&dataSize, data, 4);
    // Mostly sizes near the buffer, now and then any value a phone might report.
    if (!(dataSize & 0x40000000))
        dataSize = std::int32_t(std::uint32_t(dataSize) % 2100);
    data += 4;
    size -= 4;
    std::memcpy(first.RxBuffer.data(), data, std::min<std::size_t>(size, limits::BufferSize));
    first.DataSize = dataSize;

    first.ParseSection();
    if (first.BadHeaderFlag)
        return 0;
    const QList<QByteArray> names = first.NameList();
    const QList<QByteArray> urls = first.UrlList();

    first.BuildSection();
    check(first.DataSize >= 0 && first.DataSize <= limits::MaxImageSize);
    check(first.count() <= limits::MaxEntries);

    FavouritesStore second(notices);
    second.RxBuffer = first.TxBuffer;
    second.DataSize = first.DataSize;
    second.ParseSection();
    check(!second.BadHeaderFlag);

    const int kept = first.count();
    const int written = second.count();
    std::int32_t expectedSize = written ? limits::SignatureSize : 0;
    for (int i = 0; i < written; ++i)
        expectedSize += std::int32_t(second.name(i).size() + second.url(i).size()) + limits::RecordOverhead;
    check(expectedSize == first.DataSize);

    if (!first.OverflowFlag) {
        check(written == kept);
        check(second.NameList() == names.mid(0, kept));
        check(second.UrlList() == urls.mid(0, kept));
        return 0;
    }
    // A cut image holds whole records and, at most, one cut record last.
    check(written <= kept);
    for (int i = 0; i < written; ++i) {
        const bool last = i == written - 1;
        if (!last) {
            check(second.name(i) == names[i] && second.url(i) == urls[i]);
        } else {
            check(urls[i].startsWith(second.url(i)) && !second.url(i).isEmpty());
            check(names[i].startsWith(second.name(i)));
        }
    }
    return 0;
}
