#include "playback/ExternalPlayers.h"
#include "settings/mdlOptions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly;
using namespace quaverly::playback;

namespace {

bool writeText(const QString& path, const QByteArray& text, bool executable = false)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text);
    file.close();
    return !executable || file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

class tst_ExternalPlayers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void storedList_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("missing second key reads as an empty line")
            << QStringLiteral("2") << QStringList { QStringLiteral("/usr/bin/one"), QString() };
        QTest::newRow("not a number") << QStringLiteral("two") << QStringList {};
        QTest::newRow("negative") << QStringLiteral("-1") << QStringList {};
        // A damaged count is no list the players window wrote: reading it must not
        // walk two billion keys.
        QTest::newRow("far too many") << QStringLiteral("2147483647") << QStringList {};
        QTest::newRow("blanks around") << QStringLiteral(" 1 ") << QStringList { QStringLiteral("/usr/bin/one") };
    }
    void storedList()
    {
        QFETCH(QString, count);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid() && QDir(dir.path()).mkpath(QStringLiteral("iPod_Control/iTunes")));
        settings::mdlOptions options(dir.path());
        QVERIFY(options.SaveOption(QStringLiteral("PlayerCount"), count));
        QVERIFY(options.SaveOption(QStringLiteral("PlayerPlayer1"), QStringLiteral("/usr/bin/one")));
        QCOMPARE(loadPlayerList(options), expected);
    }

    void shorterListLeavesOldKeysUnread()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid() && QDir(dir.path()).mkpath(QStringLiteral("iPod_Control/iTunes")));
        settings::mdlOptions options(dir.path());
        const QStringList three { QStringLiteral("/a b/one"), QStringLiteral("/two"), QStringLiteral("/three") };
        QVERIFY(savePlayerList(options, three));
        QCOMPARE(loadPlayerList(options), three);
        QVERIFY(savePlayerList(options, three.mid(0, 2)));
        QCOMPARE(loadPlayerList(options), three.mid(0, 2));
        QCOMPARE(options.GetOption(QStringLiteral("PlayerPlayer3"), QString()), QStringLiteral("/three"));
    }

    void productName()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString program = dir.filePath(QStringLiteral("tunez"));
        QVERIFY(writeText(program, "#!/bin/sh\n", true));
        const QString apps = dir.filePath(QStringLiteral("applications"));
        QVERIFY(QDir().mkpath(apps));
        QVERIFY(writeText(apps + QStringLiteral("/other.desktop"), "[Desktop Entry]\nName=Other\nExec=/bin/true %f\n"));
        QVERIFY(writeText(apps + QStringLiteral("/tunez.desktop"),
                          "[Desktop Entry]\nName=Tunez Player\nName[de]=Tunez Spieler\nExec=\"" + program.toUtf8()
                              + "\" --enqueue %U\n[Desktop Action New]\nName=New Window\n"));
        QCOMPARE(GetProductName(program, { apps }), QStringLiteral("Tunez Player"));
        QCOMPARE(GetProductName(apps + QStringLiteral("/tunez.desktop"), {}), QStringLiteral("Tunez Player"));
        QCOMPARE(GetProductName(program, {}), QStringLiteral("tunez")); // no entry: the file name
        QCOMPARE(GetProductName(QString(), { apps }), QString());
        QVERIFY(isPlayerProgram(program));
        QVERIFY(isPlayerProgram(apps + QStringLiteral("/tunez.desktop")));
        QVERIFY(!isPlayerProgram(dir.path()));
        QVERIFY(!isPlayerProgram(dir.filePath(QStringLiteral("missing"))));
    }

    void launch_data()
    {
        QTest::addColumn<QByteArray>("exec"); // empty: the player is a program file
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        const QString file = QStringLiteral("/media/my ipod/F00/AB \"CD\".mp3");
        QTest::newRow("program file: the file alone")
            << QByteArray() << QStringLiteral("/opt/my player/play") << QStringList { file };
        QTest::newRow("entry with %U") << QByteArray("vlc --started-from-file %U") << QStringLiteral("vlc")
                                       << QStringList { QStringLiteral("--started-from-file"), file };
        QTest::newRow("entry without a field code")
            << QByteArray("\"/opt/a b/player\" -q") << QStringLiteral("/opt/a b/player")
            << QStringList { QStringLiteral("-q"), file };
        QTest::newRow("other codes dropped, file once")
            << QByteArray("player %i %f %F") << QStringLiteral("player") << QStringList { file };
    }
    void launch()
    {
        QFETCH(QByteArray, exec);
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString player = QStringLiteral("/opt/my player/play");
        if (!exec.isEmpty()) {
            player = dir.filePath(QStringLiteral("p.desktop"));
            QVERIFY(writeText(player, "[Desktop Entry]\nName=P\nExec=" + exec + "\n"));
        }
        const PlayerLaunch launch = launchFor(player, arguments.constLast());
        QCOMPARE(launch.program, program);
        QCOMPARE(launch.arguments, arguments);
    }
};

QTEST_GUILESS_MAIN(tst_ExternalPlayers)
#include "tst_ExternalPlayers.moc"
