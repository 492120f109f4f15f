// quaverly-cli against a hostile or unlucky iPod, run as a user would run it:
// links out of the iPod, FIFOs, files already in the target, a target on the
// iPod, killed copies, programs updating Play Counts at once, damaged
// databases and names that are not UTF-8. Everything happens in one temporary
// folder: "ipod" is the iPod, "outside" stands for the rest of the computer,
// "target" is where songs are copied to.
#include "tests/common/CliRun.h"
#include "tests/common/TestFiles.h"
#include "tools/demoipod/WavTone.h"
#include "tools/testwriter/ITunesDBWriter.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/file.h>
#include <sys/stat.h>

using namespace quaverly;
using namespace quaverly::test;
using namespace Qt::StringLiterals;

namespace {

// Whether process `pid` has `path` open.
bool holdsOpen(qint64 pid, const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    const QString fds = u"/proc/%1/fd"_s.arg(pid);
    for (const QString& fd : QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFileInfo(fds + u'/' + fd).symLinkTarget() == target)
            return true;
    }
    return false;
}

const QString kCli = QStringLiteral(QUAVERLY_BIN_DIR "/quaverly-cli");

struct Song
{
    const char16_t* title;
    const char16_t* artist;
    const char16_t* location;
    double toneHz;
};

// Track 3 claims a file beside the iPod (a relative location, which a player
// given it unresolved would look up from its working folder); tracks 1 and 4
// are duplicates.
constexpr Song kSongs[] = {
    { u"One", u"Band", u":iPod_Control:Music:F00:AAAA.wav", 440 },
    { u"Two", u"Band", u":iPod_Control:Music:F01:BBBB.wav", 494 },
    { u"Three", u"Band", u":iPod_Control:Music:F02:CCCC.wav", 523 },
    { u"Escape", u"Runaway", u"iPod_Control:Music:..:..:..:outside:escape.wav", 587 },
    { u"Two", u"Band", u":iPod_Control:Music:F03:DDDD.wav", 659 },
};
constexpr int kSongCount = 5;

struct Ipod
{
    QTemporaryDir tmp;
    QString root, outside, target;

    /// The iPod with its database, 16-byte Play Counts and song files of
    /// `songBytes` bytes each (0: short playable tones), and a file outside
    /// at the place track 3 names.
    bool make(qint64 songBytes = 0)
    {
        if (!tmp.isValid())
            return false;
        root = tmp.filePath(u"ipod"_s);
        outside = tmp.filePath(u"outside"_s);
        target = tmp.filePath(u"target"_s);
        tools::WriterDatabase db;
        tools::WriterPlaylist master { u"Hostile iPod"_s, 1, false, {} };
        for (int i = 0; i < kSongCount; ++i) {
            tools::WriterTrack track;
            track.uin = 100 + i;
            track.title = QString::fromUtf16(kSongs[i].title);
            track.artist = QString::fromUtf16(kSongs[i].artist);
            track.album = u"LP"_s;
            track.location = QString::fromUtf16(kSongs[i].location);
            track.fileType = u"WAV audio file"_s;
            db.tracks.push_back(track);
            master.members.push_back({ track.uin, {} });
            const QByteArray bytes = songBytes > 0 ? QByteArray(songBytes, char('a' + i))
                                                   : tools::makeWavTone(kSongs[i].toneHz, 300);
            if (!writeFile(songPath(i), bytes))
                return false;
        }
        db.playlists.push_back(master);
        return tools::writeFileBytes(root + u"/iPod_Control/iTunes/iTunesDB"_s, tools::writeITunesDB(db))
            && tools::writeFileBytes(playCounts(), tools::writePlayCounts(16, std::vector<tools::PlayCountEntry>(5)))
            && QDir().mkpath(target) && writeFile(outside + u"/notes.txt"_s, "the user's own notes");
    }

