#include "FakeIpod.h"
#include "database/LibraryLoader.h"
#include "export/ExtractCore.h"
#include "export/SongExtractor.h"

#include <QTest>

#include <unistd.h>

using namespace quaverly::exporting;
using namespace quaverly::exporting::test;
using namespace Qt::StringLiterals;

namespace {

const QString kTemplate = kDefaultTemplate.toString();

} // namespace

class tst_SongExtractor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void copiesEverySongByteForByte()
    {
        FakeIpod ipod;
        QVERIFY(ipod.root.isValid());
        // The database spells folders as iTunes does; the disk may not.
        const QString a = ipod.addTrack(u"/iPod_Control/Music/F00/ABCD.mp3"_s, u"ipod_control/music/f00/abcd.mp3"_s,
                                        300'000, u"Hells Bells"_s, u"AC/DC"_s, u"Back in Black"_s, u"Rock"_s, 6);
        const QString b = ipod.addTrack(u"/iPod_Control/Music/F01/EFGH.m4a"_s, u"ipod_control/music/f01/EFGH.m4a"_s,
                                        9 * 1024 * 1024 + 17, u"さくら"_s, u"森山直太朗"_s, u"さくら"_s, u"J-Pop"_s, 1);
        const QString c = ipod.addTrack(u"/iPod_Control/Music/F01/IJKL"_s, u"ipod_control/music/f01/ijkl"_s, 0,
                                        u"Silence"_s, QString());
        QVERIFY(!a.isEmpty() && !b.isEmpty() && !c.isEmpty());
        QTemporaryDir target;
        QVERIFY(target.isValid());

        ExtractProgress last;
        bool monotonic = true;
        const ExtractReport report = SongExtractor(ipod.library)
                                         .extract({ 0, 1, 2 }, target.path(), kTemplate,
                                                  [&](const ExtractProgress& progress) {
                                                      monotonic = monotonic && progress.bytesDone >= last.bytesDone
                                                          && progress.songsDone >= last.songsDone;
                                                      last = progress;
                                                      return true;
                                                  });

        QCOMPARE(last.songsDone, 3);
        QCOMPARE(last.bytesDone, last.bytesTotal);
        QVERIFY(monotonic);
        QCOMPARE(report.total, 3);
        QCOMPARE(report.copied, 3);
        QVERIFY(report.allCopied());
        QVERIFY(report.failures.empty());
        QCOMPARE(report.bytesCopied, 300'000 + 9 * 1024 * 1024 + 17);
        const QStringList expected { u"J-Pop/森山直太朗/さくら/01 - さくら.m4a"_s,
                                     u"Rock/ACDC/Back in Black/06 - Hells Bells.mp3"_s,
                                     u"Unknown Genre/Unknown Artist/Unknown Album/00 - Silence.dat"_s };
        QCOMPARE(filesBelow(target.path()), expected);
        QCOMPARE(contents(target.filePath(expected[0])), contents(b));
        QCOMPARE(contents(target.filePath(expected[1])), contents(a));
        QCOMPARE(QFileInfo(target.filePath(expected[2])).size(), 0);
    }

    void sameNamesGetNumbersAndFoldersMergeByCase()
    {
        FakeIpod ipod;
        QVERIFY(ipod.root.isValid());
        QStringList sources;
        sources << ipod.addTrack(u"/M/F00/A.mp3"_s, u"M/F00/A.mp3"_s, 10, u"Song"_s, u"ACDC"_s, u"LP"_s, u"Rock"_s, 1);
        sources << ipod.addTrack(u"/M/F00/B.mp3"_s, u"M/F00/B.mp3"_s, 20, u"Song"_s, u"ACDC"_s, u"LP"_s, u"Rock"_s, 1);
        sources << ipod.addTrack(u"/M/F00/C.mp3"_s, u"M/F00/C.mp3"_s, 30, u"Song!"_s, u"AcDc"_s, u"LP"_s, u"rock"_s, 1);
        sources << ipod.addTrack(u"/M/F00/D.m4a"_s, u"M/F00/D.m4a"_s, 40, u"Song"_s, u"ACDC"_s, u"LP"_s, u"Rock"_s, 1);
        QVERIFY(!sources.contains(QString()));
        QTemporaryDir target;
        QVERIFY(target.isValid());
        // A file already there (an earlier run's, or the user's own) is kept: the songs number around it.
        QVERIFY(QDir().mkpath(target.filePath(u"Rock/ACDC/LP"_s)));
        QFile old(target.filePath(u"Rock/ACDC/LP/01 - Song.mp3"_s));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("earlier run") > 0);
        old.close();

        const SongExtractor extractor(ipod.library);
        const ExtractPlan plan = extractor.makePlan({ 0, 1, 2, 3 }, target.path() + u"/"_s, kTemplate);
        QCOMPARE(plan.targetDir, target.path());
        const QStringList names { u"Rock/ACDC/LP/01 - Song (2).mp3"_s, u"Rock/ACDC/LP/01 - Song (3).mp3"_s,
                                  u"Rock/ACDC/LP/01 - Song (4).mp3"_s, u"Rock/ACDC/LP/01 - Song.m4a"_s };
        QCOMPARE(plan.jobs.size(), size_t(4));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(plan.jobs[size_t(i)].destination, names[i]);
        QCOMPARE(plan.totalBytes, 100);

        const ExtractReport report = SongExtractor::run(plan);
        QCOMPARE(report.copied, 4);
        QCOMPARE(filesBelow(target.path()).size(), 5);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(contents(target.filePath(names[i])), contents(sources[i]));
        QCOMPARE(contents(target.filePath(u"Rock/ACDC/LP/01 - Song.mp3"_s)), QByteArray("earlier run"));
    }

    void failuresAreListedAndTheRestIsCopied()
    {
        FakeIpod ipod;
        QVERIFY(ipod.root.isValid());
        // The library's root is a folder inside the temporary one, so a path
        // climbing out of it finds a real file it must not copy.
        ipod.library.iPodRoot = ipod.root.filePath(u"ipod"_s);
        QVERIFY(!ipod.addTrack(u"/F00/A.mp3"_s, u"ipod/F00/A.mp3"_s, 10, u"Good"_s, u"Band"_s).isEmpty());
        ipod.addTrack(u"/F00/GONE.mp3"_s, QString(), 10, u"Gone"_s, u"Band"_s);
        QVERIFY(!ipod.addTrack(u"/../secret.mp3"_s, u"secret.mp3"_s, 10, u"Secret"_s, u"Band"_s).isEmpty());
        QTemporaryDir target;
        QVERIFY(target.isValid());

        const ExtractReport report = SongExtractor(ipod.library)
                                         .extract({ 0, 1, 2, 99, -1 }, target.path(), u"[title]"_s);

        QCOMPARE(report.total, 5);
        QCOMPARE(report.copied, 1);
        QVERIFY(!report.allCopied());
        QVERIFY(!report.cancelled);
        QCOMPARE(report.skipped, 0);
        QCOMPARE(report.failures.size(), size_t(4));
        QCOMPARE(report.failures[0].trackIndex, 1);
        QCOMPARE(report.failures[0].song, u"Band - Gone"_s);
        QCOMPARE(report.failures[0].error, ExtractError::SourceMissing);
        QCOMPARE(report.failures[1].trackIndex, 2);
        QCOMPARE(report.failures[1].error, ExtractError::SourceMissing);
        QCOMPARE(report.failures[2].error, ExtractError::InvalidTrack);
        QCOMPARE(report.failures[3].trackIndex, -1);
        const QStringList lines = failureLines(report);
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith(u"Band - Gone: "_s));
        QCOMPARE(filesBelow(target.path()), QStringList { u"Good.mp3"_s });
    }

    void blockedFolderFailsThoseSongsOnly()
    {
        FakeIpod ipod;
        QVERIFY(ipod.root.isValid());
        QVERIFY(!ipod.addTrack(u"/F00/A.mp3"_s, u"F00/A.mp3"_s, 1000, u"One"_s, u"Band"_s, {}, u"Rock"_s).isEmpty());
        QVERIFY(!ipod.addTrack(u"/F00/B.mp3"_s, u"F00/B.mp3"_s, 1000, u"Two"_s, u"Band"_s, {}, u"Jazz"_s).isEmpty());
        QTemporaryDir target;
        QVERIFY(target.isValid());
        QFile blocker(target.filePath(u"Rock"_s)); // a file where the genre folder should go
        QVERIFY(blocker.open(QIODevice::WriteOnly) && blocker.write("keep") == 4);
        blocker.close();

        const ExtractReport report = SongExtractor(ipod.library)
                                         .extract({ 0, 1 }, target.path(), u"[genre]\\[title]"_s);

        QCOMPARE(report.copied, 1);
        QCOMPARE(report.failures.size(), size_t(1));
        QCOMPARE(report.failures[0].error, ExtractError::FolderNotCreated);
        QCOMPARE(report.failures[0].destination, u"Rock/One.mp3"_s);
        QVERIFY(report.failures[0].systemError != 0);
        QCOMPARE(filesBelow(target.path()), (QStringList { u"Jazz/Two.mp3"_s, u"Rock"_s }));
        QCOMPARE(contents(target.filePath(u"Rock"_s)), QByteArray("keep"));
    }

    void readOnlyTargetFailsEverySongAndLeavesNothing()
    {
        if (::geteuid() == 0)
            QSKIP("permissions do not bind the superuser");
        FakeIpod ipod;
        QVERIFY(ipod.root.isValid());
        QVERIFY(!ipod.addTrack(u"/F00/A.mp3"_s, u"F00/A.mp3"_s, 1000, u"One"_s, u"Band"_s).isEmpty());
        QVERIFY(!ipod.addTrack(u"/F00/B.mp3"_s, u"F00/B.mp3"_s, 1000, u"Two"_s, u"Band"_s).isEmpty());
        QTemporaryDir target;
        QVERIFY(target.isValid());
        QVERIFY(QFile::setPermissions(target.path(), QFile::ReadOwner | QFile::ExeOwner));

        const ExtractReport report = SongExtractor(ipod.library).extract({ 0, 1 }, target.path(), u"[title]"_s);
        QVERIFY(QFile::setPermissions(target.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        QCOMPARE(report.copied, 0);
        QCOMPARE(report.failures.size(), size_t(2));
        QCOMPARE(report.failures[0].error, ExtractError::TargetNotWritable);
        QVERIFY(filesBelow(target.path()).isEmpty());
    }

    void cancelBetweenSongsKeepsWhatWasCopied()
    {
        FakeIpod ipod;
        QVERIFY(ipod.root.isValid());
        for (int i = 0; i < 5; ++i) {
            const QString path = u"/F00/S%1.mp3"_s.arg(i);
            QVERIFY(!ipod.addTrack(path, path.mid(1), 5000, u"Song %1"_s.arg(i), u"Band"_s).isEmpty());
        }
        QTemporaryDir target;
        QVERIFY(target.isValid());
        QList<ExtractProgress> seen;
        const ExtractReport report = SongExtractor(ipod.library)
                                         .extract({ 0, 1, 2, 3, 4 }, target.path(), u"[title]"_s,
                                                  [&](const ExtractProgress& progress) {
                                                      seen.append(progress);
                                                      return progress.songsDone < 2;
                                                  });

        QVERIFY(report.cancelled);
        QCOMPARE(report.copied, 2);
        QCOMPARE(report.skipped, 3);
        QVERIFY(report.failures.empty());
        QCOMPARE(filesBelow(target.path()), (QStringList { u"Song 0.mp3"_s, u"Song 1.mp3"_s }));
        QCOMPARE(seen.last().currentSong, u"Band - Song 2"_s);
        QCOMPARE(seen.last().bytesDone, 10'000);
    }

    void cancelInsideAFileLeavesNoPartAndKeepsTheOldFile()
    {
        FakeIpod ipod;
        QVERIFY(ipod.root.isValid());
        QVERIFY(!ipod.addTrack(u"/F00/BIG.mp3"_s, u"F00/BIG.mp3"_s, 20 * 1024 * 1024, u"Big"_s, u"Band"_s).isEmpty());
        QTemporaryDir target;
        QVERIFY(target.isValid());
        QFile old(target.filePath(u"Big.mp3"_s));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("earlier run") > 0);
        old.close();

        const ExtractReport report = SongExtractor(ipod.library)
                                         .extract(
                                             { 0 }, target.path(), u"[title]"_s,
                                             [](const ExtractProgress& progress) { return progress.bytesDone == 0; });

        QVERIFY(report.cancelled);
        QCOMPARE(report.copied, 0);
        QCOMPARE(report.skipped, 1);
        QCOMPARE(filesBelow(target.path()), QStringList { u"Big.mp3"_s });
        QCOMPARE(contents(target.filePath(u"Big.mp3"_s)), QByteArray("earlier run"));
    }

    void extractsRealDatabases_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("tracks");
        QTest::newRow("iTunes 4.5, colon paths") << u"itunes45-mac-german-1track"_s << 1;
        QTest::newRow("gtkpod podcasts, dashes and quotes") << u"shuffle-gtkpod-libgpod08-podcasts"_s << 23;
        QTest::newRow("350 tracks") << u"clickwheel-hash58-v19-350tracks"_s << 350;
    }
    void extractsRealDatabases()
    {
        QFETCH(QString, folder);
        QFETCH(int, tracks);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString db = QStringLiteral(QUAVERLY_TESTDATA "/real/") + folder + u"/iTunesDB"_s;
        quaverly::database::LoadResult loaded = quaverly::database::LoadiTunesDB(db, root.path());
        QCOMPARE(loaded.error, quaverly::database::LoadError::None);
        QCOMPARE(loaded.library.TrackCount(), tracks);
        // Put a small file, holding its own path, wherever the database says a song is.
        quaverly::database::Library& library = loaded.library;
        library.iPodRoot = root.path();
        std::vector<int> all;
        for (int i = 0; i < tracks; ++i) {
            const QString path = library.Tracks[size_t(i)].Path;
            const QString file = root.path() + path;
            QVERIFY2(QDir().mkpath(QFileInfo(file).path()), qPrintable(path));
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(path.toUtf8());
            all.push_back(i);
        }
        QTemporaryDir target;
        QVERIFY(target.isValid());

        const SongExtractor extractor(library);
        const ExtractPlan plan = extractor.makePlan(all, target.path(), kTemplate);
        const ExtractReport report = SongExtractor::run(plan);

        QCOMPARE(report.copied, tracks);
        QSet<QString> seen;
        for (const ExtractJob& job : plan.jobs) {
            QVERIFY(!seen.contains(job.destination.toCaseFolded()));
            seen.insert(job.destination.toCaseFolded());
            const QStringList parts = job.destination.split(u'/');
            QCOMPARE(parts.size(), 4); // genre, artist, album, file
            for (const QString& part : parts) {
                QVERIFY2(!part.isEmpty() && !part.startsWith(u'.') && !part.endsWith(u' '),
                         qPrintable(job.destination));
                QVERIFY(part.toUtf8().size() <= kMaxNameBytes);
            }
            QCOMPARE(contents(target.filePath(job.destination)), library.Tracks[size_t(job.trackIndex)].Path.toUtf8());
        }
    }
};

QTEST_GUILESS_MAIN(tst_SongExtractor)
#include "tst_SongExtractor.moc"
