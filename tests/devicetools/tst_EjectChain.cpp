#include "devicetools/EjectChain.h"
#include "tests/common/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::devicetools;
using namespace Qt::StringLiterals;
using namespace quaverly::test;

namespace {

QStringList tempCopies(const QString& dir)
{
    return QDir(dir).entryList({ u"iTunesDBTemp*"_s }, QDir::Files);
}

// A process that has ended has no executable any more, even before it is reaped.
bool running(qint64 pid)
{
    return QFileInfo::exists(u"/proc/%1/exe"_s.arg(pid));
}

} // namespace

class tst_EjectChain : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString makeDir(const QString& name)
    {
        const QString path = m_dir.filePath(name);
        return QDir().mkpath(path) ? path : QString();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void quotedArgumentsSurviveTheCompanionsSplit_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::newRow("mount point with apostrophe and blanks") << u"/media/user/My iPod's Music"_s;
        QTest::newRow("double quote inside") << u"/media/a \"quoted\" name"_s;
        QTest::newRow("starts and ends with a quote") << u"\"x\""_s;
        QTest::newRow("semicolon and shell characters") << u"/tmp/a;b $HOME `ls` | & > *"_s;
        QTest::newRow("tab and non-ASCII") << u"/media/Müsik\tTab"_s;
        QTest::newRow("plain") << u"-EjectDrive:/media/IPOD"_s;
    }
    void quotedArgumentsSurviveTheCompanionsSplit()
    {
        QFETCH(QString, argument);
        const QString line = quoteArgument(argument) + u' ' + quoteArgument(u"next"_s);
        QCOMPARE(QProcess::splitCommand(line), (QStringList { argument, u"next"_s }));
    }

    void stayvaneArgumentNamesEveryPathQuoted()
    {
        const QString text = stayvaneArgument(u"/media/u/IPOD/quaverly"_s, u"/media/u/IPOD/wait"_s,
                                              u"/tmp/iTunesDBTempAb12"_s, u"/media/u/My iPod"_s);
        const QStringList pieces = text.split(u';');
        QCOMPARE(pieces.size(), 2);
        QCOMPARE(QProcess::splitCommand(pieces[0]), QStringList { u"/media/u/IPOD/quaverly"_s });
        // Stayvane starts wait with one argument: wait's whole argument text,
        // which wait splits again into the tool and its option.
        const QStringList command = QProcess::splitCommand(pieces[1]);
        QCOMPARE(command.size(), 2);
        QCOMPARE(command[0], u"/media/u/IPOD/wait"_s);
        QCOMPARE(QProcess::splitCommand(command[1]),
                 (QStringList { u"/tmp/iTunesDBTempAb12"_s, u"-EjectDrive:/media/u/My iPod"_s }));
    }

    void missingProgramsAreReportedAndLeaveNothingBehind()
    {
        const QString empty = makeDir(u"prog-empty"_s);
        const QString noTool = makeDir(u"prog-notool"_s);
        const QString temp = makeDir(u"tmp-errors"_s);
        QVERIFY(!empty.isEmpty() && !noTool.isEmpty() && !temp.isEmpty());
        for (const char* name : { kStayvaneName, kWaitName })
            QVERIFY(QFile::copy(QDir(QStringLiteral(QUAVERLY_BIN_DIR)).filePath(QLatin1String(name)),
                                QDir(noTool).filePath(QLatin1String(name))));

        EjectChain noCompanions({ empty, u"/nonexistent/player"_s, temp });
        QCOMPARE(noCompanions.start(u"/media/IPOD"_s).error, EjectError::CompanionMissing);
        QVERIFY(!noCompanions.inProgress());

        EjectChain withoutTool({ noTool, u"/nonexistent/player"_s, temp });
        QCOMPARE(withoutTool.start(u"/media/IPOD"_s).error, EjectError::ToolMissing);
        QVERIFY(!withoutTool.inProgress());
        QVERIFY(tempCopies(temp).isEmpty());
    }

    void aStayvaneThatCannotStartClearsUp()
    {
        const QString prog = makeDir(u"prog-broken"_s);
        const QString temp = makeDir(u"tmp-broken"_s);
        QVERIFY(!prog.isEmpty() && !temp.isEmpty());
        QVERIFY(writeFile(prog + u"/stayvane"_s, "not a program", true)); // no interpreter line: exec fails
        QVERIFY(writeFile(prog + u"/wait"_s, "#!/bin/sh\n", true));
        QVERIFY(writeFile(prog + u"/deveject"_s, "#!/bin/sh\n", true));
        EjectChain chain({ prog, u"/nonexistent/player"_s, temp });
        QVERIFY(chain.begin());
        QVERIFY(chain.inProgress());
        QVERIFY(!chain.begin());
        QCOMPARE(chain.start(u"/media/IPOD"_s).error, EjectError::StartFailed);
        QVERIFY(!chain.inProgress()); // the user may try again
        QVERIFY(chain.begin());
        QVERIFY(tempCopies(temp).isEmpty());
    }

    // The whole chain with the real companions: the eject waits for the player
    // to end, then the copied tool unmounts through a fake udisksctl.
    void ejectRunsOnceAfterThePlayerHasEnded()
    {
        const QString sleepBinary = QStandardPaths::findExecutable(u"sleep"_s);
        QVERIFY(!sleepBinary.isEmpty());
        const QString fakes = makeDir(u"chain-fakes"_s);
        const QString temp = makeDir(u"chain-tmp"_s);
        const QString mountPoint = makeDir(u"chain/My iPod's Music"_s);
        QVERIFY(!fakes.isEmpty() && !temp.isEmpty() && !mountPoint.isEmpty());
        const QString log = m_dir.filePath(u"chain.log"_s);
        QVERIFY(writeFile(fakes + u"/udisksctl"_s, "#!/bin/sh\necho \"$*\" >> '" + log.toUtf8() + "'\n", true));
        QByteArray escaped = QFile::encodeName(mountPoint);
        escaped.replace(" ", "\\040");
        const QString table = m_dir.filePath(u"chain.mountinfo"_s);
        QVERIFY(writeFile(table,
                          "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n90 1 8:33 / " + escaped
                              + " rw,nosuid shared:5 - vfat /dev/sdz1 rw\n"));

        // The player: a program whose path holds a blank and a ';'.
        const QString player = m_dir.filePath(u"player ;1"_s);
        QVERIFY(QFile::copy(sleepBinary, player));
        QProcess playing;
        playing.start(player, { u"60"_s });
        QVERIFY(playing.waitForStarted());

        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(fakes));
        qputenv("QUAVERLY_MOUNTINFO", QFile::encodeName(table));
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        EjectChain chain({ QStringLiteral(QUAVERLY_BIN_DIR), player, temp });
        QVERIFY(chain.begin()); // as the window does before its close handling
        const EjectResult result = chain.start(mountPoint);
        qputenv("PATH", oldPath);
        QCOMPARE(result.error, EjectError::None);
        QVERIFY(chain.inProgress());
        QCOMPARE(tempCopies(temp).size(), 1);
        QVERIFY(QFileInfo(result.toolCopy).isExecutable());
        QCOMPARE(chain.start(mountPoint).error, EjectError::AlreadyInProgress);
        QVERIFY(!chain.begin());
        QCOMPARE(tempCopies(temp).size(), 1);

        // stayvane, the first link, ends as soon as it starts the rest of the chain. Kept bounded:
        // nothing marks "still waiting"; polling ten times a second, it would have ended by then.
        QVERIFY(running(result.pid));
        const bool stayvaneEnded = QTest::qWaitFor([&] { return !running(result.pid); }, 1500);
        QVERIFY2(!stayvaneEnded, "the chain went on while the player was still running");
        QVERIFY2(!QFile::exists(log), "ejected while the player was still running");
        playing.kill();
        QVERIFY(playing.waitForFinished());

        QTRY_COMPARE_WITH_TIMEOUT(readText(log),
                                  u"unmount -b /dev/sdz1 --no-user-interaction\n"
                                  "power-off -b /dev/sdz1 --no-user-interaction\n"_s,
                                  20000);
        QTRY_VERIFY_WITH_TIMEOUT(tempCopies(temp).isEmpty(), 5000); // the copy removes itself
    }
};

QTEST_GUILESS_MAIN(tst_EjectChain)
#include "tst_EjectChain.moc"
