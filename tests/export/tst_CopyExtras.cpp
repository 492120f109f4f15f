// Copies with the database's tags, and album folders with their covers:
// real (tiny) song files of each kind, read back with TagLib.
#include "FakeIpod.h"
#include "database/TrackRecord.h"
#include "export/CopyExtras.h"
#include "export/SongExtractor.h"
#include "tests/media/SongFiles.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QTest>

#include <taglib/fileref.h>
#include <taglib/popularimeterframe.h>
#include <taglib/tpropertymap.h>

using namespace quaverly;
using namespace quaverly::exporting;
using namespace quaverly::exporting::test;
using namespace quaverly::media::test;
using namespace Qt::StringLiterals;

namespace {

struct Song
{
    QString file; // below the root, also the library's path
    QByteArray bytes;
    QString title;
    QString album;
};

/// The library's track for `song`, with every detail a tag can take.
database::TrackRecord trackFor(const Song& song, int index)
{
    database::TrackRecord t;
    t.Path = u'/' + song.file;
    t.Title = song.title;
    t.Artist = u"Les Étoiles Filantes"_s;
    t.Album = song.album;
    t.Genre = u"Jazz"_s;
    t.Credits = std::make_shared<const database::TrackCredits>(
        database::TrackCredits { u"Various"_s, u"Composer"_s, u"from the iPod"_s });
    t.Year = 1999;
    t.TrackNumber = index + 1;
    t.TotalTracks = 9;
    t.Rating = 3;
    t.UIN = 100 + index;
    return t;
}

QString tagOf(const QString& path, const char* key)
{
    TagLib::FileRef ref(QFile::encodeName(path).constData(), false);
    if (ref.isNull())
        return {};
    const TagLib::PropertyMap map = ref.file()->properties();
    const auto it = map.find(key);
    return it == map.end() || it->second.isEmpty() ? QString()
                                                   : QString::fromStdString(it->second.front().to8Bit(true));
}

QByteArray digest(const QString& path)
{
    return QCryptographicHash::hash(contents(path), QCryptographicHash::Sha1);
}

} // namespace

class tst_CopyExtras : public QObject
{
    Q_OBJECT
    std::unique_ptr<FakeIpod> m_ipod;
    QStringList m_sources;

    bool add(const Song& song)
    {
        const QString path = m_ipod->root.filePath(song.file);
        if (!QDir().mkpath(QFileInfo(path).path()) || !writeBytes(path, song.bytes))
            return false;
        m_ipod->library.Tracks.push_back(trackFor(song, m_ipod->library.TrackCount()));
        m_sources << path;
        return true;
    }

private Q_SLOTS:
    void init()
    {
        m_ipod = std::make_unique<FakeIpod>();
        m_sources.clear();
        QVERIFY(m_ipod->root.isValid());
    }

    void copiesGetTheTagsAndTheIpodKeepsItsFiles()
    {
        QVERIFY(add({ u"iPod_Control/Music/F00/AAAA.mp3"_s, mp3Bytes(), u"Café Society"_s, u"Rive Gauche"_s }));
        QVERIFY(add({ u"iPod_Control/Music/F01/BBBB.m4a"_s, m4aBytes(), u"夜明けの歌"_s, u"Rive Gauche"_s }));
        QVERIFY(add({ u"iPod_Control/Music/F02/CCCC.flac"_s, flacBytes(), u"Белые ночи"_s, u"Rive Gauche"_s }));
        QVERIFY(add({ u"iPod_Control/Music/F03/DDDD.wav"_s, wavBytes(), u"Θάλασσα"_s, u"Rive Gauche"_s }));
        QVERIFY(addPicture(m_sources[0], u"mp3"_s, fakeJpeg(), "image/jpeg"));
        m_ipod->library.Tracks[3].Artist = u"No Artist"_s; // the stand-in for an empty artist string is no tag
        std::vector<QByteArray> before;
        std::vector<QDateTime> times;
        for (const QString& source : m_sources) {
            before.push_back(digest(source));
            times.push_back(QFileInfo(source).lastModified());
        }
        QTemporaryDir target;
        ExtractOptions options;
        options.writeTags = true;
        options.ratings = { 5, 0, 2, 1 };
        const SongExtractor extractor(m_ipod->library);
        const ExtractReport report = SongExtractor::run(
            extractor.makePlan({ 0, 1, 2, 3 }, target.path(), u"[album]/[title]"_s, options));
        QVERIFY(report.allCopied());
        QCOMPARE(report.tagged, 4);
        QVERIFY(report.untagged.empty());
        const QString folder = target.filePath(u"Rive Gauche/"_s);
        const QString mp3 = folder + u"Café Society.mp3"_s;
        QCOMPARE(tagOf(mp3, "TITLE"), u"Café Society"_s);
        QCOMPARE(tagOf(mp3, "ALBUMARTIST"), u"Various"_s);
        QCOMPARE(tagOf(mp3, "COMPOSER"), u"Composer"_s);
        QCOMPARE(tagOf(mp3, "DATE"), u"1999"_s);
        QCOMPARE(tagOf(mp3, "TRACKNUMBER"), u"1/9"_s);
        QCOMPARE(tagOf(mp3, "COMMENT"), u"from the iPod"_s);
        QCOMPARE(tagOf(mp3, "GENRE"), u"Jazz"_s);
        {
            TagLib::MPEG::File file(QFile::encodeName(mp3).constData(), false);
            const auto popm = file.ID3v2Tag()->frameList("POPM");
            QCOMPARE(popm.size(), 1u);
            QCOMPARE(static_cast<TagLib::ID3v2::PopularimeterFrame*>(popm.front())->rating(),
                     255);                                           // the iPod's 5 stars
            QCOMPARE(file.ID3v2Tag()->frameList("APIC").size(), 1u); // the song's own picture stays
        }
        QCOMPARE(tagOf(folder + u"夜明けの歌.m4a"_s, "ARTIST"), u"Les Étoiles Filantes"_s);
        QCOMPARE(tagOf(folder + u"Белые ночи.flac"_s, "TRACKNUMBER"), u"3/9"_s);
        QCOMPARE(tagOf(folder + u"Θάλασσα.wav"_s, "TITLE"), u"Θάλασσα"_s);
        QVERIFY(tagOf(folder + u"Θάλασσα.wav"_s, "ARTIST").isEmpty());
        for (qsizetype i = 0; i < m_sources.size(); ++i) {
            QCOMPARE(digest(m_sources[i]), before[size_t(i)]);
            QCOMPARE(QFileInfo(m_sources[i]).lastModified(), times[size_t(i)]);
        }
        QVERIFY(!filesBelow(target.path()).join(u'\n').contains(u".part"_s));
    }

