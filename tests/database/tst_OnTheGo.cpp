// On-The-Go playlists: the base file and its numbered followers, bad entries.
#include "database/Library.h"
#include "database/OnTheGo.h"
#include "tools/testwriter/ITunesDBWriter.h"

#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::database;
using namespace quaverly::tools;
using namespace Qt::StringLiterals;

namespace {

Library threeTracks()
{
    Library lib;
    for (const qint32 uin : { 70, 80, 90 }) {
        TrackRecord& t = lib.Tracks.emplace_back();
        t.UIN = uin;
    }
    lib.Playlists.emplace_back().Name = u":: Pod ::"_s;
    lib.buildTrackIndex();
    return lib;
}

} // namespace

class tst_OnTheGo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void entries_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<std::vector<qint32>>("uins");
        QTest::addColumn<std::vector<int>>("indexes");
        QTest::addColumn<bool>("error");
        QTest::newRow("no entries") << writeOTGPlaylistInfo({}) << std::vector<qint32> {} << std::vector<int> {}
                                    << false;
        QTest::newRow("indexes, not ids") << writeOTGPlaylistInfo({ 2, 0, 2 }) << std::vector<qint32> { 90, 70, 90 }
                                          << std::vector<int> { 2, 0, 2 } << false;
        QTest::newRow("index = track count stops the file")
            << writeOTGPlaylistInfo({ 1, 3, 0 }) << std::vector<qint32> { 80 } << std::vector<int> { 1 } << true;
        QTest::newRow("negative index") << writeOTGPlaylistInfo({ -1 }) << std::vector<qint32> {} << std::vector<int> {}
                                        << true;
        QTest::newRow("count beyond the file")
            << writeOTGPlaylistInfo({ 0, 1 }).left(24) << std::vector<qint32> { 70 } << std::vector<int> { 0 } << true;
        QTest::newRow("too short for a count")
            << QByteArray("mhpo") << std::vector<qint32> {} << std::vector<int> {} << true;
    }
    void entries()
    {
        QFETCH(QByteArray, file);
        QFETCH(std::vector<qint32>, uins);
        QFETCH(std::vector<int>, indexes);
        QFETCH(bool, error);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(writeFileBytes(dir.filePath(u"OTGPlaylistInfo"_s), file));
        Library lib = threeTracks();
        const OnTheGoReport report = LoadOnTheGo(lib, dir.path());
        QCOMPARE(report.playlistsAdded, 1);
        QCOMPARE(lib.PlaylistCount(), 2);
        const clsPlayList& otg = lib.Playlists.back();
        QCOMPARE(otg.Name, u"On-The-Go"_s);
        QCOMPARE(otg.UINList, uins);
        QCOMPARE(otg.IndexList, indexes);
        QCOMPARE(report.errors.size(), error ? 1 : 0);
        if (error)
            QVERIFY(report.errors.front().startsWith(u"Error in LoadOnTheGo: "_s));
    }

    void noFileAddsNothing()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Library lib = threeTracks();
        QCOMPARE(LoadOnTheGo(lib, dir.path()).playlistsAdded, 0);
        QCOMPARE(lib.PlaylistCount(), 1);
    }

    void numberedFilesUpToTheFirstGap()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(writeFileBytes(dir.filePath(u"OTGPlaylistInfo"_s), writeOTGPlaylistInfo({ 0 })));
        QVERIFY(writeFileBytes(dir.filePath(u"otgplaylistinfo_1"_s), writeOTGPlaylistInfo({ 5 }))); // bad entry
        QVERIFY(writeFileBytes(dir.filePath(u"OTGPlaylistInfo_2"_s), writeOTGPlaylistInfo({ 2, 1 })));
        QVERIFY(writeFileBytes(dir.filePath(u"OTGPlaylistInfo_4"_s), writeOTGPlaylistInfo({ 1 }))); // after the gap
        Library lib = threeTracks();
        const OnTheGoReport report = LoadOnTheGo(lib, dir.path());
        QCOMPARE(report.playlistsAdded, 3);
        QCOMPARE(report.errors.size(), 1);
        QCOMPARE(lib.PlaylistCount(), 4);
        QCOMPARE(lib.Playlists[1].UINList, std::vector<qint32> { 70 });
        QVERIFY(lib.Playlists[2].UINList.empty());
        QCOMPARE(lib.Playlists[3].IndexList, (std::vector<int> { 2, 1 }));
    }
};

QTEST_GUILESS_MAIN(tst_OnTheGo)
#include "tst_OnTheGo.moc"
