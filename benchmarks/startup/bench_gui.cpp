// Start-up to a shown main window and song-list scrolling with a generated
// library of 50,000 tracks (QUAVERLY_BENCH_TRACKS sets another size). Budgets: start-up (without the loading window's
// hold) at most 1.5 s; one scroll step or resize of the song list well under
// a frame (16 ms). Run offscreen:
//   QT_QPA_PLATFORM=offscreen build/<dir>/bin/bench_gui
#include "benchmarks/common/BenchTracks.h"
#include "browser/SongListModel.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMainUi.h"
#include "database/LibraryLoader.h"
#include "device/DevicePath.h"
#include "settings/mdlOptions.h"
#include "startup/ui/StartupFlow.h"
#include "tests/support/RecordingPromptService.h"
#include "tools/demoipod/DemoIpod.h"
#include "ui/widgets/ucListView.h"

#include <QApplication>
#include <QEventLoop>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace quaverly;

namespace {

const int kTracks = benchmarks::benchTracks();

// Made once for the whole run; empty when it could not be made.
QString bigIpod()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        tools::DemoOptions options;
        options.tracks = kTracks;
        options.audio = false;
        QString error;
        return dir.isValid() && tools::makeDemoIpod(dir.path(), options, &error) ? dir.path() : QString();
    }();
    return path;
}

QWidget* makeMain(const database::LoadResult& load, settings::mdlOptions& options, ui::PromptService& prompts)
{
    return new browser::frmMain(load.library, options, prompts);
}

void BM_StartupToShownMainWindow(benchmark::State& state)
{
    if (bigIpod().isEmpty()) {
        state.SkipWithError("no demo iPod");
        return;
    }
    for (auto _ : state) {
        ui::RecordingPromptService prompts;
        startup::StartupFlow flow(prompts, makeMain);
        flow.setToday(QDate(2026, 1, 10)); // January: no hold to discount
        QEventLoop loop;
        QObject::connect(&flow, &startup::StartupFlow::mainWindowShown, &loop, &QEventLoop::quit);
        flow.start(bigIpod(), {}, QString());
        loop.exec();
        state.counters["startup_ms"] = double(flow.startupMs());
    }
}
BENCHMARK(BM_StartupToShownMainWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

struct LoadedMain
{
    database::LoadResult load;
    std::unique_ptr<settings::mdlOptions> options;
    ui::RecordingPromptService prompts;
};

LoadedMain& loaded()
{
    static LoadedMain main = [] {
        LoadedMain m;
        const QString db = device::DevicePath(bigIpod()).existing(QStringLiteral("iPod_Control/iTunes/iTunesDB"));
        m.load = database::LoadiTunesDB(db, bigIpod());
        m.load.library.iPodRoot = bigIpod();
        m.options = std::make_unique<settings::mdlOptions>(bigIpod());
        return m;
    }();
    return main;
}

void BM_MainWindowLoad(benchmark::State& state)
{
    LoadedMain& m = loaded();
    for (auto _ : state) {
        browser::frmMain window(m.load.library, *m.options, m.prompts);
        benchmark::DoNotOptimize(window.songModel().rowCount());
    }
}
BENCHMARK(BM_MainWindowLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SongListScrollStep(benchmark::State& state)
{
    LoadedMain& m = loaded();
    browser::frmMain window(m.load.library, *m.options, m.prompts);
    window.show();
    ui::ucListView* list = window.ui().lstSong;
    QScrollBar* bar = list->verticalScrollBar();
    int value = 0;
    for (auto _ : state) {
        value = (value + bar->pageStep()) % std::max(1, bar->maximum());
        bar->setValue(value);
        benchmark::DoNotOptimize(list->viewport()->grab()); // paints the visible rows
    }
}
BENCHMARK(BM_SongListScrollStep)->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_SongListResize(benchmark::State& state)
{
    LoadedMain& m = loaded();
    browser::frmMain window(m.load.library, *m.options, m.prompts);
    window.show();
    int step = 0;
    for (auto _ : state) {
        ++step;
        window.resize(900 + (step % 10) * 40, 700 + (step % 7) * 30);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.grab());
    }
}
BENCHMARK(BM_SongListResize)->Unit(benchmark::kMillisecond)->Iterations(40);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
