#include "CompanionTestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace companiontest;
using namespace Qt::StringLiterals;

namespace {

// How one fake system tool behaves: "busy" for the first `busyRuns` unmount
// attempts, then the shell commands of `finish`.
struct FakeTool
{
    int busyRuns = 0;
    QByteArray finish = "exit 0";
};
using FakeTools = QMap<QString, FakeTool>;

} // namespace

Q_DECLARE_METATYPE(FakeTools)

// Runs the real deveject against fake udisksctl / umount / eject / notify-send
// (PATH holds only them) and a fake mount table, so no real device is touched.
class tst_Deveject : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_count = 0;
    QString m_case;       // folder of the current case
    QString m_mountPoint; // "My iPod's Music", mounted from /dev/sdz1
    QString m_tmpfs;      // a mount that is no block device

    QString file(const QString& name) const { return m_case + u'/' + name; }

    bool writeFake(const QString& name, const FakeTool& tool)
    {
        const QByteArray log = QFile::encodeName(file(u"tools.log"_s));
        const QByteArray counter = QFile::encodeName(file(name + u".count"_s));
        const QByteArray script = "#!/bin/sh\n"
                                  "echo \""
            + name.toUtf8() + " $* [$(pwd -P)]\" >> '" + log + "'\n" + "n=0\n[ -f '" + counter + "' ] && read n < '"
            + counter + "'\nn=$((n+1))\necho $n > '" + counter + "'\n" + "if [ \"$1\" != power-off ] && [ $n -le "
            + QByteArray::number(tool.busyRuns)
            + " ]; then echo \"Error unmounting /dev/sdz1: target is busy\" >&2; exit 1; fi\n" + tool.finish + "\n";
        return writeFile(file(u"bin/"_s + name), script, true);
    }

    // A fresh case: fake tools, a mount point and a mount table naming it.
    bool setUpCase(const FakeTools& tools)
    {
        m_case = m_dir.filePath(QString::number(++m_count));
        if (!QDir().mkpath(m_case + u"/bin"_s) || !QDir().mkpath(m_case + u"/media/My iPod's Music"_s)
            || !QDir().mkpath(m_case + u"/media/ram"_s))
            return false;
        m_mountPoint = QFileInfo(m_case + u"/media/My iPod's Music"_s).canonicalFilePath();
        m_tmpfs = QFileInfo(m_case + u"/media/ram"_s).canonicalFilePath();
        FakeTools all = tools;
        if (!all.contains(u"notify-send"_s))
            all.insert(u"notify-send"_s, {});
        for (auto it = all.cbegin(); it != all.cend(); ++it) {
            if (!writeFake(it.key(), it.value()))
                return false;
        }
        QByteArray escaped = QFile::encodeName(m_mountPoint);
        escaped.replace(" ", "\\040");
        const QByteArray table = "1 0 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
                                 "90 1 8:33 / "
            + escaped + " rw,nosuid,nodev shared:5 master:1 - vfat /dev/sdz1 rw,uid=1000\n" + "91 1 0:40 / "
            + QFile::encodeName(m_tmpfs) + " rw - tmpfs tmpfs rw\n";
        return writeFile(file(u"mountinfo"_s), table);
    }

    int runDeveject(const QStringList& arguments, QString* errors = nullptr,
                    const QString& program = binary("deveject"), bool display = false)
    {
        QProcess process;
        QProcessEnvironment env = environment(file(u"bin"_s));
        env.insert(u"QUAVERLY_MOUNTINFO"_s, file(u"mountinfo"_s));
        if (display) {
            // A display to show the message box on (drawn off screen), which
            // logs what it shows and closes at once.
            env.insert(u"DISPLAY"_s, u":0"_s);
            env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
            env.insert(u"QUAVERLY_COMPANION_MESSAGES"_s, file(u"messages.log"_s));
        }
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_mountPoint); // deveject must leave it at once
        process.start(program, arguments);
        if (!process.waitForFinished(60000))
            return -1;
        if (errors)
            *errors = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // The tool calls, notify-send left out.
    QStringList toolCalls() const
    {
        QStringList calls;
        for (const QString& line : readFile(file(u"tools.log"_s)).split(u'\n', Qt::SkipEmptyParts)) {
            if (!line.startsWith(u"notify-send"_s))
                calls.append(line);
        }
        return calls;
    }
    bool notified() const { return readFile(file(u"tools.log"_s)).contains(u"notify-send --app-name=Quaverly"_s); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QFileInfo(binary("deveject")).isExecutable());
    }

    void ejects_data()
    {
        QTest::addColumn<FakeTools>("tools");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("calls"); // %M is the mount point
        const QString unmount = u"udisksctl unmount -b /dev/sdz1 --no-user-interaction [/]"_s;
        const QString powerOff = u"udisksctl power-off -b /dev/sdz1 --no-user-interaction [/]"_s;
        const QString umount = u"umount %M [/]"_s;
        const QString eject = u"eject /dev/sdz1 [/]"_s;
        const FakeTool fallback;
        QTest::newRow("udisks2") << FakeTools { { u"udisksctl"_s, {} } } << 0 << QStringList { unmount, powerOff };
        QTest::newRow("udisks2, busy twice") << FakeTools { { u"udisksctl"_s, { 2, "exit 0" } } } << 0
                                             << QStringList { unmount, unmount, unmount, powerOff };
        QTest::newRow("no udisks2: umount and eject")
            << FakeTools { { u"umount"_s, fallback }, { u"eject"_s, fallback } } << 0 << QStringList { umount, eject };
        QTest::newRow("udisks2 daemon not running")
            << FakeTools { { u"udisksctl"_s, { 0, "echo 'Error connecting to the udisks daemon: no' >&2; exit 1" } },
                           { u"umount"_s, fallback },
                           { u"eject"_s, fallback } }
            << 0 << QStringList { unmount, umount, eject };
        QTest::newRow("umount busy once, no eject tool")
            << FakeTools { { u"umount"_s, { 1, "exit 0" } } } << 0 << QStringList { umount, umount };
        QTest::newRow("power-off fails") << FakeTools {
            { u"udisksctl"_s, { 0, "[ \"$1\" = power-off ] && { echo 'No drive' >&2; exit 1; }; exit 0" } }
        } << 3 << QStringList { unmount, powerOff };
        QTest::newRow("unmount refused") << FakeTools { { u"udisksctl"_s, { 0, "echo 'Not authorized' >&2; exit 1" } } }
                                         << 1 << QStringList { unmount };
    }
    void ejects()
    {
        QFETCH(FakeTools, tools);
        QFETCH(int, status);
        QFETCH(QStringList, calls);
        QVERIFY(setUpCase(tools));
        QString errors;
        QCOMPARE(runDeveject({ u"-EjectDrive:"_s + m_mountPoint }, &errors), status);
        calls.replaceInStrings(u"%M"_s, m_mountPoint);
        QCOMPARE(toolCalls(), calls);
        // Every failure is told on stderr and as a desktop notification.
        QCOMPARE(errors.isEmpty(), status == 0);
        QCOMPARE(notified(), status != 0);
    }

    void givesUpWhenTheVolumeStaysBusy()
    {
        QVERIFY(setUpCase({ { u"udisksctl"_s, { 1000, "exit 0" } } }));
        QString errors;
        QCOMPARE(runDeveject({ u"-EjectDrive:"_s + m_mountPoint }, &errors), 1); // after about ten seconds
        QVERIFY(toolCalls().size() > 2);
        QVERIFY(!toolCalls().contains(u"udisksctl power-off -b /dev/sdz1 --no-user-interaction [/]"_s));
        QVERIFY(errors.contains(u"busy"_s));
        QVERIFY(notified());
    }

    void refusesWhatIsNoRemovableMount_data()
    {
        QTest::addColumn<QString>("root"); // %M mount point, %T tmpfs, %C the case folder
        QTest::newRow("a folder inside the mount") << u"%M/iPod_Control"_s;
        QTest::newRow("not mounted") << u"%C/media"_s;
        QTest::newRow("missing") << u"%C/nowhere"_s;
        QTest::newRow("root file system") << u"/"_s;
        QTest::newRow("no block device") << u"%T"_s;
    }
    void refusesWhatIsNoRemovableMount()
    {
        QFETCH(QString, root);
        QVERIFY(setUpCase({ { u"udisksctl"_s, {} }, { u"umount"_s, {} } }));
        QVERIFY(QDir().mkpath(m_mountPoint + u"/iPod_Control"_s));
        root.replace(u"%M"_s, m_mountPoint).replace(u"%T"_s, m_tmpfs).replace(u"%C"_s, m_case);
        QString errors;
        QCOMPARE(runDeveject({ u"-EjectDrive:"_s + root }, &errors), 1);
        QVERIFY(toolCalls().isEmpty());
        QVERIFY(!errors.isEmpty());
        QVERIFY(notified());
    }

    // Quaverly has ended when deveject runs, so a failure must reach the user
    // by itself: a notification, or a message box where none can be shown.
    void aFailureIsShownWithoutANotificationService_data()
    {
        QTest::addColumn<QByteArray>("notifySend"); // "" when there is none
        QTest::addColumn<bool>("box");
        QTest::newRow("notification shown") << QByteArray("exit 0") << false;
        QTest::newRow("no notification service")
            << QByteArray("echo 'GDBus.Error:org.freedesktop.DBus.Error.ServiceUnknown' >&2; exit 1") << true;
        QTest::newRow("notify-send hangs") << QByteArray("exec sleep 30") << true;
        QTest::newRow("no notify-send") << QByteArray() << true;
    }
    void aFailureIsShownWithoutANotificationService()
    {
        QFETCH(QByteArray, notifySend);
        QFETCH(bool, box);
        const QByteArray script = notifySend.isEmpty() ? QByteArray("exit 0") : notifySend;
        QVERIFY(setUpCase({ { u"udisksctl"_s, {} }, { u"notify-send"_s, { 0, script } } }));
        if (notifySend.isEmpty())
            QVERIFY(QFile::remove(file(u"bin/notify-send"_s)));
        const QString notMounted = m_case + u"/media"_s;
        QString errors;
        QCOMPARE(runDeveject({ u"-EjectDrive:"_s + notMounted }, &errors, binary("deveject"), true), 1);
        QVERIFY(errors.contains(u"is not a mount point"_s));
        const QString shown = readFile(file(u"messages.log"_s));
        if (box) {
            QVERIFY(shown.startsWith(u"iPod not ejected\n"_s));
            QVERIFY2(shown.contains(QFileInfo(notMounted).canonicalFilePath() + u" is not a mount point"_s),
                     qPrintable(shown));
        } else {
            QVERIFY(shown.isEmpty());
        }
    }

    void argumentForms()
    {
        QVERIFY(setUpCase({ { u"udisksctl"_s, {} } }));
        QCOMPARE(runDeveject({}), 2);
        QCOMPARE(runDeveject({ m_mountPoint }), 2);
        QVERIFY(toolCalls().isEmpty());
        // The option's letter case does not matter, and a blank may come before it.
        QCOMPARE(runDeveject({ u" -ejectdrive:"_s + m_mountPoint }), 0);
        QCOMPARE(toolCalls().size(), 2);
    }

    void aTemporaryCopyRemovesItself()
    {
        QVERIFY(setUpCase({ { u"udisksctl"_s, {} } }));
        const QString copy = file(u"iTunesDBTempAb12"_s);
        QVERIFY(QFile::copy(binary("deveject"), copy));
        QCOMPARE(runDeveject({ u"-EjectDrive:"_s + m_mountPoint }, nullptr, copy), 0);
        QVERIFY(!QFile::exists(copy));
        QVERIFY(QFile::exists(binary("deveject"))); // the installed tool stays
    }
};

QTEST_GUILESS_MAIN(tst_Deveject)
#include "tst_Deveject.moc"
