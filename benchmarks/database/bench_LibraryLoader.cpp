// Loading a large library with a warm page cache. The fixture (50,000 tracks
// unless QUAVERLY_BENCH_TRACKS says otherwise, 20 playlists, libgpod layout,
// one tiny song file per track) is made once in the temporary folder and
// reused by later runs.
//   bench_LibraryLoader [--benchmark_repetitions=5]
#include "benchmarks/common/BenchTracks.h"
#include "benchmarks/common/DemoFixture.h"
#include "database/LibraryLoader.h"

#include <QDir>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

using namespace quaverly;

namespace {

const int kTracks = benchmarks::benchTracks();

const QString& fixtureRoot()
{
    static const QString root = benchmarks::DemoFixture(QString::number(kTracks), kTracks);
    return root;
}

QString dbPath()
{
    return fixtureRoot() + QStringLiteral("/iPod_Control/iTunes/iTunesDB");
}

// Database, On-The-Go and Play Counts; no file sizes (an empty root skips them).
void BM_LoadDatabase(benchmark::State& state)
{
    const QString path = dbPath();
    for (auto _ : state) {
        database::LoadResult result = database::LoadiTunesDB(path, QString());
        if (result.library.TrackCount() != kTracks || !result.warnings.isEmpty())
            state.SkipWithError("the fixture did not load cleanly");
        benchmark::DoNotOptimize(result);
    }
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_LoadDatabase)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The 50,000 file sizes from the disk, each Music folder listed once. The
// folders are listed on all cores, so the time that counts is the wall time.
void BM_FileSizes(benchmark::State& state)
{
    database::LoadResult loaded = database::LoadiTunesDB(dbPath(), QString());
    for (auto _ : state) {
        database::fillFileSizes(loaded.library, fixtureRoot());
        if (loaded.library.Tracks.back().FileSize <= 0)
            state.SkipWithError("song files missing");
    }
}
BENCHMARK(BM_FileSizes)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
