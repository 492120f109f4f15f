#include "export/PendingSongs.h"

#include <QTest>

using namespace quaverly::exporting;

class tst_PendingSongs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addSongsKeepsFirstOccurrences()
    {
        PendingSongs pending;
        pending.AddSongs({ 4, 2, 4, 70000, 2, 0 });
        QCOMPARE(pending.indexes(), (std::vector<int> { 4, 2, 70000, 0 }));
        pending.AddSongs({ 1 }); // a new list each time
        QCOMPARE(pending.indexes(), std::vector<int> { 1 });
    }

    void removeDropsEverySelectedLine_data()
    {
        QTest::addColumn<std::vector<int>>("selected");
        QTest::addColumn<std::vector<int>>("left");
        QTest::newRow("two adjacent") << std::vector<int> { 1, 2 } << std::vector<int> { 10, 13, 14 };
        QTest::newRow("first and last") << std::vector<int> { 0, 4 } << std::vector<int> { 11, 12, 13 };
        QTest::newRow("all") << std::vector<int> { 4, 3, 2, 1, 0 } << std::vector<int> {};
        QTest::newRow("none") << std::vector<int> {} << std::vector<int> { 10, 11, 12, 13, 14 };
        QTest::newRow("out of range ignored") << std::vector<int> { -1, 5, 3 } << std::vector<int> { 10, 11, 12, 14 };
    }
    void removeDropsEverySelectedLine()
    {
        QFETCH(std::vector<int>, selected);
        QFETCH(std::vector<int>, left);
        PendingSongs pending;
        pending.AddSongs({ 10, 11, 12, 13, 14 });
        pending.remove(selected);
        QCOMPARE(pending.indexes(), left);
    }
};

QTEST_GUILESS_MAIN(tst_PendingSongs)
#include "tst_PendingSongs.moc"
