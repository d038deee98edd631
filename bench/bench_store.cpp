// BuildSection and ParseSection on a full image: 100 entries, 1998 bytes.
#include "store/favouritesstore.h"
#include "store/notices.h"

#include <benchmark/benchmark.h>
#include <cstring>

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
    linkwell::SilentNotices notices;
    linkwell::FavouritesStore store(notices);
    fillFullStore(store);
    for (auto _ : state) {
        store.BuildSection();
        benchmark::DoNotOptimize(store.TxBuffer.data());
    }
    if (store.DataSize != 1998 || store.OverflowFlag)
        state.SkipWithError("the store does not build a full 1998-byte image");
}
BENCHMARK(BM_BuildSection);

void BM_ParseSection(benchmark::State& state)
{
    linkwell::SilentNotices notices;
    linkwell::FavouritesStore source(notices);
    fillFullStore(source);
    source.BuildSection();
    linkwell::FavouritesStore store(notices);
    for (auto _ : state) {
        state.PauseTiming();
        store.ClearAll();
        store.RxBuffer = source.TxBuffer;
        store.DataSize = source.DataSize;
        state.ResumeTiming();
        store.ParseSection();
        benchmark::DoNotOptimize(store.NameList().data());
    }
    if (store.count() != 100)
        state.SkipWithError("the image does not parse to 100 entries");
}
BENCHMARK(BM_ParseSection);

} // namespace

BENCHMARK_MAIN();
