// The video window of the second player: handed to the engine and shown
// while that player plays where video can be embedded (X11); hidden on the
// routes where mpv shows its own window or no picture at all.
#include "playback/AudioEngine.h"
#include "playback/ui/frmQuicktime.h"
#include "tests/support/FakeBackend.h"

#include <QTest>

using namespace quaverly::playback;
using namespace Qt::StringLiterals;

class tst_frmQuicktime : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void embeddedIsShownWhileTheSecondPlayerPlays()
    {
        auto second = std::make_unique<FakeBackend>();
        FakeBackend* secondPlayer = second.get();
        AudioEngine engine(std::make_unique<FakeBackend>(), std::move(second));
        QWidget main;
        // Made before the players start, as in the program: the surface
        // reaches the second player once it has started.
        frmQuicktime window(engine, VideoRoute::Embedded, &main);
        QVERIFY(window.showsVideo());
        QCOMPARE(secondPlayer->videoWindow(), quintptr(0));
        QVERIFY(engine.initialise());
        QVERIFY(secondPlayer->videoWindow() != 0);
        main.show();
        QVERIFY(!window.isVisible());

        engine.open(u"/v/clip.m4v"_s, QString());
        QVERIFY(window.isVisible());
        engine.pause();
        QVERIFY(window.isVisible());
        engine.resume();
        secondPlayer->endOfFile();
        QVERIFY(!window.isVisible());

        engine.open(u"/v/clip.m4v"_s, QString());
        QVERIFY(window.isVisible());
        engine.open(u"/a/song.mp3"_s, QString());
        QVERIFY(!window.isVisible());
    }

    void otherRoutesNeverShowAnEmptyFrame_data()
    {
        QTest::addColumn<VideoRoute>("route");
        QTest::newRow("own window (Wayland)") << VideoRoute::OwnWindow;
        QTest::newRow("sound only (no display)") << VideoRoute::AudioOnly;
    }
    void otherRoutesNeverShowAnEmptyFrame()
    {
        QFETCH(VideoRoute, route);
        auto second = std::make_unique<FakeBackend>();
        FakeBackend* secondPlayer = second.get();
        AudioEngine engine(std::make_unique<FakeBackend>(), std::move(second));
        QVERIFY(engine.initialise());
        QWidget main;
        frmQuicktime window(engine, route, &main);
        main.show();
        QVERIFY(!window.showsVideo());
        engine.open(u"/v/clip.m4v"_s, QString());
        QVERIFY(engine.secondPlayerActive());
        QCOMPARE(secondPlayer->state(), BackendState::Playing); // the sound plays
        QVERIFY(!window.isVisible());
        QCOMPARE(secondPlayer->videoWindow(), quintptr(0));
    }

    void engineMayGoFirst()
    {
        QWidget main;
        auto engine = std::make_unique<AudioEngine>(std::make_unique<FakeBackend>(), std::make_unique<FakeBackend>());
        QVERIFY(engine->initialise());
        auto window = std::make_unique<frmQuicktime>(*engine, VideoRoute::Embedded, &main);
        engine.reset();
        window.reset(); // must not touch the engine that is gone
    }
};

QTEST_MAIN(tst_frmQuicktime)
#include "tst_frmQuicktime.moc"
