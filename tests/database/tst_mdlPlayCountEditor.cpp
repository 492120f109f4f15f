// Play Counts updates for every entry size devices write, and the refusals
// that keep a write from landing outside an entry.
#include "database/Library.h"
#include "database/mdlPlayCountEditor.h"
#include "tests/common/TestFiles.h"
#include "tools/testwriter/ITunesDBWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace quaverly::database;
using namespace quaverly::tools;
using namespace Qt::StringLiterals;
using namespace quaverly::test;

namespace {

quint32 at32(const QByteArray& bytes, qsizetype offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

// 2024-03-01 12:00:00 local time.
const QDateTime kNow(QDate(2024, 3, 1), QTime(12, 0));

} // namespace

class tst_mdlPlayCountEditor : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_path;

    mdlPlayCountEditor open(const QByteArray& bytes)
    {
        m_path = m_dir.filePath(u"Play Counts"_s);
        writeFileBytes(m_path, bytes);
        mdlPlayCountEditor editor;
        editor.OpenPlayCounts(m_dir.path());
        return editor;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void updatesAtEveryEntrySize_data()
    {
        QTest::addColumn<int>("entrySize");
        for (const int size : { 12, 16, 20, 28, 40 })
            QTest::addRow("%d-byte entries", size) << size;
    }
    void updatesAtEveryEntrySize()
    {
        QFETCH(int, entrySize);
        mdlPlayCountEditor editor = open(writePlayCounts(entrySize, { { 5, 0, 0 }, { 9, 0, 0 }, { 0, 0, 0 } }));
        QCOMPARE(editor.EntrySize(), entrySize);
        QCOMPARE(editor.entryCount(), qint64(3));
        const bool hasRating = entrySize >= 16;
        QCOMPARE(editor.StampLastPlayed(1, kNow), hasRating ? PlayCountError::None : PlayCountError::NotSupported);
        QCOMPARE(editor.IncrementPlayCount(1), PlayCountError::None);
        QCOMPARE(editor.SetRating(1, 3), hasRating ? PlayCountError::None : PlayCountError::NotSupported);
        const QByteArray after = readAll(m_path);
        QCOMPARE(after.size(), 96 + 3 * entrySize); // never grows or shrinks
        const qsizetype entry = 96 + entrySize;
        QCOMPARE(at32(after, 96), 5u); // entry 0 untouched, and it starts at byte 96
        QCOMPARE(at32(after, entry), 10u);
        QCOMPARE(at32(after, entry + 4), hasRating ? quint32(mdlPlayCountEditor::macTime(kNow)) : 0u);
        if (hasRating) {
            QCOMPARE(at32(after, entry + 12), 60u);
            QCOMPARE(editor.GetRating(1, 1), 3);
        } else {
            QCOMPARE(editor.GetRating(1, 1), 1); // the database's rating
            QCOMPARE(editor.ShowRatingUnsupported().title, u"Your iPod does not support this"_s);
        }
        QCOMPARE(at32(after, entry + entrySize), 0u); // the next entry is untouched
    }

    void refusedIndexesWriteNothing_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("-1 (song not in the library)") << -1;
        QTest::newRow("entry count") << 2;
        QTest::newRow("far beyond") << 100000;
    }
    void refusedIndexesWriteNothing()
    {
        QFETCH(int, index);
        const QByteArray before = writePlayCounts(16, { {}, {} });
        mdlPlayCountEditor editor = open(before);
        QCOMPARE(editor.IncrementPlayCount(index), PlayCountError::BadIndex);
        QCOMPARE(editor.StampLastPlayed(index, kNow), PlayCountError::BadIndex);
        QCOMPARE(editor.SetRating(index, 5), PlayCountError::BadIndex);
        QCOMPARE(readAll(m_path), before);
    }

    void entryCountFieldIsTheLimit()
    {
        // Three entries on disk, but the file says two: the third is refused.
        const QByteArray before = writePlayCounts(16, { {}, {}, {} }, 2);
        mdlPlayCountEditor editor = open(before);
        QCOMPARE(editor.IncrementPlayCount(2), PlayCountError::BadIndex);
        // Says five, holds two: entries past the end of the file are refused too.
        mdlPlayCountEditor longer = open(writePlayCounts(16, { {}, {} }, 5));
        QCOMPARE(longer.IncrementPlayCount(3), PlayCountError::BadIndex);
        QCOMPARE(longer.IncrementPlayCount(1), PlayCountError::None);
    }

    void ratings_data()
    {
        QTest::addColumn<quint32>("stored");
        QTest::addColumn<int>("database");
        QTest::addColumn<int>("expected");
        QTest::newRow("50 reads as 2") << 50u << 0 << 2;
        QTest::newRow("70 reads as 4") << 70u << 0 << 4;
        QTest::newRow("100 reads as 5") << 100u << 1 << 5;
        QTest::newRow("0 falls back to the database") << 0u << 3 << 3;
    }
    void ratings()
    {
        QFETCH(quint32, stored);
        QFETCH(int, database);
        QFETCH(int, expected);
        mdlPlayCountEditor editor = open(writePlayCounts(20, { { 0, 0, stored } }));
        QCOMPARE(editor.GetRating(0, database), expected);
        Library lib;
        lib.Tracks.emplace_back().Rating = static_cast<qint16>(database);
        QCOMPARE(editor.getAllRatings(lib), std::vector<int> { expected });
    }

