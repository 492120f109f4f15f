// Play control against the engine's scripted back end, with a real Play
// Counts file in a temporary iPod folder.
#include "database/Library.h"
#include "playback/AudioEngine.h"
#include "playback/PlayControl.h"
#include "playback/PlayOrder.h"
#include "tests/support/FakeBackend.h"
#include "tools/testwriter/ITunesDBWriter.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <memory>

using namespace quaverly;
using namespace quaverly::playback;

namespace {

/// The song list: rows of track indexes and a set of selected rows.
class TestList : public SongListAccess
{
public:
    std::vector<int> rows;
    std::vector<int> selected;
    int rowCount() const override { return static_cast<int>(rows.size()); }
    int trackAt(int row) const override { return row >= 0 && row < rowCount() ? rows[size_t(row)] : -1; }
    std::vector<int> selectedRows() const override
    {
        std::vector<int> sorted = selected;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }
    void setRowSelected(int row, bool on) override
    {
        std::erase(selected, row);
        if (on)
            selected.push_back(row);
    }
};

/// A temporary iPod with `count` song files, a library of them and a Play
/// Counts file of `entrySize`-byte entries.
struct Rig
{
    QTemporaryDir dir;
    database::Library library;
    TestList list;
    FakeBackend* fake = nullptr;
    std::unique_ptr<AudioEngine> engine;
    std::unique_ptr<PlayControl> control;
    QString libraryMissing; // the players cannot start: they start with the first song

    bool make(int count, int entrySize = 16)
    {
        if (!dir.isValid() || !QDir(dir.path()).mkpath(QStringLiteral("iPod_Control/Music/F00")))
            return false;
        std::vector<tools::PlayCountEntry> entries(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            database::TrackRecord t;
            t.Title = QStringLiteral("Song %1").arg(i);
            t.Artist = QStringLiteral("Band");
            t.Path = QStringLiteral("/iPod_Control/Music/F00/S%1.mp3").arg(i);
            t.FileType = QStringLiteral("MPEG audio file");
            t.UIN = 100 + i;
            t.Length = 180000;
            library.Tracks.push_back(t);
            list.rows.push_back(i);
            QFile song(dir.filePath(t.Path.mid(1)));
            if (!song.open(QIODevice::WriteOnly))
                return false;
            entries[size_t(i)].playCount = 5;
        }
        library.iPodRoot = dir.path();
        library.buildTrackIndex();
        if (!tools::writeFileBytes(playCountsPath(), tools::writePlayCounts(entrySize, entries)))
            return false;
        database::mdlPlayCountEditor playCounts;
        playCounts.openPlayCountsFile(playCountsPath());
        auto backend = std::make_unique<FakeBackend>();
        fake = backend.get();
        if (!libraryMissing.isEmpty())
            backend->setLibraryMissing(libraryMissing);
        engine = std::make_unique<AudioEngine>(std::move(backend), nullptr);
        if (libraryMissing.isEmpty() && !engine->initialise())
            return false;
        control = std::make_unique<PlayControl>(*engine, library, playCounts, list);
        return playCounts.EntrySize() == entrySize;
    }
    QString playCountsPath() const { return dir.filePath(QStringLiteral("iPod_Control/iTunes/Play Counts")); }
    QString songFile(int track) const { return control->devicePath(library.Tracks[size_t(track)].Path); }
    quint32 field(int track, int offset, int entrySize = 16) const
    {
        QFile file(playCountsPath());
        if (!file.open(QIODevice::ReadOnly) || !file.seek(96 + qint64(entrySize) * track + offset))
            return 0xFFFFFFFFu;
        return qFromLittleEndian<quint32>(file.read(4).constData());
    }
    void play(int row)
    {
        list.selected = { row };
        control->play();
    }
};

} // namespace

using namespace Qt::StringLiterals;

