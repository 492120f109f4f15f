// Planning an extraction of a 40,000-song library (names, clashes, one listing
// per iPod folder) and copying one 5 MB song with a warm page cache. The
// fixture is made once in the temporary folder and reused by later runs.
//   bench_SongExtractor [--benchmark_repetitions=5]
#include "benchmarks/common/DemoFixture.h"
#include "database/LibraryLoader.h"
#include "export/ExtractCore.h"
#include "export/FileCopier.h"
#include "export/SongExtractor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <numeric>

using namespace quaverly;

namespace {

constexpr int kTracks = 40000;

const QString& fixtureRoot()
{
    static const QString root = benchmarks::DemoFixture(QStringLiteral("export-%1").arg(kTracks), kTracks);
    return root;
}

const database::Library& library()
{
    static const database::LoadResult loaded = database::LoadiTunesDB(
        fixtureRoot() + QStringLiteral("/iPod_Control/iTunes/iTunesDB"), fixtureRoot());
    if (loaded.library.TrackCount() != kTracks) {
        std::fprintf(stderr, "the fixture holds %d tracks\n", loaded.library.TrackCount());
        std::_Exit(1);
    }
    return loaded.library;
}

void BM_MakeFileName(benchmark::State& state)
{
    const database::Library& songs = library();
    const QString nameTemplate = exporting::kDefaultTemplate.toString();
    for (auto _ : state) {
        for (const database::TrackRecord& track : songs.Tracks) {
            benchmark::DoNotOptimize(exporting::MakeFileName(nameTemplate, track.Title, track.Artist, track.Album,
                                                             track.Genre,
                                                             exporting::trackNumberText(track.TrackNumber)));
        }
    }
    state.SetItemsProcessed(state.iterations() * kTracks);
}
BENCHMARK(BM_MakeFileName)->Unit(benchmark::kMillisecond);

void BM_Plan(benchmark::State& state)
{
    const database::Library& songs = library();
    std::vector<int> all(static_cast<size_t>(kTracks));
    std::iota(all.begin(), all.end(), 0);
    const exporting::SongExtractor extractor(songs);
    for (auto _ : state) {
        const exporting::ExtractPlan plan = extractor.makePlan(all, QDir::tempPath() + QStringLiteral("/out"),
                                                               exporting::kDefaultTemplate.toString());
        benchmark::DoNotOptimize(plan.totalBytes);
    }
    state.SetItemsProcessed(state.iterations() * kTracks);
}
BENCHMARK(BM_Plan)->Unit(benchmark::kMillisecond);

void BM_CopyFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("song.mp3"));
    {
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the source song");
            return;
        }
        file.write(QByteArray(static_cast<qsizetype>(state.range(0)), 'x'));
    }
    exporting::FileCopier copier;
    for (auto _ : state) {
        const exporting::CopyResult result = copier.CopyFile(source, dir.filePath(QStringLiteral("a/b/copy.mp3")));
        if (!result.ok())
            state.SkipWithError("copy failed");
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CopyFile)->Arg(5 << 20)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
