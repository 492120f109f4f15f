// The list container: list-box vocabulary, sorts and searches.
#include "database/clsList.h"

#include <QTest>

#include <algorithm>
#include <stdexcept>

using namespace quaverly::database;
using namespace Qt::StringLiterals;

namespace {

clsList listOf(const QStringList& items)
{
    clsList list;
    for (const QString& item : items)
        list.AddItem(item);
    return list;
}

QStringList itemsOf(const clsList& list)
{
    QStringList items;
    for (int i = 0; i < list.ListCount(); ++i)
        items.append(list.list(i));
    return items;
}

} // namespace

class tst_clsList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void countsAndRemoval()
    {
        clsList list;
        QCOMPARE(list.ListCount(), 0);
        QCOMPARE(list.ListIndex(), -99);
        QCOMPARE(list.Text(), QString());
        clsList three = listOf({ u"a"_s, u"b"_s, u"c"_s });
        three.RemoveItem(1);
        QCOMPARE(itemsOf(three), (QStringList { u"a"_s, u"c"_s }));
        three.Clear();
        QCOMPARE(three.ListCount(), 0);
        clsList one = listOf({ u"only"_s });
        one.setListIndex(0);
        one.RemoveItem(0);
        QCOMPARE(one.ListCount(), 0);
        QCOMPARE(one.ListIndex(), -99);
    }

    void outOfRangeAccessThrows()
    {
        clsList list;
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, list.RemoveItem(0));
        clsList two = listOf({ u"a"_s, u"b"_s });
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, (void)two.list(2));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, (void)two.list(-1));
    }

    void selection()
    {
        clsList list = listOf({ u"a"_s, u"b"_s });
        list.setListIndex(5); // beyond the last item: ignored
        QCOMPARE(list.ListIndex(), -99);
        list.setListIndex(1);
        QCOMPARE(list.Text(), u"b"_s);
        list.setText(u"B"_s);
        QCOMPARE(list.list(1), u"B"_s);
        list.Selected(0, false); // not the selected one: nothing
        QVERIFY(list.Selected(1));
        list.Selected(1, false);
        QCOMPARE(list.ListIndex(), -99);
    }

    void wholeList()
    {
        QCOMPARE(listOf({ u"A"_s, u"B"_s }).GetWholeList(u"NUMBER. "_s), u"1. A\r\n2. B"_s);
        QCOMPARE(clsList().GetWholeList(u"NUMBER. "_s), QString());
        QCOMPARE(listOf({ u"x"_s }).GetWholeList(u"number "_s), u"number x"_s); // exact case only
    }

    void sorts()
    {
        clsList insertion = listOf({ u"b"_s, u"A"_s, u"a"_s });
        insertion.InsertionSort();
        QCOMPARE(itemsOf(insertion), (QStringList { u"A"_s, u"a"_s, u"b"_s }));
        clsList bubble = listOf({ u"b"_s, u"A"_s, u"a"_s });
        bubble.BuBBleSort();
        QCOMPARE(itemsOf(bubble), (QStringList { u"A"_s, u"a"_s, u"b"_s }));
        clsList stable = listOf({ u"b"_s, u"a"_s, u"A"_s });
        stable.BuBBleSort();
        QCOMPARE(itemsOf(stable), (QStringList { u"a"_s, u"A"_s, u"b"_s }));
    }

    void quicksortAboveAHundredAndOne()
    {
        QStringList items;
        for (int i = 0; i < 500; ++i)
            items.append(QString::number((i * 7919) % 503)); // distinct numbers, shuffled
        items.append(items.mid(0, 20));                      // and some repeats
        clsList list = listOf(items);
        list.InsertionSort();
        std::sort(items.begin(), items.end());
        QCOMPARE(itemsOf(list), items);
    }

    void searches()
    {
        const clsList list = listOf({ u"Jazz"_s, u"Pop"_s, u"Rock"_s });
        QCOMPARE(list.LinearSearch(u"rock"_s, 0), -1);
        QCOMPARE(list.LinearSearch(u"rock"_s, 1), 2);
        int last = -99;
        QCOMPARE(list.BinarySearch(u"Pop"_s, 0, last, false), 1);
        QCOMPARE(last, 2);
        last = -99;
        QCOMPARE(list.BinarySearch(u"Punk"_s, 0, last, false), -1);
        QCOMPARE(clsList().LinearSearch(u"x"_s, 0), -1);
        last = -99;
        QCOMPARE(clsList().BinarySearch(u"x"_s, 0, last, false), -1);
    }

    void numericBinarySearch()
    {
        // Index lists hold numbers as text: 9 sorts before 10 numerically.
        const clsList list = listOf({ u"2"_s, u"9"_s, u"10"_s, u"250"_s });
        int last = -99;
        QCOMPARE(list.BinarySearch(u"10"_s, 0, last, true), 2);
        last = -99;
        QCOMPARE(list.BinarySearch(u"11"_s, 0, last, true), -1);
    }

    void copies()
    {
        const clsList source = listOf({ u"a"_s, u"b"_s });
        clsList target = listOf({ u"old"_s });
        target.CopyFromList(source);
        QCOMPARE(itemsOf(target), (QStringList { u"a"_s, u"b"_s }));
        clsList other;
        source.CopyToList(other);
        QCOMPARE(itemsOf(other), itemsOf(source));
    }
};

QTEST_GUILESS_MAIN(tst_clsList)
#include "tst_clsList.moc"
