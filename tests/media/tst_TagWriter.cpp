// Tags written into copies, read back with TagLib.
#include "SongFiles.h"
#include "media/TagWriter.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <taglib/fileref.h>
#include <taglib/popularimeterframe.h>
#include <taglib/tpropertymap.h>

using namespace quaverly::media;
using namespace quaverly::media::test;
using namespace Qt::StringLiterals;

namespace {

SongTags fullTags()
{
    SongTags tags;
    tags.title = u"夜明けの歌"_s;
    tags.artist = u"Les Étoiles Filantes"_s;
    tags.album = u"Rive Gauche"_s;
    tags.albumArtist = u"Various Artists"_s;
    tags.genre = u"Jazz"_s;
    tags.composer = u"Ólafur Arnalds"_s;
    tags.comment = u"ripped 2004"_s;
    tags.year = 1997;
    tags.trackNumber = 3;
    tags.totalTracks = 12;
    tags.discNumber = 2;
    tags.totalDiscs = 2;
    tags.stars = 4;
    return tags;
}

QString value(const TagLib::PropertyMap& map, const char* key)
{
    const auto it = map.find(key);
    return it == map.end() || it->second.isEmpty() ? QString()
                                                   : QString::fromStdString(it->second.front().to8Bit(true));
}

TagLib::PropertyMap propertiesOf(const QString& path, const QString& kind)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == u"wav") { // FileRef chooses by the extension; these paths have the right one
        TagLib::RIFF::WAV::File file(name.constData(), false);
        return file.properties();
    }
    TagLib::FileRef ref(name.constData(), false);
    return ref.isNull() ? TagLib::PropertyMap() : ref.file()->properties();
}

} // namespace

