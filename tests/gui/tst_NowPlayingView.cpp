// The now-playing area on its own: what a click on each of its controls asks
// for, and what it shows for the song, the position, the state and a status.
#include "ui/widgets/NowPlayingView.h"
#include "ui/widgets/Skin.h"
#include "ui/widgets/WindowChrome.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace quaverly::ui;
using namespace Qt::StringLiterals;

class tst_NowPlayingView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_view = std::make_unique<NowPlayingView>();
        m_view->resize(900, 160);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup() { m_view.reset(); }

    // Each transport button sends its own intent, and only that one.
    void transportButtonsSendTheirIntent_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("intent"); // 0 play, 1 pause, 2 next, 3 previous
        QTest::newRow("play") << u"picPlay"_s << 0;
        QTest::newRow("pause") << u"picPause"_s << 1;
        QTest::newRow("next") << u"picNext"_s << 2;
        QTest::newRow("previous") << u"picPrev"_s << 3;
    }
    void transportButtonsSendTheirIntent()
    {
        QFETCH(QString, button);
        QFETCH(int, intent);
        QSignalSpy play(m_view.get(), &NowPlayingView::playClicked);
        QSignalSpy pause(m_view.get(), &NowPlayingView::pauseClicked);
        QSignalSpy next(m_view.get(), &NowPlayingView::nextClicked);
        QSignalSpy previous(m_view.get(), &NowPlayingView::previousClicked);
        m_view->setState(button == u"picPause"_s); // the pause button shows only while playing
        auto* control = m_view->findChild<SkinImage*>(button);
        QVERIFY(control);
        QVERIFY(control->isVisible());
        QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
        const QList<qsizetype> counts { play.size(), pause.size(), next.size(), previous.size() };
        for (int i = 0; i < counts.size(); ++i)
            QCOMPARE(counts.at(i), i == intent ? 1 : 0);
    }

    // Play and pause share one place: the state decides which shows.
    void stateSwapsPlayAndPause()
    {
        auto* play = m_view->findChild<SkinImage*>(u"picPlay"_s);
        auto* pause = m_view->findChild<SkinImage*>(u"picPause"_s);
        QVERIFY(play->isVisible() && !pause->isVisible());
        m_view->setState(true);
        QVERIFY(!play->isVisible() && pause->isVisible());
        m_view->setState(false);
        QVERIFY(play->isVisible() && !pause->isVisible());
    }

    // A click on a star asks for that many stars, counted from the left.
    void starsAskForTheirRating()
    {
        QSignalSpy rate(m_view.get(), &NowPlayingView::rateRequested);
        for (int stars : { 1, 3, 5 }) {
            auto* star = m_view->findChild<SkinImage*>(u"Ratings%1"_s.arg(stars - 1));
            QVERIFY(star);
            QTest::mouseClick(star, Qt::LeftButton, {}, star->rect().center());
        }
        QCOMPARE(rate.size(), 3);
        QCOMPARE(rate.at(0).at(0).toInt(), 1);
        QCOMPARE(rate.at(1).at(0).toInt(), 3);
        QCOMPARE(rate.at(2).at(0).toInt(), 5);
        m_view->setRatingEnabled(false); // an iPod that went away takes no ratings
        auto* star = m_view->findChild<SkinImage*>(u"Ratings2"_s);
        QTest::mouseClick(star, Qt::LeftButton, {}, star->rect().center());
        QCOMPARE(rate.size(), 3);
    }

    // The position bar and the volume slider ask for the place clicked, 0 to 1.
    void barsAskForThePlaceClicked_data()
    {
        QTest::addColumn<QString>("bar");
        QTest::newRow("position") << u"PicPosition"_s;
        QTest::newRow("volume") << u"picVolume"_s;
    }
    void barsAskForThePlaceClicked()
    {
        QFETCH(QString, bar);
        QSignalSpy seek(m_view.get(), &NowPlayingView::seekRequested);
        QSignalSpy volume(m_view.get(), &NowPlayingView::volumeRequested);
        auto* control = m_view->findChild<BarControl*>(bar);
        QVERIFY(control);
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(control->width() / 4, control->height() / 2));
        QSignalSpy& asked = bar == u"PicPosition"_s ? seek : volume;
        QSignalSpy& other = bar == u"PicPosition"_s ? volume : seek;
        QCOMPARE(asked.size(), 1);
        QVERIFY(other.isEmpty());
        QVERIFY(qAbs(asked.at(0).at(0).toDouble() - 0.25) < 0.05);
    }

    void showsTheSongAndWhereItIs()
    {
        m_view->setSource(u"Anna's iPod"_s);
        QCOMPARE(m_view->fraNow->title(), u"Playing from Anna's iPod"_s);
        m_view->setSong(u"Title"_s, u"Artist"_s, u"Album"_s, u"Genre"_s, u"3:05"_s, u"100"_s);
        QCOMPARE(m_view->lblTitle->text(), u"Title"_s);
        QCOMPARE(m_view->lblTitle->property("tag").toString(), u"100"_s);
        QCOMPARE(m_view->lblTime->text(), u"Length: 3:05"_s);
        m_view->setPosition(0.5, u"1:32"_s, u"-1:33"_s);
        QCOMPARE(m_view->PicPosition->fraction(), 0.5);
        QCOMPARE(m_view->lblElapsed->text(), u"1:32"_s);
        QCOMPARE(m_view->lblRemaining->text(), u"-1:33"_s);
        m_view->setRating(2);
        QCOMPARE(m_view->Ratings.at(1)->element(), SkinElement::StarFull);
        QCOMPARE(m_view->Ratings.at(2)->element(), SkinElement::StarEmpty);
    }

    // The status line shows only with a text, and the frame keeps its height
    // whether it shows or not, so the lists below never jump.
    void statusLineKeepsTheFrameStill()
    {
        m_view->fixHeight();
        const int height = m_view->fraNow->height();
        QVERIFY(!m_view->lblStatus->isVisible());
        m_view->setStatus(u"The song could not be played"_s);
        QVERIFY(m_view->lblStatus->isVisible());
        QCOMPARE(m_view->status(), u"The song could not be played"_s);
        QCOMPARE(m_view->fraNow->height(), height);
        m_view->setStatus(QString());
        QVERIFY(!m_view->lblStatus->isVisible());
    }

    // The stored order is shown silently; the boxes, and a choice made for the
    // user (the desktop's media controls), say what changed. The repeat
    // choices count only while "Repeat" is ticked.
    void playOrderIsShownSilentlyAndChosenLoudly()
    {
        QSignalSpy repeat(m_view.get(), &NowPlayingView::repeatToggled);
        QSignalSpy type(m_view.get(), &NowPlayingView::repeatTypeChosen);
        QSignalSpy shuffle(m_view.get(), &NowPlayingView::shuffleToggled);
        m_view->setPlayOrder({ true, true, true });
        QVERIFY(m_view->optRptOne->isChecked() && m_view->optRptOne->isEnabled());
        QVERIFY(repeat.isEmpty() && type.isEmpty() && shuffle.isEmpty());

        m_view->chkRepeat->click();
        QCOMPARE(repeat.takeFirst().at(0).toBool(), false);
        QVERIFY(!m_view->optRptAll->isEnabled());
        QCOMPARE(m_view->playOrder().repeat, false);
        QCOMPARE(m_view->playOrder().repeatOne, true); // kept for when Repeat is ticked again

        m_view->chooseRepeat(true, false);
        QCOMPARE(repeat.takeFirst().at(0).toBool(), true);
        QCOMPARE(type.takeFirst().at(0).toBool(), false);
        QVERIFY(m_view->optRptAll->isChecked());
        m_view->chooseRepeat(true, false); // nothing changes, nothing is said
        QVERIFY(repeat.isEmpty() && type.isEmpty());

        m_view->chooseShuffle(false);
        QCOMPARE(shuffle.takeFirst().at(0).toBool(), false);
        QSignalSpy reseed(m_view.get(), &NowPlayingView::shuffleReseedRequested);
        QTest::keyPress(m_view->chkShuffle, Qt::Key_Shift);
        QCOMPARE(reseed.size(), 1);
    }

private:
    std::unique_ptr<NowPlayingView> m_view;
};

QTEST_MAIN(tst_NowPlayingView)
#include "tst_NowPlayingView.moc"
