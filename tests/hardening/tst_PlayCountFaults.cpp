// Play Counts updates when the file or the iPod changes under the program:
// the update is refused with WriteFailed (or a refusal of the index), the
// file is left exactly as it is, and nothing is created on the device.
#include "database/mdlPlayCountEditor.h"
#include "tests/common/TestFiles.h"
#include "tests/hardening/ScratchMount.h"
#include "tools/testwriter/ITunesDBWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <atomic>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>

using namespace quaverly;
using namespace quaverly::test;
using database::PlayCountError;

namespace {

const std::vector<tools::PlayCountEntry> kEntries = {
    { 1, 0, 20 }, { 2, 0, 40 }, { 3, 0, 60 }, { 4, 0, 80 }, { 5, 0, 100 }
};

enum class Change { FileRemoved, FolderRemoved, FileShrunk, FileReplacedByFolder };

// Each update a listening session makes, on the last entry.
std::vector<PlayCountError> updateLastEntry(database::mdlPlayCountEditor& editor)
{
    return { editor.IncrementPlayCount(4), editor.SetRating(4, 2),
             editor.StampLastPlayed(4, QDateTime(QDate(2025, 1, 2), QTime(3, 4))) };
}

} // namespace

class tst_PlayCountFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void changedAfterOpen_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("file removed (iPod synced elsewhere)") << int(Change::FileRemoved);
        QTest::newRow("iTunes folder removed (iPod unplugged)") << int(Change::FolderRemoved);
        // The device or another program wrote a new, shorter file meanwhile:
        // the old entry offsets lie beyond its end.
        QTest::newRow("file now shorter") << int(Change::FileShrunk);
        QTest::newRow("file replaced by a folder") << int(Change::FileReplacedByFolder);
    }
    void changedAfterOpen()
    {
        QFETCH(int, change);
        QTemporaryDir root;
        const QString folder = root.path() + QStringLiteral("/iPod_Control/iTunes");
        const QString path = folder + QStringLiteral("/Play Counts");
        QVERIFY(tools::writeFileBytes(path, tools::writePlayCounts(16, kEntries)));
        database::mdlPlayCountEditor editor;
        editor.OpenPlayCounts(folder);
        QCOMPARE(editor.EntrySize(), 16);

        QByteArray expected; // the file afterwards; empty: no file at all
        switch (Change(change)) {
        case Change::FileRemoved:
            QVERIFY(QFile::remove(path));
            break;
        case Change::FolderRemoved:
            QVERIFY(QDir(root.path() + QStringLiteral("/iPod_Control")).removeRecursively());
            break;
        case Change::FileShrunk:
            expected = tools::writePlayCounts(16, { kEntries[0], kEntries[1] });
            QVERIFY(QFile::remove(path));
            QVERIFY(tools::writeFileBytes(path, expected));
            break;
        case Change::FileReplacedByFolder:
            QVERIFY(QFile::remove(path));
            QVERIFY(QDir().mkpath(path));
            break;
        }

        for (const PlayCountError error : updateLastEntry(editor))
            QVERIFY(error == PlayCountError::WriteFailed || error == PlayCountError::BadIndex);
        if (!expected.isEmpty()) {
            QCOMPARE(readAll(path), expected);
        } else if (Change(change) == Change::FileReplacedByFolder) {
            QVERIFY(QFileInfo(path).isDir());
        } else {
            QVERIFY(!QFileInfo::exists(path));
            QCOMPARE(QFileInfo::exists(folder), Change(change) != Change::FolderRemoved);
        }

        // Opened again, the editor works on whatever is there now.
        editor.OpenPlayCounts(folder);
        if (Change(change) == Change::FileShrunk) {
            QCOMPARE(editor.entryCount(), qint64(2));
            QCOMPARE(editor.IncrementPlayCount(1), PlayCountError::None);
        } else {
            QCOMPARE(editor.EntrySize(), -1);
            QCOMPARE(editor.IncrementPlayCount(0), PlayCountError::NoFile);
        }
    }

    // The window and the command line update one iPod at once: each editor
    // reads and writes its entry under the file's lock, so no play is lost.
    void parallelUpdatesAllCount()
    {
        QTemporaryDir root;
        const QString folder = root.path() + QStringLiteral("/iPod_Control/iTunes");
        QVERIFY(tools::writeFileBytes(folder + QStringLiteral("/Play Counts"), tools::writePlayCounts(16, kEntries)));
        constexpr int kWriters = 4;
        constexpr int kPlays = 400;
        std::vector<std::thread> writers;
        std::atomic_int failures { 0 };
        for (int w = 0; w < kWriters; ++w) {
            writers.emplace_back([&] {
                database::mdlPlayCountEditor editor; // each one opens the file for itself, as a program does
                editor.OpenPlayCounts(folder, root.path());
                for (int i = 0; i < kPlays; ++i) {
                    if (editor.IncrementPlayCount(2) != PlayCountError::None
                        || editor.SetRating(2, i % 6) != PlayCountError::None)
                        ++failures;
                }
            });
        }
        for (std::thread& writer : writers)
            writer.join();
        QCOMPARE(failures.load(), 0);
        const QByteArray after = readAll(folder + QStringLiteral("/Play Counts"));
        QCOMPARE(qFromLittleEndian<quint32>(after.constData() + 96 + 2 * 16), quint32(3 + kWriters * kPlays));
    }

    // Another program keeps the file locked: the update waits, then gives up
    // with Locked and writes nothing; once the lock is gone it goes through.
    void aLockHeldTooLongIsReported()
    {
        QTemporaryDir root;
        const QString path = root.path() + QStringLiteral("/iPod_Control/iTunes/Play Counts");
        const QByteArray before = tools::writePlayCounts(16, kEntries);
        QVERIFY(tools::writeFileBytes(path, before));
        database::mdlPlayCountEditor editor;
        editor.openPlayCountsFile(path, root.path());
        editor.setLockTimeoutMs(300);
        QFile other(path);
        QVERIFY(other.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(other.handle(), LOCK_EX | LOCK_NB), 0);
        for (const PlayCountError error : updateLastEntry(editor))
            QCOMPARE(error, PlayCountError::Locked);
        QVERIFY(editor.updateFailureText(PlayCountError::Locked).contains(QStringLiteral("locked")));
        QCOMPARE(readAll(path), before);
        QCOMPARE(editor.GetRating(4, 0), 5); // reading does not wait for the lock
        other.close();
        QCOMPARE(editor.IncrementPlayCount(4), PlayCountError::None);
        QCOMPARE(qFromLittleEndian<quint32>(readAll(path).constData() + 96 + 4 * 16), 6u);
    }

    // Links out of the iPod, and a FIFO in the file's place, found at the load
    // or made afterwards: nothing outside is written, and nothing blocks.
    void linksAndFifosAreNeverWrittenThrough_data()
    {
        QTest::addColumn<bool>("atLoad");
        QTest::addColumn<bool>("linkFolder");
        QTest::newRow("file linked out before the load") << true << false;
        QTest::newRow("iTunes folder linked out before the load") << true << true;
        QTest::newRow("file linked out after the load") << false << false;
    }
    void linksAndFifosAreNeverWrittenThrough()
    {
        QFETCH(bool, atLoad);
        QFETCH(bool, linkFolder);
        QTemporaryDir tmp;
        const QString root = tmp.path() + QStringLiteral("/ipod");
        const QString outside = tmp.path() + QStringLiteral("/outside");
        const QString folder = root + QStringLiteral("/iPod_Control/iTunes");
        const QByteArray before = tools::writePlayCounts(16, kEntries);
        QVERIFY(tools::writeFileBytes(outside + QStringLiteral("/Play Counts"), before));
        QVERIFY(QDir().mkpath(linkFolder ? root + QStringLiteral("/iPod_Control") : folder));
        const auto linkOut = [&] {
            return linkFolder
                ? QFile::link(outside, folder)
                : QFile::link(outside + QStringLiteral("/Play Counts"), folder + QStringLiteral("/Play Counts"));
        };
        database::mdlPlayCountEditor editor;
        if (atLoad) {
            QVERIFY(linkOut());
            editor.OpenPlayCounts(folder, root);
            QVERIFY(editor.isOutsideIpod());
            QCOMPARE(editor.EntrySize(), -1);
        } else {
            QVERIFY(tools::writeFileBytes(folder + QStringLiteral("/Play Counts"), before));
            editor.OpenPlayCounts(folder, root);
            QCOMPARE(editor.EntrySize(), 16);
            QVERIFY(QFile::remove(folder + QStringLiteral("/Play Counts")));
            QVERIFY(linkOut());
        }
        for (const PlayCountError error : updateLastEntry(editor))
            QCOMPARE(error, PlayCountError::OutsideIpod);
        QCOMPARE(editor.GetRating(4, 1), 1); // the outside file is not read either
        QCOMPARE(readAll(outside + QStringLiteral("/Play Counts")), before);

        // A FIFO in its place: the load goes on without a usable file.
        QVERIFY(QFile::remove(folder + QStringLiteral("/Play Counts")));
        if (linkFolder)
            return;
        QCOMPARE(::mkfifo(QFile::encodeName(folder + QStringLiteral("/Play Counts")).constData(), 0600), 0);
        editor.OpenPlayCounts(folder, root);
        QCOMPARE(editor.EntrySize(), -1);
        QVERIFY(!editor.isOutsideIpod());
    }

    // A FAT iPod turns read-only after an I/O error (errors=remount-ro):
    // every update fails and the file keeps its bytes.
    void ipodTurnsReadOnly()
    {
        QTemporaryDir scratch;
        const QString root = scratch.path() + QStringLiteral("/ipod");
        const hardening::ScratchMount mount(root, 256);
        if (!mount.isMounted())
            QSKIP("a remountable file system needs root and a kernel that allows tmpfs mounts");
        const QString folder = root + QStringLiteral("/iPod_Control/iTunes");
        const QByteArray before = tools::writePlayCounts(20, kEntries);
        QVERIFY(tools::writeFileBytes(folder + QStringLiteral("/Play Counts"), before));
        database::mdlPlayCountEditor editor;
        editor.OpenPlayCounts(folder);
        QCOMPARE(editor.IncrementPlayCount(0), PlayCountError::None);
        QVERIFY(mount.makeReadOnly());
        const QByteArray afterFirst = readAll(folder + QStringLiteral("/Play Counts"));
        QCOMPARE(afterFirst.size(), before.size());
        for (const PlayCountError error : updateLastEntry(editor))
            QCOMPARE(error, PlayCountError::WriteFailed);
        QCOMPARE(readAll(folder + QStringLiteral("/Play Counts")), afterFirst);
        QCOMPARE(editor.GetRating(4, 0), 5); // reading still works
    }
};

QTEST_GUILESS_MAIN(tst_PlayCountFaults)
#include "tst_PlayCountFaults.moc"
