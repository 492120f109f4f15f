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
        QVERIFY(tools::WriteFileBytes(path, tools::WritePlayCounts(16, kEntries)));
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
            expected = tools::WritePlayCounts(16, { kEntries[0], kEntries[1] });
            QVERIFY(QFile::remove(path));
            QVERIFY(tools::WriteFileBytes(path, expected));
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
            QCOMPARE(editor.EntryCount(), qint64(2));
            QCOMPARE(editor.IncrementPlayCount(1), PlayCountError::None);
        } else {
            QCOMPARE(editor.EntrySize(), -1);
            QCOMPARE(editor.IncrementPlayCount(0), PlayCountError::NoFile);
        }
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
        const QByteArray before = tools::WritePlayCounts(20, kEntries);
        QVERIFY(tools::WriteFileBytes(folder + QStringLiteral("/Play Counts"), before));
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
