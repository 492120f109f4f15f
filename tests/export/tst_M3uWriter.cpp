#include "FakeIpod.h"
#include "export/M3uWriter.h"
#include "export/PlayerLauncher.h"

#include <QTest>

using namespace quaverly::exporting;
using namespace quaverly::exporting::test;
using namespace Qt::StringLiterals;

class tst_M3uWriter : public QObject
{
    Q_OBJECT

    FakeIpod m_ipod;
    QStringList m_files; // native paths of tracks 0..3

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_ipod.root.isValid());
        m_files << m_ipod.addTrack(u"/iPod_Control/Music/F00/ABCD.mp3"_s, u"ipod_control/music/f00/abcd.mp3"_s, 1,
                                   u"One"_s, u"Band"_s);
        m_files << m_ipod.addTrack(u"/iPod_Control/Music/F01/Ünï cödé.m4a"_s, u"ipod_control/music/F01/Ünï cödé.m4a"_s,
                                   1, u"Two"_s, u"Band"_s);
        m_files << m_ipod.addTrack(u"/iPod_Control/Music/F02/EFGH.mp3"_s, u"ipod_control/music/f02/efgh.mp3"_s, 1,
                                   u"Three"_s, u"Band"_s);
        QVERIFY(!m_files.contains(QString()));
        m_ipod.addTrack(u"/iPod_Control/Music/F03/GONE.mp3"_s, QString(), 1, u"Four"_s, u"Band"_s);
        m_ipod.addTrack(u"/../../etc/passwd"_s, QString(), 1, u"Five"_s, u"Band"_s);
        m_ipod.addTrack(u"/iPod_Control/Music/F03/A\nhttp://evil/x.mp3"_s, QString(), 1, u"Six"_s, u"Band"_s);
    }

    // Extended M3U, which every player reads: players show "Artist - Title"
    // and the length instead of the scrambled file names.
    void oneSongPerRowInListOrderWithItsNames()
    {
        const QByteArray content = m3uContent(m_ipod.library, { 2, 0, 1, 0 });
        const QByteArray expected = "#EXTM3U\n"
                                    "#EXTINF:-1,Band - Three\n"
            + m_files[2].toUtf8() + "\n#EXTINF:-1,Band - One\n" + m_files[0].toUtf8() + "\n#EXTINF:-1,Band - Two\n"
            + m_files[1].toUtf8() + "\n#EXTINF:-1,Band - One\n" + m_files[0].toUtf8() + '\n';
        QCOMPARE(content, expected);
    }

    void infoLinesHoldLengthAndOneLineNames_data()
    {
        QTest::addColumn<int>("lengthMs");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("rounded seconds") << 185499 << u"Björk"_s << u"Jóga"_s << QByteArray("#EXTINF:185,Björk - Jóga");
        QTest::newRow("half a second up") << 1500 << u"A"_s << u"B"_s << QByteArray("#EXTINF:2,A - B");
        QTest::newRow("no artist") << 60000 << QString() << u"Solo"_s << QByteArray("#EXTINF:60,Solo");
        QTest::newRow("no title: the file name")
            << 60000 << u"A"_s << QString() << QByteArray("#EXTINF:60,A - abcd"); // as the disk spells it
        QTest::newRow("line breaks in tags")
            << 60000 << u"A\r\nB"_s << u"x\ny\u2028z"_s << QByteArray("#EXTINF:60,A B - x y z");
    }
    void infoLinesHoldLengthAndOneLineNames()
    {
        QFETCH(int, lengthMs);
        QFETCH(QString, artist);
        QFETCH(QString, title);
        QFETCH(QByteArray, line);
        quaverly::database::Library library = m_ipod.library;
        library.Tracks[0].Length = lengthMs;
        library.Tracks[0].Artist = artist;
        library.Tracks[0].Title = title;
        const QList<QByteArray> lines = m3uContent(library, { 0 }).split('\n');
        QCOMPARE(lines.size(), 4); // header, info, path, the empty text after the last line end
        QCOMPARE(lines[1], line);
        QCOMPARE(lines[2], m_files[0].toUtf8());
    }

    void missingFilesKeepTheirLineUnsafePathsDoNot()
    {
        QList<QByteArray> lines = m3uContent(m_ipod.library, { 3, 4, 5, 0 }).split('\n');
        lines.removeIf([](const QByteArray& line) { return line.startsWith('#'); });
        QCOMPARE(lines.size(), 3); // two songs and the empty text after the last line end
        QCOMPARE(lines[0], m_ipod.root.filePath(u"ipod_control/music/F03/GONE.mp3"_s).toUtf8());
        QCOMPARE(lines[1], m_files[0].toUtf8());
    }

    void temporaryPlaylistsGoWithTheWriter()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QString first;
        {
            M3uWriter writer(folder.path());
            first = writer.writeTemporary("a\n");
            const QString second = writer.writeTemporary("b\n");
            QVERIFY(!first.isEmpty() && !second.isEmpty() && first != second);
            QVERIFY(QFileInfo(first).fileName().startsWith(u"iTunesDBTemp"_s));
            QVERIFY(first.endsWith(u".m3u"_s));
            QCOMPARE(contents(first), QByteArray("a\n"));
            QCOMPARE(writer.files().size(), 2);
        }
        QVERIFY(!QFile::exists(first));
        QVERIFY(filesBelow(folder.path()).isEmpty());
    }

    void playlistHoldsEveryRowWhateverIsSelected()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        M3uWriter writer(folder.path());
        std::vector<int> rows;
        rows.reserve(200);
        for (int i = 0; i < 200; ++i)
            rows.push_back(i % 3);
        QList<PlayerCommand> started;
        const auto start = [&](const PlayerCommand& command) {
            started.append(command);
            return true;
        };

        const OpenResult none = openAsPlaylist(writer, m_ipod.library, rows, {}, QString(), start);
        QCOMPARE(none.error, OpenError::NothingSelected);
        QVERIFY(started.isEmpty());
        QVERIFY(writer.files().isEmpty());

        const OpenResult result = openAsPlaylist(writer, m_ipod.library, rows, { 7 }, u"/opt/My Player/play"_s, start);
        QCOMPARE(result.error, OpenError::None);
        QCOMPARE(contents(result.file).count("\n/"), 200); // one path line per row
        QVERIFY(contents(result.file).startsWith("#EXTM3U\n"));
        QCOMPARE(started.size(), 1);
        QCOMPARE(started[0], (PlayerCommand { u"/opt/My Player/play"_s, { result.file } }));
    }

    void openHandsTheFirstSelectedSongOver()
    {
        QList<PlayerCommand> started;
        const auto start = [&](const PlayerCommand& command) {
            started.append(command);
            return false;
        };
        const std::vector<int> rows { 0, 1, 2 };
        QCOMPARE(openInPlayer(m_ipod.library, rows, {}, QString(), start).error, OpenError::NothingSelected);
        QVERIFY(started.isEmpty());

        const OpenResult result = openInPlayer(m_ipod.library, rows, { 1, 2 }, QString(), start);
        QCOMPARE(result.error, OpenError::PlayerNotStarted); // reported, not hidden
        QCOMPARE(started.size(), 1);
        QCOMPARE(started[0], (PlayerCommand { kDesktopOpener.toString(), { m_files[1] } }));
    }
};

QTEST_GUILESS_MAIN(tst_M3uWriter)
#include "tst_M3uWriter.moc"
