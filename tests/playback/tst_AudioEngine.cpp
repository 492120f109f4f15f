// The audio engine: routing between its two players, the state sense of
// playState, the end signal, and the tray signal. Scripted back ends for the
// rules, real libmpv (null output) for whole songs.
#include "WavFile.h"
#include "playback/AudioEngine.h"
#include "playback/MpvBackend.h"
#include "tests/support/FakeBackend.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace quaverly::playback;
using namespace quaverly::playback::test;
using namespace Qt::StringLiterals;

namespace {

struct FakeEngine
{
    FakeBackend* audio = nullptr;
    FakeBackend* second = nullptr;
    std::unique_ptr<AudioEngine> engine;
};

FakeEngine makeFakeEngine(bool withSecond = true, bool audioStarts = true)
{
    FakeEngine f;
    auto audio = std::make_unique<FakeBackend>();
    audio->setInitialiseResult(audioStarts);
    f.audio = audio.get();
    std::unique_ptr<FakeBackend> second;
    if (withSecond) {
        second = std::make_unique<FakeBackend>();
        f.second = second.get();
    }
    f.engine = std::make_unique<AudioEngine>(std::move(audio), std::move(second));
    (void)f.engine->initialise();
    return f;
}

QList<QVariant> endOf(EndReason reason, PlaybackError error, const QString& path)
{
    return { QVariant::fromValue(reason), QVariant::fromValue(error), path };
}

} // namespace

