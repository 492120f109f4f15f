// The libmpv back end against real files, with the null audio output.
#include "WavFile.h"
#include "playback/MpvBackend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <clocale>

using namespace quaverly::playback;
using namespace quaverly::playback::test;
using namespace Qt::StringLiterals;

namespace {

// Fast: decodes as fast as it can, for tests where real time does not matter.
MpvOptions untimed()
{
    return MpvOptions { u"null"_s, true, false };
}

MpvOptions realTime()
{
    return MpvOptions { u"null"_s, false, false };
}

constexpr int kWaitMs = 10000;

// Opens a file that is not there and waits for its failure. mpv reports the
// events of each file in order, after all of the file before it: once this
// failure is in, nothing more can come for the files opened earlier.
[[nodiscard]] bool markerFailureCame(MpvBackend& backend, QSignalSpy& finished, const QString& missing)
{
    const qsizetype before = finished.count();
    backend.open(missing);
    return QTest::qWaitFor(
        [&] {
            return finished.count() > before
                && finished.last().at(0).value<PlaybackError>() == PlaybackError::FileNotFound;
        },
        kWaitMs);
}

} // namespace

class tst_MpvBackend : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(writeSineWav(path("short.wav"), 1000));
        QVERIFY(writeSineWav(path("three.wav"), 3000));
        QVERIFY(writeSineWav(path("ten.wav"), 10000));
        QVERIFY(writeSineWav(path("mono.wav"), 1000, 440.0, 1));
        QVERIFY(writeGarbage(path("garbage.mp3")));
    }

    void playsToTheEnd_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("stereo") << u"short.wav"_s;
        QTest::newRow("mono") << u"mono.wav"_s;
        QTest::newRow("name with spaces and umlaut") << u"Motörhead – Ace of Spades.wav"_s;
        QTest::newRow("name like an option") << u"--ao=alsa.wav"_s;
    }
    void playsToTheEnd()
    {
        QFETCH(QString, file);
        if (!QFile::exists(path(file)))
            QVERIFY(QFile::copy(path("short.wav"), path(file)));
        MpvBackend backend(untimed());
        QVERIFY(backend.initialise());
        QSignalSpy states(&backend, &AudioBackend::stateChanged);
        QSignalSpy finished(&backend, &AudioBackend::finished);
        backend.open(path(file));
        QCOMPARE(backend.state(), BackendState::Loading);
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).value<PlaybackError>(), PlaybackError::None);
        QCOMPARE(backend.state(), BackendState::Ended);
        QVERIFY(states.contains(QVariantList { QVariant::fromValue(BackendState::Playing) }));
        QVERIFY(markerFailureCame(backend, finished, path("marker.mp3")));
        QCOMPARE(finished.count(), 2); // nothing more came for the same file
        QCOMPARE(finished.at(0).at(0).value<PlaybackError>(), PlaybackError::None);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("audioOut");
        QTest::addColumn<PlaybackError>("expected");
        QTest::newRow("missing file") << u"missing.mp3"_s << u"null"_s << PlaybackError::FileNotFound;
        QTest::newRow("garbage named .mp3") << u"garbage.mp3"_s << u"null"_s << PlaybackError::CannotDecode;
        QTest::newRow("empty file") << u"empty.m4a"_s << u"null"_s << PlaybackError::CannotDecode;
        QTest::newRow("a folder") << u"folder.mp3"_s << u"null"_s << PlaybackError::CannotDecode;
        QTest::newRow("no audio device") << u"short.wav"_s << u"no-such-output"_s << PlaybackError::NoAudioOutput;
    }
    void failures()
    {
        QFETCH(QString, file);
        QFETCH(QString, audioOut);
        QFETCH(PlaybackError, expected);
        QVERIFY(QFile(path("empty.m4a")).open(QIODevice::WriteOnly));
        QVERIFY(QDir(m_dir.path()).mkpath(u"folder.mp3"_s));
        MpvBackend backend(MpvOptions { audioOut, true, false });
        QVERIFY(backend.initialise());
        QSignalSpy finished(&backend, &AudioBackend::finished);
        backend.open(path(file));
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(finished.at(0).at(0).value<PlaybackError>(), expected);
        QCOMPARE(backend.state(), BackendState::Failed);
        QCOMPARE(backend.positionMs(), 0);
        QVERIFY(!backend.errorText().isEmpty());

        // The back end stays usable after a failure.
        MpvBackend next(untimed());
        QVERIFY(next.initialise());
        backend.open(path("short.wav"));
        if (audioOut == u"null"_s) {
            QVERIFY(finished.wait(kWaitMs));
            QCOMPARE(finished.last().at(0).value<PlaybackError>(), PlaybackError::None);
        }
    }

    void replacingAFileAnnouncesOnlyTheNewOne()
    {
        MpvBackend backend(untimed());
        QVERIFY(backend.initialise());
        QSignalSpy finished(&backend, &AudioBackend::finished);
        backend.open(path("missing.mp3"));
        backend.open(path("garbage.mp3"));
        backend.open(path("short.wav"));
        QVERIFY(finished.wait(kWaitMs));
        QVERIFY(markerFailureCame(backend, finished, path("marker.mp3")));
        QCOMPARE(finished.count(), 2);
        QCOMPARE(finished.at(0).at(0).value<PlaybackError>(), PlaybackError::None);
    }

    void fileGoneDuringPlayIsNoEnd()
    {
        const QString file = path("unplugged.wav");
        QVERIFY(writeSineWav(file, 1000));
        MpvBackend backend(realTime());
        QVERIFY(backend.initialise());
        QSignalSpy finished(&backend, &AudioBackend::finished);
        backend.open(file);
        QTRY_COMPARE_WITH_TIMEOUT(backend.state(), BackendState::Playing, kWaitMs);
        QVERIFY(QFile::remove(file)); // as when the iPod is pulled out
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(finished.at(0).at(0).value<PlaybackError>(), PlaybackError::FileNotFound);
    }

    void stopAnnouncesNothing()
    {
        MpvBackend backend(realTime());
        QVERIFY(backend.initialise());
        QSignalSpy finished(&backend, &AudioBackend::finished);
        backend.open(path("three.wav"));
        QTRY_COMPARE_WITH_TIMEOUT(backend.state(), BackendState::Playing, kWaitMs);
        backend.stop();
        QCOMPARE(backend.state(), BackendState::Idle);
        QCOMPARE(backend.positionMs(), 0);
        QCOMPARE(backend.durationMs(), 0);
        QVERIFY(markerFailureCame(backend, finished, path("marker.mp3")));
        QCOMPARE(finished.count(), 1); // only the marker's: the stopped file announced nothing
    }

    void pauseSeekResume()
    {
        MpvBackend backend(realTime());
        QVERIFY(backend.initialise());
        QSignalSpy finished(&backend, &AudioBackend::finished);
        backend.open(path("three.wav"));
        QTRY_COMPARE_WITH_TIMEOUT(backend.state(), BackendState::Playing, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(backend.durationMs(), 3000, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(backend.positionMs() > 200, kWaitMs);

        backend.pause();
        QCOMPARE(backend.state(), BackendState::Paused);
        const qint64 pausedAt = backend.positionMs();
        QVERIFY(pausedAt > 0);
        QTest::qWait(400); // kept: nothing marks "did not move"; a running clock would show by then
        QCOMPARE(backend.positionMs(), pausedAt);

        backend.seek(2000);
        QCOMPARE(backend.positionMs(), 2000); // the target, at once
        QTest::qWait(300); // kept: the seek's end is not observable; a paused player must hold the target
        QCOMPARE(backend.positionMs(), 2000); // still there while paused
        QCOMPARE(backend.state(), BackendState::Paused);

        backend.resume();
        QCOMPARE(backend.state(), BackendState::Playing);
        QVERIFY(finished.wait(kWaitMs)); // the last second plays out
        QCOMPARE(finished.at(0).at(0).value<PlaybackError>(), PlaybackError::None);
    }

    void seekWhilePlayingLandsOnTheTarget()
    {
        MpvBackend backend(realTime());
        QVERIFY(backend.initialise());
        backend.open(path("ten.wav"));
        QTRY_COMPARE_WITH_TIMEOUT(backend.state(), BackendState::Playing, kWaitMs);
        QElapsedTimer playing;
        playing.start();
        backend.seek(6000);
        // Until the seek is done the target itself is answered; past it, the player got there and plays on.
        QTRY_VERIFY_WITH_TIMEOUT(backend.positionMs() > 6000, kWaitMs);
        const qint64 at = backend.positionMs();
        QVERIFY2(at < 9000, qPrintable(QString::number(at)));
        // Playing on from the start could not have got this far in the time that passed.
        QVERIFY2(at > playing.elapsed() + 1000, qPrintable(u"%1 after %2 ms"_s.arg(at).arg(playing.elapsed())));
    }

    void pauseWhileLoadingStartsPaused()
    {
        MpvBackend backend(realTime());
        QVERIFY(backend.initialise());
        backend.open(path("three.wav"));
        backend.pause();
        QTRY_COMPARE_WITH_TIMEOUT(backend.state(), BackendState::Paused, kWaitMs);
        QTest::qWait(300); // kept: nothing marks "did not play"; a player that did would have moved by then
        QCOMPARE(backend.positionMs(), 0);
        backend.resume();
        QCOMPARE(backend.state(), BackendState::Playing);
    }

    void seekWhileLoadingIsDoneOnceLoaded()
    {
        MpvBackend backend(realTime());
        QVERIFY(backend.initialise());
        backend.open(path("ten.wav"));
        backend.seek(6000);
        QTRY_COMPARE_WITH_TIMEOUT(backend.state(), BackendState::Playing, kWaitMs);
        QElapsedTimer playing; // nothing plays while it loads
        playing.start();
        QTRY_VERIFY_WITH_TIMEOUT(backend.positionMs() > 6000, kWaitMs); // the seek is done and it plays on
        const qint64 at = backend.positionMs();
        QVERIFY2(at < 9000, qPrintable(QString::number(at)));
        QVERIFY2(at > playing.elapsed() + 1000, qPrintable(u"%1 after %2 ms"_s.arg(at).arg(playing.elapsed())));
    }

    void bandLevelsPeakAtTheTonesOctave_data()
    {
        QTest::addColumn<double>("frequencyHz");
        QTest::addColumn<int>("band"); // octave bands 63, 125, 250, 500, 1k, 2k, 4k, 8k Hz
        QTest::newRow("440 Hz") << 440.0 << 3;
        QTest::newRow("1 kHz") << 1000.0 << 4;
        QTest::newRow("100 Hz") << 125.0 << 1;
    }
    void bandLevelsPeakAtTheTonesOctave()
    {
        QFETCH(double, frequencyHz);
        QFETCH(int, band);
        const QString file = path("tone%1.wav").arg(frequencyHz);
        QVERIFY(writeSineWav(file, 2000, frequencyHz));
        MpvBackend backend(realTime());
        backend.setBandLevelsEnabled(true); // before initialise: kept for later
        QVERIFY(backend.initialise());
        QSignalSpy levels(&backend, &AudioBackend::bandLevelsChanged);
        backend.open(file);
        QTRY_VERIFY_WITH_TIMEOUT(levels.count() >= 5, kWaitMs);
        const auto last = levels.last().at(0).value<QList<double>>();
        QCOMPARE(last.size(), 8);
        QCOMPARE(std::max_element(last.begin(), last.end()) - last.begin(), band);
    }

    void startsUnderALocaleMpvRefuses()
    {
        // Q(Core)Application sets the locale from the environment; mpv refuses
        // any LC_NUMERIC but "C", even "C.UTF-8". (No other thread reads the
        // locale while this test runs, so changing it here is safe.)
        QVERIFY(std::setlocale(LC_NUMERIC, "C.UTF-8") != nullptr); // NOLINT(concurrency-mt-unsafe)
        MpvBackend backend(untimed());
        QVERIFY(backend.initialise());
        QCOMPARE(QByteArray(std::setlocale(LC_NUMERIC, nullptr)), QByteArray("C")); // NOLINT(concurrency-mt-unsafe)
    }

    void uninitialisedBackendIgnoresCommands()
    {
        MpvBackend backend(untimed());
        QSignalSpy finished(&backend, &AudioBackend::finished);
        backend.open(path("short.wav"));
        backend.pause();
        backend.seek(100);
        QCOMPARE(backend.state(), BackendState::Idle);
        // Without mpv no thread exists that could emit later: anything queued runs here.
        QCoreApplication::processEvents();
        QCOMPARE(finished.count(), 0);
    }

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString path(const char* name) const { return path(QString::fromUtf8(name)); }
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_MpvBackend)
#include "tst_MpvBackend.moc"
