// What the desktop's media controls are told: metadata, status and loop
// texts, and where a relative seek lands.
#include "desktop/MprisMetadata.h"

#include <QTest>
#include <QUrl>

#include <limits>

using namespace quaverly::desktop;
using namespace Qt::StringLiterals;

class tst_MprisMetadata : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void serviceNames()
    {
        QCOMPARE(mprisServiceName(), u"org.mpris.MediaPlayer2.quaverly"_s);
        QCOMPARE(mprisServiceName(4242), u"org.mpris.MediaPlayer2.quaverly.instance4242"_s);
    }

    void fullMetadata()
    {
        TrackInfo track;
        track.trackIndex = 17;
        track.title = u"Open Road"_s;
        track.artist = u"The Wayfarers"_s;
        track.album = u"Miles"_s;
        track.genre = u"Folk"_s;
        track.trackNumber = 3;
        track.lengthMs = 215'250;
        track.filePath = u"/media/u/MY IPOD/iPod_Control/Music/F01/ABCD.mp3"_s;
        track.artUrl = u"file:///home/u/.cache/quaverly/covers/17.jpg"_s;
        const QVariantMap map = metadataOf(track);
        QCOMPARE(map.value(u"mpris:trackid"_s).toString(), u"/org/quaverly/track/17"_s);
        QCOMPARE(map.value(u"mpris:length"_s).userType(), QMetaType::LongLong); // D-Bus type x
        QCOMPARE(map.value(u"mpris:length"_s).toLongLong(), 215'250'000LL);
        QCOMPARE(map.value(u"xesam:title"_s).toString(), track.title);
        QCOMPARE(map.value(u"xesam:artist"_s).toStringList(), QStringList { track.artist }); // a list: as
        QCOMPARE(map.value(u"xesam:album"_s).toString(), track.album);
        QCOMPARE(map.value(u"xesam:genre"_s).toStringList(), QStringList { track.genre });
        QCOMPARE(map.value(u"xesam:trackNumber"_s).userType(), QMetaType::Int);
        QCOMPARE(map.value(u"xesam:trackNumber"_s).toInt(), 3);
        // A file URL, blanks escaped, that leads back to the file.
        const QString url = map.value(u"xesam:url"_s).toString();
        QVERIFY(url.startsWith(u"file:///media/u/MY%20IPOD/"_s));
        QCOMPARE(QUrl(url).toLocalFile(), track.filePath);
        QCOMPARE(map.value(u"mpris:artUrl"_s).toString(), track.artUrl);
    }

    void unknownFieldsAreLeftOut()
    {
        TrackInfo track;
        track.trackIndex = 0; // index 0 is a real track
        track.title = u"Untitled"_s;
        const QVariantMap map = metadataOf(track);
        QCOMPARE(map.value(u"mpris:trackid"_s).toString(), u"/org/quaverly/track/0"_s);
        QCOMPARE(QSet<QString>(map.keyBegin(), map.keyEnd()), QSet<QString>({ u"mpris:trackid"_s, u"xesam:title"_s }));
    }

    void noTrackGivesOnlyTheNoTrackId()
    {
        TrackInfo none;
        none.title = u"left over"_s;
        const QVariantMap map = metadataOf(none);
        QCOMPARE(map.size(), 1);
        QCOMPARE(map.value(u"mpris:trackid"_s).toString(), u"/org/mpris/MediaPlayer2/TrackList/NoTrack"_s);
    }

    void statusAndLoopTexts()
    {
        QCOMPARE(statusText(PlaybackStatus::Playing), u"Playing"_s);
        QCOMPARE(statusText(PlaybackStatus::Paused), u"Paused"_s);
        QCOMPARE(statusText(PlaybackStatus::Stopped), u"Stopped"_s);
        for (const LoopStatus loop : { LoopStatus::None, LoopStatus::Track, LoopStatus::Playlist })
            QCOMPARE(loopFromText(loopText(loop)), std::optional<LoopStatus>(loop));
        QCOMPARE(loopFromText(u"track"_s), std::nullopt); // MPRIS spells them exactly
        QCOMPARE(loopFromText(QString()), std::nullopt);
    }

    void seekTarget_data()
    {
        constexpr qint64 max = std::numeric_limits<qint64>::max();
        constexpr qint64 min = std::numeric_limits<qint64>::min();
        QTest::addColumn<qint64>("position");
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<qint64>("length");
        QTest::addColumn<qint64>("target"); // -1: past the end, the next song
        QTest::newRow("forward") << 10'000'000LL << 5'000'000LL << 60'000'000LL << 15'000'000LL;
        QTest::newRow("back") << 10'000'000LL << -4'000'000LL << 60'000'000LL << 6'000'000LL;
        QTest::newRow("back before the start") << 3'000'000LL << -10'000'000LL << 60'000'000LL << 0LL;
        QTest::newRow("exactly the end") << 50'000'000LL << 10'000'000LL << 60'000'000LL << 60'000'000LL;
        QTest::newRow("past the end") << 50'000'000LL << 10'000'001LL << 60'000'000LL << -1LL;
        QTest::newRow("huge forward") << 10LL << max << 60'000'000LL << -1LL;
        QTest::newRow("huge back") << 10LL << min << 60'000'000LL << 0LL;
    }
    void seekTarget()
    {
        QFETCH(qint64, position);
        QFETCH(qint64, offset);
        QFETCH(qint64, length);
        QFETCH(qint64, target);
        const std::optional<qint64> found = seekTargetUs(position, offset, length);
        QCOMPARE(found.value_or(-1), target);
    }
};

QTEST_GUILESS_MAIN(tst_MprisMetadata)
#include "tst_MprisMetadata.moc"