    [[nodiscard]] QString songPath(int i) const
    {
        QString location = QString::fromUtf16(kSongs[i].location);
        location.replace(u':', u'/');
        return QDir::cleanPath(root + u'/' + location);
    }
    [[nodiscard]] QString playCounts() const { return root + u"/iPod_Control/iTunes/Play Counts"_s; }
    [[nodiscard]] quint32 playCount(int i) const
    {
        const QByteArray bytes = readAll(playCounts());
        return bytes.size() >= 96 + 16 * (i + 1) ? qFromLittleEndian<quint32>(bytes.constData() + 96 + 16 * i) : 0;
    }
    /// Replaces `relative` (under the root) by a link to `to`.
    [[nodiscard]] bool linkOut(const QString& relative, const QString& to) const
    {
        const QString path = root + u'/' + relative;
        const QFileInfo info(path);
        if ((info.isDir() && !info.isSymLink() && !QDir(path).removeRecursively())
            || ((info.isFile() || info.isSymLink()) && !QFile::remove(path)))
            return false;
        return QDir().mkpath(info.absolutePath()) && QFile::link(to, path);
    }
};

/// Every file below `folder` (links not followed) with a digest of its bytes.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString name = QDir(folder).relativeFilePath(path);
        if (info.isSymLink())
            files.insert(name, "-> " + QFile::encodeName(info.symLinkTarget()));
        else if (info.isFile())
            files.insert(name, QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha1));
        else
            files.insert(name, "folder");
    }
    return files;
}

QStringList partialFilesBelow(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, { u".quaverly-*.part"_s }, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next());
    found.sort();
    return found;
}

