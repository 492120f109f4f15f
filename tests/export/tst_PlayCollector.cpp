// Which plays an export writes and when they happened: placing back, caps,
// skipped songs, exports since an earlier one, and the iPod's clock.
#include "database/Library.h"
#include "export/PlayCollector.h"

#include <QTest>
#include <QTimeZone>

#include <set>

using namespace quaverly::database;
using namespace quaverly::exporting;
using namespace Qt::StringLiterals;

namespace {

constexpr quint32 kMac2024 = 3786912000u; // 2024-01-01 00:00 on the iPod's clock
constexpr qint64 kUnix2024 = 1704067200;  // the same wall time read as UTC

Library library(int tracks)
{
    Library lib;
    for (int i = 0; i < tracks; ++i) {
        TrackRecord t;
        t.Title = QStringLiteral("Song %1").arg(i);
        t.Artist = u"Band"_s;
        t.Album = u"LP"_s;
        t.Length = 180400; // 180 whole seconds
        lib.Tracks.push_back(t);
    }
    return lib;
}

std::vector<qint64> timesOf(const PlayCollection& c, int track)
{
    std::vector<qint64> times;
    for (const ScrobblePlay& play : c.plays) {
        if (play.trackIndex == track)
            times.push_back(play.unixTime);
    }
    return times;
}

} // namespace

