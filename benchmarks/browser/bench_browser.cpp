// Browser budgets on a 50,000-track demo iPod (generated once per run in a
// temporary folder, song files created empty so the missing-file check has
// something to find; QUAVERLY_BENCH_TRACKS sets another size).
// Run: bench_browser [--benchmark_filter=...]
#include "benchmarks/common/BenchTracks.h"
#include "browser/BrowserState.h"
#include "browser/LibraryChecks.h"
#include "browser/SongColumns.h"
#include "browser/SongSearch.h"
#include "browser/TrackKeys.h"
#include "database/LibraryLoader.h"
#include "tools/demoipod/DemoIpod.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

using namespace quaverly;
using browser::BrowserState;

namespace {

const int kTracks = benchmarks::benchTracks();

struct Fixture
{
    QTemporaryDir dir;
    database::Library library;
};

const Fixture& fixture()
{
    static const std::unique_ptr<Fixture> made = [] {
        auto f = std::make_unique<Fixture>();
        QString error;
        if (!f->dir.isValid() || !tools::makeDemoIpod(f->dir.path(), { kTracks, false }, &error)) {
            std::fprintf(stderr, "cannot make the demo iPod: %s\n", qPrintable(error));
            std::abort();
        }
        const QString db = f->dir.filePath(QStringLiteral("iPod_Control/iTunes/iTunesDB"));
        database::LoadResult loaded = database::LoadiTunesDB(db, f->dir.path());
        if (loaded.error != database::LoadError::None || loaded.library.TrackCount() != kTracks) {
            std::fprintf(stderr, "cannot load the demo iPod\n");
            std::abort();
        }
        f->library = std::move(loaded.library);
        // Every tenth song stays missing. The demo's paths are spelt as on the disk.
        for (int i = 0; i < kTracks; i += 1) {
            if (i % 10 == 0)
                continue;
            QFile song(f->dir.path() + f->library.Tracks[static_cast<size_t>(i)].Path);
            if (!song.open(QIODevice::WriteOnly))
                std::abort();
        }
        return f;
    }();
    return *made;
}

void BM_BuildBrowserState(benchmark::State& state)
{
    const auto& library = fixture().library;
    for (auto _ : state) {
        BrowserState browser(library);
        benchmark::DoNotOptimize(browser.entries(browser::BrowserList::Source).size());
    }
}

void BM_BuildSearchIndex(benchmark::State& state)
{
    for (auto _ : state)
        browser::SearchIndex index(fixture().library);
}

void BM_BuildTrackKeys(benchmark::State& state)
{
    for (auto _ : state)
        browser::TrackKeys keys(fixture().library);
}

void BM_SelectMasterSource(benchmark::State& state)
{
    BrowserState browser(fixture().library);
    for (auto _ : state)
        browser.selectSource(0);
    state.counters["rows"] = double(browser.songRows().size());
}

void clickEach(benchmark::State& state, browser::BrowserList list)
{
    BrowserState browser(fixture().library);
    browser.selectFirstSource();
    const int entries = static_cast<int>(browser.entries(list).size());
    int row = 0;
    for (auto _ : state) {
        row = row % (entries - 1) + 1;
        if (list == browser::BrowserList::Genre)
            browser.selectGenres(row, { row });
        else if (list == browser::BrowserList::Artist)
            browser.selectArtists(row, { row });
        else
            browser.selectAlbums(row, { row });
    }
    state.counters["entries"] = entries;
}

void BM_ClickGenre(benchmark::State& state)
{
    clickEach(state, browser::BrowserList::Genre);
}
void BM_ClickArtist(benchmark::State& state)
{
    clickEach(state, browser::BrowserList::Artist);
}
void BM_ClickAlbum(benchmark::State& state)
{
    clickEach(state, browser::BrowserList::Album);
}

void BM_ClickAllGenreAfterOne(benchmark::State& state)
{
    BrowserState browser(fixture().library);
    browser.selectFirstSource();
    for (auto _ : state) {
        state.PauseTiming();
        browser.selectGenres(1, { 1 });
        state.ResumeTiming();
        browser.selectGenres(0, { 0 }); // back to every track: the largest genre click
    }
}

// One keystroke over all 50,000 rows: the first letter of a query.
void BM_SearchKeystroke(benchmark::State& state)
{
    BrowserState browser(fixture().library);
    browser.selectFirstSource();
    const QString query = QStringLiteral("q"); // in no cell: every cell of every row is searched
    for (auto _ : state) {
        state.PauseTiming();
        browser.setSearchText(QString());
        state.ResumeTiming();
        browser.setSearchText(query);
    }
    state.counters["rows"] = double(browser.songRows().size());
}

// Deleting a letter: rebuild from the album selection, then filter.
void BM_SearchDeleteLetter(benchmark::State& state)
{
    BrowserState browser(fixture().library);
    browser.selectFirstSource();
    for (auto _ : state) {
        state.PauseTiming();
        browser.setSearchText(QStringLiteral("band 7q"));
        state.ResumeTiming();
        browser.setSearchText(QStringLiteral("band 7"));
    }
    state.counters["rows"] = double(browser.songRows().size());
}

// A Title header click on rows in another order: the demo's titles follow
// the track order, so the rows are put in the order of the scrambled file
// names first (not timed).
void BM_HeaderSortTitle(benchmark::State& state)
{
    BrowserState browser(fixture().library);
    browser.selectFirstSource();
    for (auto _ : state) {
        state.PauseTiming();
        browser.sortSongRows(static_cast<int>(browser::Column::Path));
        state.ResumeTiming();
        browser.sortSongRows(static_cast<int>(browser::Column::Title));
    }
}

void BM_Duplicates(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(browser::ScanForDuplicates(fixture().library).foundCount);
}

void BM_MissingWarm(benchmark::State& state)
{
    const Fixture& f = fixture();
    size_t missing = 0;
    for (auto _ : state)
        missing = browser::ScanForMissing(f.library, f.dir.path()).missing.size();
    state.counters["missing"] = double(missing);
}

} // namespace

BENCHMARK(BM_BuildBrowserState)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildSearchIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildTrackKeys)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectMasterSource)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClickGenre)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClickAllGenreAfterOne)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClickArtist)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClickAlbum)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchDeleteLetter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeaderSortTitle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Duplicates)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MissingWarm)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    fixture();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
