// Covers read out of song files of every kind, with fixtures made by TagLib.
#include "SongFiles.h"
#include "media/EmbeddedArt.h"
#include "media/taglib/TagLibFile.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <taglib/tfilestream.h>

using namespace quaverly::media;
using namespace quaverly::media::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray songBytes(const QString& kind)
{
    if (kind == u"mp3")
        return mp3Bytes();
    if (kind == u"m4a")
        return m4aBytes();
    if (kind == u"flac")
        return flacBytes();
    return wavBytes();
}

} // namespace

class tst_EmbeddedArt : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString song(const QString& name, const QString& kind)
    {
        const QString path = m_dir.filePath(name + u'.' + kind);
        return writeBytes(path, songBytes(kind)) ? path : QString();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void everyKindGivesItsCoverAsStored_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<QByteArray>("declared");
        QTest::addColumn<QString>("mime");
        QTest::newRow("mp3 jpeg (APIC)") << u"mp3"_s << fakeJpeg() << QByteArray("image/jpeg") << u"image/jpeg"_s;
        QTest::newRow("m4a png (covr)") << u"m4a"_s << fakePng() << QByteArray("image/png") << u"image/png"_s;
        QTest::newRow("flac jpeg (picture block)")
            << u"flac"_s << fakeJpeg() << QByteArray("image/jpeg") << u"image/jpeg"_s;
        QTest::newRow("wav png (ID3v2 chunk)") << u"wav"_s << fakePng() << QByteArray("image/png") << u"image/png"_s;
        // Taggers write "jpg" or nothing at all; the bytes decide.
        QTest::newRow("mp3 mime 'jpg'") << u"mp3"_s << fakeJpeg() << QByteArray("jpg") << u"image/jpeg"_s;
        QTest::newRow("mp3 png declared as jpeg")
            << u"mp3"_s << fakePng() << QByteArray("image/jpeg") << u"image/png"_s;
    }
    void everyKindGivesItsCoverAsStored()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, picture);
        QFETCH(QByteArray, declared);
        const QString path = song(QString::fromLatin1(QTest::currentDataTag()).left(8).simplified(), kind);
        QVERIFY(!path.isEmpty());
        QVERIFY(addPicture(path, kind, picture, declared.constData()));
        const QByteArray before = bytesOf(path);
        const ArtResult art = readEmbeddedArt(path);
        QCOMPARE(art.error, ArtError::None);
        QCOMPARE(art.cover.data, picture);
        QTEST(art.cover.mimeType, "mime");
        QCOMPARE(bytesOf(path), before); // reading changes nothing
    }

    void frontCoverWinsOverOtherPictures()
    {
        for (const QString& kind : { u"mp3"_s, u"flac"_s }) {
            const QString path = song(u"two-pictures"_s, kind);
            QVERIFY(addPicture(path, kind, fakePng('a'), "image/png", false)); // the band's photo first
            QVERIFY(addPicture(path, kind, fakeJpeg('f'), "image/jpeg", true));
            QCOMPARE(readEmbeddedArt(path).cover.data, fakeJpeg('f'));
        }
        // Without a front cover the first picture stands in.
        const QString other = song(u"artist-only"_s, u"mp3"_s);
        QVERIFY(addPicture(other, u"mp3"_s, fakePng('a'), "image/png", false));
        QCOMPARE(readEmbeddedArt(other).cover.data, fakePng('a'));
    }

    void whatHasNoCoverSaysWhy()
    {
        QCOMPARE(readEmbeddedArt(song(u"plain"_s, u"mp3"_s)).error, ArtError::NoArt);
        QCOMPARE(readEmbeddedArt(song(u"plain"_s, u"m4a"_s)).error, ArtError::NoArt);
        QCOMPARE(readEmbeddedArt(song(u"plain"_s, u"wav"_s)).error, ArtError::NoArt);
        QCOMPARE(readEmbeddedArt(m_dir.filePath(u"missing.mp3"_s)).error, ArtError::Unreadable);
        QVERIFY(writeBytes(m_dir.filePath(u"book.aa"_s), "audible"));
        QCOMPARE(readEmbeddedArt(m_dir.filePath(u"book.aa"_s)).error, ArtError::Unsupported);
        QVERIFY(writeBytes(m_dir.filePath(u"junk.m4a"_s), QByteArray(300, 'x')));
        QCOMPARE(readEmbeddedArt(m_dir.filePath(u"junk.m4a"_s)).error, ArtError::Unreadable);
    }

    void aTemporaryNameIsReadByTheGivenKind()
    {
        const QString path = song(u"named"_s, u"m4a"_s);
        QVERIFY(addPicture(path, u"m4a"_s, fakeJpeg(), "image/jpeg"));
        const QString part = m_dir.filePath(u".quaverly-123.part"_s);
        QVERIFY(QFile::copy(path, part));
        QCOMPARE(readEmbeddedArt(part).error, ArtError::Unsupported);
        QCOMPARE(readEmbeddedArt(part, u"M4A"_s).cover.data, fakeJpeg());
    }

    void songsOnTheIpodAreOpenedReadOnly()
    {
        const QString path = song(u"ipod"_s, u"mp3"_s);
        const TagLibFile opened = openTagLibFile(path, u"mp3"_s, true);
        QVERIFY(opened.valid());
        QVERIFY(opened.stream->readOnly());
        // A file nobody may write still gives its cover (a read-only iPod).
        QVERIFY(addPicture(path, u"mp3"_s, fakeJpeg(), "image/jpeg"));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser));
        QCOMPARE(readEmbeddedArt(path).cover.data, fakeJpeg());
    }

    void aFifoOrAFolderIsNoSongAndNeverBlocks()
    {
        const QString fifo = m_dir.filePath(u"pipe.mp3"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(readEmbeddedArt(fifo).error, ArtError::Unreadable); // returns: nobody writes to the pipe
        QVERIFY(QDir(m_dir.path()).mkdir(u"folder.mp3"_s));
        QCOMPARE(readEmbeddedArt(m_dir.filePath(u"folder.mp3"_s)).error, ArtError::Unreadable);
    }

    void extensionsFollowTheType()
    {
        QCOMPARE((CoverImage { fakeJpeg(), u"image/jpeg"_s }).extension(), u"jpg"_s);
        QCOMPARE((CoverImage { fakePng(), u"image/png"_s }).extension(), u"png"_s);
        QCOMPARE((CoverImage { "x", u"application/octet-stream"_s }).extension(), u"img"_s);
        QCOMPARE(sniffImageType("GIF89a...", {}), u"image/gif"_s);
        QCOMPARE(sniffImageType("????", u"PNG"_s), u"image/png"_s);
    }
};

QTEST_GUILESS_MAIN(tst_EmbeddedArt)
#include "tst_EmbeddedArt.moc"
