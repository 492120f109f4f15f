#include "ui/modPerfCount.h"

#include <QTest>
#include <QThread>

using namespace quaverly::ui;

class tst_modPerfCount : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void uninitialisedTimerWarnsOnceAndReadsZero()
    {
        QStringList messages;
        modPerfCount timer([&](const QString& message) { messages.append(message); });
        timer.PerfStart();
        timer.PerfStop();
        QCOMPARE(timer.PerfElapsed(), 0.0F);
        QCOMPARE(timer.PerfElapsed(), 0.0F);
        QCOMPARE(messages, QStringList { QStringLiteral("Please Initialize with PerfInit before calling this Sub") });
    }

    void measuresAnInterval()
    {
        modPerfCount timer;
        timer.PerfInit();
        QVERIFY(timer.isInitialised());
        QVERIFY(timer.overheadMs() >= 0.0);
        timer.PerfStart();
        QThread::msleep(20);
        timer.PerfStop();
        QVERIFY2(timer.ElapsedMs() >= 19.0, qPrintable(QString::number(timer.ElapsedMs())));
        QVERIFY(timer.PerfElapsed() >= 19.0F);
        // Stopped: reading again gives the same interval.
        QCOMPARE(timer.ElapsedMs(), timer.ElapsedMs());
    }
};

QTEST_GUILESS_MAIN(tst_modPerfCount)
#include "tst_modPerfCount.moc"
