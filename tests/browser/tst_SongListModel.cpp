#include "TestLibrary.h"
#include "browser/SongListModel.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QTest>

using namespace quaverly::browser;
using namespace quaverly::browser::test;
using quaverly::database::Library;
using Rows = std::vector<int>;

namespace {

Library modelLibrary()
{
    return makeLibrary({
        { u"Zebra"_qs, u"Band"_qs, u"LP"_qs, u"Rock"_qs, 3, 180000 },
        { u"apple"_qs, u"Band"_qs, u"LP"_qs, u"Rock"_qs, 1, 95000 },
        { u"Mango"_qs, u"Solo"_qs, u"EP"_qs, u"Pop"_qs, 2, 200000 },
    });
}

} // namespace

class tst_SongListModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void modelContract_underTester()
    {
        const Library library = modelLibrary();
        SongListModel model(library);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setRows({ 0, 1, 2 });
        model.sort(1);
        model.sort(9, Qt::DescendingOrder);
        model.setPlayingFile(u"/media/ipod/iPod_Control/Music/F00/T2.mp3"_qs);
        model.reorderRows({ 2, 1, 0 });
        model.setRows({});
        model.sort(1);
        model.setRows({ 2, 2, 3, -1 }); // a song twice; indexes outside the library dropped
        QCOMPARE(model.rows(), (Rows { 2, 2 }));
    }

    void cellsAndHeaders()
    {
        const Library library = modelLibrary();
        SongListModel model(library);
        model.setRows({ 2, 0 });
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.columnCount(), 12);
        QCOMPARE(model.headerData(11, Qt::Horizontal).toString(), u"Track Number"_qs);
        QCOMPARE(model.data(model.index(0, 1)).toString(), u"Mango"_qs);
        QCOMPARE(model.data(model.index(1, 8)).toString(), u"1000"_qs);
        QCOMPARE(model.data(model.index(0, 0), SongListModel::kTrackIndexRole).toInt(), 2);
        QCOMPARE(model.trackAt(1), 0);
        QCOMPARE(model.trackAt(2), -1);
        QVERIFY(model.cellText(5, 1).isEmpty()); // a row that does not exist
        QVERIFY(model.cellText(0, 12).isEmpty());
    }

    void playingMark_followsThePlayingFile()
    {
        const Library library = modelLibrary();
        SongListModel model(library);
        model.setRows({ 0, 1, 2, 1 });
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setPlayingFile(u"/media/ipod/IPOD_CONTROL/MUSIC/F00/T1.MP3"_qs);
        QCOMPARE(changed.size(), 1);
        QStringList marks;
        for (int row = 0; row < model.rowCount(); ++row)
            marks.append(model.cellText(row, 0));
        QCOMPARE(marks, (QStringList { u" "_qs, u"#"_qs, u" "_qs, u"#"_qs })); // every row of that song
        model.setPlayingFile({});
        QCOMPARE(model.cellText(1, 0), u" "_qs);
    }

    void ratings_showTheStarsGiven()
    {
        const Library library = modelLibrary();
        SongListModel model(library);
        model.setRows({ 0, 1, 2, 1 });
        const int rating = static_cast<int>(Column::Rating);
        const QString databaseStars = model.cellText(1, rating);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setRating(1, 5);
        QCOMPARE(changed.size(), 2); // both rows of that song
        QCOMPARE(changed.at(0).at(0).value<QModelIndex>().column(), rating);
        QCOMPARE(model.cellText(1, rating), u"5"_qs);
        QCOMPARE(model.cellText(3, rating), u"5"_qs);
        QCOMPARE(model.cellText(0, rating), QString::number(library.Tracks[0].Rating)); // others unchanged
        model.setRatings({ 2, 3, 4 });
        QCOMPARE(model.cellText(1, rating), u"3"_qs);
        model.setRatings({});
        QCOMPARE(model.cellText(1, rating), databaseStars);
        model.setRatings({ 0, 5, 2 });
        model.sort(rating);
        QCOMPARE(model.rows(), (Rows { 0, 2, 1, 1 }));
    }

    void sort_keepsSelectionOnItsSong()
    {
        const Library library = modelLibrary();
        SongListModel model(library);
        model.setRows({ 0, 1, 2 });
        const QPersistentModelIndex zebra = model.index(0, 1);
        model.sort(1); // code order: Mango, Zebra, apple
        QCOMPARE(model.rows(), (Rows { 2, 0, 1 }));
        QCOMPARE(zebra.row(), 1);
        QCOMPARE(zebra.data().toString(), u"Zebra"_qs);
        model.sort(9); // Length numeric: 95000, 180000, 200000
        QCOMPARE(model.rows(), (Rows { 1, 0, 2 }));
        QCOMPARE(zebra.row(), 1);
        model.reorderRows({ 0, 1, 1 }); // not the rows shown: ignored
        QCOMPARE(model.rows(), (Rows { 1, 0, 2 }));
    }
};

QTEST_GUILESS_MAIN(tst_SongListModel)
#include "tst_SongListModel.moc"