    void zeroStarsBringsBackTheDatabaseRating()
    {
        mdlPlayCountEditor editor = open(writePlayCounts(16, { { 0, 0, 80 } }));
        QCOMPARE(editor.SetRating(0, 0), PlayCountError::None);
        QCOMPARE(editor.GetRating(0, 2), 2);
        QCOMPARE(editor.SetRating(0, 6), PlayCountError::BadValue);
    }

    void unusableFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray wrongMagic = writePlayCounts(16, { {} });
        wrongMagic[0] = 'x';
        QTest::newRow("not mhdp") << wrongMagic;
        QTest::newRow("entry size 8") << writePlayCounts(8, { {} });
        QTest::newRow("header only half there") << writePlayCounts(16, { {} }).left(10);
    }
    void unusableFiles()
    {
        QFETCH(QByteArray, bytes);
        mdlPlayCountEditor editor = open(bytes);
        QCOMPARE(editor.EntrySize(), -1);
        QCOMPARE(editor.IncrementPlayCount(0), PlayCountError::NoFile);
        QCOMPARE(editor.SetRating(0, 3), PlayCountError::NoFile);
        QCOMPARE(editor.ShowRatingUnsupported().title, u"File Not Found"_s);
        QCOMPARE(readAll(m_path), bytes);
    }

    void playStatsAddTheFileToTheDatabase_data()
    {
        QTest::addColumn<int>("entrySize");
        QTest::addColumn<bool>("skips"); // the entries hold skip counts
        for (const int size : { 12, 16, 20, 28, 40 })
            QTest::addRow("%d-byte entries", size) << size << (size >= 28);
    }
    void playStatsAddTheFileToTheDatabase()
    {
        QFETCH(int, entrySize);
        QFETCH(bool, skips);
        Library library;
        for (int i = 0; i < 4; ++i) {
            TrackRecord track;
            track.PlayCount = 10 * i;
            track.SkipCount = i;
            track.LastPlayed = i == 0 ? 0 : 3700000000u + i;
            library.Tracks.push_back(track);
        }
        // Three entries for four tracks: the file was made for an older database.
        const std::vector<PlayCountEntry> entries { { 2, 0, 0, 5 }, { 0, 0, 0, 0 }, { 1, 3800000000u, 0, 1 } };
        mdlPlayCountEditor editor = open(writePlayCounts(entrySize, entries));
        const std::vector<PlayStats> stats = editor.getAllPlayStats(library);
        QCOMPARE(stats.size(), size_t(4));
        QCOMPARE(stats[0].playCount, qint64(2));
        QCOMPARE(stats[0].skipCount, qint64(skips ? 5 : 0));
        QCOMPARE(stats[0].lastPlayed, 0u);
        QCOMPARE(stats[1].playCount, qint64(10));
        QCOMPARE(stats[1].lastPlayed, 3700000001u); // no time in the file: the database's
        QCOMPARE(stats[2].playCount, qint64(21));
        QCOMPARE(stats[2].skipCount, qint64(skips ? 3 : 2));
        QCOMPARE(stats[2].lastPlayed, 3800000000u);
        QCOMPARE(stats[3].playCount, qint64(30)); // beyond the file's entries
        QCOMPARE(stats[3].skipCount, qint64(3));

        // Without a usable file, the database's own numbers.
        mdlPlayCountEditor none;
        QCOMPARE(none.getAllPlayStats(library)[2].playCount, qint64(20));
    }

    void macTimeAsText()
    {
        // The iPod's clock has no zone: the text is its wall-clock time in any zone.
        const QByteArray zone = qgetenv("TZ");
        for (const char* tz : { "UTC", "Europe/Berlin", "America/New_York" }) {
            qputenv("TZ", tz);
            QCOMPARE(mdlPlayCountEditor::macTimeText(3787034400u), u"2024-01-02T10:00:00"_s);
            QCOMPARE(mdlPlayCountEditor::macTimeText(0), QString());
            // Unix time reads it on this computer's clock, undoing macTime.
            const QDateTime local(QDate(2024, 7, 1), QTime(23, 59, 58), Qt::LocalTime);
            const qint64 mac = mdlPlayCountEditor::macTime(local);
            QCOMPARE(mdlPlayCountEditor::macTimeToUnix(quint32(mac)), local.toSecsSinceEpoch());
            QCOMPARE(mdlPlayCountEditor::macTimeText(quint32(mac)), u"2024-07-01T23:59:58"_s);
        }
        qputenv("TZ", zone);
        QCOMPARE(mdlPlayCountEditor::macTimeToUnix(0), qint64(0));
    }

    void macTimeCases()
    {
        const QDateTime utc(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC);
        QCOMPARE(mdlPlayCountEditor::macTime(utc), qint64(2082844800));
        QCOMPARE(mdlPlayCountEditor::macTime(QDateTime(QDate(1903, 12, 31), QTime(0, 0), Qt::UTC)), qint64(-1));
        QCOMPARE(mdlPlayCountEditor::macTime(QDateTime(QDate(2041, 1, 1), QTime(0, 0), Qt::UTC)), qint64(-1));
    }
};

QTEST_GUILESS_MAIN(tst_mdlPlayCountEditor)
#include "tst_mdlPlayCountEditor.moc"
