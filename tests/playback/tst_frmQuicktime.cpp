// The video window of the second player: shown while that player plays.
#include "playback/AudioEngine.h"
#include "playback/FakeBackend.h"
#include "playback/ui/frmQuicktime.h"

#include <QTest>

using namespace quaverly::playback;
using namespace Qt::StringLiterals;

class tst_frmQuicktime : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shownWhileTheSecondPlayerPlays()
    {
        auto audio = std::make_unique<FakeBackend>();
        auto second = std::make_unique<FakeBackend>();
        FakeBackend* secondPlayer = second.get();
        AudioEngine engine(std::move(audio), std::move(second));
        QVERIFY(engine.initialise());
        QWidget main;
        frmQuicktime window(engine, &main);
        main.show();
        QVERIFY(!window.isVisible());
        QVERIFY(!window.showsVideo()); // offscreen: nothing to draw into

        engine.OpenFile(u"/v/clip.m4v"_s, QString());
        QVERIFY(window.isVisible());
        engine.PauseSong();
        QVERIFY(window.isVisible());
        engine.ResumeSong();
        secondPlayer->endOfFile();
        QVERIFY(!window.isVisible());

        engine.OpenFile(u"/v/clip.m4v"_s, QString());
        QVERIFY(window.isVisible());
        engine.OpenFile(u"/a/song.mp3"_s, QString());
        QVERIFY(!window.isVisible());
    }

    void engineMayGoFirst()
    {
        QWidget main;
        auto engine = std::make_unique<AudioEngine>(std::make_unique<FakeBackend>(), std::make_unique<FakeBackend>());
        QVERIFY(engine->initialise());
        auto window = std::make_unique<frmQuicktime>(*engine, &main);
        engine.reset();
        window.reset(); // must not touch the engine that is gone
    }
};

QTEST_MAIN(tst_frmQuicktime)
#include "tst_frmQuicktime.moc"
