// The routing rule, the protected test and the time-scale arithmetic.
#include "playback/AudioRouting.h"

#include <QTest>

using namespace quaverly::playback;
using namespace Qt::StringLiterals;

class tst_AudioRouting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void usesSecondPlayerCases_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("second");
        QTest::addColumn<bool>("isProtected");
        QTest::newRow("mp3") << u"/m/F00/ABCD.mp3"_s << u"MPEG audio file"_s << false << false;
        QTest::newRow("aac audio") << u"/m/F00/ABCD.m4a"_s << u"AAC audio file"_s << false << false;
        QTest::newRow("apple lossless") << u"/m/F00/ABCD.m4a"_s << u"Apple Lossless audio file"_s << false << false;
        QTest::newRow("wav, no kind") << u"/m/F00/ABCD.wav"_s << QString() << false << false;
        QTest::newRow("kind protected, any case")
            << u"/m/F00/ABCD.m4a"_s << u"PROTECTED AAC audio file"_s << true << true;
        QTest::newRow("kind video, any case") << u"/m/F00/ABCD.m4a"_s << u"MPEG-4 Video file"_s << true << false;
        QTest::newRow("m4p, German kind") << u"/m/F01/XYZW.m4p"_s << u"Geschützte AAC-Audiodatei"_s << true << true;
        QTest::newRow("M4P upper case, no kind") << u"/m/F01/XYZW.M4P"_s << QString() << true << true;
        QTest::newRow("m4v, no kind") << u"/m/F02/V.m4v"_s << QString() << true << false;
        QTest::newRow("mp4, audio kind") << u"/m/F02/V.mp4"_s << u"AAC audio file"_s << true << false;
        QTest::newRow("mov") << u"/m/F02/V.mov"_s << u"QuickTime"_s << true << false;
        QTest::newRow("Audible aa") << u"/m/F03/book.aa"_s << u"Audible file"_s << true << false;
        QTest::newRow("Audible AA upper case goes by its kind") << u"/m/F03/BOOK.AA"_s << QString() << false << false;
        QTest::newRow("Audible AA upper case, video kind") << u"/m/F03/BOOK.AA"_s << u"Video"_s << true << false;
        QTest::newRow("aa only inside the name") << u"/m/F03/aa.mp3"_s << u"MPEG audio file"_s << false << false;
        QTest::newRow("aac is not aa") << u"/m/F03/song.aac"_s << QString() << false << false;
        QTest::newRow("m4p folder, mp3 file") << u"/m/x.m4p/song.mp3"_s << QString() << false << false;
    }
    void usesSecondPlayerCases()
    {
        QFETCH(QString, path);
        QFETCH(QString, kind);
        QFETCH(bool, second);
        QFETCH(bool, isProtected);
        QCOMPARE(usesSecondPlayer(path, kind), second);
        QCOMPARE(isCopyProtected(path, kind), isProtected);
    }

    void videoRoute_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<VideoRoute>("route");
        QTest::newRow("X11 embeds") << u"xcb"_s << VideoRoute::Embedded;
        QTest::newRow("Wayland: mpv's own window") << u"wayland"_s << VideoRoute::OwnWindow;
        QTest::newRow("Wayland over EGL") << u"wayland-egl"_s << VideoRoute::OwnWindow;
        QTest::newRow("offscreen: sound only") << u"offscreen"_s << VideoRoute::AudioOnly;
        QTest::newRow("framebuffer: sound only") << u"linuxfb"_s << VideoRoute::AudioOnly;
        QTest::newRow("no platform: sound only") << QString() << VideoRoute::AudioOnly;
    }
    void videoRoute()
    {
        QFETCH(QString, platform);
        QFETCH(VideoRoute, route);
        QCOMPARE(chooseVideoRoute(platform), route);
    }

    void timeScale_data()
    {
        QTest::addColumn<double>("units");
        QTest::addColumn<double>("scale");
        QTest::addColumn<qint64>("ms");
        QTest::newRow("44.1 kHz scale") << 13230000.0 << 44100.0 << qint64(300000);
        QTest::newRow("negative time reads as its size") << -1200.0 << 600.0 << qint64(2000);
        QTest::newRow("62.5 ms rounds to even (down)") << 1.0 << 16.0 << qint64(62);
        QTest::newRow("187.5 ms rounds to even (up)") << 3.0 << 16.0 << qint64(188);
        QTest::newRow("no scale") << 5.0 << 0.0 << qint64(0);
        QTest::newRow("ten hours at 44.1 kHz, beyond 32 bits") << 1587600000.0 << 44100.0 << qint64(36000000);
    }
    void timeScale()
    {
        QFETCH(double, units);
        QFETCH(double, scale);
        QFETCH(qint64, ms);
        QCOMPARE(timeUnitsToMs(units, scale), ms);
    }
};

QTEST_GUILESS_MAIN(tst_AudioRouting)
#include "tst_AudioRouting.moc"
