// Extraction when the world changes under it: the iPod unplugged between
// songs, the target disk full, the target turning read-only. Each run must
// end with every song accounted for (copied, or failed with its reason), no
// partial or temporary file on the target, and an extractor that still works.
#include "database/Library.h"
#include "export/FileCopier.h"
#include "export/SongExtractor.h"
#include "tests/hardening/ScratchMount.h"
#include "tests/media/SongFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly;
using exporting::ExtractError;

namespace {

constexpr qint64 kSongBytes = 300 * 1024;
constexpr int kSongs = 4;
const QString kTemplate = QStringLiteral("[artist]\\[track number] - [title]");

// An iPod folder with kSongs songs of kSongBytes each, and the library naming them.
struct Ipod
{
    QTemporaryDir dir;
    database::Library library;

    bool make()
    {
        library.iPodRoot = dir.path();
        for (int i = 0; i < kSongs; ++i) {
            database::TrackRecord& track = library.Tracks.emplace_back();
            track.UIN = 10 + i;
            track.Title = QStringLiteral("Song %1").arg(i);
            track.Artist = QStringLiteral("Band");
            track.TrackNumber = i + 1;
            track.Path = QStringLiteral("/iPod_Control/Music/F0%1/SONG%1.mp3").arg(i);
            track.FileSize = kSongBytes;
            const QString file = dir.path() + track.Path;
            QFile out(file);
            if (!QDir().mkpath(QFileInfo(file).path()) || !out.open(QIODevice::WriteOnly)
                || out.write(QByteArray(kSongBytes, char('a' + i))) != kSongBytes)
                return false;
        }
        library.buildTrackIndex();
        return true;
    }
    [[nodiscard]] std::vector<int> all() const { return { 0, 1, 2, 3 }; }
};

QStringList filesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    return files;
}

// Every song is either complete at its destination or listed as failed, and
// nothing else is on the target: no temporary file, no partial song.
void checkTarget(const exporting::ExtractPlan& plan, const exporting::ExtractReport& report)
{
    QCOMPARE(report.copied + int(report.failures.size()) + report.skipped, report.total);
    QStringList expected;
    for (const exporting::ExtractJob& job : plan.jobs) {
        const bool failed = std::any_of(report.failures.begin(), report.failures.end(),
                                        [&](const auto& f) { return f.trackIndex == job.trackIndex; });
        const QString path = plan.targetDir + QLatin1Char('/') + job.destination;
        if (!failed && !report.cancelled) {
            QCOMPARE(QFileInfo(path).size(), kSongBytes);
            expected.append(path);
        }
        if (failed)
            QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
    }
    for (const QString& file : filesBelow(plan.targetDir)) {
        QVERIFY2(!QFileInfo(file).fileName().startsWith(QLatin1String(exporting::FileCopier::kTempPrefix)),
                 qPrintable(file));
        QVERIFY2(expected.contains(file) || report.cancelled, qPrintable(file));
        QCOMPARE(QFileInfo(file).size(), kSongBytes);
    }
}

} // namespace

