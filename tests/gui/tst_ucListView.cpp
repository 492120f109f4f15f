// The song list view over the song model: cells never shortened, selection
// members, and the events the main window relies on.
#include "browser/SongListModel.h"
#include "database/Library.h"
#include "ui/widgets/ucListView.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

using namespace quaverly;
using namespace Qt::StringLiterals;

class tst_ucListView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_library = database::Library();
        for (int i = 0; i < 6; ++i) {
            database::TrackRecord t;
            t.Title = u"Song %1"_s.arg(i);
            t.Artist = u"Band"_s;
            t.Path = u"/iPod_Control/Music/F00/S%1.mp3"_s.arg(i);
            t.UIN = 100 + i;
            m_library.Tracks.push_back(t);
        }
        m_library.Tracks[2].Title = QString(300, u'x') + u"end"_s;
        m_library.buildTrackIndex();
        m_model = std::make_unique<browser::SongListModel>(m_library);
        m_model->setRows({ 0, 1, 2, 3, 4, 5 });
        m_view = std::make_unique<ui::ucListView>();
        m_view->setModel(m_model.get());
        QVERIFY(m_view->Initialize());
    }

    void cellsAreNeverCut()
    {
        QCOMPARE(m_view->SubItemText(2, 1).size(), 303);
        QVERIFY(m_view->SubItemText(2, 1).endsWith(u"end"_s));
        QCOMPARE(m_view->SubItemText(99, 1), QString()); // no such row
        QCOMPARE(m_view->SubItemText(0, 12), QString()); // no such column
        QCOMPARE(m_view->ColumnText(0), u" "_s);
        QCOMPARE(m_view->ColumnText(11), u"Track Number"_s);
        QCOMPARE(m_view->ColumnCount(), 12);
        QCOMPARE(m_view->count(), 6);
    }

    void selectionMembers()
    {
        m_view->setItemSelected(4, true);
        m_view->setItemSelected(1, true);
        QCOMPARE(m_view->GetLstSongSelected(), (std::vector<int> { 1, 4 })); // ascending, not in selection order
        QCOMPARE(m_view->currentIndex().row(), 1);                           // selecting makes the row current
        m_view->setItemSelected(1, false);
        QVERIFY(!m_view->ItemSelected(1));
        QCOMPARE(m_view->currentIndex().row(), 1); // deselecting leaves the current row
        m_view->setItemSelected(-1, true);
        QCOMPARE(m_view->SelectedCount(), 6);
        m_view->setItemSelected(-1, false);
        QCOMPARE(m_view->SelectedCount(), 0);
        QVERIFY(m_view->GetLstSongSelected().empty());
        m_view->setItemSelected(42, true); // out of range: nothing happens
        QCOMPARE(m_view->SelectedCount(), 0);
    }

    void eventsTheWindowUses()
    {
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        QSignalSpy keys(m_view.get(), &ui::ucListView::KeyDown);
        QSignalSpy doubles(m_view.get(), &ui::ucListView::DblClick);
        QSignalSpy columns(m_view.get(), &ui::ucListView::ColumnClick);
        QSignalSpy ups(m_view.get(), &ui::ucListView::MouseUp);
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QCOMPARE(keys.size(), 1);
        QCOMPARE(keys.at(0).at(0).toInt(), int(Qt::Key_Return));
        const QPoint cell = m_view->visualRect(m_model->index(1, 1)).center();
        QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(doubles.size(), 1);
        QTest::mouseClick(m_view->viewport(), Qt::RightButton, {}, cell);
        QVERIFY(!ups.isEmpty());
        QCOMPARE(ups.constLast().at(0).value<Qt::MouseButton>(), Qt::RightButton);
        auto* header = m_view->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(3) + 5, header->height() / 2));
        QCOMPARE(columns.size(), 1);
        QCOMPARE(columns.at(0).at(0).toInt(), 3);
    }

    void autosizeShowsLongTitlesWhole()
    {
        m_library.Tracks[3].Title = u"Symphony No. 9 in D minor, Op. 125 \"Choral\": IV. Presto - Allegro assai"_s;
        m_view->ColumnAutosize(1);
        QVERIFY(m_view->ColumnWidth(1)
                >= m_view->fontMetrics().horizontalAdvance(m_library.Tracks[3].Title)); // 72 characters, not cut
    }

    void autosizeStaysReadable()
    {
        m_view->ColumnAutosize(1); // the 303-character title
        QVERIFY(m_view->ColumnWidth(1) > 0);
        QVERIFY(m_view->ColumnWidth(1)
                <= m_view->fontMetrics().averageCharWidth() * ui::ucListView::kAutosizeLimitChars);
    }

private:
    database::Library m_library;
    std::unique_ptr<browser::SongListModel> m_model;
    std::unique_ptr<ui::ucListView> m_view;
};

QTEST_MAIN(tst_ucListView)
#include "tst_ucListView.moc"
