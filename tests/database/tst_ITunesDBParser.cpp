// The scanner over databases built in memory by the test writer: layouts,
// header sizes, string encodings, playlist rules and damaged files.
#include "database/ByteWindow.h"
#include "database/ITunesDBParser.h"
#include "tools/testwriter/ITunesDBWriter.h"

#include <QTest>
#include <QtEndian>

#include <random>

using namespace quaverly::database;
using namespace quaverly::tools;
using namespace Qt::StringLiterals;

namespace {

WriterTrack song(qint32 uin, const QString& title)
{
    WriterTrack t;
    t.uin = uin;
    t.title = title;
    t.location = u":iPod_Control:Music:F00:"_s + title.left(4) + u".mp3"_s;
    t.album = u"Album"_s;
    t.artist = u"Artist"_s;
    t.genre = u"Rock"_s;
    t.fileType = u"MPEG audio file"_s;
    return t;
}

WriterDatabase threeSongs()
{
    WriterDatabase db;
    db.tracks = { song(10, u"One"_s), song(20, u"Two"_s), song(30, u"Three"_s) };
    db.tracks[1].ratingRaw = 80;
    db.tracks[1].lengthMs = 123456;
    db.tracks[1].trackNumber = 7;
    db.playlists = { { u"My iPod"_s, 0x100000001ULL, false, { { 10, {} }, { 20, {} }, { 30, {} } } },
                     { u"Mix"_s, 0x200000001ULL, false, { { 30, {} }, { 10, {} } } } };
    return db;
}

struct Parsed
{
    Library library;
    ParseReport report;
};

Parsed parse(const QByteArray& bytes)
{
    Parsed parsed;
    ByteWindow window(bytes);
    parsed.report = parseITunesDB(window, parsed.library);
    return parsed;
}

void put32(QByteArray& bytes, qsizetype at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

} // namespace

class tst_ITunesDBParser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layoutsAndHeaderSizes_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("mhbd");
        QTest::addColumn<int>("mhsd");
        QTest::addColumn<int>("list");
        QTest::addColumn<int>("mhit");
        QTest::addColumn<int>("mhyp");
        QTest::addColumn<int>("mhip");
        QTest::addColumn<bool>("quirk");
        QTest::newRow("iTunes 4.5, sets 1 2")
            << int(WriterLayout::Old) << 0x68 << 0x60 << 0x5c << 0x9c << 0x6c << 0x4c << true;
        QTest::newRow("libgpod, sets 1 3 2 4 8 6 10 5")
            << int(WriterLayout::Libgpod) << 0xf4 << 0x60 << 0x5c << 0x248 << 0x6c << 0x4c << false;
        QTest::newRow("iTunes 12, sets 4 1 3 2 5")
            << int(WriterLayout::ITunesNew) << 0xf4 << 0x60 << 0x5c << 0x270 << 0xb8 << 0x4c << false;
        QTest::newRow("iTunes 7.4") << int(WriterLayout::ITunesNew) << 0xbc << 0x60 << 0x5c << 0x184 << 0x6c << 0x4c
                                    << false;
        QTest::newRow("short third-party headers")
            << int(WriterLayout::Old) << 0xbc << 24 << 20 << 0x184 << 56 << 40 << false;
        QTest::newRow("2005 tool") << int(WriterLayout::Old) << 0x68 << 0x60 << 0x5c << 0xa0 << 112 << 0x4c << true;
    }
    void layoutsAndHeaderSizes()
    {
        QFETCH(int, layout);
        WriterOptions options;
        options.layout = static_cast<WriterLayout>(layout);
        QFETCH(int, mhbd);
        QFETCH(int, mhsd);
        QFETCH(int, list);
        QFETCH(int, mhit);
        QFETCH(int, mhyp);
        QFETCH(int, mhip);
        QFETCH(bool, quirk);
        options.mhbdHeader = mhbd;
        options.mhsdHeader = mhsd;
        options.listHeader = list;
        options.mhitHeader = mhit;
        options.mhypHeader = mhyp;
        options.mhipHeader = mhip;
        options.mhipLengthIsHeader = quirk;
        const Parsed parsed = parse(writeITunesDB(threeSongs(), options));
        QCOMPARE(parsed.report.unknownChunks, 0);
        QVERIFY(!parsed.report.damaged);
        const Library& lib = parsed.library;
        QCOMPARE(lib.TrackCount(), 3);
        QCOMPARE(lib.PlaylistCount(), 2); // sets 2 and 3 hold the same playlists once
        QCOMPARE(lib.iPodName, u"My iPod"_s);
        QCOMPARE(lib.Playlists[0].Name, u":: My iPod ::"_s);
        QCOMPARE(lib.Playlists[1].Name, u"Mix"_s);
        QCOMPARE(lib.Playlists[1].UINList, (std::vector<qint32> { 30, 10 }));
        QCOMPARE(lib.Playlists[1].IndexList, (std::vector<int> { 2, 0 }));
        const TrackRecord& two = lib.Tracks[1];
        QCOMPARE(two.Title, u"Two"_s);
        QCOMPARE(two.Path, u"/iPod_Control/Music/F00/Two.mp3"_s);
        QCOMPARE(two.UIN, 20);
        QCOMPARE(two.Rating, qint16(4));
        QCOMPARE(two.Length, 123456);
        QCOMPARE(two.TrackNumber, 7);
        QCOMPARE(two.FileType, u"MPEG audio file"_s);
    }

    void strings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("Japanese") << u"夜明けの歌"_s;
        QTest::newRow("Cyrillic") << u"Белые ночи"_s;
        QTest::newRow("accents") << u"Café Señorita – Straße »live«"_s;
        QTest::newRow("emoji (surrogate pair)") << u"Night Drive 🚗"_s;
        QTest::newRow("empty title") << QString();
    }
    void strings()
    {
        QFETCH(QString, text);
        for (const bool utf8 : { false, true }) {
            WriterDatabase db = threeSongs();
            db.tracks[0].title = text;
            db.playlists[1].name = text;
            WriterOptions options;
            options.utf8 = utf8;
            const Parsed parsed = parse(writeITunesDB(db, options));
            QCOMPARE(parsed.library.Tracks[0].Title, text);
            QCOMPARE(parsed.library.Playlists[1].Name, text);
        }
    }

    void brokenUtf16BecomesReplacementCharacters()
    {
        WriterDatabase db = threeSongs();
        db.tracks[0].title = u"ab"_s;
        QByteArray bytes = writeITunesDB(db, { WriterLayout::Old, 0x0a, 0x68 });
        const qsizetype at = bytes.indexOf(QByteArray("a\0b\0", 4));
        QVERIFY(at > 0);
        bytes[at] = char(0x00); // 'a' -> a lone high surrogate U+D800
        bytes[at + 1] = char(0xd8);
        QCOMPARE(parse(bytes).library.Tracks[0].Title, u"\ufffdb"_s);
        put32(bytes, at - 12, 3); // an odd byte count keeps the stray byte as U+FFFD
        QCOMPARE(parse(bytes).library.Tracks[0].Title, u"\ufffd\ufffd"_s);
    }

    void artistAndGenreRules()
    {
        WriterDatabase db = threeSongs();
        db.tracks[0].artist = QString();
        db.tracks[0].genre = QString();
        db.tracks[1].artist.reset();
        db.tracks[1].genre.reset();
        const Library lib = parse(writeITunesDB(db)).library;
        QCOMPARE(lib.Tracks[0].Artist, u"No Artist"_s);
        QCOMPARE(lib.Tracks[0].Genre, u"No Genre"_s);
        QVERIFY(lib.Tracks[1].Artist.isEmpty());
        QVERIFY(lib.Tracks[1].Genre.isEmpty());
    }

    void trackDetails()
    {
        WriterDatabase db = threeSongs();
        db.tracks[0].extraStrings = { { 22, u"Various Artists"_s }, { 12, u"Ólafur"_s }, { 8, u"tab\there"_s } };
        db.tracks[0].year = 2004;
        db.tracks[0].totalTracks = 12;
        db.tracks[0].discNumber = 2;
        db.tracks[0].totalDiscs = 3;
        db.tracks[1].extraStrings = { { 22, u"Various Artists"_s }, { 13, u"a grouping is not kept"_s } };
        db.tracks[1].year = -5;           // damage: never a negative year
        db.tracks[1].totalTracks = 70000; // damage: capped, not wrapped
        for (const qint32 header : { 0x9c, 0x248 }) {
            WriterOptions options;
            options.mhitHeader = header;
            const Library lib = parse(writeITunesDB(db, options)).library;
            const TrackRecord& first = lib.Tracks[0];
            QCOMPARE(first.albumArtist(), u"Various Artists"_s);
            QCOMPARE(first.composer(), u"Ólafur"_s);
            QCOMPARE(first.comment(), u"tab\there"_s);
            QCOMPARE(first.Year, 2004);
            QCOMPARE(first.TotalTracks, qint16(12));
            QCOMPARE(first.DiscNumber, qint16(2));
            QCOMPARE(first.TotalDiscs, qint16(3));
            QCOMPARE(lib.Tracks[1].albumArtist(), u"Various Artists"_s);
            QVERIFY(lib.Tracks[1].comment().isEmpty());
            QCOMPARE(lib.Tracks[1].Year, 0);
            QCOMPARE(lib.Tracks[1].TotalTracks, qint16(0x7fff));
            QCOMPARE(lib.Tracks[1].Title, u"Two"_s); // the other strings still land where they belong
            QVERIFY(!lib.Tracks[2].Credits);         // none of the three: nothing held
        }
        {
            // Tracks with the same three texts share one copy of them.
            WriterDatabase album = threeSongs();
            for (WriterTrack& track : album.tracks)
                track.extraStrings = { { 22, u"Various Artists"_s }, { 12, u"Bach"_s } };
            const Library lib = parse(writeITunesDB(album)).library;
            QVERIFY(lib.Tracks[0].Credits);
            QCOMPARE(lib.Tracks[0].Credits, lib.Tracks[2].Credits);
            QCOMPARE(lib.Tracks[1].composer(), u"Bach"_s);
        }
        // A header too short for the details leaves them 0 instead of reading the strings after it.
        WriterOptions tiny;
        tiny.mhitHeader = 0x60;
        const Library lib = parse(writeITunesDB(db, tiny)).library;
        QCOMPARE(lib.Tracks[0].Year, 0);
        QCOMPARE(lib.Tracks[0].composer(), u"Ólafur"_s);
    }

    void ratingRounding_data()
    {
        QTest::addColumn<int>("raw");
        QTest::addColumn<int>("stars");
        QTest::newRow("100") << 100 << 5;
        QTest::newRow("90 half to even") << 90 << 4;
        QTest::newRow("70 half to even") << 70 << 4;
        QTest::newRow("50 half to even") << 50 << 2;
        QTest::newRow("30 half to even") << 30 << 2;
        QTest::newRow("10 half to even") << 10 << 0;
        QTest::newRow("above 100, read unsigned") << 200 << 5;
    }
    void ratingRounding()
    {
        QFETCH(int, raw);
        QFETCH(int, stars);
        WriterDatabase db = threeSongs();
        db.tracks[0].ratingRaw = static_cast<quint8>(raw);
        QCOMPARE(int(parse(writeITunesDB(db)).library.Tracks[0].Rating), stars);
    }

    void playsAsFarAsTheTrackHeaderReaches_data()
    {
        QTest::addColumn<int>("header");
        QTest::addColumn<int>("plays");
        QTest::addColumn<int>("skips");
        // iTunes 4.5 headers end before the skip count; a stub header holds neither.
        QTest::newRow("0x248") << 0x248 << 7 << 3;
        QTest::newRow("0xf4") << 0xf4 << 7 << 3;
        QTest::newRow("0x9c") << 0x9c << 7 << 0;
        QTest::newRow("0x5c") << 0x5c << 7 << 0;
        QTest::newRow("0x58") << 0x58 << 0 << 0;
        QTest::newRow("0x30") << 0x30 << 0 << 0;
    }
    void playsAsFarAsTheTrackHeaderReaches()
    {
        QFETCH(int, header);
        QFETCH(int, plays);
        QFETCH(int, skips);
        WriterDatabase db = threeSongs();
        for (WriterTrack& track : db.tracks) {
            track.playCount = 7;
            track.lastPlayed = 3787034400u;
            track.skipCount = 3;
        }
        WriterOptions options;
        options.mhitHeader = header;
        // Past a short header lie the track's strings, never read as plays.
        const Parsed parsed = parse(writeITunesDB(db, options));
        QCOMPARE(parsed.library.TrackCount(), 3);
        for (const TrackRecord& track : parsed.library.Tracks) {
            QCOMPARE(int(track.PlayCount), plays);
            QCOMPARE(track.LastPlayed, plays ? 3787034400u : 0u);
            QCOMPARE(int(track.SkipCount), skips);
        }
    }

    void repeatedPlaylistChangesNothing()
    {
        WriterDatabase db = threeSongs();
        db.playlists.push_back({ u"Copy"_s, 0x200000001ULL, false, { { 20, {} } } }); // id of "Mix"
        db.playlists.push_back({ u"Zero A"_s, 0, false, {} });
        db.playlists.push_back({ u"Zero B"_s, 0, false, {} });
        db.playlists.push_back({ u"High half differs"_s, 0x300000001ULL, false, {} });
        const Library lib = parse(writeITunesDB(db, { WriterLayout::Old })).library;
        QCOMPARE(lib.PlaylistCount(), 5);
        QCOMPARE(lib.Playlists[1].Name, u"Mix"_s);
        QCOMPARE(lib.Playlists[1].UINList.size(), size_t(2));
        QCOMPARE(lib.Playlists[2].Name, u"Zero A"_s);
        QCOMPARE(lib.Playlists[3].Name, u"Zero B"_s);
        QCOMPARE(lib.Playlists[4].Name, u"High half differs"_s);
    }

    void podcastGroupsAreNotMembers()
    {
        WriterDatabase db = threeSongs();
        db.playlists.push_back({ u"Podcasts"_s,
                                 0x400000001ULL,
                                 true,
                                 { { 0, u"Show One"_s }, { 20, {} }, { 0, u"Show Two"_s }, { 30, {} } } });
        for (const WriterLayout layout : { WriterLayout::Libgpod, WriterLayout::ITunesNew }) {
            const Library lib = parse(writeITunesDB(db, { layout })).library;
            QCOMPARE(lib.PlaylistCount(), 3);
            QCOMPARE(lib.Playlists[2].Name, u"Podcasts"_s);
            QCOMPARE(lib.Playlists[2].UINList, (std::vector<qint32> { 20, 30 }));
            QCOMPARE(lib.iPodName, u"My iPod"_s);
        }
    }

    void unknownMembersAndDuplicateUins()
    {
        WriterDatabase db = threeSongs();
        db.tracks.push_back(song(20, u"Second twenty"_s));
        db.playlists[1].members = { { 99, {} }, { 20, {} } };
        const Library lib = parse(writeITunesDB(db)).library;
        QCOMPARE(lib.Playlists[1].UINList, (std::vector<qint32> { 99, 20 }));
        QCOMPARE(lib.Playlists[1].IndexList, (std::vector<int> { 1 })); // the first track with UIN 20
        QCOMPARE(lib.indexOfUIN(20), 1);
        QCOMPARE(lib.Tracks[1].Title, u"Two"_s);
        QCOMPARE(lib.TrackCount(), 4);
    }

    void masterWithoutTitleIsReported()
    {
        WriterDatabase db = threeSongs();
        db.playlists[0].name.reset();
        const Parsed parsed = parse(writeITunesDB(db));
        QVERIFY(!parsed.report.masterHasTitle);
        QCOMPARE(parsed.library.PlaylistCount(), 2);
        QCOMPARE(parsed.library.Playlists[1].Name, u"Mix"_s); // the next playlist does not become the master
        QVERIFY(parsed.library.iPodName.isEmpty());
    }

    void unknownChunkResynchronises()
    {
        QByteArray bytes = writeITunesDB(threeSongs(), { WriterLayout::Old });
        const qsizetype second = bytes.indexOf("mhit", bytes.indexOf("mhit") + 4);
        QVERIFY(second > 0);
        bytes.replace(second, 4, "xhit"); // the second track's head is unknown; its strings go to track one
        const Parsed parsed = parse(bytes);
        QCOMPARE(parsed.report.unknownChunks, 1);
        QCOMPARE(parsed.report.firstUnknownOffset, qint64(second));
        QCOMPARE(parsed.library.TrackCount(), 2);
        QCOMPARE(parsed.library.Tracks[1].Title, u"Three"_s);
        QCOMPARE(parsed.library.PlaylistCount(), 2);
    }

    void badLengthsStopTheScan_data()
    {
        QTest::addColumn<QByteArray>("tag");
        QTest::addColumn<int>("field"); // 4 header length, 8 total length
        QTest::addColumn<qint64>("value");
        QTest::newRow("zero header length") << QByteArray("mhit") << 4 << qint64(0);
        QTest::newRow("negative header length") << QByteArray("mhit") << 4 << qint64(-8);
        QTest::newRow("header past the end") << QByteArray("mhit") << 4 << qint64(0x7fffff00);
        QTest::newRow("zero string length") << QByteArray("mhod") << 8 << qint64(0);
        QTest::newRow("string past the end") << QByteArray("mhod") << 8 << qint64(0x7ffffff0);
        QTest::newRow("skipped set past the end") << QByteArray("mhsd") << 8 << qint64(0x7ffffff0);
    }
    void badLengthsStopTheScan()
    {
        QFETCH(QByteArray, tag);
        QFETCH(int, field);
        QFETCH(qint64, value);
        // Sets 1 3 2 4 ...: the second track is damaged, or (for mhsd) the album list set.
        QByteArray bytes = writeITunesDB(threeSongs(), { WriterLayout::Libgpod });
        qsizetype at = bytes.indexOf("mhit", bytes.indexOf("mhit") + 4);
        if (tag == "mhod")
            at = bytes.indexOf("mhod", at);
        if (tag == "mhsd")
            at = bytes.indexOf("mhla") - 0x60;
        QVERIFY(at > 0);
        put32(bytes, at + field, static_cast<quint32>(value));
        const Parsed parsed = parse(bytes);
        QVERIFY(parsed.report.damaged);
        QCOMPARE(parsed.report.damageOffset, qint64(at));
        QVERIFY(parsed.library.TrackCount() >= 1);
    }

    void truncationNeverCrashes()
    {
        const QByteArray whole = writeITunesDB(threeSongs());
        for (qsizetype cut = 0; cut < whole.size(); cut += 7) {
            const Parsed parsed = parse(whole.left(cut));
            QVERIFY(parsed.library.TrackCount() <= 3);
            QVERIFY(parsed.report.damaged || parsed.report.unknownChunks > 0 || cut == 0);
        }
    }

    void randomDamageNeverCrashesOrHangs()
    {
        WriterDatabase db = threeSongs();
        db.playlists.push_back({ u"Podcasts"_s, 9, true, { { 0, u"Show"_s }, { 20, {} } } });
        const QByteArray whole = writeITunesDB(db);
        std::mt19937 random(1234);
        std::uniform_int_distribution<qsizetype> position(0, whole.size() - 1);
        std::uniform_int_distribution<int> byte(0, 255);
        for (int round = 0; round < 400; ++round) {
            QByteArray damaged = whole;
            for (int i = 0; i < 1 + round % 8; ++i)
                damaged[position(random)] = char(byte(random));
            const Parsed parsed = parse(damaged);
            QVERIFY(parsed.library.TrackCount() <= whole.size() / 12);
            for (const clsPlayList& list : parsed.library.Playlists)
                QVERIFY(list.IndexList.size() <= list.UINList.size());
        }
    }
};

QTEST_GUILESS_MAIN(tst_ITunesDBParser)
#include "tst_ITunesDBParser.moc"
