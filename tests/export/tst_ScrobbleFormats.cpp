// The two forms of an export: the portable player log and the ListenBrainz
// import, with texts that have tabs, line breaks and non-Latin scripts.
#include "database/Library.h"
#include "export/ScrobbleFormats.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace quaverly::database;
using namespace quaverly::exporting;
using namespace Qt::StringLiterals;

namespace {

Library songs()
{
    Library lib;
    TrackRecord a;
    a.Title = u"Tab\there\nand a break"_s;
    a.Artist = u"Artist\twith tab"_s;
    a.Album = u"Album\r\nTwo lines"_s;
    a.TrackNumber = 7;
    a.Length = 245600;
    lib.Tracks.push_back(a);
    TrackRecord b;
    b.Title = u"夜明けの歌"_s;
    b.Artist = u"青い猫"_s;
    b.Length = 0;
    lib.Tracks.push_back(b);
    return lib;
}

const std::vector<ScrobblePlay> kPlays { { 0, 1704067200, false }, { 1, 1704067500, true } };

} // namespace

class tst_ScrobbleFormats : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void theLogHasItsHeaderAndOneLinePerPlay()
    {
        const QByteArray log = audioscrobblerLog(songs(), kPlays, false);
        const QList<QByteArray> lines = log.split('\n');
        QCOMPARE(lines.size(), 6); // three header lines, two plays, the empty rest after the last "\n"
        QCOMPARE(lines[0], QByteArray("#AUDIOSCROBBLER/1.1"));
        QCOMPARE(lines[1], QByteArray("#TZ/UNKNOWN"));
        QCOMPARE(lines[2], QByteArray("#CLIENT/Quaverly " QUAVERLY_VERSION));
        QCOMPARE(lines[3],
                 QByteArray("Artist with tab\tAlbum  Two lines\tTab here and a break\t7\t246\tL\t1704067200\t"));
        QCOMPARE(lines[4].split('\t'),
                 (QList<QByteArray> { "青い猫", "", "夜明けの歌", "", "0", "L", "1704067500", "" }));
        QVERIFY(lines[5].isEmpty());
        QCOMPARE(audioscrobblerLog(songs(), kPlays, true).split('\n')[1], QByteArray("#TZ/UTC"));
    }

    void anEmptyExportIsJustTheHeader()
    {
        QCOMPARE(audioscrobblerLog(songs(), {}, true),
                 QByteArray("#AUDIOSCROBBLER/1.1\n#TZ/UTC\n#CLIENT/Quaverly " QUAVERLY_VERSION "\n"));
        const QJsonObject empty = QJsonDocument::fromJson(listenBrainzJson(songs(), {})).object();
        QCOMPARE(empty[u"listen_type"_s].toString(), u"import"_s);
        QVERIFY(empty[u"payload"_s].toArray().isEmpty());
    }

    void listenBrainzImport()
    {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(listenBrainzJson(songs(), kPlays), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonObject root = document.object();
        QCOMPARE(root[u"listen_type"_s].toString(), u"import"_s);
        const QJsonArray payload = root[u"payload"_s].toArray();
        QCOMPARE(payload.size(), 2);

        const QJsonObject first = payload[0].toObject();
        QCOMPARE(first[u"listened_at"_s].toInteger(), 1704067200);
        const QJsonObject meta = first[u"track_metadata"_s].toObject();
        QCOMPARE(meta[u"artist_name"_s].toString(), u"Artist\twith tab"_s); // JSON keeps the text as it is
        QCOMPARE(meta[u"track_name"_s].toString(), u"Tab\there\nand a break"_s);
        QCOMPARE(meta[u"release_name"_s].toString(), u"Album\r\nTwo lines"_s);
        const QJsonObject info = meta[u"additional_info"_s].toObject();
        QCOMPARE(info[u"tracknumber"_s].toInt(), 7);
        QCOMPARE(info[u"duration_ms"_s].toInt(), 245600);
        QCOMPARE(info[u"media_player"_s].toString(), u"Quaverly"_s);

        // No album, no track number, no length: left out rather than written empty or 0.
        const QJsonObject second = payload[1].toObject()[u"track_metadata"_s].toObject();
        QCOMPARE(second[u"artist_name"_s].toString(), u"青い猫"_s);
        QVERIFY(!second.contains(u"release_name"_s));
        QVERIFY(!second[u"additional_info"_s].toObject().contains(u"tracknumber"_s));
        QVERIFY(!second[u"additional_info"_s].toObject().contains(u"duration_ms"_s));
    }

    void formatNames()
    {
        QCOMPARE(parsePlayLogFormat(u"ListenBrainz"_s), PlayLogFormat::ListenBrainz);
        QCOMPARE(parsePlayLogFormat(u"audioscrobbler"_s), PlayLogFormat::Audioscrobbler);
        QVERIFY(!parsePlayLogFormat(u"lastfm"_s));
    }
};

QTEST_GUILESS_MAIN(tst_ScrobbleFormats)
#include "tst_ScrobbleFormats.moc"