class tst_PlayCollector : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void earlierPlaysArePlacedBackByTheLength()
    {
        const Library lib = library(3);
        const std::vector<PlayCountRecord> entries { { 0, 0 }, { 3, kMac2024 + 1000 }, { 1, kMac2024 } };
        const PlayCollection c = collectPlays(lib, entries, nullptr, {});
        QCOMPARE(c.plays.size(), size_t(4));
        QCOMPARE(c.tracksWithPlays, 2);
        QCOMPARE(c.placedBack, 2);
        const std::vector<qint64> expected { kUnix2024 + 1000 - 360, kUnix2024 + 1000 - 180, kUnix2024 + 1000 };
        QCOMPARE(timesOf(c, 1), expected);
        // Oldest first over all songs.
        QCOMPARE(c.plays.front().trackIndex, 2);
        QVERIFY(!c.plays.front().placedBack);
        QVERIFY(std::is_sorted(c.plays.begin(), c.plays.end(),
                               [](const ScrobblePlay& a, const ScrobblePlay& b) { return a.unixTime < b.unixTime; }));
    }

    void aSongWithoutLengthStillGetsDistinctTimes()
    {
        Library lib = library(1);
        lib.Tracks[0].Length = 0;
        const PlayCollection c = collectPlays(lib, { { 3, kMac2024 } }, nullptr, {});
        const std::vector<qint64> expected { kUnix2024 - 2, kUnix2024 - 1, kUnix2024 };
        QCOMPARE(timesOf(c, 0), expected);
    }

    void whatCannotBeWrittenIsCounted()
    {
        Library lib = library(6);
        lib.Tracks[0].Artist.clear();
        lib.Tracks[1].Artist = u"No Artist"_s; // the library's stand-in for an empty artist string
        lib.Tracks[2].Title = u"  "_s;
        const std::vector<PlayCountRecord> entries {
            { 2, kMac2024 },
            { 1, kMac2024 },
            { 4, kMac2024 },           // skipped: no artist, stand-in, no title
            { 5, 0 },                  // played, but no time on the iPod
            { 0x80000000u, kMac2024 }, // a negative count: damage
            { 250, kMac2024 + 90000 }, // far more than one export takes
        };
        const PlayCollection c = collectPlays(lib, entries, nullptr, {});
        QCOMPARE(c.skippedTracks, 3);
        QCOMPARE(c.skippedPlays, 7);
        QCOMPARE(c.untimedPlays, 5);
        QCOMPARE(c.damagedEntries, 1);
        QCOMPARE(c.cappedTracks, 1);
        QCOMPARE(c.cappedPlays, 150);
        QCOMPARE(c.plays.size(), size_t(kMaxPlaysPerTrack));
        QCOMPARE(c.placedBack, int(kMaxPlaysPerTrack) - 1);
        QCOMPARE(c.plays.back().unixTime, kUnix2024 + 90000);
    }

    void entriesBeyondTheLibraryAreIgnored()
    {
        const PlayCollection c = collectPlays(library(1), { { 1, kMac2024 }, { 4, kMac2024 } }, nullptr, {});
        QCOMPARE(c.plays.size(), size_t(1));
        QCOMPARE(c.unmatchedEntries, 1);
    }

    void onlyPlaysNewSinceAnEarlierExport()
    {
        const Library lib = library(4);
        const ExportedCounts before { { 0, { 2, kMac2024 } }, { 1, { 5, kMac2024 + 500 } }, { 2, { 3, kMac2024 } } };
        const std::vector<PlayCountRecord> now {
            { 4, kMac2024 + 100000 }, // two new plays
            { 5, kMac2024 + 500 },    // nothing new
            { 1, kMac2024 + 9000 },   // fewer plays than exported: the iPod made a new file after a sync
            { 1, kMac2024 + 7000 },   // a song the earlier export did not know
        };
        const PlayCollection c = collectPlays(lib, now, &before, {});
        QCOMPARE(timesOf(c, 0), (std::vector<qint64> { kUnix2024 + 100000 - 180, kUnix2024 + 100000 }));
        QVERIFY(timesOf(c, 1).empty());
        QCOMPARE(timesOf(c, 2).size(), size_t(1));
        QCOMPARE(timesOf(c, 3).size(), size_t(1));
        QCOMPARE(c.alreadyExported, 2 + 5);
    }

    void placedBackPlaysStayAfterTheLastExportedOne()
    {
        const Library lib = library(1);
        // Four new plays within 100 seconds of the last exported play: they cannot be 180 s apart.
        const ExportedCounts before { { 0, { 1, kMac2024 } } };
        const PlayCollection c = collectPlays(lib, { { 5, kMac2024 + 100 } }, &before, {});
        const std::vector<qint64> times = timesOf(c, 0);
        QCOMPARE(times.size(), size_t(4));
        QVERIFY(times.front() > kUnix2024);
        QCOMPARE(times.back(), kUnix2024 + 100);
        QCOMPARE(std::set<qint64>(times.begin(), times.end()).size(), times.size());
    }

    void utcOffsets_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("seconds");
        QTest::newRow("+02:00") << u"+02:00"_s << true << 7200;
        QTest::newRow("-05:30") << u"-05:30"_s << true << -19800;
        QTest::newRow("+0545") << u"+0545"_s << true << 20700;
        QTest::newRow("+9") << u"+9"_s << true << 32400;
        QTest::newRow("UTC") << u"utc"_s << true << 0;
        QTest::newRow("+14:00") << u"+14:00"_s << true << 50400;
        QTest::newRow("+15:00") << u"+15:00"_s << false << 0;
        QTest::newRow("+02:60") << u"+02:60"_s << false << 0;
        QTest::newRow("no sign") << u"02:00"_s << false << 0;
        QTest::newRow("words") << u"Europe/Berlin"_s << false << 0;
        QTest::newRow("empty") << QString() << false << 0;
    }
    void utcOffsets()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, seconds);
        const auto clock = parseUtcOffset(text);
        QCOMPARE(clock.has_value(), valid);
        if (!valid)
            return;
        QCOMPARE(clock->mode, PlayClock::Mode::FixedOffset);
        QCOMPARE(clock->offsetSeconds, seconds);
        QCOMPARE(clock->toUnix(kMac2024), kUnix2024 - seconds);
        QVERIFY(clock->isUtc());
        QCOMPARE(parseUtcOffset(clock->describe())->offsetSeconds, seconds); // describe() reads back
    }

    void theClockModes()
    {
        QCOMPARE(PlayClock {}.toUnix(kMac2024), kUnix2024); // as found: the wall time as if it were UTC
        QVERIFY(!PlayClock {}.isUtc());
        const auto local = parseUtcOffset(u"local"_s);
        QVERIFY(local && local->mode == PlayClock::Mode::LocalZone);
        const QDateTime wall(QDate(2024, 1, 1), QTime(0, 0), QTimeZone::systemTimeZone());
        QCOMPARE(local->toUnix(kMac2024), wall.toSecsSinceEpoch());
    }
};

QTEST_GUILESS_MAIN(tst_PlayCollector)
#include "tst_PlayCollector.moc"