class tst_TagWriter : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString song(const QString& name, const QString& kind)
    {
        QByteArray bytes = kind == u"mp3" ? mp3Bytes()
            : kind == u"m4a"              ? m4aBytes()
            : kind == u"flac"             ? flacBytes()
                                          : wavBytes();
        const QString path = m_dir.filePath(name + u'.' + kind);
        return writeBytes(path, bytes) ? path : QString();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void everyFieldLandsInEveryKind_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : { "mp3", "m4a", "flac", "wav" })
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void everyFieldLandsInEveryKind()
    {
        QFETCH(QString, kind);
        const QString path = song(u"full"_s, kind);
        QVERIFY(!path.isEmpty());
        QVERIFY(writeTags(path, fullTags()).ok());
        const TagLib::PropertyMap map = propertiesOf(path, kind);
        QCOMPARE(value(map, "TITLE"), u"夜明けの歌"_s);
        QCOMPARE(value(map, "ARTIST"), u"Les Étoiles Filantes"_s);
        QCOMPARE(value(map, "ALBUM"), u"Rive Gauche"_s);
        QCOMPARE(value(map, "GENRE"), u"Jazz"_s);
        QCOMPARE(value(map, "COMMENT"), u"ripped 2004"_s);
        QCOMPARE(value(map, "DATE"), u"1997"_s);
        QCOMPARE(value(map, "TRACKNUMBER"), u"3/12"_s);
        if (kind != u"wav") { // RIFF INFO has no album artist, composer or disc; the ID3v2 chunk is checked below
            QCOMPARE(value(map, "ALBUMARTIST"), u"Various Artists"_s);
            QCOMPARE(value(map, "COMPOSER"), u"Ólafur Arnalds"_s);
            QCOMPARE(value(map, "DISCNUMBER"), u"2/2"_s);
        }
    }

    void theRatingGoesWhereEachKindKeepsIt()
    {
        const QString mp3 = song(u"rated"_s, u"mp3"_s);
        QVERIFY(writeTags(mp3, fullTags()).ok());
        {
            TagLib::MPEG::File file(QFile::encodeName(mp3).constData(), false);
            const auto frames = file.ID3v2Tag()->frameList("POPM");
            QCOMPARE(frames.size(), 1u);
            QCOMPARE(static_cast<TagLib::ID3v2::PopularimeterFrame*>(frames.front())->rating(), 196);
        }
        // Writing again replaces its own rating instead of adding one.
        SongTags five = fullTags();
        five.stars = 5;
        QVERIFY(writeTags(mp3, five).ok());
        {
            TagLib::MPEG::File file(QFile::encodeName(mp3).constData(), false);
            const auto frames = file.ID3v2Tag()->frameList("POPM");
            QCOMPARE(frames.size(), 1u);
            QCOMPARE(static_cast<TagLib::ID3v2::PopularimeterFrame*>(frames.front())->rating(), 255);
            QVERIFY(file.ID3v2Tag()->frameList("TXXX").isEmpty()); // no stray RATING text frame
        }
        const QString m4a = song(u"rated"_s, u"m4a"_s);
        QVERIFY(writeTags(m4a, fullTags()).ok());
        TagLib::MP4::File mp4(QFile::encodeName(m4a).constData(), false);
        QCOMPARE(mp4.tag()->item("rate").toStringList().toString().to8Bit(), std::string("80"));
        const QString flac = song(u"rated"_s, u"flac"_s);
        QVERIFY(writeTags(flac, fullTags()).ok());
        QCOMPARE(value(propertiesOf(flac, u"flac"_s), "RATING"), u"4"_s);
    }

    void emptyFieldsKeepWhatTheFileHas()
    {
        const QString path = song(u"keep"_s, u"mp3"_s);
        SongTags first = fullTags();
        QVERIFY(writeTags(path, first).ok());
        SongTags sparse;
        sparse.title = u"New Title"_s;
        QVERIFY(writeTags(path, sparse).ok());
        const TagLib::PropertyMap map = propertiesOf(path, u"mp3"_s);
        QCOMPARE(value(map, "TITLE"), u"New Title"_s);
        QCOMPARE(value(map, "COMPOSER"), u"Ólafur Arnalds"_s);
        QCOMPARE(value(map, "DATE"), u"1997"_s);
    }

    void aTrackWithoutTotalHasAPlainNumber()
    {
        const QString path = song(u"plain-number"_s, u"flac"_s);
        SongTags tags;
        tags.trackNumber = 7;
        tags.discNumber = 1;
        QVERIFY(writeTags(path, tags).ok());
        const TagLib::PropertyMap map = propertiesOf(path, u"flac"_s);
        QCOMPARE(value(map, "TRACKNUMBER"), u"7"_s);
        QCOMPARE(value(map, "DISCNUMBER"), u"1"_s);
    }

    void aTemporaryNameIsTaggedByTheGivenKind()
    {
        const QString part = m_dir.filePath(u".quaverly-9f.part"_s);
        QVERIFY(writeBytes(part, m4aBytes()));
        QCOMPARE(writeTags(part, fullTags()).error, TagError::Unsupported);
        QVERIFY(writeTags(part, fullTags(), u"m4a"_s).ok());
        TagLib::MP4::File file(QFile::encodeName(part).constData(), false);
        QCOMPARE(QString::fromStdString(file.tag()->title().to8Bit(true)), u"夜明けの歌"_s);
    }

    void whatCannotBeTaggedSaysWhy()
    {
        QVERIFY(writeBytes(m_dir.filePath(u"book.aa"_s), "audible"));
        QCOMPARE(writeTags(m_dir.filePath(u"book.aa"_s), fullTags()).error, TagError::Unsupported);
        QVERIFY(writeBytes(m_dir.filePath(u"junk.m4a"_s), QByteArray(200, 'x')));
        QCOMPARE(writeTags(m_dir.filePath(u"junk.m4a"_s), fullTags()).error, TagError::Unreadable);
        QCOMPARE(writeTags(m_dir.filePath(u"missing.mp3"_s), fullTags()).error, TagError::Unreadable);
        QVERIFY(!describeTagError(TagError::Unsupported).isEmpty());
        const QString fifo = m_dir.filePath(u"pipe.flac"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(writeTags(fifo, fullTags()).error, TagError::Unreadable); // never waits for a writer
    }
};

QTEST_GUILESS_MAIN(tst_TagWriter)
#include "tst_TagWriter.moc"