class tst_PlayControl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nextAndPreviousFollowTheHistory()
    {
        Rig rig;
        QVERIFY(rig.make(5));
        QSignalSpy fallback(rig.control.get(), &PlayControl::doubleClickActionRequested);
        rig.list.selected = { 1 };
        rig.control->clearHistory();
        rig.control->play();
        rig.control->next();
        rig.control->next();
        QCOMPARE(rig.engine->currentFile(), rig.songFile(3));
        QCOMPARE(rig.control->playedHistory().size(), 3);

        rig.control->previous();
        QCOMPARE(rig.engine->currentFile(), rig.songFile(2));
        QCOMPARE(rig.list.selectedRows(), std::vector<int> { 2 });
        rig.control->previous();
        QCOMPARE(rig.engine->currentFile(), rig.songFile(1));
        QCOMPARE(rig.control->playedHistory().size(), 1);
        // No earlier entry: the selection moves up one row and the double-click action runs.
        rig.control->previous();
        QCOMPARE(fallback.count(), 1);
        QCOMPARE(rig.list.selectedRows(), std::vector<int> { 0 });
        // On row 0 with one entry nothing happens at all.
        rig.list.selected = { 0 };
        rig.control->previous();
        QCOMPARE(fallback.count(), 1);
        QCOMPARE(rig.list.selectedRows(), std::vector<int> { 0 });
    }

    void playWithoutSelectionDoesNothing()
    {
        Rig rig;
        QVERIFY(rig.make(3));
        rig.play(0);
        rig.control->pause();
        rig.list.selected.clear();
        rig.control->play();
        QVERIFY(rig.control->paused());
        QCOMPARE(rig.engine->state(), BackendState::Paused);
    }

    void endOfList_data()
    {
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<bool>("one");
        QTest::addColumn<int>("playingTrack"); // after the last row ended; -1: nothing new started
        QTest::addColumn<bool>("autoAdvance");
        QTest::newRow("no repeat stops") << false << false << -1 << false;
        QTest::newRow("one chosen but repeat off stops") << false << true << -1 << false;
        QTest::newRow("repeat all restarts and goes on") << true << false << 0 << true;
        QTest::newRow("repeat one plays it again") << true << true << 3 << true;
    }
    void endOfList()
    {
        QFETCH(bool, repeat);
        QFETCH(bool, one);
        QFETCH(int, playingTrack);
        QFETCH(bool, autoAdvance);
        Rig rig;
        QVERIFY(rig.make(4));
        rig.control->setRepeat(repeat);
        rig.control->setRepeatOne(one);
        QSignalSpy playing(rig.control.get(), &PlayControl::playingChanged);
        rig.play(3);
        const int opensBefore = int(rig.fake->calls().filter(QStringLiteral("open:")).size());
        rig.fake->endOfFile();
        const int opens = int(rig.fake->calls().filter(QStringLiteral("open:")).size()) - opensBefore;
        QCOMPARE(opens, playingTrack < 0 ? 0 : 1);
        if (playingTrack >= 0)
            QCOMPARE(rig.engine->currentFile(), rig.songFile(playingTrack));
        QCOMPARE(rig.control->autoAdvance(), autoAdvance);
        QCOMPARE(playing.constLast().at(0).toBool(), playingTrack >= 0);
        if (repeat && !one) { // the second round goes on past row 0
            rig.fake->endOfFile();
            QCOMPARE(rig.engine->currentFile(), rig.songFile(1));
        }
    }

    void shuffleDependsOnlyOnTickAndSong()
    {
        QCOMPARE(shuffleSeed(100, 7), 700);
        QCOMPARE(shuffleSeed(24563, 2147483647), 8591); // the product exceeds 32 bits
        QCOMPARE(shuffleSeed(123456789, 987654), 21516);
        QVERIFY(shuffleSeed(-5, 77) >= 0);
        for (qint64 seed : { 0, 1, 8591, 23454 }) {
            const int row = shuffleRow(seed, 40);
            QVERIFY(row >= 0 && row < 40);
            QCOMPARE(shuffleRow(seed, 40), row);
        }
        QCOMPARE(shuffleRow(5, 0), -1);

        Rig a;
        Rig b;
        QVERIFY(a.make(40));
        QVERIFY(b.make(40));
        for (Rig* rig : { &a, &b }) {
            rig->control->setShuffle(true);
            rig->control->setShuffleTick(987654);
            rig->play(10);
            rig->control->next();
        }
        const int expected = shuffleRow(shuffleSeed(987654, 110), 40);
        QCOMPARE(a.engine->currentFile(), a.songFile(expected));
        QCOMPARE(b.engine->currentFile(), b.songFile(expected));
    }

    void pauseAndResumeKeepTheSong()
    {
        Rig rig;
        QVERIFY(rig.make(3));
        rig.play(1);
        rig.fake->advance(5000);
        rig.control->pause();
        QVERIFY(rig.control->paused());
        QCOMPARE(rig.engine->playState(), PlayState::NotPlaying);
        QCoreApplication::processEvents();
        QCOMPARE(rig.field(1, 0), 5u); // a pause is no end
        QCOMPARE(rig.engine->currentFile(), rig.songFile(1));
        rig.control->play();
        QCOMPARE(rig.fake->calls().constLast(), QStringLiteral("resume"));
        QCOMPARE(rig.engine->positionMs(), 5000);
        QCOMPARE(rig.control->playedHistory().size(), 1);
    }

    void pauseAfterTheEndThenPlayStartsAfresh()
    {
        Rig rig;
        QVERIFY(rig.make(3));
        rig.play(2);
        rig.fake->endOfFile(); // the last row: nothing follows
        rig.control->pause();
        rig.control->play();
        QCOMPARE(rig.engine->playState(), PlayState::Playing);
        QCOMPARE(rig.control->playedHistory().size(), 2);
    }

    void endOfSongCountsOnceIntoPlayCounts_data()
    {
        QTest::addColumn<int>("entrySize");
        QTest::addColumn<bool>("stamps");
        QTest::newRow("12-byte entries: count only") << 12 << false;
        QTest::newRow("16-byte entries") << 16 << true;
        QTest::newRow("40-byte entries") << 40 << true;
    }
    void endOfSongCountsOnceIntoPlayCounts()
    {
        QFETCH(int, entrySize);
        QFETCH(bool, stamps);
        Rig rig;
        QVERIFY(rig.make(3, entrySize));
        QSignalSpy counted(rig.control.get(), &PlayControl::playCounted);
        rig.play(2); // the last row: no advance afterwards
        rig.control->seekTo(1.0);
        const QString path = rig.engine->currentFile();
        rig.fake->endOfFile();
        Q_EMIT rig.engine->songEnded(EndReason::EndOfFile, PlaybackError::None, path); // a second report
        QCOMPARE(counted.count(), 1);
        QCOMPARE(counted.at(0).at(0).toInt(), 2);
        QCOMPARE(rig.field(2, 0, entrySize), 6u);
        QCOMPARE(rig.field(1, 0, entrySize), 5u);
        const quint32 lastPlayed = rig.field(2, 4, entrySize);
        if (stamps)
            QVERIFY(lastPlayed > 3'000'000'000u); // seconds since 1904: after 1999
        else
            QCOMPARE(lastPlayed, 0u);
    }

    void failuresMoveOnThenStop()
    {
        Rig rig;
        QVERIFY(rig.make(6));
        rig.fake->failOpen(rig.songFile(1), PlaybackError::FileNotFound);
        rig.fake->failOpen(rig.songFile(2), PlaybackError::CannotDecode);
        rig.fake->failOpen(rig.songFile(3), PlaybackError::CopyProtected);
        rig.fake->failOpen(rig.songFile(4), PlaybackError::CannotDecode);
        QSignalSpy failed(rig.control.get(), &PlayControl::playbackFailed);
        QSignalSpy stopped(rig.control.get(), &PlayControl::playbackStopped);
        QSignalSpy counted(rig.control.get(), &PlayControl::playCounted);
        rig.play(0);
        rig.fake->endOfFile(); // row 0 counts, then rows 1, 2, 3 fail
        QTRY_COMPARE(stopped.count(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(failed.count(), 3);
        QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("File not found on the iPod"));
        QCOMPARE(failed.at(1).at(0).toString(), QStringLiteral("Cannot play this file"));
        QVERIFY(failed.at(2).at(0).toString().contains(QStringLiteral("copy-protected")));
        QCOMPARE(rig.engine->currentFile(), rig.songFile(3)); // row 4 was never tried
        QVERIFY(!rig.control->autoAdvance());
        QCOMPARE(counted.count(), 1);
        for (int track = 1; track < 6; ++track)
            QCOMPARE(rig.field(track, 0), 5u);
    }

    void withoutThePlayerItSaysWhatIsMissingOnce()
    {
        Rig rig;
        rig.libraryMissing = u"Songs cannot be played: the library libmpv is not installed."_s;
        QVERIFY(rig.make(4));
        QSignalSpy failed(rig.control.get(), &PlayControl::playbackFailed);
        QSignalSpy stopped(rig.control.get(), &PlayControl::playbackStopped);
        QSignalSpy playing(rig.control.get(), &PlayControl::playingChanged);
        rig.play(0);
        QVERIFY(stopped.wait(5000));
        QCoreApplication::processEvents();
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.at(0).at(0).toString(), rig.libraryMissing);
        QCOMPARE(stopped.at(0).at(0).toString(), rig.libraryMissing);
        QCOMPARE(rig.engine->currentFile(), rig.songFile(0)); // the rest of the list is not tried
        QVERIFY(!rig.control->autoAdvance());
        QCOMPARE(playing.last().at(0).toBool(), false);
        QCOMPARE(rig.field(0, 0), 5u);
    }

    void aSuccessResetsTheFailureCount()
    {
        Rig rig;
        QVERIFY(rig.make(6));
        for (int track : { 1, 2, 4, 5 })
            rig.fake->failOpen(rig.songFile(track), PlaybackError::CannotDecode);
        QSignalSpy stopped(rig.control.get(), &PlayControl::playbackStopped);
        rig.play(0);
        rig.fake->endOfFile();
        QTRY_COMPARE(rig.engine->currentFile(), rig.songFile(3)); // two failures, then a song that plays
        QCOMPARE(rig.engine->playState(), PlayState::Playing);
        rig.fake->endOfFile();
        QTRY_VERIFY(!rig.control->autoAdvance()); // rows 4 and 5 fail, then the list ends
        QCOMPARE(stopped.count(), 0);
        QCOMPARE(rig.field(3, 0), 6u);
    }

    void unsafePathNeverLeavesTheIpod()
    {
        Rig rig;
        QVERIFY(rig.make(2));
        const QString outside = rig.control->devicePath(QStringLiteral("/../../etc/passwd"));
        QVERIFY(outside.startsWith(QDir(rig.dir.path()).absolutePath()) || outside.isEmpty());
        QVERIFY(!QFile::exists(outside));
    }
};

QTEST_GUILESS_MAIN(tst_PlayControl)
#include "tst_PlayControl.moc"