/// Runs quaverly-cli in the folder `workingDir`.
CliRun runCliIn(const QString& workingDir, const QStringList& arguments)
{
    QProcess process;
    process.setWorkingDirectory(workingDir);
    process.start(kCli, arguments);
    CliRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

/// Runs quaverly-cli through the shell, so that arguments can hold bytes
/// that are not UTF-8: `script` sees the program as $0 and the folder as $1.
CliRun runThroughShell(const QString& script, const QString& folder)
{
    QProcess process;
    process.start(u"/bin/sh"_s, { u"-c"_s, script, kCli, folder });
    CliRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class tst_HostileIpod : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(QFileInfo(kCli).isExecutable()); }

    void extractKeepsFilesAlreadyThere()
    {
        Ipod ipod;
        QVERIFY(ipod.make());
        QVERIFY(writeFile(ipod.target + u"/One.wav"_s, "my own recording"));
        QVERIFY(QFile::link(ipod.outside + u"/notes.txt"_s, ipod.target + u"/Three.wav"_s));
        const QStringList args { u"extract"_s,    ipod.root,    u"--to"_s,     ipod.target,
                                 u"--template"_s, u"[title]"_s, u"--artist"_s, u"Band"_s };
        const CliRun run = runCli(args);
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains("Copied 4 of 4"), run.out.constData());
        QCOMPARE(readAll(ipod.target + u"/One.wav"_s), QByteArray("my own recording"));
        QCOMPARE(readAll(ipod.target + u"/One (2).wav"_s), readAll(ipod.songPath(0)));
        QCOMPARE(readAll(ipod.target + u"/Three (2).wav"_s), readAll(ipod.songPath(2)));
        QCOMPARE(readAll(ipod.outside + u"/notes.txt"_s), QByteArray("the user's own notes"));
        // Both songs called "Two" are there.
        QCOMPARE(readAll(ipod.target + u"/Two.wav"_s), readAll(ipod.songPath(1)));
        QCOMPARE(readAll(ipod.target + u"/Two (2).wav"_s), readAll(ipod.songPath(4)));
    }

    void extractRefusesAFolderOnTheIpod_data()
    {
        QTest::addColumn<QString>("to"); // "@" is the iPod root, "~" a link to it beside the iPod
        QTest::addColumn<QString>("nameTemplate");
        QTest::newRow("the Music folder") << u"@/iPod_Control/Music"_s << u"F00/[title]"_s;
        QTest::newRow("the iPod itself") << u"@"_s << u"[title]"_s;
        QTest::newRow("a new folder on the iPod") << u"@/Copies/new"_s << u"[title]"_s;
        QTest::newRow("a link to the iPod") << u"~/iPod_Control/Music/F00"_s << u"[title]"_s;
    }
    void extractRefusesAFolderOnTheIpod()
    {
        QFETCH(QString, to);
        QFETCH(QString, nameTemplate);
        Ipod ipod;
        QVERIFY(ipod.make());
        QVERIFY(QFile::link(ipod.root, ipod.tmp.filePath(u"ipod-link"_s)));
        to.replace(u"@"_s, ipod.root).replace(u"~"_s, ipod.tmp.filePath(u"ipod-link"_s));
        const auto before = snapshot(ipod.root);
        for (const QString& dryRun : { u"--dry-run"_s, QString() }) {
            QStringList args { u"extract"_s, ipod.root, u"--to"_s, to, u"--template"_s, nameTemplate };
            if (!dryRun.isEmpty())
                args << dryRun;
            const CliRun run = runCli(args);
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.contains("is on the iPod"), run.err.constData());
            QCOMPARE(snapshot(ipod.root), before);
        }
    }

    void killedCopiesLeaveNoPartialFiles()
    {
        Ipod ipod;
        QVERIFY(ipod.make(4 << 20)); // songs large enough to be caught half-copied now and then
        const QStringList args { u"extract"_s,    ipod.root,    u"--to"_s,     ipod.target,
                                 u"--template"_s, u"[title]"_s, u"--artist"_s, u"Band"_s };
        int caught = 0;
        for (int attempt = 0; attempt < 8 && caught < 3; ++attempt) {
            QProcess run;
            run.start(kCli, args);
            QVERIFY(run.waitForStarted());
            QElapsedTimer waited;
            waited.start();
            while (partialFilesBelow(ipod.target).isEmpty() && !run.waitForFinished(1) && waited.elapsed() < 10000) { }
            run.kill(); // SIGKILL: no handler, no clean-up
            QVERIFY(run.waitForFinished(10000));
            caught += partialFilesBelow(ipod.target).isEmpty() ? 0 : 1;
        }
        qInfo("%d of the killed runs left a partial file", caught);
        // Always one left by "an earlier run", and one that a copy running now holds.
        QVERIFY(writeFile(ipod.target + u"/.quaverly-0123abcd.part"_s, "half a song"));
        QVERIFY(writeFile(ipod.target + u"/.quaverly-beef.part"_s, "being copied"));
        QFile running(ipod.target + u"/.quaverly-beef.part"_s);
        QVERIFY(running.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(running.handle(), LOCK_EX | LOCK_NB), 0);
        QVERIFY(writeFile(ipod.target + u"/.quaverly-notes.part"_s, "not one of ours"));

        const CliRun last = runCli(args);
        QCOMPARE(last.status, 0);
        QCOMPARE(partialFilesBelow(ipod.target),
                 (QStringList { ipod.target + u"/.quaverly-beef.part"_s, ipod.target + u"/.quaverly-notes.part"_s }));
        QCOMPARE(readAll(ipod.target + u"/.quaverly-notes.part"_s), QByteArray("not one of ours"));
        for (const QString& name : QDir(ipod.target).entryList(QDir::Files))
            QCOMPARE(QFileInfo(ipod.target + u'/' + name).size(), qint64(4 << 20)); // every copy complete
    }

    void countPlayAndRateTakeTurns()
    {
        Ipod ipod;
        QVERIFY(ipod.make());
        constexpr int kRounds = 5;
        constexpr int kAtOnce = 4;
        for (int round = 0; round < kRounds; ++round) {
            std::vector<std::unique_ptr<QProcess>> runs;
            for (int i = 0; i < kAtOnce; ++i) {
                runs.push_back(std::make_unique<QProcess>());
                runs.back()->start(kCli, { u"count-play"_s, ipod.root, u"1"_s });
            }
            for (const auto& run : runs) {
                QVERIFY(run->waitForFinished(60000));
                QCOMPARE(run->exitCode(), 0);
            }
        }
        QCOMPARE(ipod.playCount(1), quint32(kRounds * kAtOnce));

        // A program holding the lock: count-play waits for it, then counts.
        QFile holder(ipod.playCounts());
        QVERIFY(holder.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(holder.handle(), LOCK_EX | LOCK_NB), 0);
        QProcess waiting;
        waiting.start(kCli, { u"count-play"_s, ipod.root, u"1"_s });
        QVERIFY(waiting.waitForStarted());
        // It has come as far as the lock once it holds the file open.
        QTRY_VERIFY_WITH_TIMEOUT(
            holdsOpen(waiting.processId(), ipod.playCounts()) || waiting.state() != QProcess::Running, 30000);
        // Kept bounded: nothing marks "still waiting"; a run that ignored the lock would end by then.
        QVERIFY(!waiting.waitForFinished(1500));
        holder.close();
        QVERIFY(waiting.waitForFinished(30000));
        QCOMPARE(waiting.exitCode(), 0);
        QCOMPARE(ipod.playCount(1), quint32(kRounds * kAtOnce + 1));

        // A lock that is never given back: said so, nothing written.
        QVERIFY(holder.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(holder.handle(), LOCK_EX | LOCK_NB), 0);
        const QByteArray before = readAll(ipod.playCounts());
        const CliRun rate = runCli({ u"rate"_s, ipod.root, u"1"_s, u"4"_s });
        QCOMPARE(rate.status, 1);
        QVERIFY2(rate.err.contains("locked"), rate.err.constData());
        QCOMPARE(readAll(ipod.playCounts()), before);
    }

    void playNeverLeavesTheIpod_data()
    {
        QTest::addColumn<int>("track");
        QTest::addColumn<QString>("link"); // relative to the root, made to point at the playable file outside
        QTest::newRow("a location with ..") << 3 << QString();
        QTest::newRow("a song linked out") << 1 << u"iPod_Control/Music/F01/BBBB.wav"_s;
        QTest::newRow("a Music folder linked out") << 2 << u"iPod_Control/Music/F02"_s;
    }
    void playNeverLeavesTheIpod()
    {
        QFETCH(int, track);
        QFETCH(QString, link);
        Ipod ipod;
        QVERIFY(ipod.make());
        QVERIFY(writeFile(ipod.outside + u"/CCCC.wav"_s, readAll(ipod.songPath(3))));
        if (!link.isEmpty())
            QVERIFY(ipod.linkOut(link, link.endsWith(u".wav"_s) ? ipod.songPath(3) : ipod.outside));
        // From the iPod's folder, where the relative location of track 3 would find the file beside it.
        const CliRun run = runCliIn(ipod.root,
                                    { u"play"_s, ipod.root, QString::number(track), u"--audio-out"_s, u"null"_s });
        QVERIFY2(run.out.contains("failed: file not found"), run.out.constData());
        QCOMPARE(run.status, 1);
    }

    void writesNeverFollowLinksOut_data()
    {
        QTest::addColumn<QString>("linked"); // on the iPod, made a link to `to` in "outside"
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("command");
        const QString playCounts = u"iPod_Control/iTunes/Play Counts"_s;
        QTest::newRow("count-play, Play Counts linked")
            << playCounts << u"Play Counts"_s << QStringList { u"count-play"_s, u"@"_s, u"0"_s };
        QTest::newRow("rate, Play Counts linked")
            << playCounts << u"Play Counts"_s << QStringList { u"rate"_s, u"@"_s, u"0"_s, u"5"_s };
        QTest::newRow("rate, iTunes folder linked")
            << u"iPod_Control/iTunes"_s << u"iTunes"_s << QStringList { u"rate"_s, u"@"_s, u"0"_s, u"5"_s };
        QTest::newRow("duplicates --write, duplicates.txt linked")
            << u"duplicates.txt"_s << u"notes.txt"_s << QStringList { u"duplicates"_s, u"@"_s, u"--write"_s };
        QTest::newRow("flags --set, the .txt file linked")
            << u"iPod_Control/Device/_show_voltage.txt"_s << u"notes.txt"_s
            << QStringList { u"flags"_s, u"@"_s, u"--set"_s, u"_show_voltage"_s };
        QTest::newRow("flags --reset, Device linked")
            << u"iPod_Control/Device"_s << u"Device"_s << QStringList { u"flags"_s, u"@"_s, u"--reset"_s };
    }
    void writesNeverFollowLinksOut()
    {
        QFETCH(QString, linked);
        QFETCH(QString, to);
        QFETCH(QStringList, command);
        Ipod ipod;
        QVERIFY(ipod.make());
        // What the links find outside: a copy of the iTunes folder, a Device folder with flags set.
        QVERIFY(QDir().mkpath(ipod.outside + u"/iTunes"_s));
        for (const QString& name : { u"iTunesDB"_s, u"Play Counts"_s })
            QVERIFY(QFile::copy(ipod.root + u"/iPod_Control/iTunes/"_s + name, ipod.outside + u"/iTunes/"_s + name));
        QVERIFY(QFile::copy(ipod.playCounts(), ipod.outside + u"/Play Counts"_s));
        QVERIFY(writeFile(ipod.outside + u"/Device/_show_speed"_s, {}));
        QVERIFY(writeFile(ipod.outside + u"/Device/_disable_cache.txt"_s, {}));
        QVERIFY(ipod.linkOut(linked, ipod.outside + u'/' + to));
        const auto before = snapshot(ipod.outside);
        command.replaceInStrings(u"@"_s, ipod.root);
        const CliRun run = runCli(command);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("outside the iPod"), run.err.constData());
        QCOMPARE(snapshot(ipod.outside), before);
    }

    void extractReadsOnlyInsideTheIpod()
    {
        Ipod ipod;
        QVERIFY(ipod.make());
        QVERIFY(writeFile(ipod.outside + u"/BBBB.wav"_s, "a system file"));
        QVERIFY(writeFile(ipod.outside + u"/DDDD.wav"_s, "another system file"));
        QVERIFY(ipod.linkOut(u"iPod_Control/Music/F01"_s, ipod.outside)); // a folder linked out
        QVERIFY(ipod.linkOut(u"iPod_Control/Music/F03/DDDD.wav"_s, ipod.outside + u"/DDDD.wav"_s)); // a song
        const CliRun run = runCli({ u"extract"_s, ipod.root, u"--to"_s, ipod.target, u"--template"_s, u"[title]"_s });
        QCOMPARE(run.status, 1);
        QVERIFY2(run.out.contains("Copied 2 of 5"), run.out.constData());
        QCOMPARE(run.out.count("leads outside the iPod"), 2);
        QCOMPARE(QDir(ipod.target).entryList(QDir::Files), (QStringList { u"One.wav"_s, u"Three.wav"_s }));
    }

    void fifosNeverBlock()
    {
        Ipod ipod;
        QVERIFY(ipod.make());
        const QStringList fifos { ipod.songPath(0), ipod.playCounts(),
                                  ipod.root + u"/iPod_Control/iTunes/QuaverlyPrefs"_s,
                                  ipod.root + u"/iPod_Control/iTunes/OTGPlaylistInfo"_s };
        for (const QString& fifo : fifos) {
            QFile::remove(fifo);
            QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        }
        CliRun run = runCli({ u"extract"_s, ipod.root, u"--to"_s, ipod.target, u"--artist"_s, u"Band"_s }, 30000);
        QCOMPARE(run.status, 1); // not -1: it ended by itself
        QVERIFY2(run.out.contains("One: the song's path on the iPod is not a regular file"), run.out.constData());
        QVERIFY(run.out.contains("Copied 3 of 4"));
        run = runCli({ u"play"_s, ipod.root, u"0"_s, u"--audio-out"_s, u"null"_s }, 30000);
        QCOMPARE(run.status, 1);
        QVERIFY(run.out.contains("failed: file not found"));
        run = runCli({ u"count-play"_s, ipod.root, u"0"_s }, 30000);
        QCOMPARE(run.status, 1);
    }

    void sigtermStopsPlay()
    {
        QTemporaryDir dir;
        const QString song = dir.filePath(u"long.wav"_s);
        QVERIFY(writeFile(song, tools::makeWavTone(440, 30000, 8000)));
        QProcess play;
        play.start(kCli, { u"play"_s, u"--file"_s, song, u"--audio-out"_s, u"null"_s });
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += play.readAllStandardOutput()).contains(" / "), 20000);
        play.terminate(); // SIGTERM
        QVERIFY(play.waitForFinished(10000));
        out += play.readAllStandardOutput();
        QCOMPARE(play.exitStatus(), QProcess::NormalExit);
        QCOMPARE(play.exitCode(), 0);
        QVERIFY2(out.contains("stopped"), out.constData());
    }

    void aDatabaseWithNothingReadableFails()
    {
        Ipod ipod;
        QVERIFY(ipod.make());
        QByteArray garbage = "mhbd";
        for (int i = 0; i < 2000; ++i)
            garbage.append(char((i * 7919 + 13) % 251));
        QVERIFY(tools::writeFileBytes(ipod.root + u"/iPod_Control/iTunes/iTunesDB"_s, garbage));
        const QList<QStringList> commands {
            { u"info"_s, u"@"_s },
            { u"tracks"_s, u"@"_s },
            { u"playlists"_s, u"@"_s },
            { u"songs"_s, u"@"_s },
            { u"duplicates"_s, u"@"_s },
            { u"missing"_s, u"@"_s },
            { u"m3u"_s, u"@"_s },
            { u"count-play"_s, u"@"_s, u"0"_s },
            { u"extract"_s, u"@"_s, u"--to"_s, ipod.target },
        };
        for (QStringList command : commands) {
            command.replaceInStrings(u"@"_s, ipod.root);
            const CliRun run = runCli(command);
            QVERIFY2(run.status == 1, qPrintable(command.join(u' ')));
            QVERIFY2(run.err.contains("damaged at byte 0") && run.err.contains("Nothing could be read"),
                     run.err.constData());
        }
    }

    void aPartlyDamagedDatabaseStillLoads()
    {
        Ipod ipod;
        QVERIFY(ipod.make());
        const QString db = ipod.root + u"/iPod_Control/iTunes/iTunesDB"_s;
        QByteArray bytes = readAll(db);
        bytes.chop(bytes.size() / 8); // cut in the playlists, after the tracks
        QVERIFY(tools::writeFileBytes(db, bytes));
        const CliRun run = runCli({ u"info"_s, ipod.root });
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains("Tracks: 5"));
        QVERIFY2(run.err.contains("damaged"), run.err.constData());
    }

    void namesThatAreNotUtf8AreRefused()
    {
        Ipod ipod;
        QVERIFY(ipod.make());
        const QByteArray badName = QFile::encodeName(ipod.tmp.path())
                                       .append("/bad\xff"
                                               "name");
        QCOMPARE(::mkdir(badName.constData(), 0700), 0);
        const auto cleanUp = qScopeGuard([&] { ::rmdir(badName.constData()); }); // Qt cannot name it to remove it
        const QStringList before = QDir(ipod.tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        const QStringList scripts {
            u"exec \"$0\" info \"$1/$(printf 'bad\\377name')\""_s,
            u"exec \"$0\" extract \"$1/ipod\" --to \"$1/$(printf 'out\\376')\""_s,
            u"exec \"$0\" m3u \"$1/ipod\" --out \"$1/$(printf 'list\\376.m3u')\""_s,
        };
        for (const QString& script : scripts) {
            const CliRun run = runThroughShell(script, ipod.tmp.path());
            QVERIFY2(run.status == 1, qPrintable(script));
            QVERIFY2(run.err.contains("not valid UTF-8"), run.err.constData());
            QCOMPARE(QDir(ipod.tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        }
    }

    void aDatabaseThatIsNoFileIsNamed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("a FIFO") << u"fifo"_s << QByteArray("is not a file: it is a named pipe (FIFO)");
        QTest::newRow("a link to /dev/zero") << u"zero"_s
                                             << QByteArray("is not a file: it is a link to /dev/zero, which is a "
                                                           "character device");
        QTest::newRow("a folder") << u"folder"_s << QByteArray("is not a file: it is a folder");
    }
    void aDatabaseThatIsNoFileIsNamed()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, said);
        Ipod ipod;
        QVERIFY(ipod.make());
        const QString db = ipod.root + u"/iPod_Control/iTunes/iTunesDB"_s;
        QVERIFY(QFile::remove(db));
        if (kind == u"fifo"_s)
            QCOMPARE(::mkfifo(QFile::encodeName(db).constData(), 0600), 0);
        else if (kind == u"zero"_s)
            QVERIFY(QFile::link(u"/dev/zero"_s, db));
        else
            QVERIFY(QDir().mkpath(db));
        // Named by its iPod folder, and (but for the folder) by its own path.
        QStringList roots { ipod.root };
        if (kind != u"folder"_s)
            roots << db;
        for (const QString& root : roots) {
            const CliRun run = runCli({ u"info"_s, root }, 30000);
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.contains(said), run.err.constData());
        }
    }
};

QTEST_GUILESS_MAIN(tst_HostileIpod)
#include "tst_HostileIpod.moc"