    void whatTagLibCannotTagIsStillCopied()
    {
        QVERIFY(add({ u"iPod_Control/Music/F00/BOOK.aa"_s, "audible book", u"Book"_s, u"Audio"_s }));
        QVERIFY(add({ u"iPod_Control/Music/F00/JUNK.m4a"_s, QByteArray(500, 'j'), u"Junk"_s, u"Audio"_s }));
        QTemporaryDir target;
        ExtractOptions options;
        options.writeTags = true;
        const ExtractReport report = SongExtractor::run(
            SongExtractor(m_ipod->library).makePlan({ 0, 1 }, target.path(), u"[title]"_s, options));
        QVERIFY(report.allCopied());
        QCOMPARE(report.tagged, 0);
        QCOMPARE(report.untagged.size(), size_t(2));
        QCOMPARE(report.untagged[0].error, media::TagError::Unsupported);
        QCOMPARE(report.untagged[1].error, media::TagError::Unreadable);
        QCOMPARE(contents(target.filePath(u"Book.aa"_s)), QByteArray("audible book"));
        QCOMPARE(contents(target.filePath(u"Junk.m4a"_s)), QByteArray(500, 'j'));
        const QStringList lines = tagAndCoverLines(report);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith(u"Les Étoiles Filantes - Book: copied without tags"_s));
    }

    void eachAlbumFolderGetsItsCover()
    {
        // "Late Set": the second song carries the cover. "Sketches": no song does.
        // "Rive Gauche": its folder has a cover already.
        QVERIFY(add({ u"M/F00/A1.mp3"_s, mp3Bytes(), u"One"_s, u"Late Set"_s }));
        QVERIFY(add({ u"M/F00/A2.mp3"_s, mp3Bytes(), u"Two"_s, u"Late Set"_s }));
        QVERIFY(add({ u"M/F00/B1.m4a"_s, m4aBytes(), u"Three"_s, u"Sketches"_s }));
        QVERIFY(add({ u"M/F00/C1.flac"_s, flacBytes(), u"Four"_s, u"Rive Gauche"_s }));
        QVERIFY(addPicture(m_sources[1], u"mp3"_s, fakePng(), "image/png"));
        QVERIFY(addPicture(m_sources[3], u"flac"_s, fakeJpeg(), "image/jpeg"));
        QTemporaryDir target;
        QVERIFY(QDir(target.path()).mkpath(u"Rive Gauche"_s));
        QVERIFY(writeBytes(target.filePath(u"Rive Gauche/cover.jpg"_s), "mine"));
        ExtractOptions options;
        options.writeCovers = true;
        const ExtractReport report = SongExtractor::run(
            SongExtractor(m_ipod->library).makePlan({ 0, 1, 2, 3 }, target.path(), u"[album]/[title]"_s, options));
        QVERIFY(report.allCopied());
        QCOMPARE(report.covers.written, 1);
        QCOMPARE(report.covers.withoutArt, 1);
        QCOMPARE(report.covers.kept, 1);
        QCOMPARE(contents(target.filePath(u"Late Set/cover.png"_s)), fakePng());
        QVERIFY(!QFile::exists(target.filePath(u"Sketches/cover.jpg"_s)));
        QCOMPARE(contents(target.filePath(u"Rive Gauche/cover.jpg"_s)), QByteArray("mine"));
        QCOMPARE(report.tagged, 0); // tags were not asked for
        QCOMPARE(contents(target.filePath(u"Late Set/One.mp3"_s)), mp3Bytes());
    }

    void noCoverWithoutAnAlbumFolderOrAfterACancel()
    {
        QVERIFY(add({ u"M/F00/A1.mp3"_s, mp3Bytes(), u"One"_s, u"Late Set"_s }));
        QVERIFY(addPicture(m_sources[0], u"mp3"_s, fakePng(), "image/png"));
        ExtractOptions options;
        options.writeCovers = true;
        const SongExtractor extractor(m_ipod->library);
        QTemporaryDir flat;
        const ExtractReport straight = SongExtractor::run(
            extractor.makePlan({ 0 }, flat.path(), u"[title]"_s, options));
        QCOMPARE(straight.covers.written, 0);
        QCOMPARE(filesBelow(flat.path()), QStringList { u"One.mp3"_s });
        QTemporaryDir stopped;
        int calls = 0;
        const ExtractReport cancelled = SongExtractor::run(
            extractor.makePlan({ 0 }, stopped.path(), u"[album]/[title]"_s, options),
            [&](const ExtractProgress&) { return ++calls < 3; });
        QVERIFY(cancelled.cancelled);
        QVERIFY(!QFile::exists(stopped.filePath(u"Late Set/cover.png"_s)));
    }
};

QTEST_GUILESS_MAIN(tst_CopyExtras)
#include "tst_CopyExtras.moc"
