// Reading every entry of a Play Counts file at once, as devices of each
// generation write it, and what a damaged or cut file gives.
#include "database/PlayCountEntries.h"
#include "tools/testwriter/ITunesDBWriter.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace quaverly::database;
using namespace quaverly::tools;
using namespace Qt::StringLiterals;

namespace {

/// The other fields of an entry filled the way devices fill them (bookmark,
/// the unknown field 16 = 0x200, skips and last skipped), so that a reader
/// that looks past offset 8 shows.
QByteArray withOtherFields(QByteArray bytes, int entrySize, int count)
{
    for (int i = 0; i < count; ++i) {
        char* entry = bytes.data() + 96 + i * entrySize;
        qToLittleEndian<quint32>(123456, entry + 8);
        for (int offset = 16; offset + 4 <= entrySize; offset += 4)
            qToLittleEndian<quint32>(offset == 16 ? 0x200 : 0xdeadbeef, entry + offset);
    }
    return bytes;
}

} // namespace

class tst_PlayCountEntries : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    PlayCountSnapshot read(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(u"Play Counts"_s);
        if (!writeFileBytes(path, bytes))
            return {};
        return readPlayCountEntries(path);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void everyEntrySize_data()
    {
        QTest::addColumn<int>("entrySize");
        for (const int size : { 12, 16, 20, 28, 40 })
            QTest::addRow("%d-byte entries", size) << size;
    }
    void everyEntrySize()
    {
        QFETCH(int, entrySize);
        const std::vector<PlayCountEntry> entries { { 0, 0, 0 }, { 3, 3786912000u, 60 }, { 0xffffffffu, 1, 0 } };
        const PlayCountSnapshot snapshot = read(withOtherFields(writePlayCounts(entrySize, entries), entrySize, 3));
        QCOMPARE(snapshot.error, PlayCountsReadError::None);
        QCOMPARE(snapshot.entrySize, entrySize);
        QCOMPARE(snapshot.claimedEntries, qint64(3));
        QCOMPARE(snapshot.entries.size(), size_t(3));
        QCOMPARE(snapshot.entries[0].playCount, 0u);
        QCOMPARE(snapshot.entries[1].playCount, 3u);
        QCOMPARE(snapshot.entries[1].lastPlayedMac, 3786912000u);
        QCOMPARE(snapshot.entries[2].playCount, 0xffffffffu); // kept as found; the caller judges it
    }

    void aCutFileGivesTheWholeEntriesItHolds()
    {
        QByteArray bytes = writePlayCounts(16, { { 1, 10, 0 }, { 2, 20, 0 }, { 3, 30, 0 } });
        bytes.chop(5); // the last entry is cut
        const PlayCountSnapshot snapshot = read(bytes);
        QCOMPARE(snapshot.error, PlayCountsReadError::None);
        QCOMPARE(snapshot.claimedEntries, qint64(3));
        QCOMPARE(snapshot.entries.size(), size_t(2));
        // A header that claims fewer entries than the file holds is believed.
        QCOMPARE(read(writePlayCounts(16, { { 1, 10, 0 }, { 2, 20, 0 } }, 1)).entries.size(), size_t(1));
        QCOMPARE(read(writePlayCounts(16, { { 1, 10, 0 } }, -4)).entries.size(), size_t(0));
    }

    void whatIsNoPlayCountsFileSaysSo()
    {
        QCOMPARE(readPlayCountEntries(m_dir.filePath(u"absent"_s)).error, PlayCountsReadError::NotFound);
        QCOMPARE(readPlayCountEntries({}).error, PlayCountsReadError::NotFound);
        QCOMPARE(read("mhdp").error, PlayCountsReadError::NotPlayCounts); // shorter than a header
        QByteArray wrongMagic = writePlayCounts(16, { { 1, 1, 0 } });
        wrongMagic[0] = 'x';
        QCOMPARE(read(wrongMagic).error, PlayCountsReadError::NotPlayCounts);
        QCOMPARE(read(writePlayCounts(8, { { 1, 1, 0 } })).error, PlayCountsReadError::NotPlayCounts);
        QByteArray huge = writePlayCounts(16, { { 1, 1, 0 } });
        qToLittleEndian<quint32>(0x7fffffff, huge.data() + 8);
        QCOMPARE(read(huge).error, PlayCountsReadError::NotPlayCounts);
        QVERIFY(QDir(m_dir.path()).mkdir(u"folder"_s));
        QCOMPARE(readPlayCountEntries(m_dir.filePath(u"folder"_s)).error, PlayCountsReadError::Unreadable);
    }
};

QTEST_GUILESS_MAIN(tst_PlayCountEntries)
#include "tst_PlayCountEntries.moc"