class tst_AudioEngine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void routesToOnePlayer_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("second");
        QTest::newRow("mp3") << u"/ipod/F00/AAAA.mp3"_s << u"MPEG audio file"_s << false;
        QTest::newRow("video kind") << u"/ipod/F00/AAAA.m4a"_s << u"MPEG-4 video file"_s << true;
        QTest::newRow("protected kind") << u"/ipod/F00/AAAA.m4a"_s << u"protected AAC audio file"_s << true;
        QTest::newRow("m4v without kind") << u"/ipod/F00/AAAA.m4v"_s << QString() << true;
        QTest::newRow("aa") << u"/ipod/F00/AAAA.aa"_s << QString() << true;
    }
    void routesToOnePlayer()
    {
        QFETCH(QString, path);
        QFETCH(QString, kind);
        QFETCH(bool, second);
        FakeEngine f = makeFakeEngine();
        f.engine->open(path, kind);
        FakeBackend* playing = second ? f.second : f.audio;
        FakeBackend* silent = second ? f.audio : f.second;
        QVERIFY(playing->calls().contains(u"open:"_s + path));
        QVERIFY(!silent->calls().contains(u"open:"_s + path));
        QCOMPARE(f.engine->secondPlayerActive(), second);
        QCOMPARE(f.engine->currentFile(), path);

        // Later requests go to the player that plays.
        f.engine->pause();
        f.engine->seek(1234);
        f.engine->resume();
        QCOMPARE(playing->calls().mid(playing->calls().size() - 3),
                 (QStringList { u"pause"_s, u"seek:1234"_s, u"resume"_s }));
        QVERIFY(!silent->calls().contains(u"pause"_s));
    }

    void nextSongStopsTheSecondPlayerFirst()
    {
        FakeEngine f = makeFakeEngine();
        f.engine->open(u"/v/clip.m4v"_s, QString());
        QVERIFY(f.engine->secondPlayerActive());
        f.engine->open(u"/a/song.mp3"_s, QString());
        QVERIFY(!f.engine->secondPlayerActive());
        QCOMPARE(f.second->calls().last(), u"stop"_s);
        QCOMPARE(f.second->state(), BackendState::Idle);
        QCOMPARE(f.audio->calls().last(), u"open:/a/song.mp3"_s);
    }

    void songPlayingSense()
    {
        FakeEngine f = makeFakeEngine();
        QCOMPARE(f.engine->playState(), PlayState::NotPlaying); // nothing opened yet
        f.audio->holdLoading(true);
        f.engine->open(u"/a/one.mp3"_s, QString());
        QCOMPARE(f.engine->playState(), PlayState::Playing); // being opened counts as playing
        f.audio->finishLoading();
        QCOMPARE(f.engine->playState(), PlayState::Playing);
        f.engine->pause();
        QCOMPARE(f.engine->playState(), PlayState::NotPlaying);
        f.engine->resume();
        QCOMPARE(f.engine->playState(), PlayState::Playing);
        f.audio->endOfFile();
        QCOMPARE(f.engine->playState(), PlayState::NotPlaying);
    }

    void positionAndLength()
    {
        FakeEngine f = makeFakeEngine();
        f.audio->setDuration(u"/a/long.mp3"_s, 4 * 3600 * 1000); // beyond 2^31 bytes of CD audio
        f.engine->open(u"/a/long.mp3"_s, QString());
        QCOMPARE(f.engine->lengthMs(), qint64(4) * 3600 * 1000);
        f.audio->advance(qint64(3) * 3600 * 1000 + 500);
        QCOMPARE(f.engine->positionMs(), qint64(3) * 3600 * 1000 + 500);
        f.engine->pause();
        // A paused song keeps its place, so the position bar and the time stay.
        QCOMPARE(f.engine->positionMs(), qint64(3) * 3600 * 1000 + 500);
        QCOMPARE(f.engine->lengthMs(), qint64(4) * 3600 * 1000);
        f.engine->resume();
        f.audio->endOfFile();
        QCOMPARE(f.engine->positionMs(), 0);
        QCOMPARE(f.engine->lengthMs(), 0);
    }

    void endOfFileIsAnnouncedOnce()
    {
        FakeEngine f = makeFakeEngine();
        QSignalSpy ended(f.engine.get(), &AudioEngine::songEnded);
        f.audio->setDuration(u"/a/s.mp3"_s, 1000);
        f.engine->open(u"/a/s.mp3"_s, QString());
        f.audio->advance(600);
        QCOMPARE(ended.count(), 0);
        f.audio->advance(600);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ended.at(0), endOf(EndReason::EndOfFile, PlaybackError::None, u"/a/s.mp3"_s));
        QCOMPARE(f.engine->state(), BackendState::Ended);
        QCOMPARE(f.engine->lastError(), PlaybackError::None);
    }

    void failures_data()
    {
        QTest::addColumn<bool>("withSecond");
        QTest::addColumn<bool>("audioStarts");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<PlaybackError>("playerSays"); // None: the player is not asked
        QTest::addColumn<PlaybackError>("expected");
        QTest::newRow("missing file") << true << true << u"/a/gone.mp3"_s << QString() << PlaybackError::FileNotFound
                                      << PlaybackError::FileNotFound;
        QTest::newRow("protected song the player cannot decode")
            << true << true << u"/a/p.m4p"_s << u"Protected AAC audio file"_s << PlaybackError::CannotDecode
            << PlaybackError::CopyProtected;
        QTest::newRow("video without a second player")
            << false << true << u"/v/c.m4v"_s << u"video"_s << PlaybackError::None << PlaybackError::PlayerUnavailable;
        QTest::newRow("protected without a second player")
            << false << true << u"/a/p.m4p"_s << QString() << PlaybackError::None << PlaybackError::CopyProtected;
        QTest::newRow("audio player did not start")
            << true << false << u"/a/s.mp3"_s << QString() << PlaybackError::None << PlaybackError::PlayerUnavailable;
    }
    void failures()
    {
        QFETCH(bool, withSecond);
        QFETCH(bool, audioStarts);
        QFETCH(QString, path);
        QFETCH(QString, kind);
        QFETCH(PlaybackError, playerSays);
        QFETCH(PlaybackError, expected);
        FakeEngine f = makeFakeEngine(withSecond, audioStarts);
        if (playerSays != PlaybackError::None) {
            f.audio->failOpen(path, playerSays);
            f.second->failOpen(path, playerSays);
        }
        QSignalSpy ended(f.engine.get(), &AudioEngine::songEnded);
        QSignalSpy tray(f.engine.get(), &AudioEngine::trayMenuChanged);
        f.engine->open(path, kind);
        QCOMPARE(ended.count(), 0); // never from inside open()
        QCOMPARE(f.engine->currentFile(), path);
        QCOMPARE(tray.count(), 1);
        QCOMPARE(tray.at(0), (QList<QVariant> { true, false })); // Pause enabled, as for any opened song
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ended.at(0), endOf(EndReason::Failed, expected, path));
        QCOMPARE(f.engine->playState(), PlayState::NotPlaying);
        QCOMPARE(f.engine->lastError(), expected);
        QCOMPARE(f.engine->positionMs(), 0);
    }

    void replacedSongAnnouncesNothing()
    {
        FakeEngine f = makeFakeEngine(false);
        f.audio->failOpen(u"/a/bad.mp3"_s, PlaybackError::CannotDecode);
        QSignalSpy ended(f.engine.get(), &AudioEngine::songEnded);
        f.engine->open(u"/v/c.m4v"_s, QString()); // would fail: no second player
        f.engine->open(u"/a/bad.mp3"_s, QString());
        f.engine->open(u"/a/good.mp3"_s, QString());
        // Players and engine announce failures through posted events: once one
        // posted after the opens has run, theirs have run too.
        bool drained = false;
        QMetaObject::invokeMethod(
            this, [&drained] { drained = true; }, Qt::QueuedConnection);
        QTRY_VERIFY(drained);
        QCOMPARE(ended.count(), 0);
        QCOMPARE(f.engine->playState(), PlayState::Playing);
    }

    void nextSongCanStartFromTheEndSignal()
    {
        FakeEngine f = makeFakeEngine();
        QStringList queue { u"/a/2.mp3"_s, u"/a/3.mp3"_s };
        connect(f.engine.get(), &AudioEngine::songEnded, f.engine.get(), [&] {
            if (!queue.isEmpty())
                f.engine->open(queue.takeFirst(), QString());
        });
        f.audio->failOpen(u"/a/1.mp3"_s, PlaybackError::CannotDecode);
        f.engine->open(u"/a/1.mp3"_s, QString());
        QTRY_COMPARE(f.engine->currentFile(), u"/a/2.mp3"_s);
        f.audio->endOfFile();
        QCOMPARE(f.engine->currentFile(), u"/a/3.mp3"_s);
        QCOMPARE(f.engine->playState(), PlayState::Playing);
    }

    void trayFollowsPauseAndResume()
    {
        FakeEngine f = makeFakeEngine();
        QSignalSpy tray(f.engine.get(), &AudioEngine::trayMenuChanged);
        f.engine->open(u"/a/s.mp3"_s, QString());
        f.engine->pause();
        f.engine->resume();
        QCOMPARE(tray.count(), 3);
        QCOMPARE(tray.at(1), (QList<QVariant> { false, true }));
        QCOMPARE(tray.at(2), (QList<QVariant> { true, false }));
    }

    void bandLevelsComeFromThePlayerThatPlays()
    {
        FakeEngine f = makeFakeEngine();
        QSignalSpy levels(f.engine.get(), &AudioEngine::bandLevelsChanged);
        f.engine->open(u"/a/s.mp3"_s, QString());
        const QList<double> heard { -30, -20, -10, -5, -10, -20, -30, -40 };
        Q_EMIT f.second->bandLevelsChanged(QList<double>(8, -1.0)); // the idle player: ignored
        Q_EMIT f.audio->bandLevelsChanged(heard);
        QCOMPARE(f.engine->bandLevels(), heard);
        QCOMPARE(f.engine->property("bandLevels").value<QList<double>>(), heard);
        QCOMPARE(levels.count(), 1);
        f.engine->open(u"/a/next.mp3"_s, QString()); // a new song starts from silence
        QVERIFY(f.engine->bandLevels().isEmpty());
        QCOMPARE(levels.count(), 2);
    }

    void secondPlayerThatCannotStartIsNotInstalled()
    {
        auto second = std::make_unique<FakeBackend>();
        second->setInitialiseResult(false);
        AudioEngine engine(std::make_unique<FakeBackend>(), std::move(second));
        QVERIFY(engine.initialise());
        QVERIFY(!engine.secondPlayerReady());
        QSignalSpy ended(&engine, &AudioEngine::songEnded);
        engine.open(u"/v/c.mov"_s, QString());
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(0).at(1).value<PlaybackError>(), PlaybackError::PlayerUnavailable);
    }

    // Starting the players: on a worker thread, only when needed.
    void firstSongStartsThePlayersInTheBackground()
    {
        auto audio = std::make_unique<FakeBackend>();
        FakeBackend* player = audio.get();
        player->holdLibraries(); // a slow libmpv
        AudioEngine engine(std::move(audio), nullptr);
        QCOMPARE(engine.players(), AudioEngine::Players::NotStarted);
        QCOMPARE(player->loadThread(), nullptr); // nothing loaded before it is needed
        engine.setVolume(40);
        QSignalSpy started(&engine, &AudioEngine::playersStarted);

        engine.open(u"/a/one.mp3"_s, u"MPEG audio file"_s);
        QCOMPARE(engine.players(), AudioEngine::Players::Starting);
        QCOMPARE(engine.state(), BackendState::Loading);
        QCOMPARE(engine.playState(), PlayState::Playing); // counts as playing while it starts
        QCOMPARE(engine.currentFile(), u"/a/one.mp3"_s);
        engine.pause(); // kept for the song, with a seek
        engine.seek(5000);
        engine.resume();
        engine.pause();
        QVERIFY(player->calls().isEmpty()); // the player is not touched while it starts

        player->releaseLibraries();
        QVERIFY(started.wait(5000));
        QCOMPARE(started.at(0).at(0).toBool(), true);
        QVERIFY(player->loadThread() != nullptr);
        QVERIFY(player->loadThread() != QThread::currentThread());
        QCOMPARE(engine.players(), AudioEngine::Players::Ready);
        QCOMPARE(player->calls(), (QStringList { u"open:/a/one.mp3"_s, u"seek:5000"_s, u"pause"_s }));
        QCOMPARE(player->volume(), 40);
        QCOMPARE(engine.state(), BackendState::Paused);
    }

    void onlyTheLastSongAskedForWhileStartingPlays()
    {
        auto audio = std::make_unique<FakeBackend>();
        FakeBackend* player = audio.get();
        player->holdLibraries();
        AudioEngine engine(std::move(audio), nullptr);
        QSignalSpy ended(&engine, &AudioEngine::songEnded);
        engine.open(u"/a/one.mp3"_s, QString());
        engine.open(u"/a/two.mp3"_s, QString());
        player->releaseLibraries();
        QTRY_COMPARE(engine.players(), AudioEngine::Players::Ready);
        QCOMPARE(player->calls(), QStringList { u"open:/a/two.mp3"_s });
        QCOMPARE(engine.state(), BackendState::Playing);
        QVERIFY(ended.isEmpty()); // the replaced song announces nothing
    }

    void stopLetsGoOfTheSong()
    {
        FakeEngine f = makeFakeEngine();
        QSignalSpy ended(f.engine.get(), &AudioEngine::songEnded);
        QSignalSpy tray(f.engine.get(), &AudioEngine::trayMenuChanged);
        f.engine->open(u"/a/one.mp3"_s, QString());
        f.engine->stop();
        QCOMPARE(f.audio->calls().constLast(), u"stop"_s);
        QCOMPARE(f.engine->state(), BackendState::Idle);
        QCOMPARE(f.engine->playState(), PlayState::NotPlaying);
        QCOMPARE(f.engine->positionMs(), 0);
        QCOMPARE(tray.constLast(), (QList<QVariant> { false, true }));
        // A failure on its way for the stopped song is not announced.
        f.audio->failOpen(u"/a/bad.mp3"_s, PlaybackError::CannotDecode);
        f.engine->open(u"/a/bad.mp3"_s, QString());
        f.engine->stop();
        QCoreApplication::processEvents(); // the queued announcement runs, and finds the song replaced
        QVERIFY(ended.isEmpty());
    }

    void stopWhileThePlayersStartDropsTheSong()
    {
        auto audio = std::make_unique<FakeBackend>();
        FakeBackend* player = audio.get();
        player->holdLibraries();
        AudioEngine engine(std::move(audio), nullptr);
        engine.open(u"/a/one.mp3"_s, QString());
        engine.stop(); // the player is not touched while it starts
        QCOMPARE(engine.state(), BackendState::Idle);
        player->releaseLibraries();
        QTRY_COMPARE(engine.players(), AudioEngine::Players::Ready);
        QVERIFY(player->calls().isEmpty()); // and the song is not played afterwards
        QCOMPARE(engine.state(), BackendState::Idle);
    }

    void settingsWaitForThePlayers()
    {
        auto audio = std::make_unique<FakeBackend>();
        auto second = std::make_unique<FakeBackend>();
        FakeBackend* player = audio.get();
        FakeBackend* video = second.get();
        player->holdLibraries();
        AudioEngine engine(std::move(audio), std::move(second));
        engine.setVideoWindow(77);
        engine.setBandLevelsEnabled(true);
        engine.startPlayers();
        engine.startPlayers(); // once only
        engine.setVolume(150); // while starting: kept, clamped
        engine.setBandLevelsEnabled(false);
        QCOMPARE(engine.volume(), 100);
        player->releaseLibraries();
        QTRY_COMPARE(engine.players(), AudioEngine::Players::Ready);
        QCOMPARE(video->videoWindow(), quintptr(77));
        QCOMPARE(player->volume(), 100);
        QVERIFY(!player->bandLevelsEnabled());
        QVERIFY(engine.secondPlayerReady());
        engine.setVolume(-3);
        QCOMPARE(player->volume(), 0);
        QCOMPARE(video->volume(), 0);
    }

    void missingLibrarySaysWhatIsMissing()
    {
        auto audio = std::make_unique<FakeBackend>();
        audio->setLibraryMissing(u"Songs cannot be played: the library libmpv is not installed."_s);
        auto second = std::make_unique<FakeBackend>();
        second->setLibraryMissing(u"Songs cannot be played: the library libmpv is not installed."_s);
        AudioEngine engine(std::move(audio), std::move(second));
        QSignalSpy started(&engine, &AudioEngine::playersStarted);
        QSignalSpy ended(&engine, &AudioEngine::songEnded);
        engine.open(u"/a/one.mp3"_s, QString());
        QVERIFY(ended.wait(5000));
        QCOMPARE(started.count(), 1);
        QCOMPARE(started.at(0).at(0).toBool(), false);
        QCOMPARE(engine.players(), AudioEngine::Players::Unavailable);
        QCOMPARE(ended.at(0), endOf(EndReason::Failed, PlaybackError::PlayerUnavailable, u"/a/one.mp3"_s));
        QVERIFY(engine.unavailableText().contains(u"libmpv"_s));
        QCOMPARE(engine.errorText(), engine.unavailableText());
        QVERIFY(!engine.secondPlayerReady());
        QVERIFY(!engine.initialise()); // asked again: the same answer, no new attempt
    }

    void initialiseWaitsForAStartUnderWay()
    {
        auto audio = std::make_unique<FakeBackend>();
        FakeBackend* player = audio.get();
        player->holdLibraries();
        AudioEngine engine(std::move(audio), nullptr);
        QSignalSpy started(&engine, &AudioEngine::playersStarted);
        engine.open(u"/a/one.mp3"_s, QString());
        player->releaseLibraries();
        QVERIFY(engine.initialise());
        QCOMPARE(started.count(), 1);
        QCOMPARE(player->calls(), QStringList { u"open:/a/one.mp3"_s });
        QCoreApplication::processEvents(); // the worker's own end changes nothing more
        QCOMPARE(started.count(), 1);
    }

    void goneWhileStartingWaitsForTheWorker()
    {
        auto audio = std::make_unique<FakeBackend>();
        FakeBackend* player = audio.get();
        player->holdLibraries();
        auto engine = std::make_unique<AudioEngine>(std::move(audio), nullptr);
        engine->startPlayers();
        QTRY_VERIFY(player->loadThread() != nullptr);
        player->releaseLibraries();
        engine.reset(); // must wait for the worker, which still uses the player
        QCoreApplication::processEvents();
    }

    // Whole songs through libmpv with the null output.
    void realPlayersPlayBothRoutes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("second");
        QTest::newRow("audio player") << u"song.wav"_s << u"WAV audio file"_s << false;
        QTest::newRow("second player by name") << u"clip.mp4"_s << QString() << true;
        QTest::newRow("second player by kind") << u"song.wav"_s << u"MPEG-4 video file"_s << true;
    }
    void realPlayersPlayBothRoutes()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(bool, second);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(name);
        QVERIFY(writeSineWav(path, 500)); // a WAV under any name: the players look at the content
        AudioEngine engine(std::make_unique<MpvBackend>(MpvOptions { u"null"_s, true, false }),
                           std::make_unique<MpvBackend>(MpvOptions { u"null"_s, true, true }));
        QVERIFY(engine.initialise());
        QVERIFY(engine.secondPlayerReady());
        QSignalSpy ended(&engine, &AudioEngine::songEnded);
        engine.open(path, kind);
        QCOMPARE(engine.secondPlayerActive(), second);
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(0), endOf(EndReason::EndOfFile, PlaybackError::None, path));
        QCOMPARE(engine.playState(), PlayState::NotPlaying);
    }

    void realPlayerPauseResumeSeek()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(u"ten.wav"_s);
        QVERIFY(writeSineWav(path, 10000));
        AudioEngine engine(std::make_unique<MpvBackend>(MpvOptions { u"null"_s, false, false }), nullptr);
        QVERIFY(engine.initialise());
        QVERIFY(!engine.secondPlayerReady());
        engine.open(path, QString());
        QTRY_COMPARE_WITH_TIMEOUT(engine.lengthMs(), 10000, 10000);
        engine.pause();
        QCOMPARE(engine.playState(), PlayState::NotPlaying);
        engine.seek(9500);
        QCOMPARE(engine.positionMs(), 9500);
        QElapsedTimer resumed;
        resumed.start();
        engine.resume();
        QCOMPARE(engine.playState(), PlayState::Playing);
        QSignalSpy ended(&engine, &AudioEngine::songEnded);
        QVERIFY(ended.wait(15000));
        QCOMPARE(ended.at(0).at(0).value<EndReason>(), EndReason::EndOfFile);
        // Half a second was left; from anywhere near the start, the real-time player would need over nine.
        QVERIFY2(resumed.elapsed() < 5000, qPrintable(QString::number(resumed.elapsed())));
    }
};

QTEST_GUILESS_MAIN(tst_AudioEngine)
#include "tst_AudioEngine.moc"
