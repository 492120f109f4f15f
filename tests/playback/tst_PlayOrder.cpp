#include "playback/PlayOrder.h"

#include <QTest>

using namespace quaverly::playback;

class tst_PlayOrder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void convertToTime_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<bool>("roundUp");
        QTest::addColumn<QString>("expected");
        QTest::newRow("65 s") << qint64(65000) << false << QStringLiteral("1:05");
        QTest::newRow("ten minutes, minutes not padded") << qint64(600000) << false << QStringLiteral("10:00");
        QTest::newRow("999 ms truncates") << qint64(999) << false << QStringLiteral("0:00");
        QTest::newRow("59999 ms truncates") << qint64(59999) << false << QStringLiteral("0:59");
        QTest::newRow("round up a remainder") << qint64(59001) << true << QStringLiteral("1:00");
        QTest::newRow("round up, no remainder") << qint64(60000) << true << QStringLiteral("1:00");
        QTest::newRow("over an hour") << qint64(3725000) << false << QStringLiteral("62:05");
        QTest::newRow("beyond 32 bits") << qint64(5000000000) << false << QStringLiteral("83333:20");
        QTest::newRow("negative") << qint64(-5) << false << QStringLiteral("0:00");
    }
    void convertToTime()
    {
        QFETCH(qint64, ms);
        QFETCH(bool, roundUp);
        QFETCH(QString, expected);
        QCOMPARE(ConvertToTime(ms, roundUp), expected);
    }

    void remaining_data()
    {
        QTest::addColumn<QString>("length");
        QTest::addColumn<QString>("elapsed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("borrow a minute") << QStringLiteral("Length: 3:05") << QStringLiteral("1:10")
                                         << QStringLiteral("-1:55");
        QTest::newRow("label in other case")
            << QStringLiteral("LENGTH: 2:00") << QStringLiteral("0:00") << QStringLiteral("-2:00");
        QTest::newRow("at the end") << QStringLiteral("Length: 1:00") << QStringLiteral("1:00")
                                    << QStringLiteral("-0:00");
        QTest::newRow("elapsed past the length")
            << QStringLiteral("Length: 1:00") << QStringLiteral("1:07") << QStringLiteral("-0:00");
        QTest::newRow("no length") << QString() << QStringLiteral("0:10") << QString();
        QTest::newRow("no song") << QStringLiteral("Length: ") << QStringLiteral("0:00") << QString();
        QTest::newRow("not a time") << QStringLiteral("File not found") << QStringLiteral("0:00") << QString();
    }
    void remaining()
    {
        QFETCH(QString, length);
        QFETCH(QString, elapsed);
        QFETCH(QString, expected);
        QCOMPARE(remainingText(length, elapsed), expected);
    }
};

QTEST_GUILESS_MAIN(tst_PlayOrder)
#include "tst_PlayOrder.moc"
