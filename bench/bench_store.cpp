// BuildSection and ParseSection on a full image: 100 entries, 1998 bytes.
#include "store/favouritesstore.h"

#include <benchmark/benchmark.h>

namespace {

// 100 records of 8-byte URLs and 8-byte names, nine of them 7-byte names:
// 7 + 91 * 20 + 9 * 19 = 1998 bytes.
void fillFullStore(linkwell::FavouritesStore& store)
{
    for (int i = 0; i < 100; ++i) {
        const QByteArray n = QByteArray::number(i).rightJustified(3, '0');
        store.append((i < 9 ? "name" : "name ") + n, "w." + n + ".cz");
    }
}

void BM_BuildSection(benchmark::State& state)
{
    linkwell::FavouritesStore store;
    fillFullStore(store);
    linkwell::BuiltImage image;
    for (auto _ : state) {
        image = store.BuildSection();
        benchmark::DoNotOptimize(image.bytes.data());
    }
    if (image.size != 1998 || image.cut)
        state.SkipWithError("the store does not build a full 1998-byte image");
}
BENCHMARK(BM_BuildSection);

void BM_ParseSection(benchmark::State& state)
{
    linkwell::FavouritesStore source;
    fillFullStore(source);
    const linkwell::BuiltImage image = source.BuildSection();
    const QByteArray received = linkwell::transferBuffer(image);
    linkwell::ParsedImage parsed;
    for (auto _ : state) {
        parsed = linkwell::ParseSection(received, image.size);
        benchmark::DoNotOptimize(parsed.entries.data());
    }
    if (parsed.entries.size() != 100)
        state.SkipWithError("the image does not parse to 100 entries");
}
BENCHMARK(BM_ParseSection);

} // namespace

BENCHMARK_MAIN();