class tst_ExtractFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ipodUnpluggedBetweenSongs()
    {
        Ipod ipod;
        QVERIFY(ipod.make());
        QTemporaryDir target;
        QVERIFY(target.isValid());
        const exporting::SongExtractor extractor(ipod.library);
        const exporting::ExtractPlan plan = extractor.makePlan(ipod.all(), target.path(), kTemplate);
        QCOMPARE(int(plan.jobs.size()), kSongs);
        bool unplugged = false;
        const auto report = exporting::SongExtractor::run(plan, [&](const exporting::ExtractProgress& progress) {
            if (progress.songsDone == 2 && !unplugged)
                unplugged = QDir(ipod.dir.path() + QStringLiteral("/iPod_Control")).removeRecursively();
            return true;
        });
        QVERIFY(unplugged);
        QCOMPARE(report.copied, 2);
        QCOMPARE(int(report.failures.size()), 2);
        for (const auto& failure : report.failures) {
            QVERIFY(failure.error == ExtractError::SourceMissing || failure.error == ExtractError::SourceUnreadable);
            QVERIFY(!exporting::describeError(failure.error, failure.systemError).isEmpty());
        }
        checkTarget(plan, report);
        QVERIFY(!QTest::currentTestFailed());
        // The iPod is back: the same extractor finishes the job.
        QVERIFY(ipod.make());
        const auto again = extractor.extract(ipod.all(), target.path(), kTemplate);
        QVERIFY(again.allCopied());
    }

    void targetDiskFull()
    {
        Ipod ipod;
        QVERIFY(ipod.make());
        QTemporaryDir scratch;
        const QString target = scratch.path() + QStringLiteral("/small");
        // Room for two songs and a half: the third copy fails part-way.
        const hardening::ScratchMount mount(target, int(kSongBytes * 5 / 2 / 1024));
        if (!mount.isMounted())
            QSKIP("a size-limited mount needs root and a kernel that allows tmpfs mounts");
        const exporting::SongExtractor extractor(ipod.library);
        const exporting::ExtractPlan plan = extractor.makePlan(ipod.all(), target, kTemplate);
        const auto report = exporting::SongExtractor::run(plan);
        QCOMPARE(report.copied, 2);
        QVERIFY(!report.failures.empty());
        QCOMPARE(report.failures.front().error, ExtractError::DiskFull);
        checkTarget(plan, report);
        QVERIFY(!QTest::currentTestFailed());
    }

    void targetTurnsReadOnly()
    {
        Ipod ipod;
        QVERIFY(ipod.make());
        QTemporaryDir scratch;
        const QString target = scratch.path() + QStringLiteral("/stick");
        const hardening::ScratchMount mount(target, 8 * 1024);
        if (!mount.isMounted())
            QSKIP("a remountable file system needs root and a kernel that allows tmpfs mounts");
        const exporting::SongExtractor extractor(ipod.library);
        const exporting::ExtractPlan plan = extractor.makePlan(ipod.all(), target, kTemplate);
        bool readOnly = false;
        const auto report = exporting::SongExtractor::run(plan, [&](const exporting::ExtractProgress& progress) {
            if (progress.songsDone == 1 && !readOnly)
                readOnly = mount.makeReadOnly();
            return true;
        });
        QVERIFY(readOnly);
        QCOMPARE(report.copied, 1);
        QCOMPARE(int(report.failures.size()), kSongs - 1);
        for (const auto& failure : report.failures) {
            QVERIFY2(failure.error == ExtractError::TargetNotWritable || failure.error == ExtractError::FolderNotCreated
                         || failure.error == ExtractError::CopyFailed,
                     qPrintable(exporting::describeError(failure.error, failure.systemError)));
        }
        checkTarget(plan, report);
        QVERIFY(!QTest::currentTestFailed());
    }

    // The target is off the iPod, but a folder the template names in it is a
    // link back into the iPod: the songs there are refused, the iPod untouched.
    void aLinkInTheTargetBackIntoTheIpod()
    {
        Ipod ipod;
        QVERIFY(ipod.make());
        QTemporaryDir target;
        QVERIFY(QFile::link(ipod.dir.path() + QStringLiteral("/iPod_Control/Music/F00"),
                            target.filePath(QStringLiteral("Band"))));
        const QByteArray song0 = [&] {
            QFile file(ipod.dir.path() + ipod.library.Tracks[0].Path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        const exporting::SongExtractor extractor(ipod.library);
        const exporting::ExtractPlan plan = extractor.makePlan(ipod.all(), target.path(), kTemplate);
        const auto report = exporting::SongExtractor::run(plan);
        QCOMPARE(report.copied, 0);
        QCOMPARE(int(report.failures.size()), kSongs);
        for (const auto& failure : report.failures)
            QCOMPARE(failure.error, ExtractError::TargetInsideIpod);
        QCOMPARE(
            QDir(ipod.dir.path() + QStringLiteral("/iPod_Control/Music/F00")).entryList(QDir::Files | QDir::Hidden),
            QStringList { QStringLiteral("SONG0.mp3") });
        QFile file(ipod.dir.path() + ipod.library.Tracks[0].Path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), song0);
    }

    void cancelledInsideASong()
    {
        Ipod ipod;
        QVERIFY(ipod.make());
        QTemporaryDir target;
        const exporting::SongExtractor extractor(ipod.library);
        const exporting::ExtractPlan plan = extractor.makePlan(ipod.all(), target.path(), kTemplate);
        // Stop once the second song has started to flow.
        const auto report = exporting::SongExtractor::run(plan, [&](const exporting::ExtractProgress& progress) {
            return !(progress.songsDone == 1 && progress.bytesDone > kSongBytes);
        });
        QVERIFY(report.cancelled);
        QCOMPARE(report.copied, 1);
        const QStringList left = filesBelow(target.path());
        QCOMPARE(left.size(), 1);
        QCOMPARE(QFileInfo(left.front()).size(), kSongBytes);
    }

    void tagsAndCoversFromAReadOnlyIpod()
    {
        // The songs are only read: from an iPod mounted read-only the copies
        // still get their tags and the album folder its cover.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        hardening::ScratchMount mount(dir.filePath(QStringLiteral("ipod")), 1024);
        if (!mount.isMounted())
            QSKIP("needs root and a kernel that lets tests mount a tmpfs");
        database::Library library;
        library.iPodRoot = dir.filePath(QStringLiteral("ipod"));
        for (int i = 0; i < 2; ++i) {
            database::TrackRecord& track = library.Tracks.emplace_back();
            track.Title = QStringLiteral("Song %1").arg(i);
            track.Artist = QStringLiteral("Band");
            track.Album = QStringLiteral("LP");
            track.Path = QStringLiteral("/iPod_Control/Music/F00/S%1.mp3").arg(i);
            const QString file = library.iPodRoot + track.Path;
            QVERIFY(QDir().mkpath(QFileInfo(file).path()));
            QVERIFY(media::test::writeBytes(file, media::test::mp3Bytes()));
        }
        QVERIFY(media::test::addPicture(library.iPodRoot + library.Tracks[1].Path, QStringLiteral("mp3"),
                                        media::test::fakeJpeg(), "image/jpeg"));
        QVERIFY(mount.makeReadOnly());
        QTemporaryDir target;
        exporting::ExtractOptions options;
        options.writeTags = true;
        options.writeCovers = true;
        const exporting::ExtractReport report = exporting::SongExtractor::run(
            exporting::SongExtractor(library).makePlan({ 0, 1 }, target.path(), QStringLiteral("[album]/[title]"),
                                                       options));
        QVERIFY(report.allCopied());
        QCOMPARE(report.tagged, 2);
        QCOMPARE(report.covers.written, 1);
        QFile cover(target.filePath(QStringLiteral("LP/cover.jpg")));
        QVERIFY(cover.open(QIODevice::ReadOnly));
        QCOMPARE(cover.readAll(), media::test::fakeJpeg());
    }
};

QTEST_GUILESS_MAIN(tst_ExtractFaults)
#include "tst_ExtractFaults.moc"
