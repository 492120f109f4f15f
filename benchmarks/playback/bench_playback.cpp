// Playback figures: time from open() to the first audio out, and the cost of
// a position query while a song plays. The song is QUAVERLY_BENCH_SONG (an MP3
// made by scripts/bench-playback), else a generated WAV. Audio goes to
// QUAVERLY_AUDIO_OUT (default "null": no sound card needed).
#include "playback/AudioEngine.h"
#include "playback/MpvBackend.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include <benchmark/benchmark.h>

#include <cmath>

using namespace quaverly::playback;

namespace {

QString g_song;

bool writeWav(const QString& path, int seconds)
{
    constexpr quint32 kRate = 44100;
    const quint32 frames = kRate * static_cast<quint32>(seconds);
    QByteArray out("RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0", 24);
    auto le32 = [&out](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    auto le16 = [&out](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    le32(kRate);
    le32(kRate * 4);
    le16(4);
    le16(16);
    out.append("data");
    le32(frames * 4);
    for (quint32 i = 0; i < frames; ++i) {
        const auto s = static_cast<quint16>(static_cast<qint16>(8000 * std::sin(i * 0.0627)));
        le16(s);
        le16(s);
    }
    qToLittleEndian(static_cast<quint32>(out.size() - 8), out.data() + 4);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

QString audioOut()
{
    const QString out = audioOutFromEnvironment();
    return out.isEmpty() ? QStringLiteral("null") : out;
}

// Waits in the event loop until the engine reports `state` (or 5 s pass).
bool waitFor(AudioEngine& engine, BackendState state)
{
    if (engine.state() == state)
        return true;
    QEventLoop loop;
    QObject::connect(&engine, &AudioEngine::stateChanged, &loop, [&](BackendState now) {
        if (now == state)
            loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return engine.state() == state;
}

void BM_OpenToFirstAudio(benchmark::State& state)
{
    AudioEngine engine(std::make_unique<MpvBackend>(MpvOptions { audioOut(), false, false }), nullptr);
    if (!engine.initialise()) {
        state.SkipWithError("mpv cannot start");
        return;
    }
    for (auto _ : state) {
        engine.open(g_song, QString());
        if (!waitFor(engine, BackendState::Playing)) {
            state.SkipWithError("the song did not start");
            return;
        }
    }
    state.SetLabel(g_song.section(QLatin1Char('.'), -1).toStdString());
}
BENCHMARK(BM_OpenToFirstAudio)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

void BM_PositionWhilePlaying(benchmark::State& state)
{
    AudioEngine engine(std::make_unique<MpvBackend>(MpvOptions { audioOut(), false, false }), nullptr);
    if (!engine.initialise()) {
        state.SkipWithError("mpv cannot start");
        return;
    }
    engine.open(g_song, QString());
    if (!waitFor(engine, BackendState::Playing)) {
        state.SkipWithError("the song did not start");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine.positionMs());
        benchmark::DoNotOptimize(engine.lengthMs());
        benchmark::DoNotOptimize(engine.playState());
    }
}
BENCHMARK(BM_PositionWhilePlaying);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    g_song = qEnvironmentVariable("QUAVERLY_BENCH_SONG");
    if (g_song.isEmpty()) {
        g_song = dir.filePath(QStringLiteral("bench.wav"));
        if (!writeWav(g_song, 30))
            return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
